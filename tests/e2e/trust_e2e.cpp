// kelvane.exe under Wine over entries that the ANSI code page cannot carry, seeded
// through a Unicode .reg file with the system registry editor: no live entry is
// reported, and what is deleted comes back exactly from the backup; a repair through
// the window keeps what changed since the scan and says what it kept.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

#include "e2e/e2e_support.h"

#include <commctrl.h>

namespace kelvane::e2e {
namespace {

std::wstring Wide(const std::string& utf8) {
  const int n =
      MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring out(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), n);
  return out;
}

// Imports a "Windows Registry Editor Version 5.00" text (UTF-16 with its byte order
// mark), the form that carries any character.
bool ImportUnicodeReg(const std::string& utf8) {
  const std::string path = std::string(kFolder) + "unicode.reg";
  FILE* file = std::fopen(path.c_str(), "wb");
  if (!file)
    return false;
  const std::wstring text = L"\xFEFF" + Wide(utf8);
  std::fwrite(text.data(), sizeof(wchar_t), text.size(), file);
  std::fclose(file);
  char windows[MAX_PATH] = {};
  GetWindowsDirectoryA(windows, MAX_PATH);
  return RunAndWait(std::string(windows) + "\\regedit.exe /s \"" + path + "\"", 60000) == 0;
}

// The value's text as stored, read wide; nothing when it is not there.
std::optional<std::wstring> ReadWide(const std::string& key, const std::string& name) {
  HKEY handle = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, Wide(key).c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS)
    return std::nullopt;
  wchar_t data[512] = {};
  DWORD size = sizeof data - sizeof(wchar_t);
  const LONG rc = RegQueryValueExW(handle, Wide(name).c_str(), nullptr, nullptr,
                                   reinterpret_cast<BYTE*>(data), &size);
  RegCloseKey(handle);
  if (rc != ERROR_SUCCESS)
    return std::nullopt;
  return std::wstring(data);
}

TEST(Unicode, TheUnattendedRunDeletesOnlyWhatItsBackupGivesBackExactly) {
  if (GetACP() == CP_UTF8)
    GTEST_SKIP() << "every text is exact in the UTF-8 code page";
  ASSERT_TRUE(MakeFile("C:\\kvt\\Ωlive\\app.exe"));
  ASSERT_TRUE(MakeFile("C:\\kvt\\Жизнь\\app.exe"));
  ASSERT_TRUE(MakeFile("C:\\kvt\\数据\\app.exe"));
  ASSERT_TRUE(MakeFile("C:\\kvt\\real.txt"));
  ASSERT_TRUE(
      ImportUnicodeReg("Windows Registry Editor Version 5.00\r\n\r\n"
                       "[HKEY_CURRENT_USER\\Software\\KvUni]\r\n"
                       "\"live\"=\"C:\\\\kvt\\\\Ωlive\\\\app.exe\"\r\n"
                       "\"cyr\"=\"C:\\\\kvt\\\\Жизнь\\\\app.exe\"\r\n"
                       "\"cjk\"=\"C:\\\\kvt\\\\数据\\\\app.exe\"\r\n"
                       "\"gone\"=\"C:\\\\kvt\\\\missing\\\\Ωgone.exe\"\r\n"
                       "\"emoji\"=\"C:\\\\kvt\\\\missing\\\\😀.exe\"\r\n"
                       "\"Ωmega\"=\"C:\\\\Nowhere\\\\x.exe\"\r\n"
                       "\"Omega\"=\"C:\\\\kvt\\\\real.txt\"\r\n"
                       "\"plain\"=\"C:\\\\kvt\\\\missing\\\\plain.exe\"\r\n\r\n"
                       "[HKEY_CURRENT_USER\\Software\\KvUni\\Жизнь]\r\n"
                       "\"p\"=\"C:\\\\kvt\\\\missing\\\\p.exe\"\r\n\r\n"));
  ASSERT_TRUE(ReadWide("Software\\KvUni", "Ωmega"));
  CreateDirectoryA((std::string(kFolder) + "Backup").c_str(), nullptr);
  WriteSettings("ShowHint=0\r\n", {1, 2, 4});  // Files and Folders - HKEY_CURRENT_USER

  Process kelvane(std::string(kExe) + " -cleanonce");
  ASSERT_TRUE(kelvane.Started());
  DWORD code = 99;
  ASSERT_TRUE(kelvane.WaitExit(300000, &code));
  EXPECT_EQ(code, 0u);

  for (const char* name : {"live", "cyr", "cjk", "gone", "emoji", "Ωmega", "Omega"})
    EXPECT_TRUE(ReadWide("Software\\KvUni", name)) << name << " was deleted";
  EXPECT_TRUE(ReadWide("Software\\KvUni\\Жизнь", "p"));
  EXPECT_FALSE(ReadWide("Software\\KvUni", "plain"));

  const auto backups = ListFiles(std::string(kFolder) + "Backup\\Backup*.reg");
  ASSERT_EQ(backups.size(), 1u);
  const std::string backupPath = std::string(kFolder) + "Backup\\" + backups[0];
  const std::string backup = ReadTextFile(backupPath);
  // The one entry of the key that the backup can hold, and nothing else of the key.
  const std::string block =
      "[HKEY_CURRENT_USER\\Software\\KvUni]\r\n\"plain\"=\"C:\\\\kvt\\\\missing\\\\plain.exe\"\r\n";
  EXPECT_NE(backup.find(block), std::string::npos) << backup;
  EXPECT_EQ(backup.find("KvUni"), backup.rfind("KvUni")) << backup;

  char windows[MAX_PATH] = {};
  GetWindowsDirectoryA(windows, MAX_PATH);
  ASSERT_EQ(RunAndWait(std::string(windows) + "\\regedit.exe /s \"" + backupPath + "\"", 60000), 0);
  EXPECT_EQ(ReadWide("Software\\KvUni", "plain"), L"C:\\kvt\\missing\\plain.exe");
  EXPECT_EQ(ReadWide("Software\\KvUni", "Omega"), L"C:\\kvt\\real.txt");
}

