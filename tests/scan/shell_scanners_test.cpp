// Start Menu, Shortcuts and Sound and Appevents, on both backends: natively with
// special folders set by the test, under Wine in the prefix's real special folders.
#include "platform/version_code.h"
#include "scan/scan_fixture.h"
#include "scan/scanners.h"
#include "shortcut_files.h"

namespace kelvane {
namespace {

using test::Row;
using test::Sz;

constexpr const char* kMenuOrder =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\MenuOrder\\";

class FixedVersion : public SystemInfo {
 public:
  explicit FixedVersion(std::optional<VersionRecord> version) : version_(version) {}
  std::optional<VersionRecord> Version() override { return version_; }
  LocalTime Now() override { return {}; }

 private:
  std::optional<VersionRecord> version_;
};

TEST(MenuOrderKey, ChosenByTheWindowsVersion) {
  struct Case {
    std::optional<VersionRecord> version;
    const char* key;
  };
  const std::vector<Case> cases = {
      {VersionRecord{1, 4, 0}, "Start Menu\\&Programs"},   // 95
      {VersionRecord{1, 4, 10}, "Start Menu\\&Programs"},  // 98
      {VersionRecord{1, 4, 90}, "Start Menu\\Programs"},   // Me
      {VersionRecord{2, 3, 51}, "Start Menu\\&Programs"},  // NT 3.51
      {VersionRecord{2, 4, 0}, "Start Menu\\&Programs"},   // NT 4
      {VersionRecord{2, 5, 0}, "Start Menu\\Programs"},    // 2000
      {VersionRecord{2, 5, 1}, "Start Menu2\\Programs"},   // XP
      {VersionRecord{2, 5, 2}, "Start Menu2\\Programs"},   // Server 2003
      {VersionRecord{2, 10, 0}, "Start Menu2\\Programs"},  // later versions
      {std::nullopt, "Start Menu2\\Programs"},
  };
  for (const Case& c : cases) {
    FixedVersion system(c.version);
    EXPECT_EQ(MenuOrderKey(GetWindowsVersionCode(system)), std::string(kMenuOrder) + c.key)
        << (c.version ? c.version->major * 100 + c.version->minor : -1);
  }
}

class StartMenuTest : public test::ScannerTest {
 protected:
  void Seed(const std::string& menuKey) {
    OwnKey(RootKey::kCurrentUser, menuKey);
    for (const char* name : {"common", "Deep", "Gone", "MINE"}) {
      MakeKey(RootKey::kCurrentUser, menuKey + "\\" + token + name);
    }
  }
  std::vector<IssueRow> Expected(const std::string& menuKey) const {
    const std::string key = "HKEY_CURRENT_USER\\" + menuKey;
    return {Row("Old Start Menu Key", key, token + "Deep", RowKind::kSubkeyNamed),
            Row("Old Start Menu Key", key, token + "Gone", RowKind::kSubkeyNamed)};
  }
  void MakeFolders(const std::string& programs, const std::string& commonPrograms) {
    env.MakeFolder(programs + "\\" + token + "mine\\" + token + "Deep");
    env.MakeFolder(commonPrograms + "\\" + token + "Common");
    made_ = {programs + "\\" + token + "mine", commonPrograms + "\\" + token + "Common"};
  }
  ~StartMenuTest() override {
    for (const std::string& folder : made_)
      test::RemoveFolderTree(folder);
  }

