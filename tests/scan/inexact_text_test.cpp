// Entries whose names or text the ANSI code page cannot carry (Greek, Cyrillic, CJK,
// an emoji): never reported, never deleted, never reached through a look-alike name.
// Under Wine they are seeded through the wide registry functions and read back by the
// real backend; natively the in-memory registry holds them as the backend hands them
// out (marked names, text marked inexact). Also: the current user's hive listed once,
// and a repair that deletes only what a scan just before it still reports.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <functional>

#include "backup/repair.h"
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
#else
bool Ascii(const std::string& text) {
  for (const char c : text) {
    if (static_cast<unsigned char>(c) >= 0x80)
      return false;
  }
  return true;
}
// A name as the real backend lists one that the code page cannot carry.
std::string Listed(const std::string& utf8) {
  return Ascii(utf8) ? utf8 : std::string(1, kInexactMark) + utf8;
}
std::string ListedPath(const std::string& utf8) {
  std::string out, part;
  for (size_t i = 0; i <= utf8.size(); ++i) {
    if (i == utf8.size() || utf8[i] == '\\') {
      out += (out.empty() ? "" : "\\") + Listed(part);
      part.clear();
    } else {
      part += utf8[i];
    }
  }
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
                      ->Open(base + "\\" + ListedPath(key), KeyAccess::kFull, true);
    ASSERT_TRUE(handle);
    handle->Set(Listed(name), Ascii(data) ? Sz(data) : RegValue{kRegSz, data + '\0', false});
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
                      ->Open(base + "\\" + ListedPath(key), KeyAccess::kRead, false);
    return handle && handle->Query(Listed(name)).has_value();
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
    if (Ascii(utf8Path))
      env.WriteFile(utf8Path);
#endif
  }

  std::string Key(const std::string& sub) const {
    return "HKEY_CURRENT_USER\\" + base + sub;
  }

  RepairOutcome Repair(NoQuestions& prompts) {
    Platform platform = env.Get();
    return RepairTickedRows(platform, results, settings, prompts);
  }

  const std::string base = "Software\\KelvaneTests\\" + token;
  TOptionsSetting settings;
};

// Rows in key order: the registries enumerate in different orders.
std::vector<IssueRow> ByKey(std::vector<IssueRow> rows) {
  std::sort(rows.begin(), rows.end(),
            [](const IssueRow& a, const IssueRow& b) { return a.key + a.value < b.key + b.value; });
  return rows;
}

TEST_F(InexactTextTest, OnlyEntriesTheCodePageCarriesAreReportedBackedUpOrDeleted) {
  const std::string missing = dir + "\\missing\\";
  PutText("Vals", "live", dir + "\\Ωlive\\app.exe");  // present
  MakeFile(dir + "\\Ωlive\\app.exe");
  PutText("Vals", "cyr", dir + "\\Жизнь\\app.exe");  // present
  MakeFile(dir + "\\Жизнь\\app.exe");
  PutText("Vals", "gone", missing + "Ωgone.exe");  // missing, but not exactly known
  PutText("Vals", "Ωmega", "C:\\Nowhere\\x.exe");  // stale, under a name without ANSI form
  PutText("Vals", "Omega", dir + "\\real.txt");    // its look-alike, live
  env.WriteFile(dir + "\\real.txt");
  PutText("Vals", "plain", missing + "plain.exe");  // the one stale entry to report
  PutText("数据", "p", missing + "cjk.exe");
  PutText("Emoji", "😀", missing + "e.exe");
  PutText("Emoji", "q", missing + "q.exe");
  PutText("Vendors\\OnlyGreek", "Ωx", "1");
  PutText("Vendors\\GreekBelow\\Ωsub", "v", "1");  // not known to be empty
  MakeKey(RootKey::kCurrentUser, base + "\\Vendors\\Bare");
#ifdef _WIN32
  HKEY handle = nullptr;
  RegCreateKeyExW(HKEY_CURRENT_USER, Wide(base + "\\Vendors\\Пусто").c_str(), 0, nullptr, 0,
                  KEY_ALL_ACCESS, nullptr, &handle, nullptr);
  RegCloseKey(handle);
#else
  env.Registry()
      .OpenRoot(RootKey::kCurrentUser)
      ->Open(base + "\\Vendors\\" + Listed("Пусто"), KeyAccess::kFull, true);
#endif

  const std::string problem = "Invalid File or Folder";
  const auto rows = Run([&](ScanContext& context) {
    WalkValues(context, "HKEY_CURRENT_USER", base, problem, "");
    ScanSoftwareKey(context, "HKEY_CURRENT_USER", base + "\\Vendors");
  });
  const std::string vendors = Key("\\Vendors");
  EXPECT_EQ(
      ByKey(rows),
      ByKey({
          test::Row(problem, Key("\\Vals\\plain"), missing + "plain.exe", RowKind::kValueInPath),
          test::Row(problem, Key("\\Emoji\\q"), missing + "q.exe", RowKind::kValueInPath),
          test::Row("Obsolete Software Key", vendors, "Bare", RowKind::kSubkeyNamed),
      }));

  // The two values go; the key holding a name without ANSI form cannot be backed up
  // and stays whole.
  results.Clear();
  results.Append(test::RowFromCells("p", Key("\\Emoji"), "", "", RowKind::kKey, true));
  results.Append(
      test::RowFromCells("p", Key("\\Vals\\plain"), "", "", RowKind::kValueInPath, true));
  results.Append(test::RowFromCells("p", Key("\\Emoji\\q"), "", "", RowKind::kValueInPath, true));
  results.Append(test::RowFromCells("p", Key(""), "", "", RowKind::kKey, true));
  NoQuestions prompts;
  const RepairOutcome outcome = Repair(prompts);
  EXPECT_TRUE(outcome.finished);
  EXPECT_EQ(outcome.removedCount, 2u);
  EXPECT_EQ(outcome.notBackedUp, 2u);
  EXPECT_FALSE(HasValue("Vals", "plain"));
  EXPECT_FALSE(HasValue("Emoji", "q"));
  for (const auto& [key, name] :
       std::vector<std::pair<std::string, std::string>>{{"Vals", "live"},
                                                        {"Vals", "cyr"},
                                                        {"Vals", "gone"},
                                                        {"Vals", "Ωmega"},
                                                        {"Vals", "Omega"},
                                                        {"数据", "p"},
                                                        {"Emoji", "😀"},
                                                        {"Vendors\\OnlyGreek", "Ωx"}}) {
    EXPECT_TRUE(HasValue(key, name)) << key << " " << name;
  }
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
  results.Append(test::RowFromCells("p", Key("\\V\\again"), missing + "d.exe", "",
                                    RowKind::kValueInPath, true));
  prompts.scanAgain = [](std::vector<IssueRow>&) { return RepairPrompts::Recheck::kStopped; };
  EXPECT_EQ(Repair(prompts).stop, RepairStop::kRecheckStopped);
  EXPECT_TRUE(HasValue("V", "again"));
}

}  // namespace
}  // namespace kelvane
