// The startup manager's sources and removal against the in-memory registry natively
// and Wine's real registry, shell links and files: the order of the sources, what a
// run key and a folder list, the version gate, and removal with backup and recycle bin.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "../backup/backup_fixture.h"
#include "../scan/shortcut_files.h"
#include "backup/reg_reader.h"
#include "fakes.h"
#include "startup/startup_entries.h"
#include "test_env.h"

namespace kelvane {
namespace {

using test::Dword;
using test::ExpandSz;
using test::PutValue;
using test::Sz;

constexpr const char* kRun = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr const char* kPoliciesRun =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer\\Run";
constexpr const char* kRunOnce = "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
constexpr const char* kRunServices = "Software\\Microsoft\\Windows\\CurrentVersion\\RunServices";

// The platform's shell, with the two startup folders (or any special folder) answered
// from a table; shortcuts and the recycle bin are the platform's own.
class StartupShell : public Shell {
 public:
  explicit StartupShell(Shell& inner) : inner_(inner) {}
  std::map<int, std::optional<std::string>> folders;
  std::optional<std::string> SpecialFolder(int id) override {
    const auto it = folders.find(id);
    return it != folders.end() ? it->second : inner_.SpecialFolder(id);
  }
  std::optional<std::string> ResolveShortcut(const std::string& p) override {
    return inner_.ResolveShortcut(p);
  }
  bool Open(const std::string& f, const std::string& a, const ShellOpen& h) override {
    return inner_.Open(f, a, h);
  }
  bool MoveToRecycleBin(const std::string& p) override { return inner_.MoveToRecycleBin(p); }
  std::string ExecutableFolder() override { return inner_.ExecutableFolder(); }
  std::string WindowsFolder() override { return inner_.WindowsFolder(); }
  std::string SystemFolder() override { return inner_.SystemFolder(); }

 private:
  Shell& inner_;
};

class StartupTest : public ::testing::Test {
 protected:
  StartupTest() : shell(env.Get().shell) {
    startupFolder = env.TempDir() + "\\Startup";
    commonFolder = env.TempDir() + "\\Common Startup";
    env.MakeFolder(startupFolder);
    env.MakeFolder(commonFolder);
    shell.folders[csidl::kStartup] = startupFolder;
    shell.folders[csidl::kCommonStartup] = commonFolder;
  }
  ~StartupTest() override {
    for (const auto& [root, path, name] : seeded) {
      Registry registry(env.Registry());
      registry.SetRoot(root);
      if (registry.OpenKey("\\" + path, false))
        registry.DeleteValue(name);
    }
  }

  Platform Get() {
    Platform base = env.Get();
    return Platform{base.registry, base.files, shell, system, base.profile, base.processes};
  }
  // A value under a real run key, removed when the test ends; its name is unique to
  // the test so entries the system had before are told apart.
  std::string Seed(RootKey root, const std::string& path, const std::string& name,
                   const RegValue& value) {
    const std::string unique = name.empty() ? name : prefix + name;
    PutValue(env.Registry(), root, path, unique, value);
    seeded.emplace_back(root, path, unique);
    return unique;
  }
  // This test's rows of the whole listing: seeded values and shortcuts of the test's
  // folders.
  std::vector<StartupEntry> Ours(const StartupLabels& labels) {
    Platform platform = Get();
    std::vector<StartupEntry> all;
    ListStartupEntries(platform, labels, all);
    std::vector<StartupEntry> ours;
    for (const StartupEntry& e : all) {
      if (e.program.starts_with(prefix) || e.inFolder)
        ours.push_back(e);
    }
    return ours;
  }
  void Shortcut(const std::string& path, const std::string& target) {
    ASSERT_TRUE(test::CreateShortcutFile(env, path, target)) << path;
  }
  bool ValueExists(RootKey root, const std::string& path, const std::string& name) {
    Registry registry(env.Registry());
    registry.SetRoot(root);
    return registry.OpenKey("\\" + path, false) && registry.ValueExists(name);
  }

