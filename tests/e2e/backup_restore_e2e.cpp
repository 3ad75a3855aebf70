// kelvane.exe under Wine: a repair undone from the restore window with the real
// registry editor, a damaged backup refused, a restore stopped, the full export stopped
// and finished, a planted "regedit.exe" that never runs, and the missing Windows
// backup tool.
#include <gtest/gtest.h>

#include "e2e/e2e_support.h"

#include <commctrl.h>

#include <cstdlib>
#include <cstring>

#include "backup/backup_hint_window.h"
#include "restore/restore_window.h"
#include "scan/categories.h"

namespace kelvane::e2e {
namespace {

// When this driver runs under the name "regedit.exe" or "sdclt.exe" it is the planted
// program of the tests below: it leaves a mark beside itself and ends before any test
// runs.
const bool kRanAsPlantedProgram = [] {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  const std::string self = path;
  const auto endsWith = [&self](const std::string& tail) {
    return self.size() >= tail.size() &&
           lstrcmpiA(self.substr(self.size() - tail.size()).c_str(), tail.c_str()) == 0;
  };
  if (!endsWith("\\regedit.exe") && !endsWith("\\sdclt.exe"))
    return false;
  FILE* mark = std::fopen((self + ".ran").c_str(), "wb");
  if (mark)
    std::fclose(mark);
  ExitProcess(0);
}();

const std::string kBackupFolder = std::string(kFolder) + "Backup";

constexpr const char* kAppPaths =
    "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths";
constexpr const char* kRun = "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr const char* kSharedDlls =
    "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";

// Stale entries of three categories, with values of several types.
const std::string kSeed = std::string("REGEDIT4\r\n\r\n[") + kAppPaths +
                          "\\kvgone.exe]\r\n@=\"C:\\\\KvGone\\\\kvgone.exe\"\r\n"
                          "\"Path\"=\"C:\\\\KvGone\"\r\n\"Flags\"=dword:0000001a\r\n"
                          "\"Blob\"=hex:00,01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,"
                          "13,14,15,16,17,18,19,1a,1b,1c,1d\r\n\r\n[" +
                          kAppPaths + "\\kvgone.exe\\Sub]\r\n\"x\"=\"y\"\r\n\r\n[" + kRun +
                          "]\r\n\"KvGone\"=\"C:\\\\KvGone\\\\kvgone.exe /tray\"\r\n\r\n[" +
                          kSharedDlls +
                          "]\r\n\"C:\\\\KvGone\\\\kvgone.dll\"=dword:00000002\r\n\r\n";

std::string Editor() {
  char windows[MAX_PATH] = {};
  GetWindowsDirectoryA(windows, MAX_PATH);
  return std::string(windows) + "\\regedit.exe";
}

// The registry editor's own export of a key.
std::string Export(const std::string& key, const std::string& name) {
  const std::string file = std::string(kFolder) + name;
  DeleteFileA(file.c_str());
  EXPECT_EQ(RunAndWait("\"" + Editor() + "\" /e \"" + file + "\" \"" + key + "\"", 60000), 0);
  return ReadTextFile(file);
}

std::string ExportAll(const char* tag) {
  return Export(kAppPaths, std::string(tag) + "-1.reg") +
         Export(kRun, std::string(tag) + "-2.reg") +
         Export(kSharedDlls, std::string(tag) + "-3.reg");
}

void WriteFile(const std::string& path, const std::string& text) {
  FILE* file = std::fopen(path.c_str(), "wb");
  ASSERT_NE(file, nullptr);
  std::fwrite(text.data(), 1, text.size(), file);
  std::fclose(file);
}

// Only "Software Locations" (6), "Shared DLLs" (9) and "Startup Programs" (10), with
// the root; no hint after the repair; backups deleted after a proven restore.
void WriteSettings() {
  std::string text = "[Options]\r\nShowHint=0\r\nDeleteBackupFile=1\r\n[TreeViewNodeCheck]\r\n";
  for (const Category& category : Categories()) {
    const int id = category.id;
    text += std::to_string(id) + (id == 1 || id == 6 || id == 9 || id == 10 ? "=1\r\n" : "=0\r\n");
  }
  WriteFile(std::string(kFolder) + "options.ini", text);
}

// A visible window of the class in the process that holds a control of this id (0: any).
HWND FindDialog(const char* className, DWORD pid, int controlId, DWORD milliseconds) {
  HWND found = nullptr;
  WaitUntil(
      [&] {
        for (HWND window : TopWindows(className, pid)) {
          if (IsWindowVisible(window) && (controlId == 0 || GetDlgItem(window, controlId))) {
            found = window;
            return true;
          }
        }
        return false;
      },
      milliseconds);
  return found;
}

// The text of a message box of the process (in UTF-8), which is then closed.
std::string TakeMessageBox(DWORD pid, DWORD milliseconds) {
  HWND box = FindDialog("#32770", pid, 0xFFFF, milliseconds);
  if (!box)
    return "<no message>";
  const std::string text = WindowTextUtf8(GetDlgItem(box, 0xFFFF));
  PostMessageA(box, WM_COMMAND, IDOK, 0);
  WaitUntil([&] { return !IsWindow(box); }, 5000);
  return text;
}

void Click(HWND dialog, int id) {
  PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

// Selects a row of a list view in another process.
void SelectRow(HWND list, int row) {
  DWORD pid = 0;
  GetWindowThreadProcessId(list, &pid);
  HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE, FALSE, pid);
  ASSERT_NE(process, nullptr);
  void* remote = VirtualAllocEx(process, nullptr, sizeof(LVITEMA), MEM_COMMIT, PAGE_READWRITE);
  LVITEMA item{};
  item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  item.state = LVIS_SELECTED | LVIS_FOCUSED;
  SIZE_T done = 0;
  WriteProcessMemory(process, remote, &item, sizeof item, &done);
  SendMessageA(list, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(remote));
  VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  CloseHandle(process);
}

HWND OpenRestoreWindow(HWND main, DWORD pid) {
  PostMessageA(main, WM_COMMAND, MAKEWPARAM(kMiRestore, BN_CLICKED), 0);
  return FindDialog("TfrmRestore", pid, kIdRestoreList, 20000);
}

TEST(Restore, ARepairIsUndoneFromTheRestoreWindowAndTheBackupGoesOnlyAfterThat) {
  ASSERT_TRUE(ImportReg(kSeed));
  CreateDirectoryA(kBackupFolder.c_str(), nullptr);
  WriteSettings();
  const std::string before = ExportAll("before");

  Process kelvane(kExe);
  HWND main = StartMain(kelvane);
  ASSERT_NE(main, nullptr);
  HWND list = GetDlgItem(main, kIdList);
  PostMessageA(main, WM_COMMAND, MAKEWPARAM(kMiScan, BN_CLICKED), 0);
  HWND progress = WaitForWindow(kProgressClass, 20000, kelvane.Id());
  ASSERT_NE(progress, nullptr);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(progress); }, 300000));
  const auto found = ListRows(list);
  for (const auto& row : found)
    std::printf("  found %s | %s | %s\n", row.problem.c_str(), row.key.c_str(), row.value.c_str());
  ASSERT_GE(found.size(), 3u);
  // A double click on a row, away from its check box, opens it in the registry editor.
  RECT header;
  GetWindowRect(FindWindowExA(list, nullptr, "SysHeader32", nullptr), &header);
  const LPARAM at = MAKELPARAM(120, header.bottom - header.top + 6);
  PostMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
  PostMessageA(list, WM_LBUTTONUP, 0, at);
  PostMessageA(list, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
  PostMessageA(list, WM_LBUTTONUP, 0, at);
  HWND editor = WaitForWindow("RegEdit_RegEdit", 30000);
  EXPECT_NE(editor, nullptr) << "a double click did not open the registry editor";
  if (editor)
    PostMessageA(editor, WM_CLOSE, 0, 0);
  PostMessageA(main, WM_COMMAND, MAKEWPARAM(kMiRepair, BN_CLICKED), 0);
  ASSERT_TRUE(WaitUntil([&] { return SendMessageA(list, LVM_GETITEMCOUNT, 0, 0) == 0; }, 60000));
  const auto backups = ListFiles(kBackupFolder + "\\Backup*.reg");
  ASSERT_EQ(backups.size(), 1u);
  const std::string backup = kBackupFolder + "\\" + backups[0];
  EXPECT_NE(ExportAll("repaired"), before);

  // The date column shows the file's time in the pinned locale and time zone.
  SYSTEMTIME local{2007, 3, 4, 15, 9, 30, 5, 0};
  FILETIME localFile, utc;
  SystemTimeToFileTime(&local, &localFile);
  LocalFileTimeToFileTime(&localFile, &utc);
  HANDLE handle =
      CreateFileA(backup.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(handle, INVALID_HANDLE_VALUE);
  SetFileTime(handle, nullptr, nullptr, &utc);
  CloseHandle(handle);

  HWND restore = OpenRestoreWindow(main, kelvane.Id());
  ASSERT_NE(restore, nullptr);
  EXPECT_EQ(WindowText(restore), "Restore previous registry - Varnok Kelvane");
  HWND files = GetDlgItem(restore, kIdRestoreList);
  const auto rows = ListRows(files);
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].problem, backups[0]);
  EXPECT_EQ(rows[0].key, "3/15/2007 9:30:04 AM");
  const std::string size = ReadTextFile(backup).size() <= 1024 ? "1 KB" : "2 KB";
  EXPECT_EQ(rows[0].value, size);
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(restore, kIdRestoreRestore)));

  SelectRow(files, 0);
  ASSERT_TRUE(
      WaitUntil([&] { return IsWindowEnabled(GetDlgItem(restore, kIdRestoreRestore)); }, 5000));
  Click(restore, kIdRestoreRestore);
  // While the editor imports, the backup is still there; it goes once the registry
  // holds all of it.
  HWND hint = FindDialog("TfrmBackupHint", kelvane.Id(), kIdBackupHintStop, 20000);
  ASSERT_NE(hint, nullptr);
  EXPECT_TRUE(FileExists(backup));
  ASSERT_TRUE(WaitUntil([&] { return !FileExists(backup); }, 60000));
  EXPECT_EQ(ExportAll("restored"), before);
  // The restore says what it did.
  const std::string told = TakeMessageBox(kelvane.Id(), 20000);
  EXPECT_NE(told.find("Restored " + backup +
                      ": the registry holds every key and value of it again.\r\nThe backup file "
                      "was deleted, as the options ask."),
            std::string::npos)
      << told;
  EXPECT_TRUE(WaitUntil([&] { return SendMessageA(files, LVM_GETITEMCOUNT, 0, 0) == 0; }, 5000));
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(restore, kIdRestoreRestore)));
  PostMessageA(restore, WM_COMMAND, IDCANCEL, 0);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(restore); }, 5000));
  CloseMain(main, kelvane);
}

