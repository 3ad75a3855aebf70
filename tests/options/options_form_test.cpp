// What the options dialog decides, natively and under Wine: the starting values, the
// backup-folder check against real folders, the entry check, the active list, removal
// of ticked rows, and that only a stored form reaches the settings.
#include <gtest/gtest.h>

#include "options/options_form.h"
#include "test_env.h"

namespace kelvane {
namespace {

TEST(OptionsForm, StartsFromTheSettingsWithTheCountedEntriesOnly) {
  struct Case {
    int line;
    int32_t count;
    std::vector<std::string> list;
    std::vector<std::string> shown;
  };
  const Case cases[] = {
      {__LINE__, 2, {"HKEY_A", "HKEY_B", "HKEY_C"}, {"HKEY_A", "HKEY_B"}},
      {__LINE__, 3, {"HKEY_A", "", "HKEY_A"}, {"HKEY_A", "", "HKEY_A"}},
      {__LINE__, 0, {"HKEY_A"}, {}},
      {__LINE__, -1, {"HKEY_A"}, {}},
      {__LINE__, 5, {"HKEY_A"}, {"HKEY_A"}},  // never past the list's end
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    TOptionsSetting settings;
    settings.IgnoreValueCount = c.count;
    settings.IgnoreValues = c.list;
    settings.IgnoreKeyCount = c.count;
    settings.IgnoreKeys = c.list;
    const OptionsForm form = OptionsFormFromSettings(settings);
    EXPECT_EQ(form.ignoreValues, c.shown);
    EXPECT_EQ(form.ignoreKeys, c.shown);
  }
  TOptionsSetting settings;
  settings.OutputDirectory = "D:\\Bak\\";
  settings.RestorePoint = true;
  settings.IncludeCDdrive = true;
  const OptionsForm form = OptionsFormFromSettings(settings);
  EXPECT_EQ(form.outputFolder, "D:\\Bak\\");
  EXPECT_TRUE(form.restorePoint);
  EXPECT_TRUE(form.includeCDdrive);
  EXPECT_FALSE(form.deleteBackupFile);
  EXPECT_FALSE(form.includeRemoveMedia);
  EXPECT_FALSE(form.showHint);
}

TEST(OptionsForm, TheBackupFolderMustExistAsTyped) {
  test::TestEnv env;
  const std::string dir = env.TempDir();
  env.MakeFolder(dir + "\\Bak");
  env.WriteFile(dir + "\\file.txt");
  struct Case {
    int line;
    std::string folder;
    bool accepted;
  };
  const Case cases[] = {
      {__LINE__, dir + "\\Bak", true},
      {__LINE__, dir + "\\Bak\\", true},  // stored with its separator, as typed
      {__LINE__, dir + "\\bak", true},    // letter case does not matter
      {__LINE__, dir + "\\Missing", false},
      {__LINE__, dir + "\\file.txt", false},  // a file is no folder
      {__LINE__, "", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    EXPECT_EQ(BackupFolderExists(env.Files(), c.folder), c.accepted);
  }
  EXPECT_EQ(MissingBackupFolderText("D:\\Bak", "The backup directory does not exist."),
            "D:\\Bak,The backup directory does not exist.");
  EXPECT_EQ(MissingBackupFolderText("", "The backup directory does not exist."),
            ",The backup directory does not exist.");
}

// A folder or entry the ANSI code page cannot carry comes from the window marked; its
// refusal shows it as typed (closed for the window, ShownText), not as a look-alike.
TEST(OptionsForm, TextOutsideTheCodePageIsRefusedAsTyped) {
  const std::string folder = test::Listed(u"C:\\Ω-Ж");
  EXPECT_EQ(InexactBackupFolderText(folder),
            ShownText(folder) +
                ",The backup directory cannot be used: its name has characters outside the "
                "system's ANSI code page.");
  const std::string entry = test::Listed(u"HKEY_CURRENT_USER\\Software\\Ωμέγα");
  EXPECT_TRUE(IsIgnoreEntryAcceptable(entry));  // so OK is offered, and refuses it
  EXPECT_EQ(InexactIgnoreEntryText(entry),
            "This entry cannot be used: it has characters outside the system's ANSI code "
            "page.\r\n" +
                ShownText(entry));
}

TEST(OptionsForm, AnEntryNeedsHkeyAnywhereInAnyCase) {
  struct Case {
    int line;
    const char* text;
    bool accepted;
  };
  const Case cases[] = {
      {__LINE__, "HKEY_CURRENT_USER\\Software\\Microsoft", true},
      {__LINE__, "hkey_current_user\\software\\x", true},
      {__LINE__, "Software\\X HKEY_ in the middle", true},
      {__LINE__, "Software\\X", false},
      {__LINE__, "HKEY", false},
      {__LINE__, "HKCU\\Software", false},
      {__LINE__, "", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    EXPECT_EQ(IsIgnoreEntryAcceptable(c.text), c.accepted);
  }
}

TEST(OptionsForm, ButtonsActOnTheActivePageAndRemoveOnlyTickedRows) {
  OptionsForm form;
  ActiveIgnoreList(form, 1).push_back("HKEY_KEY");
  ActiveIgnoreList(form, 0).push_back("HKEY_VALUE");
  ActiveIgnoreList(form, 0).push_back("HKEY_VALUE");  // twice: two rows
  EXPECT_EQ(form.ignoreKeys, (std::vector<std::string>{"HKEY_KEY"}));
  EXPECT_EQ(form.ignoreValues, (std::vector<std::string>{"HKEY_VALUE", "HKEY_VALUE"}));

  std::vector<std::string> rows = {"a", "b", "c", "d", "e"};
  // Three ticked; the selection of "b" plays no part.
  RemoveTickedRows(rows, {true, false, true, false, true});
  EXPECT_EQ(rows, (std::vector<std::string>{"b", "d"}));
  RemoveTickedRows(rows, {false, false});
  EXPECT_EQ(rows, (std::vector<std::string>{"b", "d"}));
  RemoveTickedRows(rows, {true});  // ticks for fewer rows than the list holds
  EXPECT_EQ(rows, (std::vector<std::string>{"d"}));
}

TEST(OptionsForm, StoringSetsEveryFieldAndTheCountsToTheListLengths) {
  TOptionsSetting settings;
  settings.IgnoreValueCount = -1;
  settings.IgnoreValues = {"HKEY_OLD"};
  settings.IgnoreKeyCount = 7;
  settings.IgnoreKeys = {"HKEY_1", "HKEY_2"};
  settings.TreeViewNodeCheck.Set(5, true);
  settings.WindowState = 2;
  OptionsForm form = OptionsFormFromSettings(settings);
  form.outputFolder = "C:\\New\\";
  form.deleteBackupFile = true;
  form.includeRemoveMedia = true;
  form.showHint = true;
  form.ignoreValues = {"HKEY_V", "HKEY_V"};
  form.ignoreKeys.clear();
  StoreOptionsForm(form, settings);
  EXPECT_EQ(settings.OutputDirectory, "C:\\New\\");
  EXPECT_TRUE(settings.DeleteBackupFile);
  EXPECT_TRUE(settings.IncludeRemoveMedia);
  EXPECT_FALSE(settings.IncludeCDdrive);
  EXPECT_TRUE(settings.ShowHint);
  EXPECT_FALSE(settings.RestorePoint);
  EXPECT_EQ(settings.IgnoreValueCount, 2);
  EXPECT_EQ(settings.IgnoreValues, (std::vector<std::string>{"HKEY_V", "HKEY_V"}));
  EXPECT_EQ(settings.IgnoreKeyCount, 0);
  EXPECT_TRUE(settings.IgnoreKeys.empty());
  // What the dialog does not show stays.
  EXPECT_TRUE(settings.TreeViewNodeCheck.Has(5));
  EXPECT_EQ(settings.WindowState, 2);
}

}  // namespace
}  // namespace kelvane
