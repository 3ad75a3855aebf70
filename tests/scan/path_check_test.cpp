// The lenient missing-file test against real files: natively on drive C: mapped to a
// temporary folder, under Wine on the prefix's C: drive.
#include <gtest/gtest.h>

#include <tuple>

#include "scan/path_check.h"
#include "scan/scan_fixture.h"

namespace kelvane {
namespace {

class PathCheckTest : public ::testing::Test {
 public:
  PathCheckTest() {
    for (const char* file : {"\\App\\app.exe", "\\Tools\\x.exe", "\\Tools\\Foo.dll",
                             "\\Win\\notepad.exe", "\\Win\\run.com", "\\Win\\go.bat",
                             "\\Program Files\\Acc\\WORDPAD.EXE", "\\Only\\readme.txt"}) {
      env.WriteFile(dir + file);
    }
    env.MakeFolder(dir + "\\App\\Sub");
    test::SetVariable(env, "KELVANE_TEST_DIR", dir);
    test::SetVariable(env, "KELVANE_TEST_PADDED", "  " + dir + "\\App \t");
    test::SetVariable(env, "KELVANE_TEST_FILE", dir + "\\App\\app.exe");
  }
  bool Missing(const std::string& text, const std::string& marker = "", bool acceptFolder = false,
               const std::string& drives = "c") {
    return CheckPath(env.Files(), text, marker, acceptFolder, drives).missing;
  }

  test::TestEnv env;
  const std::string dir = env.TempDir();  // "C:\kelvane-tests\t..."
};

struct Case {
  int line;
  std::string text;
  bool missing;
};

void CheckAll(PathCheckTest* t, const std::vector<Case>& cases, bool acceptFolder) {
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "line " << c.line << ": [" << c.text << "]");
    EXPECT_EQ(t->Missing(c.text, "", acceptFolder), c.missing);
  }
}

#define CASE(text, missing) \
  Case {                    \
    __LINE__, text, missing \
  }

TEST_F(PathCheckTest, TextsThatCanNeverBeJudged) {
  const std::string d = dir;
  const std::vector<Case> cases = {
      CASE("", false),
      CASE("\"", false),
      CASE("\"\"", false),
      CASE("\"\" /s", false),
      CASE("\" ", false),
      CASE("%", false),
      CASE("%%", false),
      // A "%" that is never closed is not judged at all.
      CASE("%KELVANE_TEST_DIR\\gone.exe", false),
      CASE("%UNDEFINED_KELVANE_VARIABLE%\\gone.exe", false),
      // The variable names a file, not a folder.
      CASE("%KELVANE_TEST_FILE%\\gone.exe", false),
      CASE(d + "\\HPQ\\gone.exe", false),
      CASE(d + "\\App\\hPgone.exe", false),
      CASE("notepad.exe", false),
      CASE("rundll32.exe shell32.dll,Control_RunDLL", false),
      CASE("\\gone\\x.exe", false),
      CASE("\\\\server\\share\\gone.exe", false),
      CASE("D:\\gone.exe", false),
      CASE("C:gone.exe", false),
      CASE("C:", false),
      CASE("C", false),
      CASE(" C:\\gone.exe", false),
      // A second absolute path anywhere after the drive.
      CASE(d + "\\App\\gone.exe " + d + "\\App\\doc.txt", false),
      CASE(d + "\\App\\gone.exe /log=C:\\x", false),
      CASE(d + "\\gone:\\x", false),
      // A drive root that exists.
      CASE("C:\\", false),
      CASE("c:\\", false),
  };
  CheckAll(this, cases, false);
  CheckAll(this, cases, true);
}