TEST(Restore, ADamagedBackupIsRefusedWithAMessageAndKept) {
  CreateDirectoryA(kBackupFolder.c_str(), nullptr);
  WriteSettings();
  const std::string good =
      "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\KvDamaged]\r\n\"a\"=\"1\"\r\n"
      "\"b\"=hex:01,02,03\r\n";
  const std::pair<std::string, std::string> cases[] = {
      {good.substr(0, good.size() - 6), "Line 5: "},  // cut short
      {good.substr(0, good.size() - 7) + "0Z,03\r\n", "Line 5: bad hexadecimal byte"},
  };
  for (const auto& [text, expected] : cases) {
    const std::string backup = kBackupFolder + "\\Backup20070315093005.reg";
    WriteFile(backup, text);
    Process kelvane(kExe);
    HWND main = StartMain(kelvane);
    ASSERT_NE(main, nullptr);
    HWND restore = OpenRestoreWindow(main, kelvane.Id());
    ASSERT_NE(restore, nullptr);
    SelectRow(GetDlgItem(restore, kIdRestoreList), 0);
    Click(restore, kIdRestoreRestore);
    const std::string message = TakeMessageBox(kelvane.Id(), 20000);
    EXPECT_NE(message.find(expected), std::string::npos) << message;
    EXPECT_NE(message.find("kept"), std::string::npos) << message;
    EXPECT_TRUE(FileExists(backup));
    EXPECT_EQ(ReadTextFile(backup), text);
    HKEY key;
    EXPECT_NE(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\KvDamaged", 0, KEY_READ, &key), 0);
    PostMessageA(restore, WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(restore); }, 5000));
    CloseMain(main, kelvane);
  }
}

