// The value walker and the categories built on it: Files and Folders, MRU and
// History Lists, Installer. Natively against the in-memory registry, under Wine
// against the prefix's real registry, with real files on C: in both runs.
#include "scan/scan_fixture.h"
#include "scan/scanners.h"
#include "scan/value_walker.h"

namespace kelvane {
namespace {

using test::ExpandSz;
using test::Row;
using test::Sz;

constexpr const char* kFilesProblem = "Invalid File or Folder";
constexpr const char* kMruProblem = "Missing MRU and History Lists file";
constexpr const char* kInstallerProblem = "Installer Refrence Issue";
constexpr const char* kMruKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\ComDlg32\\OpenSaveMRU";
constexpr const char* kRunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr const char* kUninstallKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
constexpr const char* kFoldersKey =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Installer\\Folders";
constexpr const char* kArpCacheKey =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Management\\ARPCache";

class WalkTest : public test::ScannerTest {
 protected:
  // Below HKEY_CURRENT_USER; names are inserted in sorted order so that the in-memory
  // registry and Wine's sorted one enumerate them alike.
  const std::string key = "Software\\KelvaneTests\\" + token;
  const std::string full = "HKEY_CURRENT_USER\\" + key;

  void SeedTree() {
    OwnKey(RootKey::kCurrentUser, key);
    env.WriteFile(dir + "\\present.exe");
    env.WriteFile(dir + "\\present.dll");
    const RootKey cu = RootKey::kCurrentUser;
    Put(cu, key, "", Sz(dir + "\\gone0.exe"));
    Put(cu, key, "a1", Sz(dir + "\\gone1.txt"));
    Put(cu, key, "a2", Sz(dir + "\\present.exe"));
    Put(cu, key, "a3", ExpandSz(dir + "\\gone3.exe"));
    Put(cu, key, "a4", test::Dword(7));
    Put(cu, key, "a5", RegValue{kRegBinary, dir + "\\gone5.exe"});
    Put(cu, key, "a6", Sz(dir));
    Put(cu, key, "a7", Sz("notepad.exe"));
    Put(cu, key, "a8", Sz("Q:\\gone8.exe"));
    Put(cu, key, "a9", RegValue{kRegMultiSz, dir + "\\gone9.exe" + std::string(2, '\0')});
    Put(cu, key + "\\b1", "v", Sz(dir + "\\gone_b1.exe /s"));
    Put(cu, key + "\\b1\\c1", "v", Sz("\"" + dir + "\\gone_c1.exe\" -x"));
    Put(cu, key + "\\b2", "v", Sz(dir + "\\gone_b2"));
  }
};

TEST_F(WalkTest, ReportsMissingTextValuesOfAKeyBeforeItsSubkeys) {
  SeedTree();
  const auto rows = Run([&](ScanContext& c) { WalkValues(c, "HKEY_CURRENT_USER", key, "P", ""); });
  EXPECT_EQ(
      rows,
      (std::vector<IssueRow>{
          Row("P", full + "\\", dir + "\\gone0.exe", RowKind::kValueInPath),
          Row("P", full + "\\a1", dir + "\\gone1.txt", RowKind::kValueInPath),
          Row("P", full + "\\a3", dir + "\\gone3.exe", RowKind::kValueInPath),
          Row("P", full + "\\b1\\v", dir + "\\gone_b1.exe /s", RowKind::kValueInPath),
          Row("P", full + "\\b1\\c1\\v", "\"" + dir + "\\gone_c1.exe\" -x", RowKind::kValueInPath),
          Row("P", full + "\\b2\\v", dir + "\\gone_b2", RowKind::kValueInPath),
      }));
  // Keys are shown as paths below the root, in the order they are entered.
  EXPECT_EQ(events.keys, (std::vector<std::string>{FormatScanKey(key), FormatScanKey(key + "\\b1"),
                                                   FormatScanKey(key + "\\b1\\c1"),
                                                   FormatScanKey(key + "\\b2")}));
}

TEST_F(WalkTest, AKeyThatDoesNotOpenIsNeitherReportedNorEntered) {
  SeedTree();
  test::RefusingRegistry refusing(env.Registry());
  refusing.Refuse(key + "\\B1");
  const auto rows =
      Run([&](ScanContext& c) { WalkValues(c, "HKEY_CURRENT_USER", key, "P", ""); }, &refusing);
  ASSERT_EQ(rows.size(), 4u);
  EXPECT_EQ(rows.back().key, full + "\\b2\\v");
  EXPECT_FALSE(ShownKey(key + "\\b1"));
  EXPECT_FALSE(ShownKey(key + "\\b1\\c1"));
}

TEST_F(WalkTest, ReadAccessIsAllTheWalkAsksFor) {
  SeedTree();
  test::RefusingRegistry readOnly(env.Registry());
  readOnly.RefuseFullAccess();
  EXPECT_EQ(
      Run([&](ScanContext& c) { WalkValues(c, "HKEY_CURRENT_USER", key, "P", ""); }, &readOnly)
          .size(),
      6u);
}

TEST_F(WalkTest, NothingForAMissingStartKeyOrAnUnknownRootName) {
  SeedTree();
  EXPECT_TRUE(Run([&](ScanContext& c) {
                WalkValues(c, "HKEY_CURRENT_USER", key + "\\missing", "P", "");
                WalkValues(c, "HKCU", key, "P", "");
                WalkValues(c, "", key, "P", "");
              }).empty());
  EXPECT_TRUE(events.keys.empty());
}

TEST_F(WalkTest, AnEndMarkerEndsThePathAndOnlyTextsHoldingItCount) {
  const std::string typeLib = "TypeLib\\{" + token + "}";
  OwnKey(RootKey::kClassesRoot, typeLib);
  env.WriteFile(dir + "\\present.dll");
  const RootKey cr = RootKey::kClassesRoot;
  Put(cr, typeLib + "\\1.0\\0\\win16", "", Sz(dir + "\\Present.DLL"));
  Put(cr, typeLib + "\\1.0\\0\\win32", "", Sz(dir + "\\Gone.DLL,1"));
  Put(cr, typeLib + "\\1.0\\0\\win64", "", Sz(dir + "\\gone.tlb"));
  Put(cr, typeLib + "\\1.0\\HELPDIR", "", Sz(dir + "\\missing-help"));
  const auto rows = Scan({19});
  EXPECT_EQ(rows, (std::vector<IssueRow>{Row("ActiveX Issue",
                                             "HKEY_CLASSES_ROOT\\" + typeLib + "\\1.0\\0\\win32\\",
                                             dir + "\\Gone.DLL,1", RowKind::kValueInPath)}));
  EXPECT_EQ(events.statuses, (std::vector<std::string>{"Scanning Invalid ActiveX..."}));
}

TEST_F(WalkTest, LocalMachineSkipsOnlyWholePathMatchesOfItsTable) {
  const RootKey lm = RootKey::kLocalMachine;
  const std::string gone = dir + "\\gone.exe";
  OwnKey(lm, "Software\\Classes\\" + token);
  Put(lm, "Software\\Classes\\" + token, "v", Sz(gone));  // walked
  OwnKey(lm, "Software\\Classes\\CLSID\\" + token);
  Put(lm, "Software\\Classes\\CLSID\\" + token, "v", Sz(gone));  // below a skipped key
  OwnKey(lm, std::string(kRunKey) + token);
  Put(lm, std::string(kRunKey) + token, "v", Sz(gone));  // a longer name is not a match
  PutOwnValue(lm, kRunKey, token, Sz(gone));             // in a skipped key
  OwnKey(lm, std::string(kUninstallKey) + "\\" + token);
  Put(lm, std::string(kUninstallKey) + "\\" + token, "v", Sz(gone));
  const auto rows = Scan({3});
  EXPECT_EQ(rows,
            (std::vector<IssueRow>{
                Row(kFilesProblem, "HKEY_LOCAL_MACHINE\\Software\\Classes\\" + token + "\\v", gone,
                    RowKind::kValueInPath),
                Row(kFilesProblem, "HKEY_LOCAL_MACHINE\\" + std::string(kRunKey) + token + "\\v",
                    gone, RowKind::kValueInPath),
            }));
  EXPECT_EQ(events.statuses,
            (std::vector<std::string>{"Scanning Files and Folders - HKEY_LOCAL_MACHINE..."}));
}

TEST_F(WalkTest, CurrentUserWalksTheWholeRootButItsSkippedKeys) {
  const RootKey cu = RootKey::kCurrentUser;
  const std::string gone = dir + "\\gone.exe";
  PutOwnValue(cu, "", token, Sz(gone));  // a value of the root key itself
  PutOwnValue(cu, kRunKey, token, Sz(gone));
  PutOwnValue(cu, kMruKey, token, Sz(gone));
  OwnKey(cu, "AppEvents\\Schemes\\Apps\\" + token);
  Put(cu, "AppEvents\\Schemes\\Apps\\" + token, "v", Sz(gone));
  OwnKey(cu, "Software\\KelvaneTests\\" + token);
  Put(cu, "Software\\KelvaneTests\\" + token, "v", Sz(gone));
  const auto rows = Run(&ScanFilesFoldersCurrentUser);
  EXPECT_EQ(rows,
            (std::vector<IssueRow>{
                Row(kFilesProblem, "HKEY_CURRENT_USER\\" + token, gone, RowKind::kValueInPath),
                Row(kFilesProblem, "HKEY_CURRENT_USER\\Software\\KelvaneTests\\" + token + "\\v",
                    gone, RowKind::kValueInPath),
            }));
  EXPECT_TRUE(ShownKey(""));
}

TEST_F(WalkTest, UsersAppliesNoSkipTable) {
  const std::string gone = dir + "\\gone.exe";
  // Another user's hive (the current user's is listed under HKEY_CURRENT_USER only).
  OwnKey(RootKey::kUsers, "S-1-5-21-" + token);
  Put(RootKey::kUsers, "S-1-5-21-" + token + "\\" + kRunKey, token, Sz(gone));
  const auto rows = Run(&ScanFilesFoldersUsers);
  ASSERT_EQ(rows.size(), 1u);
  const std::string tail = std::string("\\") + kRunKey + "\\" + token;
  EXPECT_EQ(rows[0].key.rfind("HKEY_USERS\\", 0), 0u) << rows[0].key;
  ASSERT_GT(rows[0].key.size(), tail.size());
  EXPECT_TRUE(EqualsNoCase(rows[0].key.substr(rows[0].key.size() - tail.size()), tail))
      << rows[0].key;
  EXPECT_EQ(rows[0].value, gone);
}

// The whole-root walks share their subtrees with a second thread; their rows, in
// order, must be those of the walk on one thread. Seeded: a wide key, deep chains, a
// narrow chain that widens deep down, skipped keys, missing and present files; under
// Wine also the whole prefix with its links between the registry views.
TEST_F(WalkTest, ASharedWalkFindsTheRowsOfTheOneThreadWalkInTheirOrder) {
  const std::string gone = dir + "\\gone";
  env.WriteFile(dir + "\\present.exe");
  for (const RootKey root : {RootKey::kLocalMachine, RootKey::kCurrentUser}) {
    const std::string base = "Software\\" + token;
    OwnKey(root, base);
    Put(root, base, "g", Sz(gone + "base.exe"));
    for (int i = 0; i < 70; ++i) {
      const std::string child = base + "\\k" + std::to_string(100 + i);
      Put(root, child, "p", Sz(dir + "\\present.exe"));
      if (i % 3 == 0)
        Put(root, child, "g", Sz(gone + std::to_string(i) + ".exe"));
      if (i % 7 == 0)
        Put(root, child + "\\deep\\deeper", "g", Sz(gone + "d" + std::to_string(i) + ".dll"));
      // A narrow chain that widens three levels down: the work lies in one subtree.
      Put(root, base + "\\narrow\\a\\b\\n" + std::to_string(i), "g",
          Sz(gone + "n" + std::to_string(i) + ".exe"));
    }
    PutOwnValue(root, kRunKey, token, Sz(gone + "run.exe"));  // skipped by both tables
  }
  PutOwnValue(RootKey::kCurrentUser, "Software", token, Sz(gone + "software.exe"));
  OwnKey(RootKey::kLocalMachine, "Software\\Classes\\CLSID\\" + token);
  Put(RootKey::kLocalMachine, "Software\\Classes\\CLSID\\" + token, "", Sz(gone + "x.dll"));
#ifndef _WIN32
  env.Native().registry.Link(RootKey::kLocalMachine, "Software\\Wow6432Node\\Policies",
                             RootKey::kLocalMachine, "Software\\Policies");
  env.Native().registry.PutString(RootKey::kLocalMachine, "Software\\Policies\\" + token, "g",
                                  gone + "policy.exe");
  OwnKey(RootKey::kUsers, "S-1-5-21-" + token);
  Put(RootKey::kUsers, "S-1-5-21-" + token + "\\" + kRunKey, token, Sz(gone + "u.exe"));
#endif
  struct Walk {
    const char* rootName;
    const char* start;
    WalkSkip skip;
  };
  for (const Walk& walk :
       {Walk{"HKEY_LOCAL_MACHINE", "Software", {OwnedKeysBelow(RootKey::kLocalMachine)}},
        Walk{"HKEY_CURRENT_USER", "", {OwnedKeysBelow(RootKey::kCurrentUser)}},
        Walk{"HKEY_USERS", "", {}}}) {
    SCOPED_TRACE(walk.rootName);
    std::vector<IssueRow> rows[2];
    for (const WalkThreads threads : {WalkThreads::kOne, WalkThreads::kShared}) {
      ResultsModel found;
      std::atomic<bool> stop{false};
      ScanContext context(env.Get(), found, events, drives, stop);
      WalkValues(context, walk.rootName, walk.start, kFilesProblem, "", walk.skip, threads);
      context.FlushRows();
      rows[threads == WalkThreads::kShared] = found.Rows();
    }
    EXPECT_EQ(rows[1], rows[0]);
    size_t mine = 0;
    for (const IssueRow& row : rows[1])
      mine += row.key.find(token) != std::string::npos ? 1 : 0;
    EXPECT_GE(mine, walk.skip.keys.empty() ? 1u : 105u);
  }
}

// A file question that fails ends a shared walk where it ends the walk on one thread:
// the same error, the rows before it and none after, whichever thread meets it.
TEST_F(WalkTest, AFailureEndsASharedWalkAtItsPlaceInTheOrder) {
  struct FailingFiles : ForwardingFileSystem {
    using ForwardingFileSystem::ForwardingFileSystem;
    static void Fail(const std::string& path) {
      if (path.find("kvfail") != std::string::npos)
        throw std::runtime_error("the disk is gone");
    }
    bool FileExists(const std::string& path) override {
      Fail(path);
      return ForwardingFileSystem::FileExists(path);
    }
    bool FolderExists(const std::string& path) override {
      Fail(path);
      return ForwardingFileSystem::FolderExists(path);
    }
    PathState Probe(const std::string& path) override {
      Fail(path);
      return ForwardingFileSystem::Probe(path);
    }
  } files(env.Files());
  const std::string base = "Software\\" + token;
  OwnKey(RootKey::kCurrentUser, base);
  for (int i = 0; i < 60; ++i) {
    const std::string name = i == 45 ? "\\kvfail\\f.exe" : "\\gone" + std::to_string(i) + ".exe";
    Put(RootKey::kCurrentUser, base + "\\k" + std::to_string(100 + i) + "\\x", "g", Sz(dir + name));
  }
  const Platform plain = env.Get();
  const Platform failing{plain.registry, files,         plain.shell,
                         plain.system,   plain.profile, plain.processes};
  std::vector<IssueRow> rows[2];
  std::string errors[2];
  for (const WalkThreads threads : {WalkThreads::kOne, WalkThreads::kShared}) {
    const bool shared = threads == WalkThreads::kShared;
    ResultsModel found;
    std::atomic<bool> stop{false};
    ScanContext context(failing, found, events, drives, stop);
    try {
      WalkValues(context, "HKEY_CURRENT_USER", "", kFilesProblem, "",
                 {OwnedKeysBelow(RootKey::kCurrentUser)}, threads);
    } catch (const std::exception& e) {
      errors[shared] = e.what();
    }
    context.FlushRows();
    rows[shared] = found.Rows();
  }
  EXPECT_EQ(errors[0], "the disk is gone");
  EXPECT_EQ(errors[1], errors[0]);
  EXPECT_EQ(rows[1], rows[0]);
  size_t mine = 0;
  for (const IssueRow& row : rows[1])
    mine += row.key.find(token) != std::string::npos ? 1 : 0;
  EXPECT_EQ(mine, 45u);
}

#ifndef _WIN32
TEST_F(WalkTest, AChainDeeperThanTheRegistryAllowsEndsTheWalkWithoutHarm) {
  std::string deep = key;
  for (int level = 1; level <= 600; ++level) {
    deep += "\\k";
    if (level == 10 || level == 600)
      Put(RootKey::kCurrentUser, deep, "v", Sz(dir + "\\gone.exe"));
  }
  OwnKey(RootKey::kCurrentUser, key);
  const auto rows = Run([&](ScanContext& c) { WalkValues(c, "HKEY_CURRENT_USER", key, "P", ""); });
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(std::count(rows[0].key.begin(), rows[0].key.end(), '\\'), 4 + 10);
}
#endif

class MruTest : public test::ScannerTest {
 protected:
  void SetUp() override {
    OwnKey(RootKey::kCurrentUser, kMruKey);
    env.WriteFile(dir + "\\" + token + "doc.txt");
    env.WriteFile(dir + "\\" + token + "real.txt");
  }
  std::string Root(const std::string& name) const {
    return std::string("HKEY_CURRENT_USER\\") + kMruKey + "\\" + name;
  }
};

TEST_F(MruTest, ListValuesNeedTheirNameWithAListedExtensionAndSubkeysAreWalked) {
  const RootKey cu = RootKey::kCurrentUser;
  const std::string base = dir + "\\" + token;
  // Subkeys "*" and "txt" (sorted as Wine keeps them).
  Put(cu, std::string(kMruKey) + "\\*", "a", Sz(base + "gone-star.bin"));
  Put(cu, std::string(kMruKey) + "\\txt", "a", Sz(base + "gone.txt"));
  Put(cu, std::string(kMruKey) + "\\txt", "b", Sz(base + "doc.txt"));
  Put(cu, kMruKey, "r1", Sz(base + "doc"));       // doc.txt exists: stands
  Put(cu, kMruKey, "r2", Sz(base + "gone"));      // no gone.txt
  Put(cu, kMruKey, "r3", Sz(base + "real.txt"));  // exists, but real.txt.txt does not
  Put(cu, kMruKey, "r4", Sz("Q:\\" + token + "x"));
  Put(cu, kMruKey, "r5", Sz(token + "relative"));
  Put(cu, kMruKey, "r6", test::Dword(1));
  const auto rows = Scan({20});
  EXPECT_EQ(rows, (std::vector<IssueRow>{
                      Row(kMruProblem, Root("r2"), base + "gone", RowKind::kValueInPath),
                      Row(kMruProblem, Root("r3"), base + "real.txt", RowKind::kValueInPath),
                      Row(kMruProblem, Root("*\\a"), base + "gone-star.bin", RowKind::kValueInPath),
                      Row(kMruProblem, Root("txt\\a"), base + "gone.txt", RowKind::kValueInPath),
                  }));
  EXPECT_EQ(events.statuses, (std::vector<std::string>{"Scanning MRU and History Lists..."}));
}

TEST_F(MruTest, WithoutExtensionSubkeysEveryListValueOnAnAllowedDriveIsReported) {
  const RootKey cu = RootKey::kCurrentUser;
  const std::string base = dir + "\\" + token;
  Put(cu, std::string(kMruKey) + "\\*", "a", Sz(token + "relative"));
  Put(cu, kMruKey, "r1", Sz(base + "doc"));
  Put(cu, kMruKey, "r2", Sz(base + "doc.txt"));
  drives = "dc";
  EXPECT_EQ(Run(&ScanMruLists),
            (std::vector<IssueRow>{
                Row(kMruProblem, Root("r1"), base + "doc", RowKind::kValueInPath),
                Row(kMruProblem, Root("r2"), base + "doc.txt", RowKind::kValueInPath),
            }));
}

TEST_F(MruTest, NoListKeyNoRows) {
  EXPECT_TRUE(Run(&ScanMruLists).empty());
  EXPECT_TRUE(events.keys.empty());
}

class InstallerTest : public test::ScannerTest {
 protected:
  void Seed() {
    const RootKey lm = RootKey::kLocalMachine;
    env.WriteFile(dir + "\\present.exe");
    const std::string entry = std::string(kUninstallKey) + "\\" + token + "App";
    OwnKey(lm, entry);
    Put(lm, entry, "DisplayIcon", Sz(dir + "\\present.exe,0"));
    Put(lm, entry, "HelpLink", Sz("C:\\" + token + "\\readme.txt"));
    Put(lm, entry, "UninstallString", Sz(dir + "\\gone.EXE /x"));
    PutOwnValue(lm, kFoldersKey, dir + "\\", Sz("1"));
    PutOwnValue(lm, kFoldersKey, dir + "\\" + token + "gone\\", Sz(dir));
    OwnKey(lm, std::string(kArpCacheKey) + "\\" + token + "app");
    OwnKey(lm, std::string(kArpCacheKey) + "\\" + token + "Gone");
    MakeKey(lm, std::string(kArpCacheKey) + "\\" + token + "app");
    MakeKey(lm, std::string(kArpCacheKey) + "\\" + token + "Gone");
  }
};

TEST_F(InstallerTest, UninstallEntriesFolderNamesAndCacheKeys) {
  Seed();
  const auto rows = Scan({21});
  EXPECT_EQ(rows, (std::vector<IssueRow>{
                      Row(kInstallerProblem,
                          "HKEY_LOCAL_MACHINE\\" + std::string(kUninstallKey) + "\\" + token +
                              "App\\UninstallString",
                          dir + "\\gone.EXE /x", RowKind::kValueInPath),
                      Row(kInstallerProblem, "HKEY_LOCAL_MACHINE\\" + std::string(kFoldersKey),
                          dir + "\\" + token + "gone\\", RowKind::kValueNamed),
                      Row(kInstallerProblem, "HKEY_LOCAL_MACHINE\\" + std::string(kArpCacheKey),
                          token + "Gone", RowKind::kSubkeyNamed),
                  }));
  EXPECT_EQ(events.statuses, (std::vector<std::string>{"Scanning Installer..."}));
  EXPECT_TRUE(ShownKey(kFoldersKey));
  EXPECT_TRUE(ShownKey(kArpCacheKey));
}

TEST_F(InstallerTest, WhenTheUninstallKeyCannotBeReadEveryCacheKeyIsReported) {
  Seed();
  test::RefusingRegistry refusing(env.Registry());
  refusing.Refuse(kUninstallKey);
  const auto rows = Run(&ScanInstaller, &refusing);
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[1].value, token + "app");
  EXPECT_EQ(rows[2].value, token + "Gone");
}

}  // namespace
}  // namespace kelvane
