// Entries whose names or text the ANSI code page cannot carry (Greek, Cyrillic, CJK,
// an emoji): judged like any other, never reached through a look-alike name, backed up
// in a Version 5.00 file and given back exactly. Under Wine they are seeded through the
// wide registry functions and read back by the real backend; natively the in-memory
// registry holds them in the program's UTF-8. Also: the current user's hive listed
// once, and a repair that deletes only what a scan just before it still reports.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <functional>

#include "backup/reg_file.h"
#include "backup/reg_reader.h"
#include "backup/repair.h"
#include "platform/text_codec.h"
#include "results/results_list.h"
#include "scan/scan_fixture.h"
#include "scan/scanners.h"
#include "scan/value_walker.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace kelvane {
namespace {

using test::Sz;

#ifdef _WIN32
std::wstring Wide(const std::string& utf8) {
  const int n =
      MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring out(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), n);
  return out;
}
#endif

class NoQuestions : public RepairPrompts {
 public:
  bool ConfirmCreateBackupFolder(const std::string&) override { return true; }
  bool MakeRestorePoint() override { return true; }
  void RowsProcessed() override {}
  void ShowRepairHint(size_t) override {}
  std::function<Recheck(std::vector<IssueRow>&)> scanAgain;
  Recheck ScanAgain(std::vector<IssueRow>& rows) override {
    return scanAgain ? scanAgain(rows) : Recheck::kSkipped;
  }
};

class InexactTextTest : public test::ScannerTest {
 protected:
  void SetUp() override {
#ifdef _WIN32
    if (GetACP() == CP_UTF8)
      GTEST_SKIP() << "every text is exact in the UTF-8 code page";
#endif
    OwnKey(RootKey::kCurrentUser, base);
    MakeKey(RootKey::kCurrentUser, base);
    settings.OutputDirectory = dir + "\\Backup";
    env.MakeFolder(settings.OutputDirectory);
  }

  // A text value below `base`; key, name and data in UTF-8.
  void PutText(const std::string& key, const std::string& name, const std::string& data) {
#ifdef _WIN32
    HKEY handle = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, Wide(base + "\\" + key).c_str(), 0, nullptr, 0,
                              KEY_ALL_ACCESS, nullptr, &handle, nullptr),
              ERROR_SUCCESS);
    const std::wstring text = Wide(data);
    RegSetValueExW(handle, Wide(name).c_str(), 0, REG_SZ,
                   reinterpret_cast<const BYTE*>(text.c_str()),
                   static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(handle);
#else
    auto handle = env.Registry()
                      .OpenRoot(RootKey::kCurrentUser)
                      ->Open(base + "\\" + key, KeyAccess::kFull, true);
    ASSERT_TRUE(handle);
    handle->Set(name, Sz(data));
#endif
  }

  bool HasValue(const std::string& key, const std::string& name) {
#ifdef _WIN32
    HKEY handle = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, Wide(base + "\\" + key).c_str(), 0, KEY_READ, &handle) !=
        ERROR_SUCCESS) {
      return false;
    }
    const bool found = RegQueryValueExW(handle, Wide(name).c_str(), nullptr, nullptr, nullptr,
                                        nullptr) == ERROR_SUCCESS;
    RegCloseKey(handle);
    return found;
#else
    auto handle = env.Registry()
                      .OpenRoot(RootKey::kCurrentUser)
                      ->Open(base + "\\" + key, KeyAccess::kRead, false);
    return handle && handle->Query(name).has_value();
#endif
  }

  // A file on C: whose path may hold any character.
  void MakeFile(const std::string& utf8Path) {
#ifdef _WIN32
    const std::wstring path = Wide(utf8Path);
    CreateDirectoryW(path.substr(0, path.rfind(L'\\')).c_str(), nullptr);
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    CloseHandle(file);
#else
    env.WriteFile(utf8Path);
#endif
  }

  std::string Key(const std::string& sub) const {
    return "HKEY_CURRENT_USER\\" + base + sub;
  }

  RepairOutcome Repair(NoQuestions& prompts, RepairBatching batching = {}) {
    Platform platform = env.Get();
    return RepairTickedRows(platform, results, settings, prompts, batching);
  }

  const std::string base = "Software\\KelvaneTests\\" + token;
  RepairSettings settings;
};

// Rows in key order: the registries enumerate in different orders.
std::vector<IssueRow> ByKey(std::vector<IssueRow> rows) {
  std::sort(rows.begin(), rows.end(),
            [](const IssueRow& a, const IssueRow& b) { return a.key + a.value < b.key + b.value; });
  return rows;
}