// A backup named with a letter outside the ANSI code page is listed by its own name,
// restored and proven, and deleted by that name.
TEST(Restore, ABackupNamedOutsideTheCodePageIsRestoredAndDeletedByItsName) {
  CreateDirectoryA(kBackupFolder.c_str(), nullptr);
  WriteSettings();
  const std::string text =
      "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\KvZhe]\r\n\"a\"=\"1\"\r\n";
  const std::wstring backup = L"C:\\Kelvane\\Backup\\Backup_\u0416.reg";
  HANDLE file = CreateFileW(backup.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  DWORD written = 0;
  ::WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  CloseHandle(file);
  const std::string name = "Backup_\xD0\x96.reg";  // UTF-8

  Process kelvane(kExe);
  HWND main = StartMain(kelvane);
  ASSERT_NE(main, nullptr);
  HWND restore = OpenRestoreWindow(main, kelvane.Id());
  ASSERT_NE(restore, nullptr);
  HWND files = GetDlgItem(restore, kIdRestoreList);
  const auto rows = ListRowsUtf8(files);
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].problem, name);
  SelectRow(files, 0);
  ASSERT_TRUE(
      WaitUntil([&] { return IsWindowEnabled(GetDlgItem(restore, kIdRestoreRestore)); }, 5000));
  Click(restore, kIdRestoreRestore);
  const std::string told = TakeMessageBox(kelvane.Id(), 60000);
  EXPECT_EQ(told.rfind("Restored " + kBackupFolder + "\\" + name, 0), 0u) << told;
  EXPECT_TRUE(ValueExists(HKEY_CURRENT_USER, "Software\\KvZhe", "a"));
  // The option deleted the proven file; one of the same name again goes by "Delete".
  if (GetFileAttributesW(backup.c_str()) == INVALID_FILE_ATTRIBUTES) {
    file = CreateFileW(backup.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    ::WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(file);
    PostMessageA(restore, WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(restore); }, 5000));
    restore = OpenRestoreWindow(main, kelvane.Id());
    ASSERT_NE(restore, nullptr);
    files = GetDlgItem(restore, kIdRestoreList);
    SelectRow(files, 0);
  }
  Click(restore, kIdRestoreDelete);
  HWND question = FindDialog("#32770", kelvane.Id(), 0xFFFF, 20000);
  ASSERT_NE(question, nullptr);
  EXPECT_EQ(WindowTextUtf8(GetDlgItem(question, 0xFFFF)),
            "Delete the backup file " + kBackupFolder + "\\" + name +
                "?\r\nThe entries it holds can then no longer be restored.");
  PostMessageA(question, WM_COMMAND, IDYES, 0);
  ASSERT_TRUE(WaitUntil(
      [&] { return GetFileAttributesW(backup.c_str()) == INVALID_FILE_ATTRIBUTES; }, 10000));
  EXPECT_TRUE(WaitUntil([&] { return ListRowsUtf8(files).empty(); }, 5000));
  PostMessageA(restore, WM_COMMAND, IDCANCEL, 0);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(restore); }, 5000));
  CloseMain(main, kelvane);
}