  test::TestEnv env;
  StartupShell shell;
  test::FixedSystem system{VersionRecord{2, 5, 1}, LocalTime{2026, 12, 8, 10, 5, 9}};  // Windows XP
  std::string startupFolder;
  std::string commonFolder;
  const std::string prefix = "KvStartupTest ";
  std::vector<std::tuple<RootKey, std::string, std::string>> seeded;
};

std::vector<std::string> Locations(const std::vector<StartupEntry>& entries) {
  std::vector<std::string> out;
  for (const StartupEntry& e : entries)
    out.push_back(e.location);
  return out;
}

TEST_F(StartupTest, SourcesComeInOrderAndRunServicesOnlyOnTheWin9xFamily) {
  const RootKey cu = RootKey::kCurrentUser, lm = RootKey::kLocalMachine;
  // Seeded against the order, so the listing has to put them right.
  Seed(lm, kRunServices, "8", Sz("C:\\p8.exe"));
  Seed(cu, kRunServices, "7", Sz("C:\\p7.exe"));
  Seed(lm, kRunOnce, "6", Sz("C:\\p6.exe"));
  Seed(cu, kRunOnce, "5", Sz("C:\\p5.exe"));
  Seed(lm, kPoliciesRun, "4", Sz("C:\\p4.exe"));
  Seed(cu, kPoliciesRun, "3", Sz("C:\\p3.exe"));
  Seed(lm, kRun, "2", Sz("C:\\p2.exe"));
  Seed(cu, kRun, "1", Sz("C:\\p1.exe"));
  Shortcut(commonFolder + "\\Common.lnk", "C:\\windows\\notepad.exe");
  Shortcut(startupFolder + "\\Mine.lnk", "C:\\windows\\regedit.exe");

  const std::vector<std::string> registryRows = {
      "HKEY_CURRENT_USER\\" + std::string(kRun),
      "HKEY_LOCAL_MACHINE\\" + std::string(kRun),
      "HKEY_CURRENT_USER\\" + std::string(kPoliciesRun),
      "HKEY_LOCAL_MACHINE\\" + std::string(kPoliciesRun),
      "HKEY_CURRENT_USER\\" + std::string(kRunOnce),
      "HKEY_LOCAL_MACHINE\\" + std::string(kRunOnce),
  };
  const std::vector<std::string> serviceRows = {
      "HKEY_CURRENT_USER\\" + std::string(kRunServices),
      "HKEY_LOCAL_MACHINE\\" + std::string(kRunServices),
  };
  struct Case {
    int line;
    VersionRecord version;
    bool services;
  };
  const Case cases[] = {
      {__LINE__, {1, 4, 0}, true},   // Windows 95
      {__LINE__, {1, 4, 10}, true},  // Windows 98
      {__LINE__, {1, 4, 90}, true},  // Windows Me
      {__LINE__, {2, 5, 0}, false},  // Windows 2000
      {__LINE__, {2, 5, 1}, false},  // Windows XP
      {__LINE__, {2, 6, 1}, false},  // NT 6.x
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    system.version = c.version;
    const auto rows = Ours(StartupLabels{"Startup", "Common Startup"});
    std::vector<std::string> expected = registryRows;
    if (c.services)
      expected.insert(expected.end(), serviceRows.begin(), serviceRows.end());
    expected.push_back("Startup");
    expected.push_back("Common Startup");
    EXPECT_EQ(Locations(rows), expected);
    ASSERT_FALSE(rows.empty());
    EXPECT_EQ(rows.front().program, prefix + "1");
    EXPECT_EQ(rows.front().file, "C:\\p1.exe");
    EXPECT_EQ(rows[rows.size() - 2].program, "Mine.lnk");
    EXPECT_EQ(UpperAscii(rows[rows.size() - 2].file), "C:\\WINDOWS\\REGEDIT.EXE");
  }
}

// On 64-bit Windows 32-bit programs register below Wow6432Node: each machine key is
// followed by that twin, and a Delete Entry there backs the value up under the twin's
// path. On 32-bit Windows there is no twin to read.
TEST_F(StartupTest, OnSixtyFourBitWindowsEachMachineKeyIsFollowedByItsThirtyTwoBitTwin) {
  const RootKey cu = RootKey::kCurrentUser, lm = RootKey::kLocalMachine;
  const std::string wowRun = "Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Run";
  const std::string wowRunOnce =
      "Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
  const std::string own = Seed(lm, wowRunOnce, "4", Sz("C:\\p4.exe"));
  Seed(lm, kRunOnce, "3", Sz("C:\\p3.exe"));
  Seed(lm, wowRun, "2", Sz("C:\\p2.exe"));
  Seed(cu, kRun, "1", Sz("C:\\p1.exe"));
  for (const bool is64Bit : {false, true}) {
    SCOPED_TRACE(is64Bit);
    system.is64Bit = is64Bit;
    std::vector<std::string> expected = {"HKEY_CURRENT_USER\\" + std::string(kRun)};
    if (is64Bit)
      expected.push_back("HKEY_LOCAL_MACHINE\\" + wowRun);
    expected.push_back("HKEY_LOCAL_MACHINE\\" + std::string(kRunOnce));
    if (is64Bit)
      expected.push_back("HKEY_LOCAL_MACHINE\\" + wowRunOnce);
    EXPECT_EQ(Locations(Ours(StartupLabels{})), expected);
  }

  // Delete Entry on the twin's row removes that value only, through a backup.
  std::vector<StartupEntry> rows = Ours(StartupLabels{});
  ASSERT_EQ(rows.size(), 4u);
  Platform platform = Get();
  const auto outcome =
      DeleteTickedEntries(platform, env.TempDir() + "\\Backup", rows, {false, false, false, true});
  EXPECT_TRUE(outcome.failed.empty());
  EXPECT_FALSE(ValueExists(lm, wowRunOnce, own));
  EXPECT_TRUE(ValueExists(lm, kRunOnce, prefix + "3"));
  ASSERT_FALSE(outcome.backupFile.empty());
  const auto text = test::ReadWholeFile(env.Files(), outcome.backupFile);
  EXPECT_NE(text.find("[HKEY_LOCAL_MACHINE\\" + wowRunOnce + "]"), std::string::npos) << text;

#ifndef _WIN32
  // A key the two views share is read once.
  env.Native().registry.Link(lm,
                             "Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\"
                             "Policies",
                             lm, "Software\\Microsoft\\Windows\\CurrentVersion\\Policies");
  Seed(lm, kPoliciesRun, "5", Sz("C:\\p5.exe"));
  const auto locations = Locations(Ours(StartupLabels{}));
  EXPECT_EQ(std::count(locations.begin(), locations.end(),
                       "HKEY_LOCAL_MACHINE\\" + std::string(kPoliciesRun)),
            1);
  EXPECT_EQ(locations.size(), 4u);
#endif
}

TEST_F(StartupTest, ARunKeyListsItsStringsUnexpandedAndSkipsOtherTypes) {
  test::ScratchKey scratch(env.Registry());
  const std::string key = scratch.Path();
  PutValue(env.Registry(), RootKey::kCurrentUser, key, "", Sz("C:\\default.exe"));
  // Names in alphabetical order: the system's registry enumerates them so.
  PutValue(env.Registry(), RootKey::kCurrentUser, key, "Expand", ExpandSz("%windir%\\e.exe"));
  PutValue(env.Registry(), RootKey::kCurrentUser, key, "Plain", Sz("\"C:\\a b\\c.exe\" /x"));
  PutValue(env.Registry(), RootKey::kCurrentUser, key, "Number", Dword(1));
  PutValue(env.Registry(), RootKey::kCurrentUser, key, "Bytes",
           RegValue{kRegBinary, std::string("C:\\b.exe", 8)});
  PutValue(env.Registry(), RootKey::kCurrentUser, key, "Multi",
           RegValue{kRegMultiSz, std::string("C:\\m.exe\0\0", 10)});

  std::vector<StartupEntry> rows;
  ListRunKey(env.Registry(), "hkey_current_user", key, rows);
  ListRunKey(env.Registry(), "HKCU", key, rows);  // no such root name
  ListRunKey(env.Registry(), "HKEY_CURRENT_USER", key + "\\Missing", rows);
  std::vector<std::tuple<std::string, std::string, std::string>> got;
  for (const StartupEntry& e : rows)
    got.emplace_back(e.program, e.file, e.location);
  const std::string location = "HKEY_CURRENT_USER\\" + key;
  EXPECT_EQ(got, (std::vector<std::tuple<std::string, std::string, std::string>>{
                     {"", "C:\\default.exe", location},
                     {"Expand", "%windir%\\e.exe", location},
                     {"Plain", "\"C:\\a b\\c.exe\" /x", location},
                 }));
}

TEST_F(StartupTest, TheMachinesRunKeysAreListedWithReadAccessOnly) {
  const std::string name = Seed(RootKey::kLocalMachine, kRun, "Machine", Sz("C:\\m.exe"));
  test::RefusingRegistry limited(env.Registry());
  limited.RefuseFullAccess();
  std::vector<StartupEntry> rows;
  ListRunKey(limited, "HKEY_LOCAL_MACHINE", kRun, rows);
  EXPECT_NE(std::find_if(rows.begin(), rows.end(),
                         [&](const StartupEntry& e) { return e.program == name; }),
            rows.end());
}

TEST_F(StartupTest, AFolderListsResolvableShortcutsInAnyCaseOnly) {
  Shortcut(startupFolder + "\\Lower.lnk", "C:\\windows\\notepad.exe");
  Shortcut(startupFolder + "\\UPPER.LNK", "C:\\windows\\regedit.exe");
  Shortcut(startupFolder + "\\Program.pif", "C:\\windows\\notepad.exe");
  env.WriteFile(startupFolder + "\\Broken.lnk", "not a shortcut");
  env.MakeFolder(startupFolder + "\\Folder.lnk");
  Shortcut(startupFolder + "\\Folder.lnk\\Inner.lnk", "C:\\windows\\notepad.exe");

  Platform platform = Get();
  std::vector<StartupEntry> rows;
  ListStartupFolder(platform, csidl::kStartup, "Startup", rows);
  std::vector<std::string> names;
  for (const StartupEntry& e : rows) {
    names.push_back(e.program);
    EXPECT_EQ(e.location, "Startup");
    EXPECT_TRUE(e.inFolder);
  }
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"Lower.lnk", "UPPER.LNK"}));
}