TEST_F(InexactTextTest, EveryScriptIsJudgedBackedUpInVersion5AndGivenBackExactly) {
  const std::string missing = dir + "\\missing\\";
  PutText("Vals", "live", dir + "\\Ωlive\\app.exe");  // present
  MakeFile(dir + "\\Ωlive\\app.exe");
  PutText("Vals", "cyr", dir + "\\Жизнь\\app.exe");  // present
  MakeFile(dir + "\\Жизнь\\app.exe");
  PutText("Vals", "gone", missing + "Ωgone.exe");
  PutText("Vals", "Ωmega", dir + "\\Nowhere\\x.exe");  // stale, under a name without ANSI form
  PutText("Vals", "Omega", dir + "\\real.txt");        // its look-alike, live
  env.WriteFile(dir + "\\real.txt");
  PutText("Vals", "plain", missing + "plain.exe");
  PutText("数据", "p", missing + "数据.exe");
  PutText("Emoji", "😀", missing + "e😀.exe");
  PutText("Emoji", "q", missing + "q.exe");
  PutText("Vendors\\OnlyGreek", "Ωx", "1");
  PutText("Vendors\\GreekBelow\\Ωsub", "v", "1");
  MakeKey(RootKey::kCurrentUser, base + "\\Vendors\\Bare");
  MakeKey(RootKey::kCurrentUser, base + "\\Vendors\\Пусто");

  const std::string problem = "Invalid File or Folder";
  const auto scanners = [&](ScanContext& context) {
    WalkValues(context, "HKEY_CURRENT_USER", base, problem, "");
    ScanSoftwareKey(context, "HKEY_CURRENT_USER", base + "\\Vendors");
  };
  const auto rows = Run(scanners);
  const std::string vendors = Key("\\Vendors");
  const auto row = [&](const std::string& key, const std::string& data) {
    return test::Row(problem, Key(key), data, RowKind::kValueInPath);
  };
  EXPECT_EQ(ByKey(rows),
            ByKey({
                row("\\Vals\\gone", missing + "Ωgone.exe"),
                row("\\Vals\\Ωmega", dir + "\\Nowhere\\x.exe"),
                row("\\Vals\\plain", missing + "plain.exe"),
                row("\\数据\\p", missing + "数据.exe"),
                row("\\Emoji\\😀", missing + "e😀.exe"),
                row("\\Emoji\\q", missing + "q.exe"),
                test::Row("Obsolete Software Key", vendors, "Bare", RowKind::kSubkeyNamed),
                test::Row("Obsolete Software Key", vendors, "Пусто", RowKind::kSubkeyNamed),
            }));
  // One value a batch, from the last row up: the first batches hold only ANSI entries
  // and start a REGEDIT4 file, which becomes a Version 5.00 file when the first entry
  // that is not arrives.
  std::vector<IssueRow> ordered = rows;
  std::stable_partition(ordered.begin(), ordered.end(),
                        [](const IssueRow& r) { return !(IsAscii(r.key) && IsAscii(r.value)); });
  ASSERT_TRUE(IsAscii(ordered.back().key + ordered.back().value));
  results.Clear();
  for (IssueRow& r : ordered)
    results.AppendBatch({std::move(r)});
  results.SetAllTicked(true);
  NoQuestions prompts;
  const RepairOutcome outcome = Repair(prompts, RepairBatching{1});
  EXPECT_TRUE(outcome.finished);
  EXPECT_EQ(outcome.removedCount, rows.size());
  EXPECT_EQ(outcome.notBackedUp, 0u);
  for (const auto& [key, name] : std::vector<std::pair<std::string, std::string>>{
           {"Vals", "gone"}, {"Vals", "Ωmega"}, {"数据", "p"}, {"Emoji", "😀"}, {"Emoji", "q"}}) {
    EXPECT_FALSE(HasValue(key, name)) << key << " " << name;
  }
  for (const auto& [key, name] : std::vector<std::pair<std::string, std::string>>{
           {"Vals", "live"}, {"Vals", "cyr"}, {"Vals", "Omega"}, {"Vendors\\OnlyGreek", "Ωx"}}) {
    EXPECT_TRUE(HasValue(key, name)) << key << " " << name;
  }
  const std::string backup = test::ReadWholeFile(env.Files(), outcome.backupFile);
  ASSERT_GE(backup.size(), 2u);
  EXPECT_EQ(backup.substr(0, 2), "\xFF\xFE");
  const RegReadResult read = ReadRegText(backup);
  ASSERT_TRUE(read.file) << read.error;
  EXPECT_EQ(read.file->version, 5);
  EXPECT_EQ(read.file->keys.size(), rows.size());

  // What the registry editor's import does, key by key and value by value; then the
  // check after an import finds every key and value of the file again.
  for (const RegFileKey& key : read.file->keys) {
    Registry registry(env.Registry());
    registry.SetRoot(key.root);
    ASSERT_TRUE(registry.OpenKey("\\" + key.path, true)) << key.path;
    for (const RegFileValue& value : key.values)
      registry.WriteRaw(value.name, *value.value);
  }
  EXPECT_EQ(FirstRestoreDifference(env.Registry(), *read.file), std::nullopt);
  EXPECT_TRUE(HasValue("Emoji", "😀"));
  EXPECT_TRUE(HasValue("数据", "p"));
  EXPECT_EQ(Run(scanners).size(), rows.size());  // the same rows, found again
}

