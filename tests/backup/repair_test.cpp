// The repair of the ticked rows against the in-memory registry natively and the real
// registry and files under Wine: order, row kinds, what is kept, failing backups.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <set>

#include "backup/export_writer.h"
#include "backup/repair.h"
#include "backup_fixture.h"
#include "fakes.h"
#include "test_env.h"

namespace kelvane {
namespace {

using test::CrLfLines;
using test::Dword;
using test::FixedSystem;
using test::ReadWholeFile;
using test::RefusingRegistry;
using test::ScratchKey;
using test::Sz;

// Passes everything through; appends fail once `appendsLeft` is used up.
class FailingFiles : public ForwardingFileSystem {
 public:
  explicit FailingFiles(FileSystem& inner) : ForwardingFileSystem(inner) {}
  int appendsLeft = 1000;
  FilePtr OpenFile(const std::string& path, const char* mode) override {
    if (std::string(mode).find('a') != std::string::npos && appendsLeft-- <= 0)
      return nullptr;
    return inner_.OpenFile(path, mode);
  }
};

class ScriptedPrompts : public RepairPrompts {
 public:
  bool createFolder = true;
  bool restorePoint = true;
  std::vector<std::string> log;
  bool ConfirmCreateBackupFolder(const std::string& folder) override {
    log.push_back("folder " + folder);
    return createFolder;
  }
  bool MakeRestorePoint() override {
    log.push_back("restore point");
    return restorePoint;
  }
  void EndRestorePoint(bool changed) override {
    log.push_back(changed ? "end restore point" : "cancel restore point");
  }
  void RowsProcessed() override { log.push_back("refresh"); }
  void ShowRepairHint(size_t count) override { log.push_back("hint " + std::to_string(count)); }
  // The scan before the deletions; none unless a test sets one.
  std::function<Recheck(std::vector<IssueRow>&)> scanAgain;
  Recheck ScanAgain(std::vector<IssueRow>& rows) override {
    return scanAgain ? scanAgain(rows) : Recheck::kSkipped;
  }
  // The look at the emptied keys after the deletions; none unless a test sets one.
  std::vector<IssueRow> lookAgain;
  bool repairLeftBroken = false;
  bool LookAgain(const std::vector<Category>&, std::vector<IssueRow>& rows) override {
    rows = lookAgain;
    return !lookAgain.empty();
  }
  bool RepairLeftBroken() const override { return repairLeftBroken; }
};

class RepairTest : public ::testing::Test {
 protected:
  test::TestEnv env;
  ScratchKey scratch{env.Registry()};
  FixedSystem system;
  FailingFiles files{env.Files()};
  Platform base = env.Get();
  RefusingRegistry registry{base.registry};
  Platform platform{registry, files, base.shell, system, base.profile, base.processes};
  ScriptedPrompts prompts;
  ResultsModel results;
  RepairSettings settings;
  RepairBatching batching;
  std::string backupFile;