// A backup large enough that its import can be stopped: 1,500 values of 2,000 bytes.
std::string LargeBackup() {
  std::string blob = "hex:";
  for (int i = 0; i < 2000; ++i)
    blob += (i ? ",5A" : "5A");
  std::string text = "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\KvLarge]\r\n";
  for (int i = 0; i < 1500; ++i)
    text += "\"v" + std::to_string(i) + "\"=" + blob + "\r\n";
  return text;
}

TEST(Restore, StopSaysTheRestoreWasInterruptedAndKeepsTheFile) {
  CreateDirectoryA(kBackupFolder.c_str(), nullptr);
  WriteSettings();
  const std::string backup = kBackupFolder + "\\Backup20070315093005.reg";
  const std::string text = LargeBackup();
  WriteFile(backup, text);
  Process kelvane(kExe);
  HWND main = StartMain(kelvane);
  ASSERT_NE(main, nullptr);
  HWND restore = OpenRestoreWindow(main, kelvane.Id());
  ASSERT_NE(restore, nullptr);
  SelectRow(GetDlgItem(restore, kIdRestoreList), 0);
  Click(restore, kIdRestoreRestore);
  HWND hint = FindDialog("TfrmBackupHint", kelvane.Id(), kIdBackupHintStop, 20000);
  ASSERT_NE(hint, nullptr);
  EXPECT_EQ(WindowText(GetDlgItem(hint, kIdBackupHintText)), "Restore registry...");
  Click(hint, kIdBackupHintStop);
  const std::string message = TakeMessageBox(kelvane.Id(), 20000);
  EXPECT_NE(message.find("interrupted"), std::string::npos) << message;
  EXPECT_EQ(ReadTextFile(backup), text);
  EXPECT_EQ(ListRows(GetDlgItem(restore, kIdRestoreList)).size(), 1u);
  PostMessageA(restore, WM_COMMAND, IDCANCEL, 0);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(restore); }, 5000));
  CloseMain(main, kelvane);
}

