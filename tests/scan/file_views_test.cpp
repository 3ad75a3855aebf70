// Entries judged in the file system of the programs that read them, for the 64-bit
// program and for the 32-bit program on 64-bit Windows (whose system-folder probes the
// redirector would send to SysWOW64, simulated here over the real files): both give
// the same verdicts. A Windows folder of the test's own stands in for the system's.
#include <gtest/gtest.h>

#include "platform/wow64_files.h"
#include "scan/file_views.h"
#include "scan/scan_fixture.h"
#include "scan/scanners.h"

namespace kelvane {
namespace {

bool StartsWithNoCase(const std::string& text, const std::string& prefix) {
  return text.size() >= prefix.size() && EqualsNoCase(text.substr(0, prefix.size()), prefix);
}

// What WOW64 gives a 32-bit program: its opens of the system folder land in SysWOW64
// (but the subfolders left alone), "Sysnative" reaches the native system folder, and
// %ProgramFiles% and %CommonProgramFiles% are the "(x86)" folders.
class Wow64Process : public ForwardingFileSystem {
 public:
  Wow64Process(FileSystem& inner, const FileViews& views)
      : ForwardingFileSystem(inner), views_(views) {}
  bool FileExists(const std::string& path) override { return inner_.FileExists(Seen(path)); }
  bool FolderExists(const std::string& path) override { return inner_.FolderExists(Seen(path)); }
  std::optional<std::string> ExpandEnvironment(const std::string& text) override {
    std::string own = text;
    for (const auto& [name, value] :
         {std::pair{std::string("%ProgramFiles%"), views_.programFilesX86},
          {std::string("%CommonProgramFiles%"), views_.commonFilesX86}}) {
      if (StartsWithNoCase(own, name))
        own = value + own.substr(name.size());
    }
    return inner_.ExpandEnvironment(own);
  }

