// Software Locations, Windows Fonts, Invalid Help Files and Shared DLLs with entries
// in their real registry locations and real files on C:.
#include <gtest/gtest.h>

#include "scan/scan_fixture.h"
#include "scan/scanners.h"

namespace kelvane {
namespace {

using test::ExpandSz;
using test::Row;
using test::Sz;

constexpr RootKey kHklm = RootKey::kLocalMachine;
const std::string kAppPaths = "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths";
const std::string kFontsNt = "Software\\Microsoft\\Windows NT\\CurrentVersion\\Fonts";
const std::string kFonts9x = "Software\\Microsoft\\Windows\\CurrentVersion\\Fonts";
const std::string kHelp = "Software\\Microsoft\\Windows\\Help";
const std::string kHtmlHelp = "Software\\Microsoft\\Windows\\Html Help";
const std::string kSharedDlls = "Software\\Microsoft\\Windows\\CurrentVersion\\SharedDlls";

class SoftwareScannersTest : public test::ScannerTest {
 protected:
  // An App Paths entry named `name` whose default value is `value` (none when empty).
  void AppPath(const std::string& name, const std::optional<RegValue>& value) {
    const std::string path = kAppPaths + "\\" + name;
    OwnKey(kHklm, path);
    MakeKey(kHklm, path);
    if (value)
      Put(kHklm, path, "", *value);
  }
};

TEST_F(SoftwareScannersTest, SoftwareLocationsJudgesUpToTheProgramName) {
  const std::string prog = dir + "\\Prog\\" + token;
  env.WriteFile(prog + "1.exe");
  env.WriteFile(prog + "4.exe");
  test::SetVariable(env, "KELVANE_TEST_DIR", dir);
  AppPath(token + "1.exe", Sz("\"" + prog + "1.exe\" /s"));
  AppPath(token + "2.exe", Sz(prog + "2.exe"));
  AppPath(token + "3.dll", Sz(prog + "3.dll"));  // not a program: skipped
  // No extension: cut right after the name, so the existing "...4.EXE" does not count.
  AppPath(token + "4", Sz(prog + "4.EXE"));
  AppPath(token + "5.exe", Sz(""));
  AppPath(token + "6.exe", test::Dword(1));
  AppPath(token + "7.exe", Sz(dir + "\\Prog\\other.exe"));  // the name is not in the path
  AppPath(token + "8.EXE", Sz("D:\\Prog\\" + token + "8.exe"));
  AppPath(token + "9.exe", std::nullopt);
  AppPath(token + "A.Exe", ExpandSz("%KELVANE_TEST_DIR%\\Prog\\" + token + "A.exe"));
  AppPath(token + "B.exe", Sz(dir + "\\HPQ\\" + token + "B.exe"));

  const std::string key = "HKEY_LOCAL_MACHINE\\" + kAppPaths + "\\";
  EXPECT_EQ(
      Scan({6}),
      (std::vector<IssueRow>{
          Row("Software Locations Issue", key + token + "2.exe", prog + "2.exe", RowKind::kKey),
          Row("Software Locations Issue", key + token + "4", prog + "4.EXE", RowKind::kKey),
          Row("Software Locations Issue", key + token + "A.Exe",
              "%KELVANE_TEST_DIR%\\Prog\\" + token + "A.exe", RowKind::kKey),
      }));
  EXPECT_EQ(events.log, (std::vector<std::string>{"begin", "status:Scanning Software Locations...",
                                                  "end", "close"}));
  EXPECT_TRUE(ShownKey(kAppPaths + "\\" + token + "1.exe"));
  EXPECT_FALSE(ShownKey(kAppPaths + "\\" + token + "3.dll"));
}

TEST_F(SoftwareScannersTest, FontsAreLookedUpByFileNameInTheFontsFolder) {
#ifndef _WIN32
  env.Native().shell.SetSpecialFolder(csidl::kFonts, dir + "\\Fonts");
  env.MakeFolder(dir + "\\Fonts");
#endif
  const auto fonts = env.Get().shell.SpecialFolder(csidl::kFonts);
  ASSERT_TRUE(fonts);
  env.WriteFile(*fonts + "\\" + UpperAscii(token) + "A.TTF");
  env.MakeFolder(*fonts + "\\" + token + "dir.ttf");
  env.WriteFile(dir + "\\Elsewhere\\" + token + "c.ttf");
  const std::vector<std::pair<std::string, RegValue>> values = {
      {token + "1 (TrueType)", Sz(token + "a.ttf")},
      {token + "2 (TrueType)", Sz(token + "b.ttf")},
      {token + "3 (TrueType)", Sz(dir + "\\Elsewhere\\" + token + "c.ttf")},
      {token + "4 (TrueType)", Sz("")},
      {token + "5 (TrueType)", test::Dword(7)},
      {token + "6 (TrueType)", Sz(token + "dir.ttf")},
      {token + "7 (TrueType)", ExpandSz(token + "A.ttf")},
      {token + "8 (TrueType)", Sz(dir + "\\Elsewhere\\" + token + "gone.ttf")},
  };
  for (const auto& [name, value] : values)
    PutOwnValue(kHklm, kFontsNt, name, value);

  const std::string key = "HKEY_LOCAL_MACHINE\\" + kFontsNt + "\\" + token;
  EXPECT_EQ(Scan({7}),
            (std::vector<IssueRow>{
                Row("Fonts Issue", key + "2 (TrueType)", token + "b.ttf", RowKind::kValueInPath),
                // A font registered by a full path is judged by its own file.
                Row("Fonts Issue", key + "4 (TrueType)", "", RowKind::kValueInPath),
                Row("Fonts Issue", key + "6 (TrueType)", token + "dir.ttf", RowKind::kValueInPath),
                Row("Fonts Issue", key + "8 (TrueType)", dir + "\\Elsewhere\\" + token + "gone.ttf",
                    RowKind::kValueInPath),
            }));
  EXPECT_TRUE(ShownKey(kFontsNt));
  EXPECT_EQ(events.log[1], "status:Scanning Windows Fonts...");
  env.Files().DeleteFileSilently(*fonts + "\\" + UpperAscii(token) + "A.TTF");
}

#ifndef _WIN32
// Wine always reports an NT version, so the older key is tried natively only.
TEST_F(SoftwareScannersTest, FontsKeyFollowsTheWindowsFamily) {
  env.Native().shell.SetSpecialFolder(csidl::kFonts, dir + "\\Fonts");
  env.MakeFolder(dir + "\\Fonts");
  Put(kHklm, kFontsNt, token + "nt", Sz("nt.ttf"));
  Put(kHklm, kFonts9x, token + "9x", Sz("9x.ttf"));
  const struct {
    VersionRecord version;
    std::string key, name;
  } cases[] = {
      {{1, 4, 10}, kFonts9x, "9x"},  // Windows 98
      {{1, 4, 0}, kFonts9x, "9x"},   // Windows 95
      {{1, 4, 90}, kFonts9x, "9x"},  // Windows Me
      {{2, 5, 1}, kFontsNt, "nt"},   // Windows XP
      {{2, 10, 0}, kFontsNt, "nt"},
  };
  for (const auto& c : cases) {
    env.Native().system.SetVersion(c.version);
    results.Clear();
    EXPECT_EQ(Scan({7}), (std::vector<IssueRow>{Row(
                             "Fonts Issue", "HKEY_LOCAL_MACHINE\\" + c.key + "\\" + token + c.name,
                             c.name + ".ttf", RowKind::kValueInPath)}));
  }
}

// Without a fonts folder to compare with, every registered font would be reported and
// a repair would remove them all: nothing is judged instead.
TEST_F(SoftwareScannersTest, NoFontsFolderReportsNothing) {
  Put(kHklm, kFontsNt, token + "1", Sz("arial.ttf"));
  EXPECT_TRUE(Scan({7}).empty());
  env.Native().shell.SetSpecialFolder(csidl::kFonts, dir + "\\NoSuchFolder");
  EXPECT_TRUE(Scan({7}).empty());
  EXPECT_EQ(events.log, (std::vector<std::string>{
                            "begin", "status:Scanning Windows Fonts...", "end", "close", "begin",
                            "status:Scanning Windows Fonts...", "end", "close"}));
}
#endif

TEST_F(SoftwareScannersTest, HelpFilesAreLookedForInTheirRegisteredFolder) {
  env.WriteFile(dir + "\\Help\\" + token + "1.hlp");
  env.WriteFile(dir + "\\Help\\" + token + "6.chm");
  PutOwnValue(kHklm, kHelp, token + "1.hlp", Sz(dir + "\\Help"));
  PutOwnValue(kHklm, kHelp, token + "2.hlp", Sz(dir + "\\Help\\"));
  PutOwnValue(kHklm, kHelp, token + "3.hlp", test::Dword(1));
  PutOwnValue(kHklm, kHelp, token + "4.hlp", Sz(""));
  PutOwnValue(kHklm, kHelp, token + "5.hlp", RegValue{kRegBinary, "\x01\x02"});
  PutOwnValue(kHklm, kHelp, token + "7.hlp", ExpandSz(dir + "\\Gone"));
  PutOwnValue(kHklm, kHtmlHelp, token + "5.chm", Sz(dir + "\\Help"));
  PutOwnValue(kHklm, kHtmlHelp, token + "6.chm", Sz(dir + "\\Help"));

  const std::string help = "HKEY_LOCAL_MACHINE\\" + kHelp + "\\" + token;
  const std::string html = "HKEY_LOCAL_MACHINE\\" + kHtmlHelp + "\\" + token;
  EXPECT_EQ(Scan({8}),
            (std::vector<IssueRow>{
                Row("Invalid Help Files", help + "2.hlp", dir + "\\Help\\" + token + "2.hlp",
                    RowKind::kValueInPath),
                // No folder: the bare name, relative to the current folder.
                Row("Invalid Help Files", help + "4.hlp", token + "4.hlp", RowKind::kValueInPath),
                Row("Invalid Help Files", help + "7.hlp", dir + "\\Gone\\" + token + "7.hlp",
                    RowKind::kValueInPath),
                Row("Invalid Help Files", html + "5.chm", dir + "\\Help\\" + token + "5.chm",
                    RowKind::kValueInPath),
            }));
  EXPECT_TRUE(ShownKey(kHelp));
  EXPECT_TRUE(ShownKey(kHtmlHelp));
}

// A help value that is not text is passed over; the categories after it still run.
TEST_F(SoftwareScannersTest, NonTextHelpValueDoesNotEndTheScan) {
  PutOwnValue(kHklm, kHelp, token + "1.hlp", test::Dword(1));
  PutOwnValue(kHklm, kHelp, token + "2.hlp", Sz(dir));
  PutOwnValue(kHklm, kSharedDlls, dir + "\\" + token + ".dll", test::Dword(1));
  const auto rows = Scan({8, 9});
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0].problem, "Invalid Help Files");
  EXPECT_EQ(rows[1].problem, "Missing Shared Dlls");
  EXPECT_EQ(events.log,
            (std::vector<std::string>{"begin", "status:Scanning Invalid Help Files...", "end",
                                      "begin", "status:Scanning Shared DLLs...", "end", "close"}));
}

