// kelvane.exe under Wine over entries that the ANSI code page cannot carry (Greek,
// Cyrillic, CJK, an emoji), seeded through a Unicode .reg file with the system registry
// editor: no live entry is reported, the missing ones are, and what is deleted comes
// back exactly from its Version 5.00 backup through plain "regedit /s", "-restore" and
// the restore window; a repair with only ANSI entries still writes REGEDIT4. A repair
// through the window keeps what changed since the scan and says what it kept.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "e2e/e2e_support.h"
#include "restore/restore_window.h"

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

// Runs kelvane.exe with a switch and gives its exit code (99 when it did not end).
DWORD RunKelvane(const std::string& arguments) {
  Process kelvane(std::string(kExe) + " " + arguments);
  DWORD code = 99;
  EXPECT_TRUE(kelvane.Started());
  kelvane.WaitExit(300000, &code);
  return code;
}

// The backup files of the backup folder, by full path, oldest first.
std::vector<std::string> Backups() {
  std::vector<std::string> paths;
  for (const std::string& name : ListFiles(std::string(kFolder) + "Backup\\Backup*.reg"))
    paths.push_back(std::string(kFolder) + "Backup\\" + name);
  std::sort(paths.begin(), paths.end());
  return paths;
}

void DeleteBackups() {
  for (const std::string& path : Backups())
    DeleteFileA(path.c_str());
}

// A clean with the switch, after a second so that its backup gets a name of its own.
std::string CleanOnce() {
  Sleep(1100);
  const size_t before = Backups().size();
  EXPECT_EQ(RunKelvane("-cleanonce"), 0u);
  const auto after = Backups();
  EXPECT_EQ(after.size(), before + 1);
  return after.empty() ? std::string() : after.back();
}

