// options.ini load and save on both backends (the portable profile layer natively,
// the system's profile functions under Wine), and the small shared helpers.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "options/settings.h"
#include "platform/unwritable_file.h"
#include "scan/categories.h"
#include "test_env.h"
#include "test_shell.h"

namespace kelvane {
namespace {

// The main window as the settings see it: designed at 684 by 520 on a 1280 by 1024
// screen, with its category tree. `sets` records the bounds a load gave it.
struct FakeWindow {
  WindowBounds bounds{0, 0, 684, 520};
  std::optional<int> show = 1;
  std::vector<std::string> sets;
  CategorySelection tree = CategorySelection::All();
};

void LoadInto(Platform& platform, FakeWindow& window) {
  const LoadedPlacement placement = LoadOptions(platform, window.bounds, 1280, 1024);
  if (placement.maximised)
    return;
  const WindowBounds& b = placement.bounds;
  window.sets = {"Left=" + std::to_string(b.left), "Top=" + std::to_string(b.top),
                 "Width=" + std::to_string(b.width), "Height=" + std::to_string(b.height)};
  window.bounds = b;
}

void SaveFrom(Platform& platform, const FakeWindow& window) {
  OptionsSetting.TreeViewNodeCheck = window.tree;
  SaveOptions(platform, SavedPlacement{window.show, window.bounds});
}

// Fails every write of one key, otherwise the platform's own profile functions.
class FailingProfile : public ProfileStore {
 public:
  FailingProfile(ProfileStore& inner, std::string failKey)
      : inner_(inner), failKey_(std::move(failKey)) {}
  std::string GetString(const std::string& section, const std::string& key,
                        const std::string& fallback, const std::string& file) override {
    return inner_.GetString(section, key, fallback, file);
  }
  bool WriteString(const std::string& section, const std::string& key, const std::string& value,
                   const std::string& file) override {
    return key != failKey_ && inner_.WriteString(section, key, value, file);
  }

 private:
  ProfileStore& inner_;
  std::string failKey_;
};

class SettingsTest : public ::testing::Test {
 protected:
  void SetUp() override { OptionsSetting = TOptionsSetting{}; }
  void TearDown() override { OptionsSetting = TOptionsSetting{}; }

  std::string IniPath() { return OptionsFilePath(app.shell); }
  std::string Content() { return test::ReadWholeFile(env.Files(), IniPath()); }
  void Load(FakeWindow& window) {
    Platform platform = app.Get();
    LoadInto(platform, window);
  }
  void Save(FakeWindow& window) {
    Platform platform = app.Get();
    SaveFrom(platform, window);
  }