 private:
  std::string Seen(const std::string& path) const {
    const std::string native = views_.windowsFolder + "\\Sysnative";
    if (StartsWithNoCase(path, native))
      return views_.windowsFolder + "\\System32" + path.substr(native.size());
    return RedirectSystemFolder(views_.windowsFolder, path, "SysWOW64").value_or(path);
  }
  const FileViews& views_;
};

TEST(FileViews, BothBuildsJudgeEachEntryInItsReadersFileSystem) {
  test::TestEnv env;
  const std::string d = env.TempDir();
  const std::string w = d + "\\Win";
  const FileViews views{true, w, d + "\\PF", d + "\\PF86", d + "\\CF", d + "\\CF86"};
  const std::string longFolder = d + "\\" + std::string(120, 'l') + "\\" + std::string(120, 'm');
  for (const std::string& file :
       {w + "\\System32\\only64.dll", w + "\\SysWOW64\\only32.dll",
        w + "\\System32\\drivers\\etc\\exempt.txt", w + "\\SysWOW64\\drivers\\d32.sys",
        w + "\\System32\\drivers\\d64.sys", w + "\\System32\\svc.exe", d + "\\PF\\App\\a64.dll",
        d + "\\PF86\\App\\a32.dll", d + "\\CF\\Sh\\c64.dll", d + "\\CF86\\Sh\\c32.dll",
        longFolder + "\\" + std::string(90, 'n') + "\\app.exe"}) {
    env.WriteFile(file);
  }
  test::SetVariable(env, "KELVANE_TEST_WIN", w);
  const std::string longApp = longFolder + "\\" + std::string(90, 'n') + "\\app.exe";
  ASSERT_GT(longApp.size(), 300u);

  const RootKey hklm = RootKey::kLocalMachine;
  const std::string clsid = "Software\\Classes\\CLSID\\{K}\\InprocServer32";
  const std::string clsid32 = "Software\\Wow6432Node\\Classes\\CLSID\\{K}\\InprocServer32";
  const std::string run32 = "Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Run";
  struct Case {
    int line;
    RootKey root;
    std::string key, text;
    bool missing;
  };
  const std::vector<Case> cases = {
      // The system folder: its own file for each kind of program, SysWOW64 for 32-bit ones.
      {__LINE__, hklm, clsid, w + "\\System32\\only64.dll", false},
      {__LINE__, hklm, clsid32, w + "\\System32\\only64.dll", true},
      {__LINE__, hklm, clsid, w + "\\system32\\only32.dll", true},
      {__LINE__, hklm, clsid32, w + "\\system32\\only32.dll", false},
      {__LINE__, hklm, clsid32, "%KELVANE_TEST_WIN%\\System32\\only32.dll", false},
      // A redirected subfolder, and one every program sees as it is.
      {__LINE__, hklm, clsid32, w + "\\System32\\drivers\\d32.sys", false},
      {__LINE__, hklm, clsid, w + "\\System32\\drivers\\d32.sys", true},
      {__LINE__, hklm, clsid32, w + "\\System32\\drivers\\etc\\exempt.txt", false},
      // The program folders of each kind.
      {__LINE__, hklm, clsid32, "%ProgramFiles%\\App\\a32.dll", false},
      {__LINE__, hklm, clsid, "%ProgramFiles%\\App\\a32.dll", true},
      {__LINE__, hklm, clsid, "%ProgramFiles%\\App\\a64.dll", false},
      {__LINE__, hklm, clsid32, "%CommonProgramFiles%\\Sh\\c32.dll", false},
      {__LINE__, hklm, clsid, "%CommonProgramFiles%\\Sh\\c32.dll", true},
      // Entries both kinds read: live when either reading names a file.
      {__LINE__, hklm, run32, w + "\\System32\\only32.dll", false},
      {__LINE__, RootKey::kCurrentUser, "Software\\K", "%ProgramFiles%\\App\\a32.dll", false},
      {__LINE__, RootKey::kClassesRoot, "TypeLib\\{K}\\1.0\\0\\win32", w + "\\System32\\only32.dll",
       false},
      {__LINE__, hklm, "Software\\Microsoft\\Windows\\CurrentVersion\\SharedDlls",
       w + "\\System32\\only32.dll", false},
      {__LINE__, RootKey::kCurrentUser, "Software\\K", w + "\\System32\\gone.dll", true},
      // A path past 260 characters.
      {__LINE__, RootKey::kCurrentUser, "Software\\K", longApp, false},
      {__LINE__, RootKey::kCurrentUser, "Software\\K", longApp + "x", true},
      // Service paths as the service manager reads them.
      {__LINE__, hklm, "", ServiceImagePath("\\SystemRoot\\System32\\drivers\\d64.sys", w), false},
      {__LINE__, hklm, "", ServiceImagePath("system32\\drivers\\d64.sys", w), false},
      {__LINE__, hklm, "", ServiceImagePath("System32\\svc.exe -k group", w), false},
      {__LINE__, hklm, "", ServiceImagePath("\\??\\" + w + "\\System32\\drivers\\d64.sys", w),
       false},
      {__LINE__, hklm, "", ServiceImagePath("system32\\drivers\\d32.sys", w), true},
  };

  Wow64Process wow64(env.Files(), views);
  NativeFilesFromWow64 thirtyTwoBitBuild(wow64, w);
  for (FileSystem* files : {&env.Files(), static_cast<FileSystem*>(&thirtyTwoBitBuild)}) {
    ViewedPathCheck check(*files, views);
    for (const Case& c : cases) {
      SCOPED_TRACE(testing::Message()
                   << "line " << c.line << (files == &env.Files() ? " 64" : " 32"));
      // A service entry (no key here) is read by the 64-bit service manager.
      const Readers readers = c.key.empty() ? Readers::kNative : ReadersOfKey(c.root, c.key);
      const PathVerdict verdict = check.Check(readers, c.text, "", true, "c");
      EXPECT_EQ(verdict.missing, c.missing) << c.text;
    }
    EXPECT_TRUE(check.FileExists(Readers::kEither, w + "\\System32\\only32.dll"));
    EXPECT_FALSE(check.FileExists(Readers::kNative, w + "\\System32\\only32.dll"));
    // The reason names the path probed: both readings for an entry both kinds read.
    EXPECT_EQ(check.Check(Readers::k32Bit, w + "\\System32\\gone.dll", "", false, "c").path,
              w + "\\SysWOW64\\gone.dll");
    EXPECT_EQ(check.Check(Readers::kEither, w + "\\System32\\gone.dll", "", false, "c").path,
              w + "\\System32\\gone.dll or " + w + "\\SysWOW64\\gone.dll");
  }
}

}  // namespace
}  // namespace kelvane
