// kelvane.exe under Wine's 64-bit prefix judges each entry in the file system of the
// programs that read it: 32-bit COM servers registered in the 32-bit view with the
// system folder or %ProgramFiles% and present in SysWOW64 and "Program Files (x86)"
// stay; a missing one goes.
#include <gtest/gtest.h>

#include <string>

#include "e2e/e2e_support.h"

namespace kelvane::e2e {
namespace {

void MakeFile(const std::string& path) {
  for (size_t slash = path.find('\\', 3); slash != std::string::npos;
       slash = path.find('\\', slash + 1)) {
    CreateDirectoryA(path.substr(0, slash).c_str(), nullptr);
  }
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE) << path;
  CloseHandle(file);
}

bool KeyExists(HKEY root, const std::string& path) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
    return false;
  RegCloseKey(key);
  return true;
}

TEST(FileViews, Live32BitServersStayAndAMissingOneGoes) {
  char windows[MAX_PATH] = {};
  GetWindowsDirectoryA(windows, MAX_PATH);
  const std::string win = windows;
  MakeFile(win + "\\syswow64\\kv32only.dll");
  MakeFile("C:\\Program Files (x86)\\KvApp32\\kv32com.dll");
  const std::string classes = "Software\\Wow6432Node\\Classes\\CLSID\\";
  const auto server = [&](const char* id, const std::string& file) {
    std::string escaped;
    for (char c : file)
      escaped += c == '\\' ? std::string("\\\\") : std::string(1, c);
    return "[HKEY_LOCAL_MACHINE\\" + classes + id + "\\InprocServer32]\r\n@=\"" + escaped +
           "\"\r\n\r\n";
  };
  ASSERT_TRUE(ImportReg(
      "REGEDIT4\r\n\r\n" +
      server("{4B560001-0000-0000-0000-000000000001}", win + "\\system32\\kv32only.dll") +
      server("{4B560001-0000-0000-0000-000000000002}", "%SystemRoot%\\System32\\kv32only.dll") +
      server("{4B560001-0000-0000-0000-000000000003}", "%ProgramFiles%\\KvApp32\\kv32com.dll") +
      server("{4B560001-0000-0000-0000-000000000004}", win + "\\system32\\kv32gone.dll")));
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