  test::TestEnv env;
  test::AppPlatform app{env};
};

TEST_F(SettingsTest, FirstStartLoadsDefaultsAndFirstSaveWritesThemInOrder) {
  FakeWindow window;
  Load(window);
  const TOptionsSetting& s = OptionsSetting;
  EXPECT_EQ(s.OutputDirectory, env.TempDir() + "\\Backup");
  EXPECT_TRUE(s.DeleteBackupFile);
  EXPECT_FALSE(s.IncludeRemoveMedia);
  EXPECT_FALSE(s.IncludeCDdrive);
  for (const Category& category : Categories())
    EXPECT_TRUE(s.TreeViewNodeCheck.Has(category.id)) << category.id;
  EXPECT_TRUE(s.IgnoreValues.empty());
  EXPECT_TRUE(s.IgnoreKeys.empty());
  EXPECT_EQ(s.WindowState, 0);
  EXPECT_TRUE(s.ShowHint);
  EXPECT_FALSE(s.RestorePoint);
  // Centred at the designed size.
  EXPECT_EQ(window.sets,
            (std::vector<std::string>{"Left=298", "Top=252", "Width=684", "Height=520"}));

  Save(window);
  std::string expected = "[Options]\r\nOutputDirectory=" + env.TempDir() +
                         "\\Backup\r\nDeleteBackupFile=1\r\nIncludeRemoveMedia=0\r\n"
                         "IncludeCDdrive=0\r\nShowHint=1\r\nRestorePoint=0\r\n"
                         "[TreeViewNodeCheck]\r\n";
  for (const Category& category : Categories())
    expected += std::to_string(category.id) + "=1\r\n";
  expected +=
      "[IgnoreValue]\r\nCount=0\r\n[IgnoreKey]\r\nCount=0\r\n"
      "[Window]\r\nState=1\r\nLeft=298\r\nTop=252\r\nWidth=684\r\nHeight=520\r\n";
  EXPECT_EQ(Content(), expected);
}

TEST_F(SettingsTest, LoadReadsEachEntryWithItsEncodingAndDefault) {
  struct Case {
    int line;
    std::string file;
    std::function<void(const TOptionsSetting&, const FakeWindow&)> check;
  };
  using Sets = std::vector<std::string>;
  const Case cases[] = {
      {__LINE__, "[Window]\r\nState=3\r\nLeft=5\r\nTop=6\r\nWidth=700\r\nHeight=600\r\n",
       [](const TOptionsSetting& s, const FakeWindow& w) {
         EXPECT_EQ(s.WindowState, 2);
         EXPECT_TRUE(w.sets.empty());  // maximised: the saved bounds are not read
       }},
      {__LINE__, "[Window]\r\nState=2\r\nLeft=5\r\nTop=6\r\nWidth=700\r\nHeight=600\r\n",
       [](const TOptionsSetting& s, const FakeWindow& w) {
         EXPECT_EQ(s.WindowState, 0);  // saved minimised: opens normally
         EXPECT_EQ(w.sets, (Sets{"Left=5", "Top=6", "Width=700", "Height=600"}));
       }},
      {__LINE__, "[Window]\r\nLeft=-3000\r\nHeight=0x100\r\n",
       [](const TOptionsSetting&, const FakeWindow& w) {
         EXPECT_EQ(w.sets, (Sets{"Left=-3000", "Top=252", "Width=684", "Height=256"}));
       }},
      {__LINE__, "[IgnoreValue]\r\nCount=3\r\nValue1=HKEY_CURRENT_USER\\A\\v\r\n",
       [](const TOptionsSetting& s, const FakeWindow&) {
         // Absent entries cover nothing: the list holds what is there.
         EXPECT_EQ(s.IgnoreValues, (Sets{"HKEY_CURRENT_USER\\A\\v"}));
       }},
      {__LINE__,
       "[IgnoreKey]\r\nCount=4\r\nKey1=\r\nKey2=HKEY_USERS\\B\r\nKey4=HKEY_USERS\\D\r\n"
       "Key5=HKEY_USERS\\E\r\n",
       [](const TOptionsSetting& s, const FakeWindow&) {
         // Empty and absent entries are left out, in order; Key5 lies past the count.
         EXPECT_EQ(s.IgnoreKeys, (Sets{"HKEY_USERS\\B", "HKEY_USERS\\D"}));
       }},
      {__LINE__, "[IgnoreKey]\r\nCount=-1\r\nKey1=HKEY_USERS\\X\r\n",
       [](const TOptionsSetting& s, const FakeWindow&) { EXPECT_TRUE(s.IgnoreKeys.empty()); }},
      {__LINE__, "[IgnoreKey]\r\nCount=0x10\r\nKey16= HKEY_USERS\\X \r\n",
       [](const TOptionsSetting& s, const FakeWindow&) {
         EXPECT_EQ(s.IgnoreKeys, (Sets{"HKEY_USERS\\X"}));
       }},
      {__LINE__, "[IgnoreValue]\r\nCount=2147483647\r\nValue1=a\r\nValue9999=b\r\nValue10001=c\r\n",
       [](const TOptionsSetting& s, const FakeWindow&) {
         // A damaged count reads a bounded number of entries and keeps those there.
         EXPECT_EQ(s.IgnoreValues, (Sets{"a", "b"}));
       }},
      {__LINE__, "[TreeViewNodeCheck]\r\n5=0\r\n1=2\r\n2=0x0\r\n3=yes\r\n",
       [](const TOptionsSetting& s, const FakeWindow&) {
         EXPECT_FALSE(s.TreeViewNodeCheck.Has(5));
         EXPECT_TRUE(s.TreeViewNodeCheck.Has(1));   // any number but 0 is true
         EXPECT_FALSE(s.TreeViewNodeCheck.Has(2));  // hexadecimal 0
         EXPECT_TRUE(s.TreeViewNodeCheck.Has(3));   // not a number: the default
         EXPECT_TRUE(s.TreeViewNodeCheck.Has(Categories().back().id));
       }},
      {__LINE__,
       "[Options]\r\nOutputDirectory=D:\\Saved\r\nDeleteBackupFile=0\r\nIncludeRemoveMedia=1\r\n"
       "IncludeCDdrive=-1\r\nShowHint=0\r\nRestorePoint=1\r\n",
       [](const TOptionsSetting& s, const FakeWindow&) {
         EXPECT_EQ(s.OutputDirectory, "D:\\Saved");
         EXPECT_FALSE(s.DeleteBackupFile);
         EXPECT_TRUE(s.IncludeRemoveMedia);
         EXPECT_TRUE(s.IncludeCDdrive);
         EXPECT_FALSE(s.ShowHint);
         EXPECT_TRUE(s.RestorePoint);
       }},
      {__LINE__, "[Options]\r\nOutputDirectory=\r\nShowHint=\r\n",
       [](const TOptionsSetting& s, const FakeWindow&) {
         EXPECT_EQ(s.OutputDirectory, "");  // present and empty is kept
         EXPECT_TRUE(s.ShowHint);           // an empty number is the default
       }},
      {__LINE__, "[Window]\r\nLeft=0x\r\nTop=12abc\r\nWidth=99999999999\r\nHeight=0x1FFFFFFFF\r\n",
       [](const TOptionsSetting&, const FakeWindow& w) {
         EXPECT_EQ(w.sets, (Sets{"Left=298", "Top=252", "Width=684", "Height=520"}));
       }},
      {__LINE__, "[window]\r\nSTATE=1\r\nleft=0xFFFFFFFF\r\n",
       [](const TOptionsSetting&, const FakeWindow& w) { EXPECT_EQ(w.sets[0], "Left=-1"); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("case at line " + std::to_string(c.line));
    test::TestEnv caseEnv;  // a file path of its own for every case
    test::AppPlatform caseApp(caseEnv);
    caseEnv.WriteFile(OptionsFilePath(caseApp.shell), c.file);
    OptionsSetting = TOptionsSetting{};
    FakeWindow window;
    Platform platform = caseApp.Get();
    LoadInto(platform, window);
    c.check(OptionsSetting, window);
  }
}

TEST_F(SettingsTest, ListsSaveByTheirLengthsAndHigherNumbersStay) {
  env.WriteFile(IniPath(),
                "[IgnoreValue]\r\nCount=5\r\nValue1=a\r\nValue2=b\r\nValue3=c\r\nValue4=d\r\n"
                "Value5=e\r\n[IgnoreKey]\r\nCount=-1\r\nKey1=HKEY_USERS\\X\r\n");
  FakeWindow window;
  Load(window);
  ASSERT_EQ(OptionsSetting.IgnoreValues.size(), 5u);
  EXPECT_TRUE(OptionsSetting.IgnoreKeys.empty());
  OptionsSetting.IgnoreValues = {"x", "y"};
  Save(window);  // a count of -1 reads nothing and is written back as it is
  const std::string content = Content();
  EXPECT_NE(content.find("[IgnoreValue]\r\nCount=2\r\nValue1=x\r\nValue2=y\r\nValue3=c\r\n"
                         "Value4=d\r\nValue5=e\r\n"),
            std::string::npos)
      << content;
  EXPECT_NE(content.find("[IgnoreKey]\r\nCount=-1\r\nKey1=HKEY_USERS\\X\r\n[Options]"),
            std::string::npos)
      << content;

  OptionsSetting = TOptionsSetting{};
  Load(window);
  EXPECT_EQ(OptionsSetting.IgnoreValues, (std::vector<std::string>{"x", "y"}));

  // Texts without an ANSI form make the file Unicode (UTF-16LE after its byte order
  // mark); everything in it survives and reads back as written.
  const std::string greek = "HKEY_CURRENT_USER\\Software\\\xCE\xA9\xCE\xBC\xCE\xAD\xCE\xB3\xCE\xB1";
  const std::string folder = "C:\\\xCE\xA9-\xD0\x96 \xF0\x9F\x9A\x80";  // with an emoji
  OptionsSetting.IgnoreValues = {"x", greek};
  OptionsSetting.IgnoreKeys = {greek + "\\Key"};
  OptionsSetting.OutputDirectory = folder;
  Save(window);
  EXPECT_EQ(Content().substr(0, 4), std::string("\xFF\xFE[\0", 4));
  OptionsSetting = TOptionsSetting{};
  Load(window);
  EXPECT_EQ(OptionsSetting.IgnoreValues, (std::vector<std::string>{"x", greek}));
  EXPECT_EQ(OptionsSetting.IgnoreKeys, (std::vector<std::string>{greek + "\\Key"}));
  EXPECT_EQ(OptionsSetting.OutputDirectory, folder);
  Platform platform = app.Get();
  EXPECT_EQ(platform.profile.GetString("IgnoreValue", "Value5", "", IniPath()), "e");
}

TEST_F(SettingsTest, TicksAndWindowPlacementSurviveARestart) {
  FakeWindow first;
  ClickCategory(first.tree, 5);   // HKEY_USERS off
  ClickCategory(first.tree, 20);  // MRU and History Lists off
  first.bounds = WindowBounds{10, 20, 800, 600};
  Load(first);
  first.bounds = WindowBounds{10, 20, 800, 600};
  Save(first);

  OptionsSetting = TOptionsSetting{};
  FakeWindow second;
  Load(second);
  second.tree = OptionsSetting.TreeViewNodeCheck;
  for (const Category& node : Categories()) {
    EXPECT_EQ(second.tree.Has(node.id), first.tree.Has(node.id)) << node.id;
  }
  EXPECT_FALSE(second.tree.Has(5));
  EXPECT_EQ(second.sets,
            (std::vector<std::string>{"Left=10", "Top=20", "Width=800", "Height=600"}));
}

TEST_F(SettingsTest, MaximisedSaveKeepsBoundsAndUnreadablePlacementKeepsState) {
  FakeWindow window;
  Load(window);
  window.show = 3;
  Save(window);
  window.show.reset();  // the placement cannot be read: "State" keeps its value
  window.bounds = WindowBounds{1, 2, 3, 4};
  Save(window);
  EXPECT_NE(Content().find("[Window]\r\nState=3\r\nLeft=1\r\nTop=2\r\nWidth=3\r\nHeight=4\r\n"),
            std::string::npos)
      << Content();
  OptionsSetting = TOptionsSetting{};
  FakeWindow next;
  Load(next);
  EXPECT_EQ(OptionsSetting.WindowState, 2);
  EXPECT_TRUE(next.sets.empty());
}

TEST_F(SettingsTest, ALineBreakInAnEntryCannotAddEntriesToTheFile) {
  FakeWindow window;
  Load(window);
  OptionsSetting.IgnoreKeys = {"HKEY_CURRENT_USER\\Bad\r\n[Window]\r\nState=3", "HKEY_USERS\\Ok"};
  Save(window);
  OptionsSetting = TOptionsSetting{};
  Load(window);
  EXPECT_EQ(OptionsSetting.IgnoreKeys,
            (std::vector<std::string>{"HKEY_CURRENT_USER\\Bad", "HKEY_USERS\\Ok"}));
  EXPECT_EQ(OptionsSetting.WindowState, 0);
  EXPECT_EQ(Content().find("[Window]"), Content().rfind("[Window]"));
}

TEST_F(SettingsTest, AFailedWriteStopsTheSaveThereAndNamesTheFile) {
  FakeWindow window;
  Load(window);
  FailingProfile failing(env.Native().profile, "IncludeCDdrive");
  Platform platform = app.GetWithProfile(failing);
  try {
    SaveFrom(platform, window);
    FAIL() << "the save did not fail";
  } catch (const SettingsWriteError& error) {
    EXPECT_EQ(std::string(error.what()), "Unable to write to " + env.TempDir() + "\\options.ini");
  }
  EXPECT_EQ(Content(), "[Options]\r\nOutputDirectory=" + env.TempDir() +
                           "\\Backup\r\nDeleteBackupFile=1\r\nIncludeRemoveMedia=0\r\n");
}

void ExpectUnableToWrite(const std::string& path, const std::function<void()>& save) {
  try {
    save();
    ADD_FAILURE() << "the save did not fail";
  } catch (const SettingsWriteError& error) {
    EXPECT_EQ(std::string(error.what()), "Unable to write to " + path);
  }
}

TEST_F(SettingsTest, SavingIntoAReadOnlyFileFailsWithItsPath) {
  env.WriteFile(IniPath(), "[Options]\r\nShowHint=0\r\n");
  if (!test::MakeReadOnly(env, IniPath()))
    GTEST_SKIP() << "the read-only attribute binds nobody here";
  FakeWindow window;
  Load(window);
  ExpectUnableToWrite(IniPath(), [&] { Save(window); });
  EXPECT_EQ(Content(), "[Options]\r\nShowHint=0\r\n");
}

TEST_F(SettingsTest, SavingWhereOnlyAFolderStandsFailsWithItsPath) {
  env.MakeFolder(IniPath());
  FakeWindow window;
  Load(window);
  ExpectUnableToWrite(IniPath(), [&] { Save(window); });
}

#ifdef _WIN32
TEST_F(SettingsTest, SavingWhileAnotherProgramHoldsTheFileFailsWithItsPath) {
  env.WriteFile(IniPath(), "[Options]\r\nShowHint=0\r\n");
  FakeWindow window;
  Load(window);
  test::ExclusiveOpen held(IniPath());
  ASSERT_TRUE(held.Held());
  ExpectUnableToWrite(IniPath(), [&] { Save(window); });
}
#endif

// A relative backup folder is below the program's folder, as the default is, not in
// whatever folder the process was started from.
TEST(ResolveFolder, ARelativeFolderIsBelowTheProgramsFolder) {
  const std::string exe = "D:\\Tools\\Kelvane\\";
  const std::pair<std::string, std::string> cases[] = {
      {"RelBackup", exe + "RelBackup"},
      {"Backup\\Old", exe + "Backup\\Old"},
      {"\\Backup", "D:\\Backup"},
      {"C:\\Kelvane\\Backup", "C:\\Kelvane\\Backup"},
      {"\\\\server\\share\\Backup", "\\\\server\\share\\Backup"},
      {"", ""},
  };
  for (const auto& [folder, resolved] : cases)
    EXPECT_EQ(ResolveFolder(folder, exe), resolved) << folder;
}

}  // namespace
}  // namespace kelvane