 private:
  std::vector<std::string> made_;
};

#ifdef _WIN32
TEST_F(StartMenuTest, MenuKeysWithoutAProgramsFolderOfTheUserOrAllUsers) {
  const auto programs = env.Get().shell.SpecialFolder(csidl::kPrograms);
  const auto common = env.Get().shell.SpecialFolder(csidl::kCommonPrograms);
  ASSERT_TRUE(programs && common);
  MakeFolders(*programs, *common);
  const std::string menuKey = MenuOrderKey(10);  // what Wine's version gives
  Seed(menuKey);
  EXPECT_EQ(Scan({16}), Expected(menuKey));
  EXPECT_EQ(events.statuses, (std::vector<std::string>{"Scanning Start Menu..."}));
}
#else
TEST_F(StartMenuTest, MenuKeysWithoutAProgramsFolderOfTheUserOrAllUsersForEveryVersion) {
  env.Native().shell.SetSpecialFolder(csidl::kPrograms, dir + "\\Programs");
  env.Native().shell.SetSpecialFolder(csidl::kCommonPrograms, dir + "\\Common Programs");
  MakeFolders(dir + "\\Programs", dir + "\\Common Programs");
  const std::vector<std::pair<VersionRecord, uint32_t> > versions = {
      {{1, 4, 0}, 1}, {{1, 4, 10}, 3}, {{2, 3, 51}, 5}, {{2, 4, 0}, 6},
      {{2, 5, 0}, 7}, {{1, 4, 90}, 8}, {{2, 5, 1}, 9},  {{2, 5, 2}, 10}};
  for (const auto& [version, code] : versions) {
    env.Native().system.SetVersion(version);
    const std::string menuKey = MenuOrderKey(code);
    Seed(menuKey);
    results.Clear();
    EXPECT_EQ(Run(&ScanStartMenu), Expected(menuKey)) << "version code " << code;
    Registry(env.Registry()).DeleteKey("\\" + menuKey);
  }
}

TEST_F(StartMenuTest, WithoutTheMenuKeyOrTheFoldersNothingBreaks) {
  EXPECT_TRUE(Run(&ScanStartMenu).empty());
  Seed(MenuOrderKey(10));
  EXPECT_EQ(Run(&ScanStartMenu).size(), 4u);  // no Programs folder is known
}
#endif

class ShortcutsTest : public test::ScannerTest {
 protected:
  ~ShortcutsTest() override {
    for (const std::string& folder : made_)
      test::RemoveFolderTree(folder);
  }
  std::string Folder(int csidl, const std::string& name) {
#ifndef _WIN32
    env.Native().shell.SetSpecialFolder(csidl, dir + "\\special" + std::to_string(csidl));
#endif
    const auto special = env.Get().shell.SpecialFolder(csidl);
    EXPECT_TRUE(special) << csidl;
    const std::string folder = special.value_or(dir) + "\\" + token + name;
    env.MakeFolder(folder);
    made_.push_back(folder);
    return folder;
  }
  void Shortcut(const std::string& path, const std::string& target) {
    ASSERT_TRUE(test::CreateShortcutFile(env, path, target)) << path << " -> " << target;
  }
  static std::vector<IssueRow> Sorted(std::vector<IssueRow> rows) {
    std::sort(rows.begin(), rows.end(),
              [](const IssueRow& a, const IssueRow& b) { return a.key < b.key; });
    return rows;
  }