// Types a name into the save dialog of the full backup and confirms it.
void SaveAs(DWORD pid, const std::string& path) {
  HWND dialog = nullptr;
  ASSERT_TRUE(WaitUntil(
      [&] {
        for (HWND window : TopWindows("#32770", pid)) {
          if (IsWindowVisible(window) && WindowText(window) == "Save full registry")
            dialog = window;
        }
        return dialog != nullptr;
      },
      20000));
  // The file name box: the edit inside the combo box of newer dialogs, or the edit of
  // older ones.
  HWND name = GetDlgItem(dialog, 0x47C);
  if (name) {
    if (HWND edit = FindWindowExA(name, nullptr, "Edit", nullptr))
      name = edit;
  } else {
    name = GetDlgItem(dialog, 0x480);
  }
  ASSERT_NE(name, nullptr);
  SendMessageA(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
  PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
}

std::vector<std::string> Leftovers(const std::string& folder) {
  return ListFiles(folder + "\\~*");
}

TEST(FullBackup, StopLeavesNoFileAndAnExportThatEndsLandsWhole) {
  // A large key, so that the export takes long enough to be stopped.
  ASSERT_TRUE(ImportReg(LargeBackup()));
  const std::string folder = std::string(kFolder) + "Exports";
  CreateDirectoryA(folder.c_str(), nullptr);

  Process kelvane(kExe);
  HWND main = StartMain(kelvane);
  ASSERT_NE(main, nullptr);

  PostMessageA(main, WM_COMMAND, kMiBackupFullRegistry, 0);
  SaveAs(kelvane.Id(), folder + "\\stopped");
  HWND hint = FindDialog("TfrmBackupHint", kelvane.Id(), kIdBackupHintStop, 20000);
  ASSERT_NE(hint, nullptr);
  Click(hint, kIdBackupHintStop);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(hint); }, 20000));
  // The hint window closes before the program deals with the temporary file: the
  // verdict on the folder waits for the temporary file to be gone.
  EXPECT_TRUE(WaitUntil([&] { return Leftovers(folder).empty(); }, 5000));
  EXPECT_FALSE(FileExists(folder + "\\stopped.reg"));

  PostMessageA(main, WM_COMMAND, kMiBackupFullRegistry, 0);
  SaveAs(kelvane.Id(), folder + "\\whole");
  hint = FindDialog("TfrmBackupHint", kelvane.Id(), kIdBackupHintStop, 20000);
  ASSERT_NE(hint, nullptr);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(hint); }, 300000));
  // The export is moved into place only after the hint window has closed.
  EXPECT_TRUE(WaitUntil(
      [&] { return FileExists(folder + "\\whole.reg") && Leftovers(folder).empty(); }, 20000));
  const std::string whole = ReadTextFile(folder + "\\whole.reg");
  EXPECT_TRUE(Leftovers(folder).empty());
  // The editor writes version 5 in UTF-16; the large key is in it, to its last value.
  ASSERT_GT(whole.size(), 6000000u);
  std::string narrow;
  for (size_t i = 2; i + 1 < whole.size(); i += 2)
    narrow += whole[i];
  EXPECT_EQ(narrow.rfind("Windows Registry Editor Version 5.00", 0), 0u);
  EXPECT_NE(narrow.find("\"v1499\"=hex:5a"), std::string::npos);
  CloseMain(main, kelvane);
}