TEST(Repair, KeepsWhatChangedSinceTheScanAndSaysWhatItKept) {
  if (GetACP() == CP_UTF8)
    GTEST_SKIP() << "every text is exact in the UTF-8 code page";
  const std::string server = "HKEY_CLASSES_ROOT\\CLSID\\{FFFFFFFF-4B56-4C3B-9A8D-0E1F2A3B4C5D}";
  ASSERT_TRUE(
      ImportUnicodeReg("Windows Registry Editor Version 5.00\r\n\r\n"
                       "[HKEY_CURRENT_USER\\Software\\KvTrust]\r\n"
                       "\"mended\"=\"C:\\\\kvt3\\\\missing\\\\a.exe\"\r\n"
                       "\"stale\"=\"C:\\\\kvt3\\\\missing\\\\b.exe\"\r\n\r\n"
                       "[" +
                       server +
                       "\\InprocServer32]\r\n"
                       "@=\"C:\\\\kvt3\\\\missing\\\\control.dll\"\r\n"
                       "\"ΩModel\"=\"Both\"\r\n\r\n"));
  CreateDirectoryA((std::string(kFolder) + "Backup").c_str(), nullptr);
  WriteSettings("ShowHint=0\r\n", {1, 2, 4, 13});  // with Custom Controls

  Process kelvane(kExe);
  HWND main = StartMain(kelvane);
  ASSERT_NE(main, nullptr);
  HWND list = GetDlgItem(main, kIdList);
  ASSERT_TRUE(ScanAndWait(main, kelvane.Id()));
  const auto has = [&](const std::string& key) {
    for (const auto& row : ListRows(list)) {
      if (row.key == key)
        return true;
    }
    return false;
  };
  const std::string mended = "HKEY_CURRENT_USER\\Software\\KvTrust\\mended";
  const std::string stale = "HKEY_CURRENT_USER\\Software\\KvTrust\\stale";
  ASSERT_TRUE(has(mended));
  ASSERT_TRUE(has(stale));
  ASSERT_TRUE(has(server + "\\InprocServer32"));

  // The program comes back before the repair.
  CreateDirectoryA("C:\\kvt3", nullptr);
  CreateDirectoryA("C:\\kvt3\\missing", nullptr);
  FILE* program = std::fopen("C:\\kvt3\\missing\\a.exe", "wb");
  ASSERT_NE(program, nullptr);
  std::fclose(program);

  PostMessageA(main, WM_COMMAND, MAKEWPARAM(kMiRepair, BN_CLICKED), 0);
  HWND box = nullptr;
  ASSERT_TRUE(WaitUntil(
      [&] {
        for (HWND window : TopWindows("#32770", kelvane.Id())) {
          if (IsWindowVisible(window) && GetDlgItem(window, 0xFFFF))
            box = window;
        }
        return box != nullptr;
      },
      120000));
  const std::string report = WindowText(GetDlgItem(box, 0xFFFF));
  std::printf("report:\n%s\n", report.c_str());
  if (std::getenv("KELVANE_SHOT_DIR")) {
    EXPECT_TRUE(SaveWindow(box, "repair-report"));
  }
  EXPECT_NE(report.find("1 entry was kept: the backup file could not hold it exactly."),
            std::string::npos);
  EXPECT_NE(report.find("First: " + server + "\\InprocServer32"), std::string::npos);
  PostMessageA(box, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(box); }, 10000));

  EXPECT_FALSE(has(mended));  // no longer broken: it left the list, unrepaired
  EXPECT_FALSE(has(stale));
  EXPECT_TRUE(has(server + "\\InprocServer32"));  // kept, and still listed
  EXPECT_TRUE(ReadWide("Software\\KvTrust", "mended"));
  EXPECT_FALSE(ReadWide("Software\\KvTrust", "stale"));
  const auto backups = ListFiles(std::string(kFolder) + "Backup\\Backup*.reg");
  ASSERT_EQ(backups.size(), 1u);
  const std::string backup = ReadTextFile(std::string(kFolder) + "Backup\\" + backups[0]);
  EXPECT_EQ(backup.find("mended"), std::string::npos);
  EXPECT_NE(backup.find("\"stale\""), std::string::npos);
  CloseMain(main, kelvane);
}

}  // namespace
}  // namespace kelvane::e2e