TEST(Unicode, EntriesInEveryScriptAreRepairedAndGivenBackExactlyThreeWays) {
  ASSERT_TRUE(MakeFile("C:\\kvt\\Ωlive\\app.exe"));
  ASSERT_TRUE(MakeFile("C:\\kvt\\Жизнь\\app.exe"));
  ASSERT_TRUE(MakeFile("C:\\kvt\\数据\\app.exe"));
  ASSERT_TRUE(MakeFile("C:\\kvt\\😀\\app.exe"));
  ASSERT_TRUE(MakeFile("C:\\kvt\\real.txt"));
  ASSERT_TRUE(
      ImportUnicodeReg("Windows Registry Editor Version 5.00\r\n\r\n"
                       "[HKEY_CURRENT_USER\\Software\\KvUni]\r\n"
                       "\"live\"=\"C:\\\\kvt\\\\Ωlive\\\\app.exe\"\r\n"
                       "\"cyr\"=\"C:\\\\kvt\\\\Жизнь\\\\app.exe\"\r\n"
                       "\"cjk\"=\"C:\\\\kvt\\\\数据\\\\app.exe\"\r\n"
                       "\"emojiLive\"=\"C:\\\\kvt\\\\😀\\\\app.exe\"\r\n"
                       "\"gone\"=\"C:\\\\kvt\\\\missing\\\\Ωgone.exe\"\r\n"
                       "\"emoji\"=\"C:\\\\kvt\\\\missing\\\\😀.exe\"\r\n"
                       "\"Ωmega\"=\"C:\\\\Nowhere\\\\x.exe\"\r\n"
                       "\"Omega\"=\"C:\\\\kvt\\\\real.txt\"\r\n"
                       "\"plain\"=\"C:\\\\kvt\\\\missing\\\\plain.exe\"\r\n\r\n"
                       "[HKEY_CURRENT_USER\\Software\\KvUni\\Жизнь]\r\n"
                       "\"p\"=\"C:\\\\kvt\\\\missing\\\\p.exe\"\r\n"
                       "\"Ключ 😀\"=hex(2):43,00,3a,00,5c,00,6b,00,76,00,74,00,5c,00,e5,5d,77,51,"
                       "3d,d8,00,de,2e,00,65,00,78,00,65,00,00,00\r\n\r\n"
                       "[HKEY_CURRENT_USER\\Software\\KvUni\\数据 🚀]\r\n"
                       "\"keep\"=dword:00000001\r\n\r\n"));
  ASSERT_TRUE(ReadWide("Software\\KvUni", "Ωmega"));
  ASSERT_EQ(ReadWide("Software\\KvUni\\Жизнь", "Ключ 😀"), L"C:\\kvt\\工具😀.exe");
  CreateDirectoryA((std::string(kFolder) + "Backup").c_str(), nullptr);
  WriteSettings("ShowHint=0\r\n", {1, 2, 4});  // Files and Folders - HKEY_CURRENT_USER
  const std::string before = ExportKey("HKEY_CURRENT_USER\\Software\\KvUni");
  ASSERT_FALSE(before.empty());
  const auto live = [] {
    for (const char* name : {"live", "cyr", "cjk", "emojiLive", "Omega"})
      EXPECT_TRUE(ReadWide("Software\\KvUni", name)) << name << " was deleted";
  };

  // The report lists the missing entries with their text, and no live one.
  const std::string csv = std::string(kFolder) + "report.csv";
  EXPECT_EQ(RunKelvane("-scan " + csv), 8u);
  const std::string report = ReadTextFile(csv);
  const std::string key = "HKEY_CURRENT_USER\\Software\\KvUni";
  for (const std::string& row :
       {key + "\\gone,C:\\kvt\\missing\\Ωgone.exe,", key + "\\emoji,C:\\kvt\\missing\\😀.exe,",
        key + "\\Ωmega,C:\\Nowhere\\x.exe,", key + "\\plain,C:\\kvt\\missing\\plain.exe,",
        key + "\\Жизнь\\p,C:\\kvt\\missing\\p.exe,", key + "\\Жизнь\\Ключ 😀,C:\\kvt\\工具😀.exe,"}) {
    EXPECT_NE(report.find(row), std::string::npos) << row << "\n" << report;
  }
  for (const char* name : {"\\live,", "\\cyr,", "\\cjk,", "\\emojiLive,", "\\Omega,"})
    EXPECT_EQ(report.find(key + name), std::string::npos) << name << "\n" << report;

  // Repaired into a Version 5.00 backup, and given back by plain "regedit /s".
  const std::string first = CleanOnce();
  live();
  for (const char* name : {"gone", "emoji", "Ωmega", "plain"})
    EXPECT_FALSE(ReadWide("Software\\KvUni", name)) << name << " was kept";
  EXPECT_FALSE(ReadWide("Software\\KvUni\\Жизнь", "Ключ 😀"));
  const std::string backup = ReadTextFile(first);
  const std::string header("\xFF\xFEW\0i\0n\0d\0o\0w\0s\0 \0R\0e\0g\0", 24);
  EXPECT_EQ(backup.substr(0, header.size()), header);
  ASSERT_EQ(RegeditImport(first), 0);
  EXPECT_EQ(ExportKey("HKEY_CURRENT_USER\\Software\\KvUni"), before);

  // Given back by "-restore".
  const std::string second = CleanOnce();
  EXPECT_NE(ExportKey("HKEY_CURRENT_USER\\Software\\KvUni"), before);
  EXPECT_EQ(RunKelvane("-restore " + second), 0u);
  EXPECT_EQ(ExportKey("HKEY_CURRENT_USER\\Software\\KvUni"), before);

  // Given back by the restore window.
  DeleteBackups();
  const std::string third = CleanOnce();
  live();
  {
    Process kelvane(kExe);
    HWND main = StartMain(kelvane);
    ASSERT_NE(main, nullptr);
    PostMessageA(main, WM_COMMAND, MAKEWPARAM(kMiRestore, BN_CLICKED), 0);
    HWND restore = nullptr;
    ASSERT_TRUE(WaitUntil(
        [&] {
          for (HWND window : TopWindows("TfrmRestore", kelvane.Id())) {
            if (IsWindowVisible(window))
              restore = window;
          }
          return restore != nullptr;
        },
        20000));
    HWND files = GetDlgItem(restore, kIdRestoreList);
    ASSERT_TRUE(WaitUntil([&] { return SendMessageA(files, LVM_GETITEMCOUNT, 0, 0) == 1; }, 5000));
    // The row is selected through the list's own process, as a click selects it.
    HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE, FALSE, kelvane.Id());
    ASSERT_NE(process, nullptr);
    void* remote = VirtualAllocEx(process, nullptr, sizeof(LVITEMA), MEM_COMMIT, PAGE_READWRITE);
    LVITEMA item{};
    item.stateMask = item.state = LVIS_SELECTED | LVIS_FOCUSED;
    SIZE_T done = 0;
    WriteProcessMemory(process, remote, &item, sizeof item, &done);
    SendMessageA(files, LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(remote));
    VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    CloseHandle(process);
    HWND button = GetDlgItem(restore, kIdRestoreRestore);
    ASSERT_TRUE(WaitUntil([&] { return IsWindowEnabled(button) != FALSE; }, 5000));
    Press(button);
    HWND box = VisibleMessageBox(kelvane.Id(), 60000);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(WindowText(GetDlgItem(box, 0xFFFF)).rfind("Restored " + third, 0), 0u);
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    WaitUntil([&] { return !IsWindow(box); }, 5000);
    PostMessageA(restore, WM_COMMAND, IDCANCEL, 0);
    WaitUntil([&] { return !IsWindow(restore); }, 5000);
    CloseMain(main, kelvane);
  }
  EXPECT_EQ(ExportKey("HKEY_CURRENT_USER\\Software\\KvUni"), before);

  // A repair with only ANSI entries writes REGEDIT4, byte for byte as it always did.
  HKEY root = nullptr;
  RegOpenKeyExA(HKEY_CURRENT_USER, "Software", 0, KEY_ALL_ACCESS, &root);
  RegDeleteTreeW(root, L"KvUni");
  RegCloseKey(root);
  ASSERT_TRUE(
      ImportUnicodeReg("Windows Registry Editor Version 5.00\r\n\r\n"
                       "[HKEY_CURRENT_USER\\Software\\KvAnsi]\r\n"
                       "\"café\"=\"C:\\\\kvt\\\\missing\\\\é.exe\"\r\n\r\n"));
  EXPECT_EQ(ReadTextFile(CleanOnce()),
            "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\KvAnsi]\r\n"
            "\"caf\xE9\"=\"C:\\\\kvt\\\\missing\\\\\xE9.exe\"\r\n");
}

