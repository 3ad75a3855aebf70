// Folder creation and the recycle bin, natively and on Wine's real file system: a file
// where a folder should be is no folder, and only an existing file goes to the bin.
#include <gtest/gtest.h>

#include "test_env.h"

namespace kelvane {
namespace {

TEST(Files, CreateFoldersMakesMissingParentsAndNeverTakesAFileForAFolder) {
  test::TestEnv env;
  const std::string dir = env.TempDir();
  env.WriteFile(dir + "\\file.txt");
  struct Case {
    int line;
    std::string path;
    bool created;
  };
  const Case cases[] = {
      {__LINE__, dir + "\\a\\b\\c", true},
      {__LINE__, dir + "\\a\\b\\c\\", true},  // already there
      {__LINE__, dir + "\\file.txt", false},
      {__LINE__, dir + "\\file.txt\\below", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    EXPECT_EQ(env.Files().CreateFolders(c.path), c.created);
    EXPECT_EQ(env.Files().FolderExists(c.path), c.created);
  }
  EXPECT_TRUE(env.Files().FileExists(dir + "\\file.txt"));
}

TEST(Files, TheRecycleBinTakesOneExistingFileOnly) {
  test::TestEnv env;
  Platform platform = env.Get();
  const std::string dir = env.TempDir();
  env.WriteFile(dir + "\\Tool.lnk", "shortcut");
  env.MakeFolder(dir + "\\Folder");
  env.WriteFile(dir + "\\Folder\\inside.txt");
  EXPECT_FALSE(platform.shell.MoveToRecycleBin(dir + "\\Missing.lnk"));
  EXPECT_FALSE(platform.shell.MoveToRecycleBin(dir + "\\Folder"));
  EXPECT_FALSE(platform.shell.MoveToRecycleBin(dir + "\\*.lnk"));
  EXPECT_TRUE(env.Files().FileExists(dir + "\\Folder\\inside.txt"));
  EXPECT_TRUE(env.Files().FileExists(dir + "\\Tool.lnk"));
  EXPECT_TRUE(platform.shell.MoveToRecycleBin(dir + "\\Tool.lnk"));
  EXPECT_FALSE(env.Files().FileExists(dir + "\\Tool.lnk"));
}

}  // namespace
}  // namespace kelvane
