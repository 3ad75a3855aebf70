// The reason each rule gives its rows, one seeded entry per rule, on the portable
// platform: the in-memory registry and drive C: on a temporary folder.
#include <gtest/gtest.h>

#include <functional>

#include "platform/version_code.h"
#include "scan/scan_fixture.h"
#include "scan/scanners.h"
#include "scan/shortcut_files.h"

namespace kelvane {
namespace {

#ifndef _WIN32

using test::Sz;

constexpr RootKey kHklm = RootKey::kLocalMachine;
constexpr RootKey kHkcu = RootKey::kCurrentUser;
const std::string kCurrentVersion = "Software\\Microsoft\\Windows\\CurrentVersion\\";

using ReasonsTest = test::ScannerTest;

TEST_F(ReasonsTest, EachRuleNamesWhatItsCheckFound) {
  struct Rule {
    int line;
    int category;
    std::string tag;  // in the key or value of the rule's one row
    std::function<void()> seed;
    std::string reason;
  };
  auto& shell = env.Native().shell;
  for (int csidl :
       {csidl::kFonts, csidl::kPrograms, csidl::kCommonPrograms, csidl::kDesktopDirectory})
    shell.SetSpecialFolder(csidl, dir + "\\special" + std::to_string(csidl));
  const std::string fonts = dir + "\\special" + std::to_string(csidl::kFonts);
  const std::string desktop = dir + "\\special" + std::to_string(csidl::kDesktopDirectory);
  env.MakeFolder(fonts);
  env.MakeFolder(desktop);
  env.MakeFolder(dir + "\\App");
  env.WriteFile(dir + "\\counted.dll");
  test::SetVariable(env, "KELVANE_TEST_DIR", dir);
  const std::string uninstall = kCurrentVersion + "Uninstall";
  const std::string t = token;

  const Rule rules[] = {
      // The path check: environment expanded, quotes and arguments dropped.
      {__LINE__, 10, t + "run",
       [&] {
         Put(kHkcu, kCurrentVersion + "Run", t + "run",
             Sz("%KELVANE_TEST_DIR%\\App\\gone.exe /min"));
       },
       "File not found: " + dir + "\\App\\gone.exe"},
      {__LINE__, 15, t + "svc",
       [&] {
         Put(kHklm, "SYSTEM\\CurrentControlSet\\Services\\" + t + "svc", "ImagePath",
             Sz("\"" + dir + "\\Old\\svc.exe\" -k"));
       },
       "File or folder not found: " + dir + "\\Old\\svc.exe"},
      {__LINE__, 21, t + "folder",
       [&] {
         Put(kHklm, kCurrentVersion + "Installer\\Folders", dir + "\\" + t + "folder\\", Sz(""));
       },
       "Folder not found: " + dir + "\\" + t + "folder\\"},
      // Cut right after the program's own name.
      {__LINE__, 6, t + "app.exe",
       [&] {
         Put(kHklm, kCurrentVersion + "App Paths\\" + t + "app.exe", "",
             Sz(dir + "\\" + t + "app.exe;x"));
       },
       "File not found: " + dir + "\\" + t + "app.exe"},
      {__LINE__, 7, t + "font",
       [&] {
         Put(kHklm, "Software\\Microsoft\\Windows NT\\CurrentVersion\\Fonts", t + "font",
             Sz(t + ".ttf"));
       },
       "Font file not in the Fonts folder: " + t + ".ttf"},
      {__LINE__, 7, t + "path font",
       [&] {
         Put(kHklm, "Software\\Microsoft\\Windows NT\\CurrentVersion\\Fonts", t + "path font",
             Sz(dir + "\\x.ttf"));
       },
       "File not found: " + dir + "\\x.ttf"},
      {__LINE__, 8, t + ".hlp",
       [&] { Put(kHklm, "Software\\Microsoft\\Windows\\Help", t + ".hlp", Sz(dir)); },
       "Help file not found: " + dir + "\\" + t + ".hlp"},
      {__LINE__, 9, "gone.dll",
       [&] { Put(kHklm, kCurrentVersion + "SharedDlls", dir + "\\gone.dll", test::Dword(2)); },
       "File not found: " + dir + "\\gone.dll"},
      {__LINE__, 9, "counted.dll",
       [&] { Put(kHklm, kCurrentVersion + "SharedDlls", dir + "\\counted.dll", test::Dword(0)); },
       "Reference count is 0"},
      {__LINE__, 11, t + "arp", [&] { Put(kHklm, uninstall + "\\" + t + "arp\\Sub", "", Sz("")); },
       "Key and its subkeys hold no values, empty defaults aside"},
      {__LINE__, 12, t + "class",
       [&] { Put(kHklm, "Software\\Classes\\" + t + "class", "", Sz("")); },
       "Key holds only an empty default value"},
      {__LINE__, 12, "." + t,
       [&] { MakeKey(kHkcu, kCurrentVersion + "Explorer\\FileExts\\." + t); },
       "Class not registered: HKEY_CLASSES_ROOT\\." + t},
      {__LINE__, 14, t + "vendor", [&] { MakeKey(kHkcu, "Software\\" + t + "vendor\\Product"); },
       "Key and its subkeys hold no values"},
      {__LINE__, 16, t + "menu",
       [&] {
         MakeKey(kHkcu, MenuOrderKey(GetWindowsVersionCode(env.Get().system)) + "\\" + t + "menu");
       },
       "No such folder in the Start menu's Programs: " + t + "menu"},
      {__LINE__, 17, t + ".lnk",
       [&] {
         ASSERT_TRUE(
             test::CreateShortcutFile(env, desktop + "\\" + t + ".lnk", dir + "\\gone.exe"));
       },
       "Shortcut target not found: " + dir + "\\gone.exe"},
      {__LINE__, 20, t + "doc",
       [&] {
         const std::string mru = kCurrentVersion + "Explorer\\ComDlg32\\OpenSaveMRU";
         MakeKey(kHkcu, mru + "\\txt");
         Put(kHkcu, mru, "a", Sz(dir + "\\" + t + "doc"));
       },
       "No file with a listed extension: " + dir + "\\" + t + "doc"},
      {__LINE__, 21, t + "cached",
       [&] { MakeKey(kHklm, kCurrentVersion + "App Management\\ARPCache\\" + t + "cached"); },
       "No uninstall entry: "
       "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" +
           t + "cached"},
  };
  for (const Rule& rule : rules) {
    SCOPED_TRACE(testing::Message() << "line " << rule.line);
    rule.seed();
    results.Clear();
    Scan({rule.category});
    std::vector<std::string> reasons;
    for (const IssueRow& row : results.Rows()) {
      if ((row.key + "|" + row.value).find(rule.tag) != std::string::npos)
        reasons.push_back(row.reason);
    }
    EXPECT_EQ(reasons, std::vector<std::string>{rule.reason});
  }
}

#endif

}  // namespace
}  // namespace kelvane