 private:
  std::vector<std::string> made_;
};

TEST_F(ShortcutsTest, ShortcutsWhoseTargetIsGoneInEveryFolderAtAnyDepth) {
  env.WriteFile(dir + "\\present.exe");
  const std::string desktop = Folder(csidl::kDesktopDirectory, "sc");
  Shortcut(desktop + "\\gone.lnk", dir + "\\gone.exe");
  Shortcut(desktop + "\\folder.lnk", dir);
  Shortcut(desktop + "\\file.lnk", dir + "\\present.exe");
  Shortcut(desktop + "\\drive.lnk", "Q:\\" + token + "\\gone.exe");
  env.WriteFile(desktop + "\\broken.lnk", "not a shortcut");
  env.WriteFile(desktop + "\\note.txt", "x");
  const std::string hidden = Folder(csidl::kAppData, "hid");
  env.MakeFolder(hidden + "\\deeper");
  Shortcut(hidden + "\\deeper\\deep.LNK", dir + "\\gone2.exe");
  test::HideFolder(hidden);
  const std::string commonMenu = Folder(csidl::kCommonStartMenu, "cm");
  Shortcut(commonMenu + "\\old.lnk", dir + "\\old\\gone3.exe");
  const auto rows = Scan({17});
  EXPECT_EQ(Sorted(rows), Sorted({
                              Row("Missing ShortCut reference", desktop + "\\gone.lnk",
                                  dir + "\\gone.exe", RowKind::kShortcutFile),
                              Row("Missing ShortCut reference", hidden + "\\deeper\\deep.LNK",
                                  dir + "\\gone2.exe", RowKind::kShortcutFile),
                              Row("Missing ShortCut reference", commonMenu + "\\old.lnk",
                                  dir + "\\old\\gone3.exe", RowKind::kShortcutFile),
                          }));
  EXPECT_EQ(events.statuses, (std::vector<std::string>{"Scanning Shortcuts..."}));
  EXPECT_TRUE(ShownKey(desktop + "\\broken.lnk"));
  EXPECT_FALSE(ShownKey(desktop + "\\note.txt"));
}

TEST_F(ShortcutsTest, TargetsThatCannotBeJudgedAreLeftAlone) {
  const std::string desktop = Folder(csidl::kDesktopDirectory, "sc");
  Shortcut(desktop + "\\net.lnk", "\\\\server\\share\\" + token + ".exe");
  Shortcut(desktop + "\\drive.lnk", dir + "\\gone.exe");
  drives = "d";
  EXPECT_TRUE(Run(&ScanShortcuts).empty());
#ifndef _WIN32
  // Natively a target can be anything; one without ":\" at its second place is passed
  // over and the folder is still examined.
  Shortcut(desktop + "\\relative.lnk", token + "\\gone.exe");
  Shortcut(desktop + "\\colon.lnk", "C:" + token + "\\x:\\gone.exe");
  Shortcut(desktop + "\\zgone.lnk", dir + "\\gone.exe");
  drives = "c";
  EXPECT_EQ(Run(&ScanShortcuts).size(), 2u);
#endif
}

// Its row could name such a shortcut only by a look-alike, which the repair would act on.
TEST_F(ShortcutsTest, AShortcutNamedInAnyScriptIsJudgedByItsExactTarget) {
  const std::string desktop = Folder(csidl::kDesktopDirectory, "sc");
  const std::u16string gone = std::u16string(dir.begin(), dir.end()) + u"\\gone.exe";
  ASSERT_TRUE(test::CreateWideShortcut(env, desktop, u"Ωμέγα.lnk", gone));
  // A live target named outside the code page: probed by its exact name, never by
  // "?" or look-alike letters, so it is live.
  test::WriteWideFile(env, dir, u"Δοκιμή.exe", "x");
  ASSERT_TRUE(test::CreateWideShortcut(env, desktop, u"live.lnk",
                                       std::u16string(dir.begin(), dir.end()) + u"\\Δοκιμή.exe"));
  Shortcut(desktop + "\\plain.lnk", dir + "\\gone.exe");
  std::vector<std::string> keys;
  for (const IssueRow& row : Run(&ScanShortcuts))
    keys.push_back(row.key);
  std::sort(keys.begin(), keys.end());
  EXPECT_EQ(keys, (std::vector<std::string>{desktop + "\\plain.lnk", desktop + "\\Ωμέγα.lnk"}));
}

class SoundTest : public test::ScannerTest {
 protected:
  const std::string app = "AppEvents\\Schemes\\Apps\\" + token + "App";
  std::string Key(const std::string& sub) const { return app + "\\" + sub; }
};

TEST_F(SoundTest, SoundsOfTheThreeSchemesAreJudgedAtAnyDepth) {
  const RootKey cu = RootKey::kCurrentUser;
  OwnKey(cu, app);
  env.WriteFile(dir + "\\present.wav");
  Put(cu, Key("Ev1\\.Current"), "", Sz(dir + "\\gone1.wav"));
  Put(cu, Key("Ev1\\.Default"), "", test::ExpandSz(dir + "\\gone2.wav"));
  Put(cu, Key("Ev1\\.Modified"), "", Sz(dir + "\\gone3.wav"));
  Put(cu, Key("Ev1\\Utopia0"), "", Sz(dir + "\\gone4.wav"));
  Put(cu, Key("Ev2\\.current"), "", test::Dword(1));
  Put(cu, Key("Ev2\\.current\\.Default"), "", Sz(dir + "\\gone5.wav"));
  Put(cu, Key("Ev2\\.DEFAULT"), "", Sz(dir + "\\present.wav"));
  Put(cu, Key("Ev3\\.Current"), "", Sz(""));
  const std::string root = "HKEY_CURRENT_USER\\";
  EXPECT_EQ(Scan({18}), (std::vector<IssueRow>{
                            Row("Missing Sound File", root + Key("Ev1\\.Current"),
                                dir + "\\gone1.wav", RowKind::kDefaultValue),
                            Row("Missing Sound File", root + Key("Ev1\\.Default"),
                                dir + "\\gone2.wav", RowKind::kDefaultValue),
                            Row("Missing Sound File", root + Key("Ev1\\Utopia0"),
                                dir + "\\gone4.wav", RowKind::kDefaultValue),
                            Row("Missing Sound File", root + Key("Ev2\\.current\\.Default"),
                                dir + "\\gone5.wav", RowKind::kDefaultValue),
                        }));
  EXPECT_EQ(events.statuses, (std::vector<std::string>{"Scanning Sound and Appevents..."}));
  EXPECT_TRUE(ShownKey(Key("Ev2\\.DEFAULT")));
  EXPECT_FALSE(ShownKey(Key("Ev1\\.Modified")));
  EXPECT_FALSE(ShownKey(Key("Ev2\\.current")));
}

TEST_F(SoundTest, TheRowNamesTheRootInCapitalsWhateverCaseWasPassed) {
  OwnKey(RootKey::kCurrentUser, app);
  Put(RootKey::kCurrentUser, Key(".current"), "", Sz(dir + "\\gone.wav"));
  const auto rows = Run([&](ScanContext& c) {
    ScanSoundKey(c, "hkey_current_user", "AppEvents\\Schemes\\Apps\\", token + "App");
    ScanSoundKey(c, "HKCU", "AppEvents\\Schemes\\Apps\\", token + "App");
  });
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].key, "HKEY_CURRENT_USER\\" + Key(".current"));
}

}  // namespace
}  // namespace kelvane