TEST_F(PathCheckTest, CommandLinesAreJudgedByTheirProgramPart) {
  const std::string d = dir;
  CheckAll(this,
           {
               CASE(d + "\\App\\app.exe", false),
               CASE(d + "\\APP\\APP.EXE", false),
               CASE("c" + d.substr(1) + "\\App\\gone.exe", true),
               CASE(d + "\\App\\gone.exe", true),
               CASE(d + "\\App\\app.exe /s", false),
               CASE(d + "\\App\\gone.exe /s", true),
               CASE(d + "\\App\\app.exe,1", false),
               CASE(d + "\\App\\app.exe|x", false),
               CASE(d + "\\App\\app.exe:stream", false),
               CASE(d + "\\App\\app.exe*", false),
               CASE(d + "\\App\\app.exe?", false),
               CASE(d + "\\App\\app.exe<in >out", false),
               // Quoted: the arguments after the closing quote are dropped.
               CASE("\"" + d + "\\App\\app.exe\" /s", false),
               CASE("\"" + d + "\\App\\gone.exe\" " + d + "\\App\\app.exe", true),
               CASE("\"" + d + "\\App\\app.exe", false),
               CASE("\"" + d + "\\Program Files\\Acc\\WORDPAD.EXE\" -n", false),
               CASE("\"" + d + "\\Program Files\\Acc\\gone.exe\" -n", true),
               // Unquoted blanks inside the path: each separator is a possible end.
               CASE(d + "\\Program Files\\Acc\\WORDPAD.EXE -n", false),
               CASE(d + "\\Program Files\\Acc\\gone.exe -n", true),
               // Without extension: ".exe", ".com" and ".bat" are tried.
               CASE(d + "\\Win\\notepad", false),
               CASE(d + "\\Win\\run", false),
               CASE(d + "\\Win\\go", false),
               CASE(d + "\\Win\\notepad /p x.txt", false),
               CASE(d + "\\Win\\nothing", true),
               CASE(d + "\\App\\app.exe.exe", true),
               // Trailing semicolons.
               CASE(d + "\\Tools\\x.exe;;", false),
               CASE(d + "\\Tools\\x.exe;", false),
               CASE(d + "\\Tools\\x;", false),
               CASE(d + "\\Tools\\y.exe;;", true),
               // Only semicolons that end the whole text are dropped.
               CASE(d + "\\Tools\\x.exe;; /s", true),
               // Arguments holding backslashes: the folder part is no folder, every
               // prefix of the whole text is tried.
               CASE(d + "\\App\\app.exe /dir sub\\x", false),
               CASE(d + "\\App\\app /dir sub\\x", false),
               CASE(d + "\\App\\gone.exe /dir sub\\x", true),
               CASE(d + "\\Gone\\app.exe", true),
               CASE(d + "\\Gone\\", true),
               CASE(d + "\\Only\\readme.txt\\x", false),
               // Separators right after the folder part.
               CASE(d + "\\App\\ app.exe", true),
               CASE(d + "\\App\\,", true),
               CASE(d + "\\App\\/s", true),
               CASE(d + "\\App\\\\", false),
               // A drive root followed by arguments.
               CASE("C:\\ /s", true),
               // Folders: one that ends with a backslash and exists is never reported.
               CASE(d + "\\App\\Sub\\", false),
               CASE(d + "\\App\\Sub", true),
               CASE(d + "\\App\\Sub /s", true),
               CASE(d + "\\App", true),
               // A leading variable that names a folder is expanded first.
               CASE("%KELVANE_TEST_DIR%\\App\\app.exe", false),
               CASE("%kelvane_test_dir%\\App\\gone.exe", true),
               CASE("\"%KELVANE_TEST_DIR%\\App\\gone.exe\" /s", true),
               CASE("%KELVANE_TEST_PADDED%\\app.exe", false),
               CASE("%KELVANE_TEST_PADDED%\\gone.exe", true),
               CASE("%KELVANE_TEST_DIR%", true),
           },
           false);
}

TEST_F(PathCheckTest, AcceptFolderLetsAnExistingFolderCount) {
  const std::string d = dir;
  CheckAll(this,
           {
               CASE(d + "\\App\\Sub", false),
               CASE(d + "\\App\\Sub /s", false),
               CASE(d + "\\App\\Sub\\", false),
               CASE(d + "\\App", false),
               CASE("%KELVANE_TEST_DIR%", false),
               CASE(d + "\\App\\ app.exe", false),
               CASE("C:\\ /s", false),
               CASE(d + "\\App\\Gone", true),
               CASE(d + "\\App\\gone.exe /s", true),
               // The prefix walk never asks for folders.
               CASE(d + "\\App\\Sub /dir sub\\x", true),
           },
           true);
}

