// kelvane.exe under Wine's 64-bit prefix judges each entry in the file system of the
// programs that read it: 32-bit COM servers registered in the 32-bit view with the
// system folder or %ProgramFiles% and present in SysWOW64 and "Program Files (x86)"
// stay; a missing one goes.
#include <gtest/gtest.h>

#include <string>

#include "e2e/e2e_support.h"

namespace kelvane::e2e {
namespace {

TEST(FileViews, Live32BitServersStayAndAMissingOneGoes) {
  char windows[MAX_PATH] = {};
  GetWindowsDirectoryA(windows, MAX_PATH);
  const std::string win = windows;
  ASSERT_TRUE(MakeFile(win + "\\syswow64\\kv32only.dll"));
  ASSERT_TRUE(MakeFile("C:\\Program Files (x86)\\KvApp32\\kv32com.dll"));
  const std::string classes = "Software\\Wow6432Node\\Classes\\CLSID\\";
  // The servers named as 32-bit programs name them: by the system folder, by a
  // variable, by the program folder, and one whose file is gone.
  const auto server = [&](char id, const std::string& file) {
    return "[HKEY_LOCAL_MACHINE\\" + classes + "{4B560001-0000-0000-0000-00000000000" + id +
           "}\\InprocServer32]\r\n@=\"" + file + "\"\r\n\r\n";
  };
  ASSERT_TRUE(ImportReg("REGEDIT4\r\n\r\n" +
                        server('1', "C:\\\\windows\\\\system32\\\\kv32only.dll") +
                        server('2', "%SystemRoot%\\\\System32\\\\kv32only.dll") +
                        server('3', "%ProgramFiles%\\\\KvApp32\\\\kv32com.dll") +
                        server('4', "C:\\\\windows\\\\system32\\\\kv32gone.dll")));
  CreateDirectoryA((std::string(kFolder) + "Backup").c_str(), nullptr);
  WriteSettings("ShowHint=0\r\n", {1, 13});  // Custom Controls

  Process kelvane(std::string(kExe) + " -cleanonce");
  ASSERT_TRUE(kelvane.Started());
  DWORD code = 99;
  ASSERT_TRUE(kelvane.WaitExit(300000, &code));
  EXPECT_EQ(code, 0u);

  for (const char* id :
       {"{4B560001-0000-0000-0000-000000000001}", "{4B560001-0000-0000-0000-000000000002}",
        "{4B560001-0000-0000-0000-000000000003}"}) {
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, classes + id + "\\InprocServer32")) << id;
  }
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE,
                         classes + "{4B560001-0000-0000-0000-000000000004}\\InprocServer32"));
  const auto backups = ListFiles(std::string(kFolder) + "Backup\\Backup*.reg");
  ASSERT_EQ(backups.size(), 1u);
  const std::string backup = ReadTextFile(std::string(kFolder) + "Backup\\" + backups[0]);
  EXPECT_NE(backup.find("kv32gone.dll"), std::string::npos) << backup;
  EXPECT_EQ(backup.find("kv32only.dll"), std::string::npos) << backup;
}

}  // namespace
}  // namespace kelvane::e2e
