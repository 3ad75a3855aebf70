// The restore window's rules: the list of backup files and its texts, the delete that
// keeps a row whose file stays, and the restore that gives up a backup only when the
// registry is proven to hold all of it (under Wine after a real "regedit /s").
#include <gtest/gtest.h>

#include "backup/reg_reader.h"
#include "backup/backup_fixture.h"
#include "backup/repair.h"
#include "platform/text_codec.h"
#include "restore/restore_list.h"
#include "test_env.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace kelvane {
namespace {

using test::Dword;
using test::Sz;

std::string Two(int n) {
  return (n < 10 ? "0" : "") + std::to_string(n);
}

// Day.month.year and hours:minutes:seconds, as a locale might write them.
const DateTimeTexts kTexts{
    [](const LocalTime& t) {
      return Two(t.day) + "." + Two(t.month) + "." + std::to_string(t.year);
    },
    [](const LocalTime& t) { return Two(t.hour) + ":" + Two(t.minute) + ":" + Two(t.second); }};

TEST(RestoreList, SizesInKilobytesRoundedUpAndGrouped) {
  const std::pair<uint64_t, std::string> cases[] = {
      {0, "0 KB"},
      {1, "1 KB"},
      {1024, "1 KB"},
      {1025, "2 KB"},
      {1048577, "1,025 KB"},
      {2000000, "1,954 KB"},
      {1024000000, "1,000,000 KB"},
      {999 * 1024, "999 KB"},
  };
  for (const auto& [bytes, text] : cases)
    EXPECT_EQ(FormatSizeKB(bytes), text) << bytes;
}

TEST(RestoreList, DatesAtTwoSecondsWithoutTheTimeAtMidnight) {
  const std::pair<LocalTime, std::string> cases[] = {
      {{2007, 3, 15, 9, 30, 5}, "15.03.2007 09:30:04"},
      {{2007, 3, 15, 9, 30, 4}, "15.03.2007 09:30:04"},
      {{2006, 12, 24, 0, 0, 0}, "24.12.2006"},
      {{2006, 12, 24, 0, 0, 1}, "24.12.2006"},
      {{2006, 12, 24, 0, 0, 2}, "24.12.2006 00:00:02"},
  };
  for (const auto& [time, text] : cases)
    EXPECT_EQ(BackupDateText(time, kTexts), text);
}

TEST(RestoreList, SelectionAfterARowLeaves) {
  struct Case {
    int removed, count, selected;
  };
  const Case cases[] = {{0, 2, 0}, {1, 2, 1}, {2, 2, 1}, {0, 0, -1}, {5, 3, 2}};
  for (const Case& c : cases)
    EXPECT_EQ(SelectionAfterRemoval(c.removed, c.count), c.selected);
}

class RestoreTest : public ::testing::Test {
 protected:
  test::TestEnv env;
  std::string folder = env.TempDir() + "\\Backup";
};

TEST_F(RestoreTest, OnlyRegFilesAreListedNewestNameFirst) {
  EXPECT_FALSE(ListBackupFiles(env.Files(), folder, kTexts));
  env.WriteFile(folder + "\\Backup20061224101500.reg", std::string(1024, 'x'));
  env.WriteFile(folder + "\\Backup20070101090000.REG", std::string(2000000, 'x'));
  env.WriteFile(folder + "\\backup20080101090000.Reg", "");
  env.WriteFile(folder + "\\notes.txt");
  env.WriteFile(folder + "\\noext");
  env.MakeFolder(folder + "\\old.reg");
  const auto rows = ListBackupFiles(env.Files(), folder, kTexts);
  ASSERT_TRUE(rows);
  std::vector<std::string> shown;
  for (const BackupFileRow& row : *rows)
    shown.push_back(row.name + " " + row.size);
  EXPECT_EQ(shown, (std::vector<std::string>{"backup20080101090000.Reg 0 KB",
                                             "Backup20070101090000.REG 1,954 KB",
                                             "Backup20061224101500.reg 1 KB"}));
  EXPECT_EQ(BackupFilePath(folder, "a.reg"), folder + "\\a.reg");
  EXPECT_EQ(BackupFilePath(folder + "\\", "a.reg"), folder + "\\a.reg");
}

TEST_F(RestoreTest, ADeletedBackupIsGoneAndAKeptOneIsSaidToStay) {
  const std::string file = folder + "\\Backup1.reg";
  env.WriteFile(file);
  EXPECT_TRUE(DeleteBackupFile(env.Files(), file));
  EXPECT_FALSE(env.Files().FileExists(file));
  EXPECT_TRUE(DeleteBackupFile(env.Files(), file));  // already gone: nothing stays
#ifdef _WIN32
  env.WriteFile(file);
  HANDLE open = CreateFileA(file.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(open, INVALID_HANDLE_VALUE);
  EXPECT_FALSE(DeleteBackupFile(env.Files(), file));
  CloseHandle(open);
  EXPECT_TRUE(env.Files().FileExists(file));
#endif
  EXPECT_EQ(DeleteFailedText(file, "Access is denied."),
            "The backup file could not be deleted: " + file +
                "\r\nAccess is denied.\r\nThe file is kept.");
}

// The delete takes the one file named and nothing else: not the file beside it, nor a
// folder, nor the files a pattern would match.
TEST_F(RestoreTest, ADeleteTakesOneFileAndLeavesFoldersAndPatternsAlone) {
  const std::string file = folder + "\\Backup20060102030405.reg";
  const std::string other = folder + "\\Backup20060102030406.reg";
  const std::string inner = folder + "\\Backup20060102030407.reg";  // a folder
  env.WriteFile(file, "REGEDIT4\r\n");
  env.WriteFile(other, "REGEDIT4\r\n");
  env.WriteFile(inner + "\\inside.txt", "keep");
  EXPECT_TRUE(DeleteBackupFile(env.Files(), file));
  EXPECT_FALSE(env.Files().FileExists(file));
  EXPECT_TRUE(env.Files().FileExists(other));
  DeleteBackupFile(env.Files(), inner);
  DeleteBackupFile(env.Files(), folder + "\\*.reg");
  EXPECT_TRUE(env.Files().FileExists(inner + "\\inside.txt"));
  EXPECT_TRUE(env.Files().FileExists(other));
}

// A backup named "Backup_Ω.reg" in a code page without "Ω" is listed by its own name;
// restoring or deleting it is refused with its name, and neither it nor "Backup_O.reg",
// the look-alike its ANSI form would give, is touched.
TEST_F(RestoreTest, ABackupNamedInAnyScriptIsListedReadAndDeletedByItsExactName) {
  const std::string text = "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\KvOmega]\r\n";
  env.WriteFile(folder + "\\Backup_O.reg", text);  // the look-alike of the name
  test::WriteWideFile(env, folder, u"Backup_Ω.reg", text);
  const auto rows = ListBackupFiles(env.Files(), folder, kTexts);
  ASSERT_TRUE(rows);
  ASSERT_EQ(rows->size(), 2u);
  const bool omegaFirst = (*rows)[0].name == "Backup_Ω.reg";
  EXPECT_EQ((*rows)[omegaFirst ? 1 : 0].name, "Backup_O.reg");
  EXPECT_EQ((*rows)[omegaFirst ? 0 : 1].name, "Backup_Ω.reg");

  const std::string path = BackupFilePath(folder, "Backup_Ω.reg");
  RegFile parsed;
  EXPECT_EQ(RefuseDamagedBackup(env.Files(), path, &parsed), std::nullopt);
  ASSERT_EQ(parsed.keys.size(), 1u);
  EXPECT_TRUE(DeleteBackupFile(env.Files(), path));
  EXPECT_FALSE(test::WideFileExists(env, folder, u"Backup_Ω.reg"));
  EXPECT_EQ(test::ReadWholeFile(env.Files(), folder + "\\Backup_O.reg"), text);
}

TEST_F(RestoreTest, ADamagedBackupIsRefusedWithTheLineThatIsWrong) {
  const std::string file = folder + "\\Backup1.reg";
  const std::pair<std::string, std::string> cases[] = {
      {"REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\A]\r\n\"v\"=hex:01,zz\r\n", "Line 4: "},
      {"REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\A]\r\n\"v\"=\"cut", "Line 4: "},
      {"", "Line 1: "},
      // Version 5.00: cut short inside a character, without its byte order mark, a bad line.
      {"\xFF\xFE" + Utf16LeBytesFromUtf8("Windows Registry Editor Version 5.00\r\n\r\n[HKEY_") +
           "H",
       "Line 3: "},
      {"Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\A]\r\n", "Line 1: "},
      {"\xFF\xFE" + Utf16LeBytesFromUtf8("Windows Registry Editor Version 5.00\r\n\r\n"
                                         "[HKEY_CURRENT_USER\\Ω]\r\n\"Ж\"=hex(2):zz\r\n"),
       "Line 4: "},
  };
  for (const auto& [text, line] : cases) {
    env.WriteFile(file, text);
    RegFile parsed;
    const auto refusal = RefuseDamagedBackup(env.Files(), file, &parsed);
    ASSERT_TRUE(refusal) << text;
    EXPECT_NE(refusal->find(line), std::string::npos) << *refusal;
    EXPECT_NE(refusal->find("kept"), std::string::npos) << *refusal;
  }
  RegFile missing;
  EXPECT_TRUE(RefuseDamagedBackup(env.Files(), folder + "\\none.reg", &missing));
}

TEST_F(RestoreTest, TheFileMayGoOnlyWhenTheRegistryHoldsAllOfIt) {
  test::ScratchKey scratch{env.Registry()};
  const std::string key = scratch.FullPath();
  const std::string text = "REGEDIT4\r\n\r\n[" + key +
                           "]\r\n\"a\"=\"1\"\r\n\"n\"=dword:00000002\r\n" + "\r\n[" + key +
                           "\\Sub]\r\n@=hex:01,02\r\n\r\n[" + key + "]\r\n\"A\"=\"2\"\r\n";
  const RegReadResult read = ReadRegText(text);
  ASSERT_TRUE(read.file) << read.error;
  const std::string sub = scratch.Path() + "\\Sub";
  struct Case {
    int line;
    std::function<void()> arrange;
    EditorOutcome outcome;
    bool deleteSetting;
    bool deleteFile;
    std::string message;  // a part of it; empty for none
  };
  auto putAll = [&] {
    test::PutValue(env.Registry(), RootKey::kCurrentUser, scratch.Path(), "a", Sz("2"));
    test::PutValue(env.Registry(), RootKey::kCurrentUser, scratch.Path(), "n", Dword(2));
    test::PutValue(env.Registry(), RootKey::kCurrentUser, sub, "",
                   test::Typed(kRegBinary, "\x01\x02"));
  };
  const Case cases[] = {
      {__LINE__, putAll, EditorOutcome::kEnded, true, true, ""},
      {__LINE__, putAll, EditorOutcome::kEnded, false, false, ""},
      {__LINE__, putAll, EditorOutcome::kStopped, true, false, "interrupted"},
      {__LINE__, putAll, EditorOutcome::kClosed, true, false, "interrupted"},
      {__LINE__,
       [&] {
         putAll();
         test::PutValue(env.Registry(), RootKey::kCurrentUser, scratch.Path(), "a", Sz("1"));
       },
       EditorOutcome::kEnded, true, false, "the value \"A\" of " + key + " differs"},
      {__LINE__,
       [&] {
         putAll();
         test::PutValue(env.Registry(), RootKey::kCurrentUser, scratch.Path(), "n",
                        test::Typed(kRegBinary, std::string("\x02\0\0\0", 4)));
       },
       EditorOutcome::kEnded, true, false, "the value \"n\" of " + key + " differs"},
      {__LINE__,
       [&] {
         putAll();
         Registry r(env.Registry());
         r.SetRoot(RootKey::kCurrentUser);
         r.DeleteKey("\\" + sub);
       },
       EditorOutcome::kEnded, true, false, "the key " + key + "\\Sub is missing"},
      {__LINE__,
       [&] {
         putAll();
         Registry r(env.Registry());
         r.SetRoot(RootKey::kCurrentUser);
         r.OpenKey("\\" + sub, false);
         r.DeleteValue("");
       },
       EditorOutcome::kEnded, true, false,
       "the value \"(Default)\" of " + key + "\\Sub is missing"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    c.arrange();
    const RestoreResult result =
        FinishRestore(env.Registry(), *read.file, c.outcome, c.deleteSetting);
    EXPECT_EQ(result.deleteFile, c.deleteFile);
    if (c.message.empty()) {
      EXPECT_EQ(result.message, "");
    } else {
      EXPECT_NE(result.message.find(c.message), std::string::npos) << result.message;
      EXPECT_NE(result.message.find("kept"), std::string::npos) << result.message;
    }
  }
}

#ifdef _WIN32
// A backup written by the program, imported by the real editor, is proven whole.
TEST_F(RestoreTest, ARealImportOfABackupIsProvenWhole) {
  test::ScratchKey scratch{env.Registry()};
  for (const auto& [name, value] : test::EveryKindOfValue())
    test::PutValue(env.Registry(), RootKey::kCurrentUser, scratch.Path() + "\\Item", name, value);
  const std::string file = folder + "\\Backup20070315093005.reg";
  env.MakeFolder(folder);
  Platform platform = env.Get();
  RegistryRepairer repairer(platform, file);
  ASSERT_TRUE(repairer.Stage(
      test::RowFromCells("p", scratch.FullPath() + "\\Item", "", "", RowKind::kKey, true)));
  ASSERT_EQ(repairer.Commit().at(0).result, ItemResult::kDeleted);
  RegFile parsed;
  ASSERT_EQ(RefuseDamagedBackup(env.Files(), file, &parsed), std::nullopt);
  EXPECT_FALSE(FinishRestore(env.Registry(), parsed, EditorOutcome::kEnded, true).imported);
  ASSERT_EQ(test::ImportWithRegedit(file), 0u);
  const RestoreResult result = FinishRestore(env.Registry(), parsed, EditorOutcome::kEnded, true);
  EXPECT_TRUE(result.imported) << result.message;
  EXPECT_TRUE(result.deleteFile);
}
#endif

}  // namespace
}  // namespace kelvane