TEST(Repair, KeepsWhatChangedSinceTheScanAndSaysWhatItKept) {
  const std::string server = "HKEY_CLASSES_ROOT\\CLSID\\{FFFFFFFF-4B56-4C3B-9A8D-0E1F2A3B4C5D}";
  ASSERT_TRUE(
      ImportUnicodeReg("Windows Registry Editor Version 5.00\r\n\r\n"
                       "[HKEY_CURRENT_USER\\Software\\KvTrust]\r\n"
                       "\"mended\"=\"C:\\\\kvt3\\\\missing\\\\a.exe\"\r\n"
                       "\"stale\"=\"C:\\\\kvt3\\\\missing\\\\b.exe\"\r\n\r\n"
                       "[" +
                       server +
                       "\\InprocServer32]\r\n"
                       "@=\"C:\\\\kvt3\\\\missing\\\\control.dll\"\r\n\r\n"));
  // A value name with a line break: no line of a backup file can carry it.
  HKEY inproc = nullptr;
  ASSERT_EQ(RegOpenKeyExW(HKEY_CLASSES_ROOT,
                          L"CLSID\\{FFFFFFFF-4B56-4C3B-9A8D-0E1F2A3B4C5D}\\InprocServer32", 0,
                          KEY_ALL_ACCESS, &inproc),
            ERROR_SUCCESS);
  RegSetValueExW(inproc, L"Line\nBreak", 0, REG_SZ, reinterpret_cast<const BYTE*>(L"Both"),
                 5 * sizeof(wchar_t));
  RegCloseKey(inproc);
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
