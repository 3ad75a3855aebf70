// The results list after a scan: the ignore-list filter, the counts, the selection
// commands and "Open in RegEdit" (its registry write on both backends).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "options/settings.h"
#include "results/results_list.h"
#include "test_env.h"
#include "test_shell.h"

namespace kelvane {
namespace {

using Keys = std::vector<std::string>;

IssueRow Row(RowKind kind, const std::string& key, const std::string& value = "",
             const std::string& problem = "P") {
  return test::RowFromCells(problem, key, value, "", kind, true);
}

void Fill(ResultsModel& model, const std::vector<IssueRow>& rows) {
  for (const IssueRow& row : rows)
    model.AppendBatch({row});
}

TOptionsSetting Ignoring(const std::vector<std::string>& values,
                         const std::vector<std::string>& keys) {
  TOptionsSetting settings;
  settings.IgnoreValues = values;
  settings.IgnoreKeys = keys;
  return settings;
}

// The "Registry key" cells of the rows left after the filter.
Keys Remaining(const std::vector<IssueRow>& rows, const TOptionsSetting& settings) {
  ResultsModel model;
  Fill(model, rows);
  ApplyIgnoreLists(model, IgnoreListsOf(settings));
  Keys keys;
  for (const IssueRow& row : model.Rows())
    keys.push_back(row.key + "|" + row.value);
  return keys;
}

TEST(IgnoreLists, IgnoredValueMatchesTheRowsValueInAnyLetterCase) {
  const TOptionsSetting settings = Ignoring({"HKEY_CURRENT_USER\\Software\\X\\Name"}, {});
  struct Case {
    int line;
    IssueRow row;
    bool removed;
  };
  const Case cases[] = {
      {__LINE__, Row(RowKind::kValueNamed, "hkey_current_user\\SOFTWARE\\x", "nAME"), true},
      {__LINE__, Row(RowKind::kValueNamed, "HKEY_CURRENT_USER\\Software\\X", "Name2"), false},
      {__LINE__, Row(RowKind::kValueInPath, "HKEY_CURRENT_USER\\Software\\X\\NAME", "C:\\a"), true},
      {__LINE__, Row(RowKind::kValueInPath, "HKEY_CURRENT_USER\\Software\\X\\Other", "C:\\a"),
       false},
      // A row without value name matches when its key lies inside the entry.
      {__LINE__, Row(RowKind::kKey, "HKEY_CURRENT_USER\\Software\\X"), true},
      {__LINE__, Row(RowKind::kKey, "HKEY_CURRENT_USER\\Software"), true},
      {__LINE__, Row(RowKind::kKey, "HKEY_CURRENT_USER\\Software\\Y"), false},
      {__LINE__, Row(RowKind::kSubkeyNamed, "HKEY_CURRENT_USER\\Software", "X"), true},
      // A default value: the path ends in "\", so no value name is left.
      {__LINE__, Row(RowKind::kValueInPath, "HKEY_CURRENT_USER\\Software\\X\\", "C:\\a"), true},
      {__LINE__, Row(RowKind::kDefaultValue, "HKEY_CURRENT_USER\\Software\\X", "C:\\a"), false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Remaining({c.row}, settings).empty(), c.removed) << "case at line " << c.line;
  }
  // The default value of a key is named "@" in the list.
  EXPECT_TRUE(Remaining({Row(RowKind::kDefaultValue, "HKEY_USERS\\K", "x")},
                        Ignoring({"hkey_users\\k\\@"}, {}))
                  .empty());
}

TEST(IgnoreLists, IgnoredKeyCoversKeysBelowAndAboveButNotLongerNames) {
  const TOptionsSetting settings = Ignoring({}, {"HKEY_LOCAL_MACHINE\\Software\\X"});
  struct Case {
    int line;
    IssueRow row;
    bool removed;
  };
  const Case cases[] = {
      {__LINE__, Row(RowKind::kKey, "HKEY_LOCAL_MACHINE\\Software\\X"), true},
      {__LINE__, Row(RowKind::kKey, "hkey_local_machine\\software\\x\\Deeper\\Still"), true},
      {__LINE__, Row(RowKind::kKey, "HKEY_LOCAL_MACHINE\\Software"), true},  // the key above
      {__LINE__, Row(RowKind::kKey, "HKEY_LOCAL_MACHINE\\Software\\XY"), false},
      {__LINE__, Row(RowKind::kKey, "HKEY_LOCAL_MACHINE\\Soft"), false},
      {__LINE__, Row(RowKind::kSubkeyNamed, "HKEY_LOCAL_MACHINE\\Software", "X"), true},
      {__LINE__, Row(RowKind::kSubkeyNamed, "HKEY_LOCAL_MACHINE\\Software", "XY"), false},
      // With a value name the key must lie at or below the entry.
      {__LINE__, Row(RowKind::kValueNamed, "HKEY_LOCAL_MACHINE\\Software\\X\\Sub", "v"), true},
      {__LINE__, Row(RowKind::kValueNamed, "HKEY_LOCAL_MACHINE\\Software", "X"), false},
      {__LINE__, Row(RowKind::kValueInPath, "HKEY_LOCAL_MACHINE\\Software\\X\\v", "d"), true},
      {__LINE__, Row(RowKind::kValueInPath, "HKEY_LOCAL_MACHINE\\Software\\v", "d"), false},
      {__LINE__, Row(RowKind::kDefaultValue, "HKEY_LOCAL_MACHINE\\Software\\X", "d"), true},
      {__LINE__, Row(RowKind::kDefaultValue, "HKEY_LOCAL_MACHINE\\Software", "d"), false},
      // The test is a plain substring test: the entry may stand anywhere in the key.
      {__LINE__, Row(RowKind::kKey, "HKEY_USERS\\S-1\\HKEY_LOCAL_MACHINE\\Software\\X"), true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Remaining({c.row}, settings).empty(), c.removed) << "case at line " << c.line;
  }
  // An entry that ends in "\" already gets no second one.
  EXPECT_TRUE(Remaining({Row(RowKind::kKey, "HKEY_USERS\\A\\B")}, Ignoring({}, {"HKEY_USERS\\A\\"}))
                  .empty());
}

TEST(IgnoreLists, RowsTheFilterNeverRemoves) {
  const std::vector<IssueRow> rows = {
      Row(RowKind::kShortcutFile, "C:\\Documents and Settings\\Start Menu\\Old.lnk", "C:\\Old.exe"),
      Row(RowKind::kKey, "NoBackslashAtAll"),
      Row(RowKind::kValueNamed, "HKEY_USERS", "v"),
  };
  // Entries that would cover everything: a file path entry, a bare backslash, a root.
  const TOptionsSetting settings =
      Ignoring({"C:\\Documents and Settings\\Start Menu\\Old.lnk\\C:\\Old.exe", ""},
               {"C:\\Documents and Settings", "C:\\", ""});
  EXPECT_EQ(Remaining(rows, settings).size(), rows.size());
}

TEST(IgnoreLists, EmptyEntriesCoverNothing) {
  const std::vector<IssueRow> rows = {Row(RowKind::kKey, "HKEY_USERS\\A"),
                                      Row(RowKind::kValueNamed, "HKEY_USERS\\B", "v")};
  EXPECT_EQ(Remaining(rows, Ignoring({"", ""}, {"", ""})).size(), 2u);
  EXPECT_TRUE(Remaining(rows, Ignoring({"", "HKEY_USERS\\B\\v"}, {"HKEY_USERS\\A", ""})).empty());
}

TEST(IgnoreLists, RemainingRowsKeepTheirOrderAndTicks) {
  std::vector<IssueRow> rows = {
      Row(RowKind::kKey, "HKEY_USERS\\A"), Row(RowKind::kKey, "HKEY_USERS\\Gone"),
      Row(RowKind::kKey, "HKEY_USERS\\B"), Row(RowKind::kValueNamed, "HKEY_USERS\\C", "gone"),
      Row(RowKind::kKey, "HKEY_USERS\\D"),
  };
  rows[2].ticked = false;
  ResultsModel model;
  Fill(model, rows);
  ApplyIgnoreLists(model, IgnoreListsOf(Ignoring({"HKEY_USERS\\C\\GONE"}, {"HKEY_USERS\\gone"})));
  const std::vector<IssueRow> expected = {rows[0], rows[2], rows[4]};
  EXPECT_EQ(model.Rows(), expected);
}

TEST(FinishScan, DropsRepeatedEntriesTicksAllThenFilters) {
  struct Case {
    int line;
    std::vector<IssueRow> rows;
    Keys ignoredKeys;
    size_t seenBeforeFilter;
    ResultCounts counts;
  };
  const IssueRow a = Row(RowKind::kKey, "HKEY_USERS\\A");
  const IssueRow b = Row(RowKind::kKey, "HKEY_USERS\\B");
  const IssueRow c = Row(RowKind::kKey, "HKEY_USERS\\C");
  // One entry reached twice: a shortcut by two walks (letter case apart), a value by two
  // categories with other problem texts.
  const IssueRow link = Row(RowKind::kShortcutFile, "C:\\AppData\\Start Menu\\x.lnk", "t");
  const IssueRow linkAgain = Row(RowKind::kShortcutFile, "C:\\APPDATA\\Start Menu\\X.lnk", "t");
  const IssueRow run = Row(RowKind::kValueInPath, "HKEY_USERS\\Run\\v", "C:\\x.exe", "Startup");
  const IssueRow runAgain = Row(RowKind::kValueInPath, "HKEY_USERS\\RUN\\V", "C:\\x.exe", "Files");
  const Case cases[] = {
      {__LINE__, {link, a, linkAgain, run, runAgain}, {}, 3, {3, 3}},
      {__LINE__, {a, b, c}, {}, 3, {3, 3}},
      {__LINE__, {}, {}, 0, {0, 0}},
      // The filter acts after the ticks and after the columns saw every row.
      {__LINE__, {a, b, c}, {"HKEY_USERS\\B"}, 3, {2, 2}},
  };
  for (const Case& t : cases) {
    ResultsModel model;
    for (IssueRow row : t.rows) {
      row.ticked = false;
      model.AppendBatch({row});
    }
    size_t seen = 0;
    const TOptionsSetting settings = Ignoring({}, t.ignoredKeys);
    const ResultCounts counts = FinishScan(model, IgnoreListsOf(settings), [&] {
      seen = model.Count();
      EXPECT_EQ(model.TickedCount(), seen);
    });
    EXPECT_EQ(seen, t.seenBeforeFilter) << "case at line " << t.line;
    EXPECT_EQ(counts, t.counts) << "case at line " << t.line;
  }
}

// The "Registry key" cell is made from the row's target and never read back: a value
// whose name holds backslashes keeps its key and its name.
TEST(MakeIssueRow, EachKindShowsItsTargetAndKeepsIt) {
  struct Case {
    int line;
    RowTarget target;
    RowKind kind;
    const char* value;
    const char* keyCell;
  };
  const RootKey u = RootKey::kUsers;
  const Case cases[] = {
      {__LINE__, KeyTarget(u, "A\\B"), RowKind::kKey, "x", "HKEY_USERS\\A\\B"},
      {__LINE__, ValueTarget(u, "A", "v"), RowKind::kValueInPath, "x", "HKEY_USERS\\A\\v"},
      {__LINE__, ValueTarget(u, "", "v"), RowKind::kValueInPath, "x", "HKEY_USERS\\v"},
      {__LINE__, ValueTarget(u, "A", ""), RowKind::kValueInPath, "x", "HKEY_USERS\\A\\"},
      {__LINE__, ValueTarget(u, "App", "C:\\kvt\\old\\tool.exe"), RowKind::kValueInPath, "x",
       "HKEY_USERS\\App\\C:\\kvt\\old\\tool.exe"},
      {__LINE__, ValueTarget(u, "A", "v"), RowKind::kValueNamed, "v", "HKEY_USERS\\A"},
      {__LINE__, ValueTarget(u, "A", ""), RowKind::kDefaultValue, "x", "HKEY_USERS\\A"},
      {__LINE__, SubkeyTarget(u, "A", "S"), RowKind::kSubkeyNamed, "S", "HKEY_USERS\\A"},
      {__LINE__, SubkeyTarget(u, "A", ""), RowKind::kSubkeyNamed, "", "HKEY_USERS\\A"},
      {__LINE__, FileTarget("C:\\x.lnk"), RowKind::kShortcutFile, "C:\\x.exe", "C:\\x.lnk"},
  };
  for (const Case& c : cases) {
    const IssueRow row = MakeIssueRow("P", c.target, c.kind, c.value, "");
    EXPECT_EQ(row.key, c.keyCell) << "case at line " << c.line;
    EXPECT_EQ(row.value, c.value) << "case at line " << c.line;
    EXPECT_EQ(row.target, c.target) << "case at line " << c.line;
  }
  EXPECT_EQ(SubkeyTarget(u, "A", "").kind, TargetKind::kNoSubkey);
}

TEST(StatusCounts, BlankNumberAndTableText) {
  ResultsModel model;
  EXPECT_EQ(StatusFoundText(model, " problems found"), " 0 problems found");
  EXPECT_EQ(StatusSelectedText(model, " problems selected for repairing"),
            " 0 problems selected for repairing");
  for (int i = 0; i < 12; ++i)
    model.AppendBatch({Row(RowKind::kKey, "HKEY_USERS\\K" + std::to_string(i))});
  model.SetTicked(3, false);
  EXPECT_EQ(StatusFoundText(model, " problems found"), " 12 problems found");
  EXPECT_EQ(StatusSelectedText(model, " problems selected for repairing"),
            " 11 problems selected for repairing");
}

TEST(DropRowsNoLongerReported, ARowWhoseReasonChangedIsNotTheVerdictTheUserTicked) {
  IssueRow same = Row(RowKind::kValueInPath, "HKEY_USERS\\A\\v", "C:\\a.exe");
  same.reason = "File not found: C:\\a.exe";
  IssueRow changed = Row(RowKind::kValueNamed, "HKEY_USERS\\B", "C:\\b.dll");
  changed.reason = "File not found: C:\\b.dll";
  IssueRow unticked = changed;
  unticked.value = "C:\\c.dll";
  unticked.ticked = false;
  ResultsModel model;
  Fill(model, {same, changed, unticked});
  IssueRow now = changed;
  now.reason = "Reference count is 0";
  EXPECT_EQ(DropRowsNoLongerReported(model, {same, now}), 1u);
  EXPECT_EQ(model.Rows(), (std::vector<IssueRow>{same, unticked}));
}

TEST(Selection, AllAndOfTypeWithExactProblemTexts) {
  ResultsModel model;
  Fill(model, {
                  Row(RowKind::kKey, "HKEY_USERS\\0", "", "Missing file"),
                  Row(RowKind::kKey, "HKEY_USERS\\1", "", "missing file"),
                  Row(RowKind::kKey, "HKEY_USERS\\2", "", "Other"),
                  Row(RowKind::kKey, "HKEY_USERS\\3", "", "Missing file"),
              });
  auto ticks = [&model] {
    std::vector<bool> t;
    for (const IssueRow& row : model.Rows())
      t.push_back(row.ticked);
    return t;
  };
  model.SetAllTicked(false);
  EXPECT_EQ(ticks(), (std::vector<bool>{false, false, false, false}));
  SelectOfType(model, 3, true);  // letter case makes another type
  EXPECT_EQ(ticks(), (std::vector<bool>{true, false, false, true}));
  SelectOfType(model, 1, true);
  EXPECT_EQ(ticks(), (std::vector<bool>{true, true, false, true}));
  SelectOfType(model, 0, false);
  EXPECT_EQ(ticks(), (std::vector<bool>{false, true, false, false}));
  SelectOfType(model, 4, true);  // past the end: nothing
  EXPECT_EQ(ticks(), (std::vector<bool>{false, true, false, false}));
  model.SetAllTicked(true);
  EXPECT_EQ(ticks(), (std::vector<bool>{true, true, true, true}));
}

TEST(OpenInRegedit, KeyTextByRowKind) {
  struct Case {
    int line;
    IssueRow row;
    bool offered;
    const char* key;
  };
  const Case cases[] = {
      {__LINE__, Row(RowKind::kKey, "HKEY_USERS\\A\\B", "x"), true, "HKEY_USERS\\A\\B"},
      {__LINE__, Row(RowKind::kValueInPath, "HKEY_USERS\\A\\B\\v", "x"), true, "HKEY_USERS\\A\\B"},
      {__LINE__, Row(RowKind::kValueInPath, "HKEY_USERS\\A\\", "x"), true, "HKEY_USERS\\A"},
      {__LINE__, Row(RowKind::kValueInPath, "NoBackslash", "x"), true, ""},
      {__LINE__,
       MakeIssueRow("P", ValueTarget(RootKey::kUsers, "A", "C:\\B\\v"), RowKind::kValueInPath, "x",
                    ""),
       true, "HKEY_USERS\\A"},
      {__LINE__, Row(RowKind::kValueNamed, "HKEY_USERS\\A", "v"), true, "HKEY_USERS\\A"},
      {__LINE__, Row(RowKind::kSubkeyNamed, "HKEY_USERS\\A", "Sub"), true, "HKEY_USERS\\A\\Sub"},
      {__LINE__, Row(RowKind::kDefaultValue, "HKEY_USERS\\A", "x"), true, "HKEY_USERS\\A"},
      {__LINE__, Row(RowKind::kShortcutFile, "C:\\x.lnk", "C:\\x.exe"), false, "C:\\x.lnk"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CanOpenInRegedit(c.row), c.offered) << "case at line " << c.line;
    EXPECT_EQ(RegeditKeyText(c.row), c.key) << "case at line " << c.line;
  }
}

class OpenInRegeditTest : public ::testing::Test {
 protected:
  std::optional<std::string> LastKey() {
    Registry registry(env.Registry());
    registry.SetRoot(RootKey::kCurrentUser);
    if (!registry.OpenKey("\\Software\\Microsoft\\Windows\\CurrentVersion\\Applets\\Regedit",
                          false)) {
      return std::nullopt;
    }
    if (!registry.ValueExists("LastKey"))
      return std::nullopt;
    return registry.ReadString("LastKey");
  }

