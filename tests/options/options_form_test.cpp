// What the options dialog decides, natively and under Wine: the backup-folder check
// against real folders, the entry check, the active list and removal of ticked rows.
#include <gtest/gtest.h>

#include "options/options_form.h"
#include "test_env.h"

namespace kelvane {
namespace {

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
  // OK offers to create a missing folder (a fresh unpack's "Backup"); a file is refused
  // without the offer.
  for (const bool answer : {false, true}) {
    const BackupFolderCheck check = CheckBackupFolder(env.Files(), "Backup", dir + "\\Backup",
                                                      "missing", [&] { return answer; });
    EXPECT_EQ(check.accepted, answer);
    EXPECT_EQ(check.message, "");
  }
  EXPECT_EQ(CheckBackupFolder(env.Files(), "f", dir + "\\file.txt", "missing", [] { return true; })
                .message,
            "f,missing");
  EXPECT_TRUE(env.Files().FolderExists(dir + "\\Backup"));
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
      {__LINE__, "HKEY_CURRENT_USER\\Software\\\xCE\xA9\xCE\xBC\xCE\xAD\xCE\xB3\xCE\xB1",
       true},  // as typed
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
  TOptionsSetting form;
  ActiveIgnoreList(form, 1).push_back("HKEY_KEY");
  ActiveIgnoreList(form, 0).push_back("HKEY_VALUE");
  ActiveIgnoreList(form, 0).push_back("HKEY_VALUE");  // twice: two rows
  EXPECT_EQ(form.IgnoreKeys, (std::vector<std::string>{"HKEY_KEY"}));
  EXPECT_EQ(form.IgnoreValues, (std::vector<std::string>{"HKEY_VALUE", "HKEY_VALUE"}));

  std::vector<std::string> rows = {"a", "b", "c", "d", "e"};
  // Three ticked; the selection of "b" plays no part.
  RemoveTickedRows(rows, {true, false, true, false, true});
  EXPECT_EQ(rows, (std::vector<std::string>{"b", "d"}));
  RemoveTickedRows(rows, {false, false});
  EXPECT_EQ(rows, (std::vector<std::string>{"b", "d"}));
  RemoveTickedRows(rows, {true});  // ticks for fewer rows than the list holds
  EXPECT_EQ(rows, (std::vector<std::string>{"d"}));
}

}  // namespace
}  // namespace kelvane