TEST_F(StartupTest, AFolderThatCannotBeFoundOrIsADriveRootListsNothing) {
  struct Case {
    int line;
    std::optional<std::string> answer;
    std::optional<std::string> folder;
  };
  const Case cases[] = {
      {__LINE__, std::nullopt, std::nullopt},
      {__LINE__, "", std::nullopt},
      {__LINE__, "C:\\", std::nullopt},
      {__LINE__, "C:", std::nullopt},
      {__LINE__, "C:\\\\", std::nullopt},
      {__LINE__, "Startup", std::nullopt},
      {__LINE__, "\\Startup", std::nullopt},
      {__LINE__, "\\\\server\\share", std::nullopt},
      {__LINE__, "\\\\server\\share\\", std::nullopt},
      {__LINE__, "\\\\server\\share\\Startup", "\\\\server\\share\\Startup\\"},
      {__LINE__, "C:\\Menu\\Startup", "C:\\Menu\\Startup\\"},
      {__LINE__, "C:\\Menu\\Startup\\", "C:\\Menu\\Startup\\"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    shell.folders[csidl::kStartup] = c.answer;
    EXPECT_EQ(GetSpecialFolder(shell, csidl::kStartup), c.folder);
  }
  // A shortcut at the root of C: is not listed when the lookup fails or names the root.
  const std::string atRoot = "C:\\KvStartupTestRoot.lnk";
  Shortcut(atRoot, "C:\\windows\\notepad.exe");
  for (const std::optional<std::string>& answer :
       {std::optional<std::string>(), std::optional<std::string>("C:\\")}) {
    shell.folders[csidl::kStartup] = answer;
    Platform platform = Get();
    std::vector<StartupEntry> rows;
    ListStartupFolder(platform, csidl::kStartup, "Startup", rows);
    EXPECT_TRUE(rows.empty());
  }
  env.Files().DeleteFileSilently(atRoot);
}

TEST_F(StartupTest, DeleteBacksUpValuesRecyclesShortcutsAndKeepsUntickedRows) {
  const RootKey cu = RootKey::kCurrentUser, lm = RootKey::kLocalMachine;
  // The same program in both roots: deleting one row leaves the other.
  const std::string same = Seed(cu, kRun, "Same", Sz("C:\\same.exe"));
  Seed(lm, kRun, "Same", Sz("C:\\same.exe"));
  const std::string expand = Seed(lm, kRunOnce, "Expand", ExpandSz("%windir%\\x.exe /q"));
  Shortcut(startupFolder + "\\Gone.lnk", "C:\\windows\\notepad.exe");
  Shortcut(startupFolder + "\\Kept.lnk", "C:\\windows\\notepad.exe");
  const std::string backupFolder = env.TempDir() + "\\Backup\\New";  // created on demand

  Platform platform = Get();
  std::vector<StartupEntry> rows = Ours(StartupLabels{});
  ASSERT_EQ(rows.size(), 5u);
  std::sort(rows.begin(), rows.end(), [](const StartupEntry& a, const StartupEntry& b) {
    return a.program + a.location < b.program + b.location;
  });
  // Gone.lnk, Kept.lnk, Expand (HKLM RunOnce), Same (HKCU), Same (HKLM).
  ASSERT_EQ(rows[0].program, "Gone.lnk");
  ASSERT_EQ(rows[3].location, "HKEY_CURRENT_USER\\" + std::string(kRun));
  const std::vector<bool> ticked = {true, false, true, false, true};
  const StartupEntry kept = rows[1], keptValue = rows[3];

  const StartupDeleteOutcome outcome = DeleteTickedEntries(platform, backupFolder, rows, ticked);
  EXPECT_EQ(outcome.removedRows, (std::vector<size_t>{4, 2, 0}));
  EXPECT_TRUE(outcome.failed.empty());
  EXPECT_EQ(rows, (std::vector<StartupEntry>{kept, keptValue}));
  EXPECT_TRUE(ValueExists(cu, kRun, same));
  EXPECT_FALSE(ValueExists(lm, kRun, same));
  EXPECT_FALSE(ValueExists(lm, kRunOnce, expand));
  EXPECT_FALSE(env.Files().FileExists(startupFolder + "\\Gone.lnk"));
  EXPECT_TRUE(env.Files().FileExists(startupFolder + "\\Kept.lnk"));
#ifndef _WIN32
  EXPECT_EQ(env.Native().shell.Recycled(),
            (std::vector<std::string>{startupFolder + "\\Gone.lnk"}));
#endif

  EXPECT_EQ(outcome.backupFile, backupFolder + "\\Backup20261208100509.reg");
  const auto lines = test::CrLfLines(test::ReadWholeFile(env.Files(), outcome.backupFile));
  EXPECT_EQ(lines, (std::vector<std::string>{
                       "REGEDIT4",
                       "",
                       "[HKEY_LOCAL_MACHINE\\" + std::string(kRun) + "]",
                       "\"" + same + "\"=\"C:\\\\same.exe\"",
                       "",
                       "[HKEY_LOCAL_MACHINE\\" + std::string(kRunOnce) + "]",
                       "\"" + expand +
                           "\"=hex(2):25,77,69,6E,64,69,72,25,5C,78,2E,65,78,65,20,2F,"
                           "71,00",
                   }));
  // The restore window's reader takes the file whole.
  const RegReadResult read = ReadRegFile(env.Files(), outcome.backupFile);
  EXPECT_TRUE(read.file.has_value()) << read.error;
#ifdef _WIN32
  // The system registry editor puts the deleted values back as they were.
  ASSERT_EQ(test::ImportWithRegedit(outcome.backupFile), 0u);
  Registry registry(env.Registry());
  registry.SetRoot(lm);
  ASSERT_TRUE(registry.OpenKey(std::string("\\") + kRunOnce, false));
  EXPECT_EQ(registry.ReadRaw(expand), ExpandSz("%windir%\\x.exe /q"));
  EXPECT_TRUE(ValueExists(lm, kRun, same));
#endif
}

TEST_F(StartupTest, AFailedDeleteKeepsItsRowAndIsReported) {
  const std::string name = Seed(RootKey::kCurrentUser, kRun, "Stays", Sz("C:\\s.exe"));
  Shortcut(startupFolder + "\\Goes.lnk", "C:\\windows\\notepad.exe");
  // A file where the backup folder should be: no backup can be written.
  const std::string blocked = env.TempDir() + "\\NotAFolder";
  env.WriteFile(blocked, "x");

  Platform platform = Get();
  std::vector<StartupEntry> rows = Ours(StartupLabels{});
  ASSERT_EQ(rows.size(), 2u);
  const StartupEntry value = rows[0];
  const StartupDeleteOutcome outcome =
      DeleteTickedEntries(platform, blocked, rows, std::vector<bool>(rows.size(), true));
  EXPECT_EQ(outcome.removedRows, (std::vector<size_t>{1}));
  EXPECT_EQ(outcome.failed, (std::vector<StartupEntry>{value}));
  EXPECT_EQ(rows, (std::vector<StartupEntry>{value}));
  EXPECT_TRUE(ValueExists(RootKey::kCurrentUser, kRun, name));
  EXPECT_TRUE(outcome.backupFile.empty());
  EXPECT_EQ(FailedEntriesText("Not deleted:", outcome.failed),
            "Not deleted:\n" + name + " (HKEY_CURRENT_USER\\" + kRun + ")");

  // Without the right to change the key nothing is backed up or deleted either.
  test::RefusingRegistry limited(env.Registry());
  limited.RefuseFullAccess();
  Platform base = Get();
  Platform limitedPlatform{limited,     base.files,   base.shell,
                           base.system, base.profile, base.processes};
  const std::string folder = env.TempDir() + "\\Backup";
  const StartupDeleteOutcome denied =
      DeleteTickedEntries(limitedPlatform, folder, rows, std::vector<bool>{true});
  EXPECT_EQ(denied.failed, (std::vector<StartupEntry>{value}));
  EXPECT_TRUE(ValueExists(RootKey::kCurrentUser, kRun, name));
  EXPECT_FALSE(env.Files().FolderExists(folder));

  // An entry that vanished meanwhile simply leaves the list.
  Registry registry(env.Registry());
  registry.SetRoot(RootKey::kCurrentUser);
  ASSERT_TRUE(registry.OpenKey(std::string("\\") + kRun, false));
  ASSERT_TRUE(registry.DeleteValue(name));
  const StartupDeleteOutcome vanished =
      DeleteTickedEntries(platform, folder, rows, std::vector<bool>{true});
  EXPECT_TRUE(vanished.failed.empty());
  EXPECT_TRUE(rows.empty());
  EXPECT_TRUE(vanished.backupFile.empty());
}

// Names and command lines the ANSI code page cannot carry (Greek, Chinese, an emoji) are
// listed as they are; "Delete Entry" touches none of them and names each, while an
// ordinary entry ticked with them goes.
TEST_F(StartupTest, EntriesInAnyScriptAreListedAndDeletedWithAnExactBackup) {
  const RootKey cu = RootKey::kCurrentUser;
  test::ScratchKey scratch(env.Registry());
  const std::string key = scratch.Path();
  // Names in alphabetical order: the system's registry enumerates them so.
  test::PutWideString(env.Registry(), cu, key, u"Plain", u"C:\\plain.exe");
  test::PutWideString(env.Registry(), cu, key, u"Rocket 🚀", u"C:\\rocket.exe");
  test::PutWideString(env.Registry(), cu, key, u"Tool", u"C:\\工具\\tool.exe", kRegExpandSz);
  test::PutWideString(env.Registry(), cu, key, u"Ωμέγα", u"C:\\omega.exe /tray");
  const std::u16string temp(env.TempDir().begin(), env.TempDir().end());
  env.WriteFile(env.TempDir() + "\\tool.exe");
  ASSERT_TRUE(test::CreateWideShortcut(env, startupFolder, u"Ж.lnk", temp + u"\\tool.exe"));

  Platform platform = Get();
  std::vector<StartupEntry> rows;
  ListRunKey(env.Registry(), "HKEY_CURRENT_USER", key, rows);
  ListStartupFolder(platform, csidl::kStartup, "Startup", rows);
  std::vector<std::pair<std::string, std::string>> got;
  for (const StartupEntry& e : rows)
    got.emplace_back(e.program, e.file);
  EXPECT_EQ(got, (std::vector<std::pair<std::string, std::string>>{
                     {"Plain", "C:\\plain.exe"},
                     {"Rocket 🚀", "C:\\rocket.exe"},
                     {"Tool", "C:\\工具\\tool.exe"},
                     {"Ωμέγα", "C:\\omega.exe /tray"},
                     {"Ж.lnk", env.TempDir() + "\\tool.exe"},
                 }));
  ASSERT_EQ(rows.size(), 5u);

  const std::string backupFolder = env.TempDir() + "\\Backup";
  const std::vector<StartupEntry> listed = rows;
  const StartupDeleteOutcome outcome =
      DeleteTickedEntries(platform, backupFolder, rows, std::vector<bool>(rows.size(), true));
  EXPECT_EQ(outcome.removedRows, (std::vector<size_t>{4, 3, 2, 1, 0}));
  EXPECT_TRUE(outcome.failed.empty());
  EXPECT_FALSE(test::WideFileExists(env, startupFolder, u"Ж.lnk"));
  std::vector<StartupEntry> after;
  ListRunKey(env.Registry(), "HKEY_CURRENT_USER", key, after);
  EXPECT_TRUE(after.empty());
  // One Version 5.00 file holds the four values exactly; put back, they list as before.
  const RegReadResult backup = ReadRegFile(env.Files(), outcome.backupFile);
  ASSERT_TRUE(backup.file) << backup.error;
  EXPECT_EQ(backup.file->version, 5);
  EXPECT_EQ(backup.file->keys.size(), 4u);
  for (const RegFileKey& k : backup.file->keys) {
    for (const RegFileValue& v : k.values)
      test::PutValue(env.Registry(), k.root, k.path, v.name, *v.value);
  }
  ListRunKey(env.Registry(), "HKEY_CURRENT_USER", key, after);
  std::vector<StartupEntry> expected(listed.begin(), listed.end() - 1);
  const auto byName = [](const StartupEntry& a, const StartupEntry& b) {
    return a.program < b.program;
  };
  std::sort(after.begin(), after.end(), byName);
  std::sort(expected.begin(), expected.end(), byName);
  EXPECT_EQ(after, expected);

  const std::string location = " (HKEY_CURRENT_USER\\" + key + ")";
  StartupDeleteOutcome kept;
  kept.failed = {listed[1], listed[4]};
  EXPECT_EQ(FailedEntriesText("Not deleted:", kept.failed),
            "Not deleted:\nRocket 🚀" + location + "\nЖ.lnk (Startup)");

#ifndef _WIN32
  // A target outside the code page. (Wine's shell link object keeps a target only in
  // ANSI, so there it cannot be made.)
  test::WriteWideFile(env, env.TempDir(), u"Жtool.exe", "x");
  ASSERT_TRUE(test::CreateWideShortcut(env, commonFolder, u"Target.lnk", temp + u"\\Жtool.exe"));
  std::vector<StartupEntry> common;
  ListStartupFolder(platform, csidl::kCommonStartup, "Common Startup", common);
  ASSERT_EQ(common.size(), 1u);
  EXPECT_EQ(common[0].file, test::Listed(temp + u"\\Жtool.exe"));
  EXPECT_EQ(DeleteTickedEntries(platform, backupFolder, common, {true}).removedRows,
            (std::vector<size_t>{0}));
  EXPECT_FALSE(env.Files().FileExists(commonFolder + "\\Target.lnk"));
#endif
}

TEST_F(StartupTest, AShortcutIsNeverDeletedOutsideItsFolder) {
  env.WriteFile(env.TempDir() + "\\Outside.lnk", "x");
  StartupEntry entry;
  entry.inFolder = true;
  entry.folderId = csidl::kStartup;
  entry.location = "Startup";
  Platform platform = Get();
  StartupRemover remover(platform, env.TempDir());
  for (const char* name : {"..\\Outside.lnk", "C:Outside.lnk", "", "/Outside.lnk"}) {
    entry.program = name;
    EXPECT_FALSE(remover.Remove(entry)) << name;
  }
  EXPECT_TRUE(env.Files().FileExists(env.TempDir() + "\\Outside.lnk"));
  // With the folder unknown no shortcut row can be removed.
  shell.folders[csidl::kStartup] = std::nullopt;
  Shortcut(startupFolder + "\\Here.lnk", "C:\\windows\\notepad.exe");
  entry.program = "Here.lnk";
  EXPECT_FALSE(remover.Remove(entry));
  EXPECT_TRUE(env.Files().FileExists(startupFolder + "\\Here.lnk"));
}

}  // namespace
}  // namespace kelvane