TEST_F(PathCheckTest, EndMarkerCutsThePathAfterItsFirstOccurrence) {
  const std::string d = dir;
  struct MarkerCase {
    int line;
    std::string text, marker;
    bool missing;
  };
  const std::vector<MarkerCase> cases = {
      {__LINE__, d + "\\Tools\\Foo.DLL,1", ".dll", false},
      {__LINE__, d + "\\Tools\\Bar.DLL,1", ".dll", true},
      {__LINE__, d + "\\Tools\\Foo,1", ".dll", false},
      {__LINE__, d + "\\App\\app.exe /s", "APP.EXE", false},
      {__LINE__, "\"" + d + "\\App\\app.exe\" /s", "app.exe", false},
      {__LINE__, d + "\\App\\APP.EXE", "app.exe", false},
      // Cut to "...\Acc\wordpad", which names no file.
      {__LINE__, d + "\\Program Files\\Acc\\WORDPAD.EXE", "wordpad", true},
      {__LINE__, d + "\\App\\gone.exe", "gone.exe", true},
      {__LINE__, d + "\\App\\gone.exe " + d + "\\x", "gone.exe", true},
      {__LINE__, "%KELVANE_TEST_DIR%\\App\\gone.exe", "gone.exe", true},
      {__LINE__, d + "\\App\\Sub", "Sub", true},
      {__LINE__, d + "\\Win\\notepad", "notepad", true},
      {__LINE__, "C:\\", "C:\\", true},
      {__LINE__, d + "\\HPQ\\gone.exe", "gone.exe", false},
      {__LINE__, "D:\\gone.exe", "gone.exe", false},
      {__LINE__, "gone.exe", "gone.exe", false},
      {__LINE__, "\\\\server\\gone.exe", "gone.exe", false},
      {__LINE__, "C:gone.exe", "gone.exe", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "line " << c.line << ": [" << c.text << "]");
    EXPECT_EQ(Missing(c.text, c.marker, false), c.missing);
    EXPECT_EQ(Missing(c.text, c.marker, true), c.missing);
  }
}

TEST_F(PathCheckTest, OnlyAllowedDrivesAreJudged) {
  const std::string gone = dir + "\\App\\gone.exe";
  EXPECT_TRUE(Missing(gone, "", false, "C"));
  EXPECT_TRUE(Missing(gone, "", false, "dcz"));
  EXPECT_FALSE(Missing(gone, "", false, "d"));
  EXPECT_FALSE(Missing(gone, "", false, ""));
  EXPECT_FALSE(Missing(gone, "gone.exe", false, "d"));
}

TEST_F(PathCheckTest, VeryLongTexts) {
  const std::string d = dir;
  const std::string args(5000, 'a');
  CheckAll(this,
           {
               CASE(d + "\\App\\app.exe " + args, false),
               CASE(d + "\\App\\gone.exe " + args, true),
               CASE(d + "\\App\\" + args, true),
               CASE(d + "\\App\\app.exe /x " + std::string(1000, '\\'), false),
               CASE(d + "\\Gone\\" + std::string(400, 'b') + "\\x", true),
               CASE("%KELVANE_TEST_DIR%\\App\\gone.exe " + args, true),
               CASE("\"" + d + "\\App\\app.exe\"" + args, false),
               CASE(std::string(3000, '%') + "x", false),
               CASE("C:\\" + std::string(400, ';'), true),
           },
           false);
}

TEST_F(PathCheckTest, ExpandFolderVariableOnlyForExistingFolders) {
  FileSystem& files = env.Files();
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"%KELVANE_TEST_DIR%", dir},
      {"%KELVANE_TEST_DIR%\\App", dir + "\\App"},
      {"%KELVANE_TEST_PADDED%", dir + "\\App"},
      {"%KELVANE_TEST_DIR%\\Gone", "%KELVANE_TEST_DIR%\\Gone"},
      {"%KELVANE_TEST_FILE%", "%KELVANE_TEST_FILE%"},
      {"%UNDEFINED_KELVANE_VARIABLE%", "%UNDEFINED_KELVANE_VARIABLE%"},
      {"", ""},
      {dir, dir},
  };
  for (const auto& [text, expected] : cases)
    EXPECT_EQ(ExpandFolderVariable(files, text), expected);
}