TEST_F(InexactTextTest, TheCurrentUsersHiveIsListedOnceAndAnUntickedRowKeepsItsEntry) {
  PutText("", "x", dir + "\\missing\\twin.exe");
#ifndef _WIN32
  // As in Windows: the user's hive and classes again below HKEY_USERS, and another user.
  auto& registry = env.Native().registry;
  registry.Link(RootKey::kUsers, "S-1-5-21-7-1000", RootKey::kCurrentUser, "");
  registry.Link(RootKey::kUsers, "S-1-5-21-7-1000_Classes", RootKey::kCurrentUser,
                "Software\\Classes");
  test::PutString(registry, RootKey::kUsers, "S-1-5-21-7-1001\\Software\\" + token, "y",
                  dir + "\\missing\\other.exe");
#endif
  test::PutString(env.Registry(), RootKey::kCurrentUser, "Software\\Classes\\" + token, "z",
                  dir + "\\missing\\class.exe");
  OwnKey(RootKey::kCurrentUser, "Software\\Classes\\" + token);

  std::vector<std::string> keys;
  for (const IssueRow& row : Scan({4, 5}))
    keys.push_back(row.key);
  std::sort(keys.begin(), keys.end());
  const std::string classValue = "HKEY_CURRENT_USER\\Software\\Classes\\" + token + "\\z";
  std::vector<std::string> expected = {classValue, Key("\\x")};
#ifndef _WIN32
  expected.push_back("HKEY_USERS\\S-1-5-21-7-1001\\Software\\" + token + "\\y");
#endif
  EXPECT_EQ(keys, expected);

  // The user unticks the row: nothing else names the entry, so it stays.
  results.Edit([&](std::vector<IssueRow>& all) {
    for (IssueRow& row : all)
      row.ticked = row.key == classValue;
  });
  NoQuestions prompts;
  const RepairOutcome outcome = Repair(prompts);
  EXPECT_EQ(outcome.removedCount, 1u);
  EXPECT_TRUE(HasValue("", "x"));
}

TEST_F(InexactTextTest, ARepairDeletesOnlyWhatAScanJustBeforeItStillReports) {
  const std::string missing = dir + "\\missing\\";
  PutText("V", "created", missing + "a.exe");                  // its file appears
  PutText("V", "rewritten", missing + "b.exe");                // now names another missing file
  PutText("V", "unchanged", missing + "c.exe");                // still as the scan saw it
  MakeKey(RootKey::kCurrentUser, base + "\\Vendors\\Filled");  // an empty key, then filled
  MakeKey(RootKey::kCurrentUser, base + "\\Vendors\\StillEmpty");
  const auto scanners = [&](ScanContext& context) {
    WalkValues(context, "HKEY_CURRENT_USER", base, "Invalid File or Folder", "");
    ScanSoftwareKey(context, "HKEY_CURRENT_USER", base + "\\Vendors");
  };
  ASSERT_EQ(Run(scanners).size(), 5u);
  results.SetAllTicked(true);

  env.WriteFile(missing + "a.exe");
  PutText("V", "rewritten", missing + "b2.exe");
  PutText("Vendors\\Filled", "v", "1");

  NoQuestions prompts;
  prompts.scanAgain = [&](std::vector<IssueRow>& rows) {
    ResultsModel again;
    test::RecordingEvents events;
    std::atomic<bool> stop{false};
    ScanContext context(env.Get(), again, events, "c", stop);
    scanners(context);
    context.FlushRows();
    rows = again.Rows();
    return RepairPrompts::Recheck::kDone;
  };
  const RepairOutcome outcome = Repair(prompts);
  EXPECT_EQ(outcome.noLongerBroken, 3u);
  EXPECT_EQ(outcome.removedCount, 2u);
  EXPECT_EQ(results.Count(), 0u);  // the rows no longer true left the list unrepaired
  EXPECT_TRUE(HasValue("V", "created"));
  EXPECT_TRUE(HasValue("V", "rewritten"));
  EXPECT_TRUE(HasValue("Vendors\\Filled", "v"));
  EXPECT_FALSE(HasValue("V", "unchanged"));
  const std::string backup = test::ReadWholeFile(env.Files(), outcome.backupFile);
  EXPECT_EQ(backup.find("created"), std::string::npos);
  EXPECT_EQ(backup.find("rewritten"), std::string::npos);
  EXPECT_NE(backup.find("StillEmpty"), std::string::npos);

  // A scan before the deletions that the user stops deletes nothing.
  PutText("V", "again", missing + "d.exe");
  results.AppendBatch({test::RowFromCells("p", Key("\\V\\again"), missing + "d.exe", "",
                                          RowKind::kValueInPath, true)});
  prompts.scanAgain = [](std::vector<IssueRow>&) { return RepairPrompts::Recheck::kStopped; };
  EXPECT_EQ(Repair(prompts).stop, RepairStop::kRecheckStopped);
  EXPECT_TRUE(HasValue("V", "again"));
}

}  // namespace
}  // namespace kelvane