TEST_F(SoftwareScannersTest, SharedDllsReportsMissingFilesAndZeroCounts) {
  const std::string lib = dir + "\\Shared\\" + token;
  env.WriteFile(lib + "1.dll");
  env.WriteFile(lib + "2.dll");
  env.WriteFile(lib + "6.dll");
  const std::vector<std::pair<std::string, RegValue>> values = {
      {lib + "1.dll", test::Dword(3)},
      {lib + "2.dll", test::Dword(0)},
      {lib + "3.dll", test::Dword(5)},
      {lib + "4.dll", Sz("1")},
      {lib + "5.dll", test::Dword(0)},
      // A count too short to read: judged by the file alone.
      {lib + "6.dll", RegValue{kRegDword, std::string(1, '\0')}},
      {lib + "7.dll", RegValue{kRegDword, std::string(1, '\0')}},
      // Drive filters do not apply here.
      {"Q:\\" + token + "8.dll", test::Dword(1)},
  };
  for (const auto& [name, value] : values)
    PutOwnValue(kHklm, kSharedDlls, name, value);

  const std::string key = "HKEY_LOCAL_MACHINE\\" + kSharedDlls;
  const auto row = [&](const std::string& name) {
    return Row("Missing Shared Dlls", key, name, RowKind::kValueNamed);
  };
  EXPECT_EQ(Scan({9}),
            (std::vector<IssueRow>{row(lib + "2.dll"), row(lib + "3.dll"), row(lib + "5.dll"),
                                   row(lib + "7.dll"), row("Q:\\" + token + "8.dll")}));
  EXPECT_TRUE(ShownKey(kSharedDlls));
}

}  // namespace
}  // namespace kelvane