// The walks probe names that Windows reads in its own way: trailing dots and blanks
// dropped from the last name, a single trailing dot from a name before a separator,
// "/" as a separator, repeated separators, "." and "..", letter case ignored, a file
// never named with a separator after it, wildcards never matching. The same answers
// on both platforms.
TEST_F(PathCheckTest, ProbesFollowWindowsNameRules) {
  const std::string d = dir;
  enum Kind { kNone, kFile, kFolder };
  const std::vector<std::tuple<int, std::string, Kind>> cases = {
      {__LINE__, d + "\\App\\app.exe", kFile},
      {__LINE__, d + "\\APP\\APP.EXE", kFile},
      {__LINE__, d + "\\App\\app.exe.", kFile},
      {__LINE__, d + "\\App\\app.exe   ", kFile},
      {__LINE__, d + "\\App\\app.exe . .", kFile},
      {__LINE__, d + "\\App/app.exe", kFile},
      {__LINE__, d + "/App//app.exe", kFile},
      {__LINE__, d + "\\App\\\\app.exe", kFile},
      {__LINE__, d + "\\App\\.\\app.exe", kFile},
      {__LINE__, d + "\\Gone\\..\\App\\app.exe", kFile},
      {__LINE__, d + "\\App\\ app.exe", kNone},
      {__LINE__, d + "\\App\\app.exe\\", kNone},
      {__LINE__, d + "\\App.\\app.exe", kFile},
      {__LINE__, d + "\\App \\app.exe", kNone},
      {__LINE__, d + "\\App..\\app.exe", kNone},
      {__LINE__, d + "\\App. \\app.exe", kNone},
      {__LINE__, d + "\\App .\\app.exe", kNone},
      {__LINE__, d + "\\App\\app.exe/", kNone},
      {__LINE__, d + "\\App\\app.exe.\\", kNone},
      {__LINE__, d + "\\App.\\", kFolder},
      {__LINE__, d + "\\App. ", kFolder},
      {__LINE__, d + "\\App \\", kNone},
      {__LINE__, d + "\\App\\app.ex", kNone},
      {__LINE__, d + "\\App\\app.exe*", kNone},
      {__LINE__, d + "\\App\\app.ex?", kNone},
      {__LINE__, d + "\\App\\app.exe<", kNone},
      {__LINE__, d + "\\App\\app.exe|", kNone},
      {__LINE__, d + "\\App\\app.exe\"", kNone},
      {__LINE__, d + "\\App\\" + std::string(300, 'a'), kNone},
      {__LINE__, d + "\\App", kFolder},
      {__LINE__, d + "\\App\\", kFolder},
      {__LINE__, d + "\\App\\\\", kFolder},
      {__LINE__, d + "\\App.", kFolder},
      {__LINE__, d + "\\App /", kNone},
      {__LINE__, d + "\\app\\sub", kFolder},
      {__LINE__, "C:\\", kFolder},
      {__LINE__, "c:/", kFolder},
      {__LINE__, "C:\\ ", kFolder},
  };
  for (const auto& [line, path, kind] : cases) {
    SCOPED_TRACE(testing::Message() << "line " << line << ": [" << path << "]");
    EXPECT_EQ(env.Files().FileExists(path), kind == kFile);
    EXPECT_EQ(env.Files().FolderExists(path), kind == kFolder);
  }
}

// Every answer comes from the file system at the time of the call.
TEST_F(PathCheckTest, AnswersFollowTheFileSystem) {
  const std::string text = "\"" + dir + "\\Later\\late.exe\" /s";
  EXPECT_TRUE(Missing(text));
  env.WriteFile(dir + "\\Later\\late.exe");
  EXPECT_FALSE(Missing(text));
  ASSERT_TRUE(env.Files().DeleteFileSilently(dir + "\\Later\\late.exe"));
  EXPECT_TRUE(Missing(text));
}

// The reading a missing verdict names is one the walks probed, cut from the text only.
TEST_F(PathCheckTest, AMissingVerdictNamesTheReadingItProbed) {
  const std::string d = dir;
  const std::vector<std::tuple<int, std::string, std::string>> cases = {
      {__LINE__, d + "\\App\\gone.exe,1 -x", d + "\\App\\gone.exe"},
      {__LINE__, d + "\\App\\My gone.exe /s", d + "\\App\\My gone.exe"},
      {__LINE__, d + "\\App\\gone;;", d + "\\App\\gone"},
      {__LINE__, d + "\\No.Dir\\x y\\gone.exe /s", d + "\\No.Dir\\x y\\gone.exe"},
      {__LINE__, d + "\\No Dir\\", d + "\\No Dir\\"},
  };
  for (const auto& [line, text, reading] : cases) {
    SCOPED_TRACE(testing::Message() << "line " << line << ": [" << text << "]");
    const PathVerdict verdict = CheckPath(env.Files(), text, "", false, "c");
    EXPECT_TRUE(verdict.missing);
    EXPECT_EQ(verdict.path, reading);
  }
  EXPECT_EQ(CheckPath(env.Files(), d + "\\App\\app.exe /s", "", false, "c").path, "");
}

}  // namespace
}  // namespace kelvane