TEST(FullBackup, APlantedRegeditBesideTheProgramNeverRuns) {
  char self[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  const std::string planted = std::string(kFolder) + "regedit.exe";
  ASSERT_TRUE(CopyFileA(self, planted.c_str(), FALSE));
  const std::string mark = planted + ".ran";
  // The planted copy does leave its mark when it is run.
  RunAndWait("\"" + planted + "\" /s x.reg", 30000);
  ASSERT_TRUE(FileExists(mark));
  DeleteFileA(mark.c_str());

  Process kelvane(kExe);
  HWND main = StartMain(kelvane);
  ASSERT_NE(main, nullptr);
  PostMessageA(main, WM_COMMAND, kMiBackupFullRegistry, 0);
  SaveAs(kelvane.Id(), std::string(kFolder) + "full.reg");
  HWND hint = FindDialog("TfrmBackupHint", kelvane.Id(), kIdBackupHintStop, 20000);
  ASSERT_NE(hint, nullptr);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(hint); }, 300000));
  // The export is moved into place only after the hint window has closed.
  EXPECT_TRUE(WaitUntil([&] { return FileExists(std::string(kFolder) + "full.reg"); }, 20000));
  EXPECT_FALSE(FileExists(mark));
  CloseMain(main, kelvane);
}

// The message of a window that is starting is modal to the main window too, and the
// main window is usable again once both have gone.
TEST(Restore, AMissingFolderIsToldWhileTheMainWindowWaits) {
  RemoveDirectoryA(kBackupFolder.c_str());
  Process kelvane(kExe);
  HWND main = StartMain(kelvane);
  ASSERT_NE(main, nullptr);
  PostMessageA(main, WM_COMMAND, MAKEWPARAM(kMiRestore, BN_CLICKED), 0);
  HWND box = FindDialog("#32770", kelvane.Id(), 0xFFFF, 20000);
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(WindowText(GetDlgItem(box, 0xFFFF)), "The backup directory does not exist.");
  EXPECT_FALSE(IsWindowEnabled(main));
  PostMessageA(box, WM_COMMAND, IDOK, 0);
  HWND restore = FindDialog("TfrmRestore", kelvane.Id(), kIdRestoreList, 20000);
  ASSERT_NE(restore, nullptr);
  PostMessageA(restore, WM_COMMAND, IDCANCEL, 0);
  EXPECT_TRUE(WaitUntil([&] { return IsWindowEnabled(main) != FALSE; }, 10000));
  CloseMain(main, kelvane);
}

TEST(WindowsBackup, TheSystemsToolStartsFromTheSystemFolderAndItsAbsenceIsReported) {
  char system[MAX_PATH] = {};
  GetSystemDirectoryA(system, MAX_PATH);
  const std::string sdclt = std::string(system) + "\\sdclt.exe";
  const std::string mark = sdclt + ".ran";
  DeleteFileA(sdclt.c_str());
  Process kelvane(kExe);
  HWND main = StartMain(kelvane);
  ASSERT_NE(main, nullptr);
  // Wine has neither tool.
  PostMessageA(main, WM_COMMAND, kMiWindowsBackup, 0);
  if (std::getenv("KELVANE_SHOT_DIR")) {
    HWND box = WaitForDialog("Varnok Kelvane", kelvane.Id(), 20000);
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(SaveWindow(box, "windows-backup-missing"));
  }
  const std::string message = TakeMessageBox(kelvane.Id(), 20000);
  EXPECT_EQ(message, "The Windows backup tool was not found.\r\nNeither of these exists:\r\n" +
                         std::string(system) + "\\sdclt.exe\r\n" + system + "\\ntbackup.exe");
  // "Backup and Restore (Windows 7)" planted in the system folder is started from there.
  char self[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  ASSERT_TRUE(CopyFileA(self, sdclt.c_str(), FALSE));
  PostMessageA(main, WM_COMMAND, kMiWindowsBackup, 0);
  EXPECT_TRUE(WaitUntil([&] { return FileExists(mark); }, 30000));
  CloseMain(main, kelvane);
  DeleteFileA(mark.c_str());
  DeleteFileA(sdclt.c_str());
}

}  // namespace
}  // namespace kelvane::e2e