  void SetUp() override {
    settings.OutputDirectory = env.TempDir() + "\\Backup";
    settings.ShowHint = true;
    settings.Scanned.assign(Categories().begin(), Categories().end());
    env.MakeFolder(settings.OutputDirectory);
    backupFile = settings.OutputDirectory + "\\Backup20070315093005.reg";
  }
  std::string Key(const std::string& sub) const { return scratch.FullPath() + "\\" + sub; }
  void Put(const std::string& sub, const std::string& name, const RegValue& value) {
    test::PutValue(env.Registry(), RootKey::kCurrentUser, scratch.Path() + "\\" + sub, name, value);
  }
  void AddRow(const std::string& key, const std::string& value, RowKind kind, bool ticked = true) {
    results.AppendBatch({test::RowFromCells("problem", key, value, "", kind, ticked)});
  }
  bool KeyExists(const std::string& sub) {
    Registry r(env.Registry());
    r.SetRoot(RootKey::kCurrentUser);
    return r.KeyExists("\\" + scratch.Path() + "\\" + sub);
  }
  bool ValueExists(const std::string& sub, const std::string& name) {
    Registry r(env.Registry());
    r.SetRoot(RootKey::kCurrentUser);
    return r.OpenKey("\\" + scratch.Path() + "\\" + sub, false) && r.ValueExists(name);
  }
  std::vector<std::string> RemainingKeys() {
    std::vector<std::string> keys;
    for (const IssueRow& row : results.Rows())
      keys.push_back(row.key + "|" + row.value);
    return keys;
  }
  RepairOutcome Run() { return RepairTickedRows(platform, results, settings, prompts, batching); }
};

TEST(BackupFileName, FolderBackupStampAndExtension) {
  struct Case {
    std::string folder;
    LocalTime now;
    std::string expected;
  };
  const Case cases[] = {
      {"C:\\Tools\\Backup", {2007, 3, 15, 9, 30, 5}, "C:\\Tools\\Backup\\Backup20070315093005.reg"},
      {"C:\\Tools\\Backup\\",
       {2026, 12, 31, 23, 59, 59},
       "C:\\Tools\\Backup\\Backup20261231235959.reg"},
      {"D:\\", {2000, 1, 1, 0, 0, 0}, "D:\\Backup20000101000000.reg"},
  };
  for (const Case& c : cases) {
    FixedSystem system;
    system.now = c.now;
    EXPECT_EQ(MakeBackupFileName(c.folder, system), c.expected) << c.folder;
  }
}

TEST_F(RepairTest, TickedRowsAreBackedUpAndRemovedLastFirstByKind) {
  Put("KeyA", "v", Sz("a"));
  Put("KeyA\\Inner", "w", Dword(1));
  Put("Vals", "InPath", Sz("1"));
  Put("Vals", "Named", Sz("2"));
  Put("Vals", "", Sz("default"));
  Put("Vals", "bad\nname", Sz("3"));
  Put("Parent\\Child", "c", Sz("4"));
  Put("Dflt", "", Sz("d"));
  Put("Dflt", "other", Sz("stays"));
  Put("Keep", "k", Sz("5"));
  // A value named by a path, beside a key of the name a cut at its last backslash gives.
  Put("Slash", "C:\\kvt\\old\\tool.exe", Sz("9"));
  Put("Slash\\C:\\kvt\\old", "tool.exe", Sz("decoy"));
  const std::string shortcut = env.TempDir() + "\\Stale.lnk";
  env.WriteFile(shortcut, "link");

  AddRow(Key("KeyA"), "", RowKind::kKey);                  // 0
  AddRow(Key("Vals\\InPath"), "", RowKind::kValueInPath);  // 1
  AddRow(Key("Vals"), "Named", RowKind::kValueNamed);      // 2
  AddRow(Key("Parent"), "Child", RowKind::kSubkeyNamed);   // 3
  AddRow(shortcut, "", RowKind::kShortcutFile);            // 4
  AddRow(Key("Vals"), "", RowKind::kDefaultValue);         // 5
  AddRow(Key("Dflt\\"), "", RowKind::kValueInPath);        // 6
  AddRow(Key("Keep"), "", RowKind::kKey, false);           // 7: not ticked
  AddRow("NoBackslash", "", RowKind::kKey);                // 8: stays
  results.AppendBatch({MakeIssueRow(
      "problem",
      ValueTarget(RootKey::kCurrentUser, scratch.Path() + "\\Slash", "C:\\kvt\\old\\tool.exe"),
      RowKind::kValueInPath, "9", "")});  // 9: a name with backslashes
  results.SetTicked(9, true);
  AddRow(Key("Missing"), "", RowKind::kKey);               // 10: gone meanwhile
  AddRow("HKEY_CURRENT_USER\\", "", RowKind::kKey);        // 11: a whole root
  AddRow(Key("Vals"), "bad\nname", RowKind::kValueNamed);  // 12: cannot be backed up
  AddRow(Key("Parent"), "", RowKind::kSubkeyNamed);        // 13: no subkey name

  const RepairOutcome outcome = Run();
  EXPECT_TRUE(outcome.finished);
  EXPECT_EQ(outcome.error, "");
  EXPECT_EQ(outcome.repairedCount, 13u);
  EXPECT_EQ(outcome.backupFile, backupFile);
  EXPECT_EQ(prompts.log, (std::vector<std::string>{"refresh", "hint 13"}));
  EXPECT_EQ(RemainingKeys(), (std::vector<std::string>{Key("Keep") + "|", "NoBackslash|",
                                                       Key("Vals") + "|bad\nname"}));

  EXPECT_FALSE(KeyExists("KeyA"));
  EXPECT_FALSE(ValueExists("Vals", "InPath"));
  EXPECT_FALSE(ValueExists("Vals", "Named"));
  EXPECT_FALSE(ValueExists("Vals", ""));
  EXPECT_TRUE(ValueExists("Vals", "bad\nname"));
  EXPECT_FALSE(KeyExists("Parent\\Child"));
  EXPECT_TRUE(KeyExists("Parent"));
  EXPECT_FALSE(ValueExists("Dflt", ""));
  EXPECT_TRUE(ValueExists("Dflt", "other"));
  EXPECT_TRUE(KeyExists("Keep"));
  EXPECT_TRUE(KeyExists(""));
  EXPECT_FALSE(ValueExists("Slash", "C:\\kvt\\old\\tool.exe"));
  EXPECT_TRUE(ValueExists("Slash\\C:\\kvt\\old", "tool.exe"));
  // The shortcut's way back is the recycle bin.
  EXPECT_FALSE(env.Files().FileExists(shortcut));
#ifndef _WIN32
  EXPECT_EQ(env.Native().shell.Recycled(), (std::vector<std::string>{shortcut}));
#endif

  const std::string k = "[" + scratch.FullPath();
  EXPECT_EQ(
      CrLfLines(ReadWholeFile(env.Files(), backupFile)),
      (std::vector<std::string>{
          "REGEDIT4",                                                                    //
          "",         k + "\\Slash]",         "\"C:\\\\kvt\\\\old\\\\tool.exe\"=\"9\"",  // row 9
          "",         k + "\\Dflt]",          "@=\"d\"",                                 // row 6
          "",         k + "\\Vals]",          "@=\"default\"",                           // row 5
          "",         k + "\\Parent\\Child]", "\"c\"=\"4\"",                             // row 3
          "",         k + "\\Vals]",          "\"Named\"=\"2\"",                         // row 2
          "",         k + "\\Vals]",          "\"InPath\"=\"1\"",                        // row 1
          "",         k + "\\KeyA]",          "\"v\"=\"a\"",                             // row 0
          "",         k + "\\KeyA\\Inner]",   "\"w\"=dword:00000001"}));
}

TEST_F(RepairTest, NothingTickedWritesNoFileAndTheHintShowsZero) {
  Put("A", "v", Sz("1"));
  AddRow(Key("A"), "", RowKind::kKey, false);
  const RepairOutcome outcome = Run();
  EXPECT_TRUE(outcome.finished);
  EXPECT_EQ(outcome.repairedCount, 0u);
  EXPECT_EQ(prompts.log, (std::vector<std::string>{"refresh", "hint 0"}));
  EXPECT_EQ(results.Count(), 1u);
  EXPECT_FALSE(env.Files().FileExists(backupFile));
  EXPECT_TRUE(KeyExists("A"));
}

TEST_F(RepairTest, MissingBackupFolderIsCreatedOnlyWhenTheUserAgrees) {
  struct Case {
    std::string folder;
    bool answer;
    bool expectFolder;
    size_t expectRows;
    bool expectError;
  };
  const Case cases[] = {
      {env.TempDir() + "\\No\\Backup", false, false, 1, false},
      {env.TempDir() + "\\Yes\\Deep\\Backup", true, true, 0, false},
      {"Q:\\NoSuchDrive\\Backup", true, false, 1, true},
  };
  for (const Case& c : cases) {
    Put("A", "v", Sz("1"));
    results.Clear();
    AddRow(Key("A"), "", RowKind::kKey);
    prompts.log.clear();
    prompts.createFolder = c.answer;
    settings.OutputDirectory = c.folder;
    const RepairOutcome outcome = Run();
    EXPECT_EQ(prompts.log.front(), "folder " + c.folder);
    EXPECT_EQ(env.Files().FolderExists(c.folder), c.expectFolder) << c.folder;
    EXPECT_EQ(results.Count(), c.expectRows) << c.folder;
    EXPECT_EQ(KeyExists("A"), c.expectRows == 1) << c.folder;
    EXPECT_EQ(outcome.error, c.expectError ? "Cannot create " + c.folder : "") << c.folder;
    EXPECT_EQ(prompts.log.size(), c.expectFolder ? 3u : 1u) << "hint only after a repair";
  }
}

TEST_F(RepairTest, RestorePointAroundTheDeletionsWhereWindowsHasSystemRestore) {
  struct Case {
    bool option;
    VersionRecord version;
    bool answer;
    std::vector<std::string> expectLog;
    bool expectDeleted;
  };
  const std::vector<std::string> ended = {"restore point", "end restore point", "refresh",
                                          "hint 1"};
  const Case cases[] = {
      {true, {2, 6, 1}, true, ended, true},   // Windows 7
      {true, {2, 10, 0}, true, ended, true},  // Windows 10 and 11
      {true, {2, 5, 1}, true, ended, true},   // Windows XP
      {true, {2, 6, 1}, false, {"restore point"}, false},
      {false, {2, 6, 1}, true, {"refresh", "hint 1"}, true},
      {true, {2, 5, 2}, true, {"refresh", "hint 1"}, true},   // Server 2003
      {true, {1, 4, 10}, true, {"refresh", "hint 1"}, true},  // Windows 98
  };
  for (const Case& c : cases) {
    Put("A", "v", Sz("1"));
    results.Clear();
    AddRow(Key("A"), "", RowKind::kKey);
    prompts.log.clear();
    prompts.restorePoint = c.answer;
    settings.RestorePoint = c.option;
    system.version = c.version;
    Run();
    EXPECT_EQ(prompts.log, c.expectLog);
    EXPECT_EQ(KeyExists("A"), !c.expectDeleted);
    EXPECT_EQ(results.Count(), c.expectDeleted ? 0u : 1u);
  }
  // A repair that stops before its first deletion cancels the point.
  Put("A", "v", Sz("1"));
  results.Clear();
  AddRow(Key("A"), "", RowKind::kKey);
  prompts.log.clear();
  prompts.restorePoint = true;
  settings.RestorePoint = true;
  system.version = VersionRecord{2, 6, 1};
  prompts.scanAgain = [](std::vector<IssueRow>&) { return RepairPrompts::Recheck::kStopped; };
  Run();
  EXPECT_EQ(prompts.log, (std::vector<std::string>{"restore point", "cancel restore point"}));
  EXPECT_TRUE(KeyExists("A"));
}

TEST_F(RepairTest, NoRowsMeansNoRestorePointAndNoHint) {
  settings.RestorePoint = true;
  system.version = VersionRecord{2, 5, 1};
  const RepairOutcome outcome = Run();
  EXPECT_TRUE(prompts.log.empty());
  EXPECT_FALSE(outcome.finished);
}

TEST_F(RepairTest, FailingBackupWriteStopsBeforeThatItemsDeletion) {
  for (const char* sub : {"A", "B", "C"})
    Put(sub, "v", Sz(sub));
  AddRow(Key("A"), "", RowKind::kKey);
  AddRow(Key("B"), "", RowKind::kKey);
  AddRow(Key("C"), "", RowKind::kKey);
  batching.items = 1;     // a batch per row
  files.appendsLeft = 1;  // C is backed up, B's backup cannot be opened
  const RepairOutcome outcome = Run();
  EXPECT_FALSE(outcome.finished);
  EXPECT_NE(outcome.error, "");
  EXPECT_EQ(outcome.repairedCount, 2u);
  EXPECT_TRUE(prompts.log.empty()) << "no hint after a failed repair";
  EXPECT_FALSE(KeyExists("C"));
  EXPECT_TRUE(KeyExists("B"));
  EXPECT_TRUE(KeyExists("A"));
  EXPECT_EQ(RemainingKeys(), (std::vector<std::string>{Key("A") + "|", Key("B") + "|"}));
  const auto lines = CrLfLines(ReadWholeFile(env.Files(), backupFile));
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[2], "[" + Key("C") + "]");
  // What the window says: where it stopped, what was removed and where, what was kept.
  EXPECT_EQ(RepairReportText(outcome),
            "The repair stopped at " + Key("B") + ":\r\n" + outcome.error +
                ".\r\n\r\nOf the 3 ticked entries:\r\n1 entry was removed; the backup is " +
                backupFile +
                ".\r\n1 entry was kept where the repair stopped.\r\n1 entry was kept: the "
                "repair did not reach it.");
}

TEST_F(RepairTest, UnwritableBackupFileStopsAfterTheRowsThatNeedNoBackup) {
  // A folder where the backup file should be: the file system refuses to open it.
  env.MakeFolder(backupFile);
  Put("A", "v", Sz("a"));
  Put("B", "v", Sz("b"));
  const std::string shortcut = env.TempDir() + "\\Stale.lnk";
  env.WriteFile(shortcut, "link");
  AddRow(Key("A"), "", RowKind::kKey);
  AddRow(Key("B"), "v", RowKind::kValueNamed);
  AddRow(shortcut, "", RowKind::kShortcutFile);
  AddRow(Key("Missing"), "", RowKind::kKey);
  batching.items = 1;  // a batch per row
  const RepairOutcome outcome = Run();
  EXPECT_FALSE(outcome.finished);
  EXPECT_EQ(outcome.repairedCount, 3u);
  EXPECT_FALSE(env.Files().FileExists(shortcut));
  EXPECT_TRUE(ValueExists("B", "v"));
  EXPECT_TRUE(KeyExists("A"));
  EXPECT_EQ(RemainingKeys(), (std::vector<std::string>{Key("A") + "|", Key("B") + "|v"}));
}

TEST_F(RepairTest, RefusedDeletionsAreCountedAndTheRepairGoesOn) {
  Put("Locked", "v", Sz("1"));
  Put("Vals", "Pinned", Sz("2"));
  Put("Vals", "Free", Sz("3"));
  Put("Gone", "v", Sz("4"));
  registry.refusedDeletes = {"Locked", "Pinned"};
  AddRow(Key("Gone"), "", RowKind::kKey);
  AddRow(Key("Vals"), "Free", RowKind::kValueNamed);
  AddRow(Key("Vals"), "Pinned", RowKind::kValueNamed);
  AddRow(Key("Locked"), "", RowKind::kKey);
  AddRow(Key("Vals"), "bad\nname", RowKind::kValueNamed);  // missing: nothing to do
  const RepairOutcome outcome = Run();
  EXPECT_TRUE(outcome.finished);
  EXPECT_EQ(outcome.stop, RepairStop::kNone);
  EXPECT_EQ(outcome.repairedCount, 5u);
  EXPECT_EQ(outcome.refused, 2u);
  EXPECT_EQ(outcome.notBackedUp, 0u);
  EXPECT_TRUE(KeyExists("Locked"));
  EXPECT_TRUE(ValueExists("Vals", "Pinned"));
  EXPECT_FALSE(ValueExists("Vals", "Free"));
  EXPECT_FALSE(KeyExists("Gone"));
  // The refused rows leave the list as before; the backup holds them all.
  EXPECT_EQ(results.Count(), 0u);
  const auto lines = CrLfLines(ReadWholeFile(env.Files(), backupFile));
  EXPECT_NE(std::find(lines.begin(), lines.end(), "[" + Key("Locked") + "]"), lines.end());
  EXPECT_NE(std::find(lines.begin(), lines.end(), "\"Pinned\"=\"2\""), lines.end());
}

TEST_F(RepairTest, TheOutcomeSaysWhatStoppedTheRepair) {
  struct Case {
    const char* what;
    std::function<void()> arrange;
    RepairStop stop;
    size_t notBackedUp;
    std::string report;  // how the window's message begins; empty: no message
  };
  const Case cases[] = {
      {"everything repaired", [] {}, RepairStop::kNone, 0, ""},
      {"folder refused",
       [this] {
         settings.OutputDirectory = env.TempDir() + "\\Absent";
         prompts.createFolder = false;
       },
       RepairStop::kNoBackupFolder, 0, ""},
      // Exit code 2 for the unattended run, as for a refused folder, and a message.
      {"folder cannot be made", [this] { settings.OutputDirectory = "Q:\\NoSuchDrive\\Backup"; },
       RepairStop::kNoBackupFolder, 0,
       "The repair stopped:\r\nCannot create Q:\\NoSuchDrive\\Backup.\r\n\r\nNothing was removed."},
      {"backup file cannot be written", [this] { files.appendsLeft = 0; },
       RepairStop::kBackupFailed, 0, "The repair stopped at " + Key("A") + ":"},
      {"restore point cancelled",
       [this] {
         settings.RestorePoint = true;
         system.version = VersionRecord{2, 5, 1};
         prompts.restorePoint = false;
       },
       RepairStop::kRestorePointCancelled, 0, ""},
      {"a name no backup line can carry",
       [this] {
         Put("A", "bad\nname", Sz("x"));
         AddRow(Key("A"), "bad\nname", RowKind::kValueNamed);
       },
       RepairStop::kNone, 1, "The repair did not remove every ticked entry."},
      // Every ticked entry is accounted for: removed, changed since the scan, gone.
      {"changed and gone",
       [this] {
         Put("A", "changed", Sz("2"));
         AddRow(Key("A"), "changed", RowKind::kValueNamed);
         AddRow(Key("A"), "gone", RowKind::kValueNamed);
         prompts.scanAgain = [this](std::vector<IssueRow>& rows) {
           rows = {results.Row(0), results.Row(2)};
           return RepairPrompts::Recheck::kDone;
         };
       },
       RepairStop::kNone, 0,
       "The repair is done.\r\n\r\nOf the 3 ticked entries:\r\n1 entry was removed; the backup "
       "is " +
           backupFile +
           ".\r\n1 entry was kept because it changed since the scan; a new scan shows it as it is "
           "now.\r\n1 entry was already gone."},
      // The key the repair emptied is broken now; an entry elsewhere is not the repair's.
      {"left broken",
       [this] {
         prompts.lookAgain = {
             MakeIssueRow("p", SubkeyTarget(RootKey::kCurrentUser, scratch.Path(), "A"),
                          RowKind::kSubkeyNamed, "A", ""),
             MakeIssueRow("p", KeyTarget(RootKey::kCurrentUser, scratch.Path() + "\\Other"),
                          RowKind::kKey, "", "")};
       },
       RepairStop::kNone, 0,
       "The repair is done.\r\n\r\nOf the 1 ticked entry:\r\n1 entry was removed; the backup is " +
           backupFile +
           ".\r\n\r\nThe repair left 1 entry that is now broken (keys it emptied); it is listed "
           "and ticked and can be repaired in turn."},
      {"left broken, taken in a further pass",
       [this] {
         prompts.lookAgain = {MakeIssueRow("p",
                                           SubkeyTarget(RootKey::kCurrentUser, scratch.Path(), "A"),
                                           RowKind::kSubkeyNamed, "A", "")};
         prompts.repairLeftBroken = true;
       },
       RepairStop::kNone, 0,
       "The repair is done.\r\n\r\nOf the 2 ticked entries:\r\n2 entries were removed; the "
       "backup is " +
           backupFile +
           ".\r\n\r\nThe repair left 1 entry that is now broken (keys it emptied); a further "
           "pass took it in turn, counted above."},
  };
  for (const Case& c : cases) {
    SetUp();
    results.Clear();
    prompts = ScriptedPrompts{};
    files.appendsLeft = 1000;
    settings.RestorePoint = false;
    system.version = VersionRecord{2, 5, 0};
    {
      Registry registry(env.Registry());
      registry.SetRoot(RootKey::kCurrentUser);
      registry.DeleteKey("\\" + scratch.Path() + "\\A");  // as the case before left it
    }
    Put("A", "v", Sz("1"));
    AddRow(Key("A"), "v", RowKind::kValueNamed);
    c.arrange();
    const RepairOutcome outcome = Run();
    EXPECT_EQ(outcome.stop, c.stop) << c.what;
    EXPECT_EQ(outcome.notBackedUp, c.notBackedUp) << c.what;
    EXPECT_EQ(outcome.refused, 0u) << c.what;
    const std::string report = RepairReportText(outcome);
    EXPECT_EQ(report.substr(0, c.report.size()), c.report) << c.what;
    EXPECT_EQ(report.empty(), c.report.empty()) << c.what;
    // The log says what the user's answer stopped, too.
    if (c.stop == RepairStop::kNoBackupFolder && c.report.empty()) {
      EXPECT_EQ(RepairLogNote(outcome),
                "No backup folder (" + settings.OutputDirectory + "): nothing was removed.");
    }
  }
  EXPECT_FALSE(KeyExists("A"));  // the further pass of the last case
}

#ifdef _WIN32
// A repair of every kind of value, undone by importing its backup with regedit /s.
TEST_F(RepairTest, RegeditImportOfTheBackupUndoesTheRepair) {
  const auto values = test::EveryKindOfValue();
  for (const auto& [name, value] : values) {
    Put("Whole", name, value);
    Put("Whole\\Sub \xC3\xA9", name, value);
    Put("Single", name, value);
  }
  Put("Whole\\Empty\\Leaf", "", Sz("x"));
  Put("Single\\Stays", "", Sz("y"));
  const auto before = test::Dump(env.Registry(), RootKey::kCurrentUser, scratch.Path());

  AddRow(Key("Whole"), "", RowKind::kKey);
  for (const auto& [name, value] : values) {
    if (name.empty()) {
      AddRow(Key("Single"), "", RowKind::kDefaultValue);
    } else if (name.find('\\') == std::string::npos) {
      AddRow(Key("Single\\" + name), "", RowKind::kValueInPath);
    } else {
      AddRow(Key("Single"), name, RowKind::kValueNamed);
    }
  }
  const RepairOutcome outcome = Run();
  ASSERT_TRUE(outcome.finished) << outcome.error;
  EXPECT_EQ(results.Count(), 0u);
  EXPECT_FALSE(KeyExists("Whole"));
  EXPECT_EQ(test::Dump(env.Registry(), RootKey::kCurrentUser, scratch.Path() + "\\Single"),
            (test::KeyDump{{"", {}}, {"Stays", {{"", Sz("y")}}}}));

  ASSERT_EQ(test::ImportWithRegedit(backupFile), 0u);
  EXPECT_EQ(test::DumpDifferences(
                before, test::Dump(env.Registry(), RootKey::kCurrentUser, scratch.Path())),
            "");
}
#endif

}  // namespace
}  // namespace kelvane
