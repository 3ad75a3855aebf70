// The backup files' helpers: time-stamp digits and the one-file delete.
#include <gtest/gtest.h>

#include <string>

#include "backup/backup_file.h"
#include "test_env.h"

namespace kelvane {
namespace {

TEST(FormatTwoDigits, PadsBelowTenOnly) {
  EXPECT_EQ(FormatTwoDigits(0), "00");
  EXPECT_EQ(FormatTwoDigits(7), "07");
  EXPECT_EQ(FormatTwoDigits(10), "10");
  EXPECT_EQ(FormatTwoDigits(59), "59");
  EXPECT_EQ(FormatTwoDigits(2006), "2006");
}

class BackupFileTest : public ::testing::Test {
 protected:
  test::TestEnv env;
  test::ScratchKey scratch{env.Registry()};
};

TEST_F(BackupFileTest, ShellDeleteFileRemovesOneFileForGood) {
  const std::string file = env.TempDir() + "\\Backup20060102030405.reg";
  const std::string other = env.TempDir() + "\\Backup20060102030406.reg";
  env.WriteFile(file, "REGEDIT4\r\n");
  env.WriteFile(other, "REGEDIT4\r\n");
  EXPECT_TRUE(ShellDeleteFile(env.Files(), file));
  EXPECT_FALSE(env.Files().FileExists(file));
  EXPECT_TRUE(env.Files().FileExists(other));
  EXPECT_FALSE(ShellDeleteFile(env.Files(), file));
}

TEST_F(BackupFileTest, ShellDeleteFileLeavesFoldersAndPatternsAlone) {
  const std::string folder = env.TempDir() + "\\Backup20060102030405.reg";
  env.WriteFile(folder + "\\inside.txt", "keep");
  const std::string file = env.TempDir() + "\\Backup20060102030406.reg";
  env.WriteFile(file, "REGEDIT4\r\n");
  EXPECT_FALSE(ShellDeleteFile(env.Files(), folder));
  EXPECT_FALSE(ShellDeleteFile(env.Files(), env.TempDir() + "\\*.reg"));
  EXPECT_TRUE(env.Files().FileExists(folder + "\\inside.txt"));
  EXPECT_TRUE(env.Files().FileExists(file));
}

}  // namespace
}  // namespace kelvane