  test::TestEnv env;
  test::AppPlatform app{env};
};

TEST_F(OpenInRegeditTest, WritesLastKeyThenStartsTheEditorOfTheWindowsFolder) {
  Platform platform = app.Get();
  const std::string editor = RegistryEditorPath(platform.shell);
  // A full path into the Windows folder, never a bare name the search path resolves.
  EXPECT_EQ(editor, platform.shell.WindowsFolder() + "\\regedit.exe");
  ASSERT_GE(editor.size(), 3u);
  EXPECT_EQ(editor.substr(1, 2), ":\\");
  if (!env.IsNative()) {
    EXPECT_TRUE(env.Files().FileExists(editor));
  }

  // No switch: "-m" is refused by Wine's editor ("No filename was specified").
  EXPECT_TRUE(OpenInRegedit(platform,
                            Row(RowKind::kSubkeyNamed, "HKEY_LOCAL_MACHINE\\SOFTWARE\\A", "Sub")));
  EXPECT_EQ(LastKey(), "HKEY_LOCAL_MACHINE\\SOFTWARE\\A\\Sub");
  ASSERT_EQ(app.shell.opened.size(), 1u);
  EXPECT_EQ(app.shell.opened[0], std::make_pair(editor, std::string()));

  // An editor that does not start is reported to the caller.
  app.shell.openSucceeds = false;
  EXPECT_FALSE(OpenInRegedit(
      platform, Row(RowKind::kValueInPath, "HKEY_CURRENT_USER\\Software\\Ωμέγα 😀\\v", "d")));
  EXPECT_EQ(LastKey(), "HKEY_CURRENT_USER\\Software\\Ωμέγα 😀");  // any script, as it is
  EXPECT_EQ(app.shell.opened.size(), 2u);
}

TEST_F(OpenInRegeditTest, ShortcutRowsOpenNothing) {
  Platform platform = app.Get();
  const auto before = LastKey();
  OpenInRegedit(platform, Row(RowKind::kShortcutFile, "C:\\x.lnk", "C:\\x.exe"));
  EXPECT_EQ(LastKey(), before);
  EXPECT_TRUE(app.shell.opened.empty());
}

class CurrentUserStringTest : public ::testing::Test {
 protected:
  test::TestEnv env;
  test::ScratchKey scratch{env.Registry()};
};

TEST_F(CurrentUserStringTest, WriteCurrentUserStringCreatesTheKeyAndOverwrites) {
  const std::string key = scratch.Path() + "\\Applets\\Regedit";
  WriteCurrentUserString(env.Registry(), key, "LastKey", "HKEY_LOCAL_MACHINE\\Software");
  Registry registry(env.Registry());
  registry.SetRoot(RootKey::kCurrentUser);
  ASSERT_TRUE(registry.OpenKey("\\" + key, false));
  EXPECT_EQ(registry.GetDataType("LastKey"), DataType::kString);
  EXPECT_EQ(registry.ReadString("LastKey"), "HKEY_LOCAL_MACHINE\\Software");
  WriteCurrentUserString(env.Registry(), key, "lastkey", "HKEY_USERS");
  EXPECT_EQ(registry.ReadString("LastKey"), "HKEY_USERS");
}

}  // namespace
}  // namespace kelvane
