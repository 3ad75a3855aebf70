// The options dialog and the startup manager of the real kelvane.exe under Wine,
// driven through their controls: what OK stores reaches options.ini, a missing folder
// is refused, an ignored key leaves the next scan, and startup entries are listed,
// deleted and put back from the backup by the registry editor.
#include <gtest/gtest.h>

#include "e2e/e2e_support.h"

#include <commctrl.h>
#include <objbase.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdlib>

#include "options/options_dialog.h"
#include "options/reg_add_registry_dialog.h"
#include "scan/categories.h"
#include "startup/startup_manager_window.h"

namespace kelvane::e2e {
namespace {

// Main window commands.

constexpr const char* kRun = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr const char* kWowRun = "Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Run";

HWND OpenOptions(HWND main, Process& process) {
  PostMessageA(main, WM_COMMAND, MAKEWPARAM(kMiOptions, 0), 0);
  HWND options = WaitForDialog("Options", process.Id(), 20000);
  EXPECT_NE(options, nullptr);
  return options;
}

void SetText(HWND control, const std::string& text) {
  SendMessageA(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

// "&Add" on the active list, the entry typed into "Add to Ignore List" and confirmed.
void AddEntry(HWND options, const std::string& text, DWORD pid) {
  Press(GetDlgItem(options, kIdAdd));
  HWND entry = WaitForDialog("Add to Ignore List", pid, 20000);
  ASSERT_NE(entry, nullptr);
  HWND ok = GetDlgItem(entry, IDOK);
  EXPECT_FALSE(IsWindowEnabled(ok)) << "OK is offered for an empty entry";
  SetText(GetDlgItem(entry, kIdRegistryKey), "Software\\NoRoot");
  Sleep(200);
  EXPECT_FALSE(IsWindowEnabled(ok)) << "OK is offered without HKEY_";
  SetText(GetDlgItem(entry, kIdRegistryKey), text);
  ASSERT_TRUE(WaitUntil([&] { return IsWindowEnabled(ok) != FALSE; }, 5000));
  Press(ok);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(entry); }, 10000));
}

int ItemCount(HWND list) {
  return static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
}

// Opens the startup manager from the main window and waits until its list holds
// `rows` rows at least; nothing when it does not come.
HWND OpenStartupManager(HWND main, DWORD pid, int rows) {
  PostMessageA(main, WM_COMMAND, MAKEWPARAM(kMiStartupManager, 0), 0);
  HWND manager = WaitForDialog("Startup Manager", pid, 20000);
  if (!manager ||
      !WaitUntil([&] { return ItemCount(GetDlgItem(manager, kIdStartup)) >= rows; }, 20000)) {
    return nullptr;
  }
  return manager;
}

// Sets a row's state bits in a list view of another process (ticks, selection).
bool SetRowState(HWND list, int row, UINT state, UINT mask) {
  DWORD pid = 0;
  GetWindowThreadProcessId(list, &pid);
  HANDLE process =
      OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
  if (!process)
    return false;
  bool done = false;
  void* remote = VirtualAllocEx(process, nullptr, sizeof(LVITEMA), MEM_COMMIT, PAGE_READWRITE);
  if (remote) {
    LVITEMA item{};
    item.stateMask = mask;
    item.state = state;
    SIZE_T written = 0;
    DWORD_PTR result = 0;
    done = WriteProcessMemory(process, remote, &item, sizeof item, &written) &&
           SendMessageTimeoutA(list, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(remote),
                               SMTO_ABORTIFHUNG, 5000, &result) &&
           result != 0;
    VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  }
  CloseHandle(process);
  return done;
}

bool Tick(HWND list, int row) {
  return SetRowState(list, row, INDEXTOSTATEIMAGEMASK(2), LVIS_STATEIMAGEMASK);
}

std::string OptionsIni() {
  return ReadTextFile(std::string(kFolder) + "options.ini");
}

TEST(Options, WhatOkStoresReachesOptionsIniWhenTheMainWindowCloses) {
  const std::string folder = std::string(kFolder) + "My Backups\\";
  ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
  Process kelvane(kExe);
  HWND main = StartMain(kelvane);
  ASSERT_NE(main, nullptr);
  HWND options = OpenOptions(main, kelvane);
  ASSERT_NE(options, nullptr);
  EXPECT_EQ(GetParent(options), main);
  EXPECT_EQ(WindowText(GetDlgItem(options, kIdOutputFolder)), std::string(kFolder) + "Backup");
  const std::string texts = ControlTexts(options);
  for (const char* text :
       {"Select a destination folder to backup deleted entries by repairing",
        "Create a system restore point before repair",
        "Delete backup file after restoring the registry on restore dialog",
        "Include all references to removeable media", "Include all references to CD drive",
        "Show hint dialog after repairing registry issue",
        "The following registry values and keys will be ignored:", "&Add", "&Edit", "&Remove",
        "&OK", "&Cancel"}) {
    EXPECT_NE(texts.find(std::string(text) + "\n"), std::string::npos) << text;
  }

  SetText(GetDlgItem(options, kIdOutputFolder), folder);
  SendMessageA(GetDlgItem(options, kIdShowHint), BM_SETCHECK, BST_UNCHECKED, 0);
  SendMessageA(GetDlgItem(options, kIdIncludeCDdrive), BM_SETCHECK, BST_CHECKED, 0);
  ASSERT_TRUE(ClickTab(GetDlgItem(options, kIdPages), 1));
  EXPECT_TRUE(IsWindowVisible(GetDlgItem(options, kIdValues)));
  AddEntry(options, "hkey_current_user\\Software\\Kv\\Value", kelvane.Id());
  AddEntry(options, "HKEY_CURRENT_USER\\Software\\Kv\\Value", kelvane.Id());  // twice: two rows
  ASSERT_TRUE(ClickTab(GetDlgItem(options, kIdListPages), 1));
  EXPECT_TRUE(IsWindowVisible(GetDlgItem(options, kIdKeys)));
  AddEntry(options, "HKEY_LOCAL_MACHINE\\SOFTWARE\\Kv Tool", kelvane.Id());
  AddEntry(options, "HKEY_LOCAL_MACHINE\\SOFTWARE\\Removed", kelvane.Id());
  AddEntry(options, "HKEY_LOCAL_MACHINE\\SOFTWARE\\Before Edit", kelvane.Id());
  // "&Remove" takes the ticked rows of the page shown; the selection plays no part.
  HWND keys = GetDlgItem(options, kIdKeys);
  ASSERT_TRUE(Tick(keys, 1));
  ASSERT_TRUE(SetRowState(keys, 0, LVIS_SELECTED, LVIS_SELECTED));
  Press(GetDlgItem(options, kIdRemove));
  ASSERT_TRUE(WaitUntil([&] { return ItemCount(keys) == 2; }, 5000));
  // "&Edit" puts the selected row into the entry dialog and takes back what it confirms.
  ASSERT_TRUE(SetRowState(keys, 1, LVIS_SELECTED, LVIS_SELECTED));
  Press(GetDlgItem(options, kIdEdit));
  HWND entry = WaitForDialog("Add to Ignore List", kelvane.Id(), 20000);
  ASSERT_NE(entry, nullptr);
  EXPECT_EQ(WindowText(GetDlgItem(entry, kIdRegistryKey)),
            "HKEY_LOCAL_MACHINE\\SOFTWARE\\Before Edit");
  SetText(GetDlgItem(entry, kIdRegistryKey), "HKEY_LOCAL_MACHINE\\SOFTWARE\\Edited");
  Press(GetDlgItem(entry, IDOK));
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(entry); }, 10000));
  EXPECT_EQ(ItemCount(GetDlgItem(options, kIdValues)), 2);
  EXPECT_EQ(ItemCount(keys), 2);
  Press(GetDlgItem(options, IDOK));
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(options); }, 10000));

  // Stored in memory only: the file changes when the main window closes.
  EXPECT_EQ(OptionsIni(), "");
  CloseMain(main, kelvane);
  const std::string ini = OptionsIni();
  EXPECT_NE(ini.find("[Options]\r\nOutputDirectory=" + folder + "\r\n"), std::string::npos) << ini;
  EXPECT_NE(ini.find("\r\nIncludeCDdrive=1\r\n"), std::string::npos) << ini;
  EXPECT_NE(ini.find("\r\nShowHint=0\r\n"), std::string::npos) << ini;
  EXPECT_NE(ini.find("[IgnoreValue]\r\nCount=2\r\n"
                     "Value1=hkey_current_user\\Software\\Kv\\Value\r\n"
                     "Value2=HKEY_CURRENT_USER\\Software\\Kv\\Value\r\n"),
            std::string::npos)
      << ini;
  EXPECT_NE(ini.find("[IgnoreKey]\r\nCount=2\r\nKey1=HKEY_LOCAL_MACHINE\\SOFTWARE\\Kv Tool\r\n"
                     "Key2=HKEY_LOCAL_MACHINE\\SOFTWARE\\Edited\r\n"),
            std::string::npos)
      << ini;
}

TEST(Options, AMissingFolderIsRefusedAndCancelStoresNothing) {
  Process kelvane(kExe);
  HWND main = StartMain(kelvane);
  ASSERT_NE(main, nullptr);
  HWND options = OpenOptions(main, kelvane);
  ASSERT_NE(options, nullptr);
  HWND edit = GetDlgItem(options, kIdOutputFolder);
  // A folder in Greek and Cyrillic is taken as typed, not as "C:\O-?": a missing one
  // is offered for creation by its name; No keeps the dialog open.
  SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"C:\\\u03A9-\u0416"));
  Press(GetDlgItem(options, IDOK));
  HWND refusal = WaitForDialog("Varnok Kelvane", kelvane.Id(), 20000);
  ASSERT_NE(refusal, nullptr);
  EXPECT_EQ(WindowTextUtf8(GetDlgItem(refusal, 0xFFFF))
                .rfind("C:\\\xCE\xA9-\xD0\x96,The backup directory does not exist.\r\n", 0),
            0u);
  PostMessageA(refusal, WM_COMMAND, IDNO, 0);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(refusal); }, 10000));
  EXPECT_TRUE(WaitUntil([&] { return FocusOf(options) == edit; }, 5000));
  SetText(edit, "C:\\No Such Folder");
  // The entry dialog starts the system's registry editor and stays open.
  ASSERT_TRUE(ClickTab(GetDlgItem(options, kIdPages), 1));
  Press(GetDlgItem(options, kIdAdd));
  HWND entry = WaitForDialog("Add to Ignore List", kelvane.Id(), 20000);
  ASSERT_NE(entry, nullptr);
  Press(GetDlgItem(entry, kIdLaunchRegedit));
  HWND regedit = WaitForWindow("RegEdit_RegEdit", 30000);
  EXPECT_NE(regedit, nullptr) << "the registry editor did not start";
  if (regedit)
    PostMessageA(regedit, WM_CLOSE, 0, 0);
  EXPECT_TRUE(IsWindowVisible(entry));
  // An entry in Greek is kept as typed and listed as it is.
  SendMessageW(
      GetDlgItem(entry, kIdRegistryKey), WM_SETTEXT, 0,
      reinterpret_cast<LPARAM>(L"HKEY_CURRENT_USER\\Software\\\u03A9\u03BC\u03AD\u03B3\u03B1"));
  ASSERT_TRUE(WaitUntil([&] { return IsWindowEnabled(GetDlgItem(entry, IDOK)) != FALSE; }, 5000));
  Press(GetDlgItem(entry, IDOK));
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(entry); }, 10000));
  const auto listed = ListRowsUtf8(GetDlgItem(options, kIdValues));
  ASSERT_EQ(listed.size(), 1u);
  EXPECT_EQ(listed[0].problem,
            "HKEY_CURRENT_USER\\Software\\\xCE\xA9\xCE\xBC\xCE\xAD\xCE\xB3\xCE\xB1");
  AddEntry(options, "HKEY_CURRENT_USER\\Software\\Dropped", kelvane.Id());
  Press(GetDlgItem(options, IDOK));
  HWND box = WaitForDialog("Varnok Kelvane", kelvane.Id(), 20000);
  ASSERT_NE(box, nullptr);
  // OK offers to create the folder, as the repair does; No keeps the dialog open.
  EXPECT_NE(ControlTexts(box).find("C:\\No Such Folder,The backup directory does not exist.\r\n"
                                   "creates a new directory?\n"),
            std::string::npos)
      << ControlTexts(box);
  if (std::getenv("KELVANE_SHOT_DIR")) {
    EXPECT_TRUE(SaveWindow(box, "options-create-folder"));
  }
  PostMessageA(box, WM_COMMAND, IDNO, 0);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(box); }, 10000));
  EXPECT_FALSE(FileExists("C:\\No Such Folder"));
  // The dialog stays, back on "General" with the focus in the folder's edit.
  EXPECT_TRUE(IsWindowVisible(options));
  EXPECT_TRUE(WaitUntil([&] { return FocusOf(options) == edit; }, 5000));
  EXPECT_EQ(SendMessageA(GetDlgItem(options, kIdPages), TCM_GETCURSEL, 0, 0), 0);
  EXPECT_TRUE(IsWindowVisible(edit));
  EXPECT_FALSE(IsWindowVisible(GetDlgItem(options, kIdValues)));

  Press(GetDlgItem(options, IDCANCEL));
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(options); }, 10000));
  CloseMain(main, kelvane);
  const std::string ini = OptionsIni();
  EXPECT_NE(ini.find("OutputDirectory=C:\\Kelvane\\Backup\r\n"), std::string::npos) << ini;
  EXPECT_NE(ini.find("[IgnoreValue]\r\nCount=0\r\n"), std::string::npos) << ini;
  EXPECT_EQ(ini.find("Dropped"), std::string::npos) << ini;
}

// Runs a scan through the task button and waits for the progress window to go.
std::vector<ListRow> Scan(HWND main, Process& process) {
  PostMessageA(main, WM_COMMAND, MAKEWPARAM(kMiScan, BN_CLICKED), 0);
  HWND progress = WaitForWindow(kProgressClass, 20000, process.Id());
  EXPECT_NE(progress, nullptr);
  EXPECT_TRUE(WaitUntil([&] { return !IsWindow(progress); }, 300000));
  Sleep(500);
  return ListRows(GetDlgItem(main, kIdList));
}

bool HasRow(const std::vector<ListRow>& rows, const std::string& key) {
  return std::any_of(rows.begin(), rows.end(), [&](const ListRow& row) {
    return lstrcmpiA(row.key.c_str(), key.c_str()) == 0;
  });
}

TEST(Options, AnIgnoredKeyLeavesTheNextScan) {
  const std::string key =
      "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\kvgone.exe";
  ASSERT_TRUE(
      ImportReg("REGEDIT4\r\n\r\n[" + key + "]\r\n@=\"C:\\\\KvGone\\\\kvgone.exe\"\r\n\r\n"));
  // OK needs the backup folder to exist.
  CreateDirectoryA((std::string(kFolder) + "Backup").c_str(), nullptr);
  // Only "Software Locations" (id 6) is ticked, with the root above it.
  std::string ticks = "[TreeViewNodeCheck]\r\n";
  for (const Category& category : Categories()) {
    const int id = category.id;
    ticks += std::to_string(id) + (id == 1 || id == 6 ? "=1\r\n" : "=0\r\n");
  }
  FILE* file = std::fopen((std::string(kFolder) + "options.ini").c_str(), "wb");
  ASSERT_NE(file, nullptr);
  std::fputs(ticks.c_str(), file);
  std::fclose(file);

  Process kelvane(kExe);
  HWND main = StartMain(kelvane);
  ASSERT_NE(main, nullptr);
  ASSERT_TRUE(HasRow(Scan(main, kelvane), key)) << "the seeded entry was not found";

  HWND options = OpenOptions(main, kelvane);
  ASSERT_NE(options, nullptr);
  ASSERT_TRUE(ClickTab(GetDlgItem(options, kIdPages), 1));
  ASSERT_TRUE(ClickTab(GetDlgItem(options, kIdListPages), 1));
  AddEntry(options, key, kelvane.Id());
  Press(GetDlgItem(options, IDOK));
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(options); }, 10000));

  EXPECT_FALSE(HasRow(Scan(main, kelvane), key)) << "the ignored key was reported again";
  CloseMain(main, kelvane);
}

// The lines of an export, sorted: the comparison does not hang on value order.
std::vector<std::string> SortedLines(const std::string& text) {
  std::vector<std::string> lines;
  std::string line;
  for (const char c : text) {
    if (c == '\n') {
      lines.push_back(line);
      line.clear();
    } else if (c != '\r') {
      line.push_back(c);
    }
  }
  lines.push_back(line);
  std::sort(lines.begin(), lines.end());
  return lines;
}

// Shortcut files named like `name` in the recycle bin: under Wine the desktop's trash
// folder, reached through drive Z:.
size_t InRecycleBin(const std::string& name) {
  const char* data = std::getenv("XDG_DATA_HOME");
  if (!data)
    return 0;
  std::string folder = std::string("Z:") + data + "/Trash/files/";
  std::replace(folder.begin(), folder.end(), '/', '\\');
  return ListFiles(folder + name + "*").size();
}

TEST(StartupManager, ListsDeletesAndTheBackupPutsTheEntriesBack) {
  ASSERT_TRUE(
      ImportReg("REGEDIT4\r\n\r\n"
                "[HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run]\r\n"
                "\"KvUser\"=\"\\\"C:\\\\Kv Tools\\\\user.exe\\\" /tray\"\r\n\r\n"
                "[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Run]\r\n"
                "\"KvMachine\"=hex(2):25,77,69,6e,64,69,72,25,5c,6b,76,2e,65,78,65,00\r\n"
                "\"KvNumber\"=dword:00000001\r\n\r\n"
                // A 32-bit program's entry, in the 32-bit view of 64-bit Windows.
                "[HKEY_LOCAL_MACHINE\\Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\"
                "Run]\r\n"
                "\"KvThirtyTwo\"=\"C:\\\\Kv\\\\old32.exe\"\r\n\r\n"));
  char startup[MAX_PATH] = {};
  ASSERT_TRUE(SHGetSpecialFolderPathA(nullptr, startup, CSIDL_STARTUP, TRUE));
  const std::string shortcut = std::string(startup) + "\\KvTool.lnk";
  ASSERT_TRUE(CreateShortcut(shortcut, "C:\\windows\\notepad.exe"));
  const std::string userRun = std::string("HKEY_CURRENT_USER\\") + kRun;
  const std::string machineRun = std::string("HKEY_LOCAL_MACHINE\\") + kRun;
  const std::string wowRun = std::string("HKEY_LOCAL_MACHINE\\") + kWowRun;
  const std::string userBefore = ExportKey(userRun);
  const std::string machineBefore = ExportKey(machineRun);
  const std::string wowBefore = ExportKey(wowRun);
  ASSERT_NE(userBefore, "");
  ASSERT_NE(machineBefore, "");
  ASSERT_NE(wowBefore, "");

  const size_t recycledBefore = InRecycleBin("KvTool.lnk");

  Process kelvane(kExe);
  HWND main = StartMain(kelvane);
  ASSERT_NE(main, nullptr);
  HWND manager = OpenStartupManager(main, kelvane.Id(), 4);
  ASSERT_NE(manager, nullptr);
  HWND list = GetDlgItem(manager, kIdStartup);
  const auto rows = ListRows(list);
  std::vector<std::string> ours;
  for (const ListRow& row : rows) {
    if (row.problem.rfind("Kv", 0) == 0)
      ours.push_back(row.problem + " | " + row.key + " | " + row.value);
  }
  ASSERT_EQ(ours.size(), 4u);
  EXPECT_EQ(ours[0], "KvUser | \"C:\\Kv Tools\\user.exe\" /tray | " + userRun);
  EXPECT_EQ(ours[1], "KvMachine | %windir%\\kv.exe | " + machineRun);
  EXPECT_EQ(ours[2], "KvThirtyTwo | C:\\Kv\\old32.exe | " + wowRun);
  EXPECT_EQ(ours[3].substr(0, 13), "KvTool.lnk | ");
  EXPECT_EQ(lstrcmpiA(ours[3].c_str(), "KvTool.lnk | C:\\windows\\notepad.exe | Startup"), 0)
      << ours[3];
  // Sized to the widest content: the key paths need more than the design width.
  EXPECT_GT(SendMessageA(list, LVM_GETCOLUMNWIDTH, 2, 0), 200);
  for (int i = 0; i < ItemCount(list); ++i) {
    EXPECT_EQ(SendMessageA(list, LVM_GETITEMSTATE, i, LVIS_STATEIMAGEMASK),
              INDEXTOSTATEIMAGEMASK(1))
        << "row " << i << " starts ticked";
  }

  Press(GetDlgItem(manager, kIdSelectAll));
  ASSERT_TRUE(WaitUntil(
      [&] {
        return SendMessageA(list, LVM_GETITEMSTATE, 0, LVIS_STATEIMAGEMASK) ==
               INDEXTOSTATEIMAGEMASK(2);
      },
      5000));
  Press(GetDlgItem(manager, kIdDeleteEntry));
  ASSERT_TRUE(WaitUntil([&] { return ItemCount(list) == 0; }, 20000))
      << ControlTexts(WaitForDialog("Varnok Kelvane", kelvane.Id(), 1000));
  EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, kRun, "KvUser"));
  EXPECT_FALSE(ValueExists(HKEY_LOCAL_MACHINE, kRun, "KvMachine"));
  EXPECT_FALSE(ValueExists(HKEY_LOCAL_MACHINE, kWowRun, "KvThirtyTwo"));
  EXPECT_TRUE(ValueExists(HKEY_LOCAL_MACHINE, kRun, "KvNumber"));  // never listed
  EXPECT_FALSE(FileExists(shortcut));
  EXPECT_EQ(InRecycleBin("KvTool.lnk"), recycledBefore + 1) << "not in the recycle bin";
  // No question and no message.
  EXPECT_EQ(WaitForDialog("Varnok Kelvane", kelvane.Id(), 1000), nullptr);
  Press(GetDlgItem(manager, IDCANCEL));
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(manager); }, 10000));
  CloseMain(main, kelvane);

  const auto backups = ListFiles(std::string(kFolder) + "Backup\\Backup*.reg");
  ASSERT_EQ(backups.size(), 1u);
  const std::string backup = std::string(kFolder) + "Backup\\" + backups[0];
  EXPECT_EQ(ReadTextFile(backup).rfind("REGEDIT4\r\n", 0), 0u);
  char windows[MAX_PATH] = {};
  GetWindowsDirectoryA(windows, MAX_PATH);
  ASSERT_EQ(RunAndWait(std::string(windows) + "\\regedit.exe /s \"" + backup + "\"", 60000), 0);
  EXPECT_EQ(SortedLines(ExportKey(userRun)), SortedLines(userBefore));
  EXPECT_EQ(SortedLines(ExportKey(machineRun)), SortedLines(machineBefore));
  EXPECT_EQ(SortedLines(ExportKey(wowRun)), SortedLines(wowBefore));
}

// Run values named in Greek and with an emoji are listed as they are; "Delete Entry"
// deletes them with the ordinary one ticked with them, into one Version 5.00 backup that
// the registry editor imports back exactly.
TEST(StartupManager, EntriesNamedOutsideTheCodePageAreShownDeletedAndGivenBack) {
  HKEY run = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kRun, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &run,
                            nullptr),
            0);
  const std::pair<std::wstring, std::wstring> values[] = {
      {L"KvPlain", L"C:\\Kv\\plain.exe"},
      {L"KvRocket \xD83D\xDE80", L"C:\\Kv\\rocket.exe"},
      {L"\u03A9\u03BC\u03AD\u03B3\u03B1", L"C:\\Kv\\\u03C9.exe /tray"},
  };
  for (const auto& [name, data] : values) {
    ASSERT_EQ(
        RegSetValueExW(run, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                       static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t))),
        0);
  }
  const std::string rocket = "KvRocket \xF0\x9F\x9A\x80";
  const std::string omega = "\xCE\xA9\xCE\xBC\xCE\xAD\xCE\xB3\xCE\xB1";

  Process kelvane(kExe);
  HWND main = StartMain(kelvane);
  ASSERT_NE(main, nullptr);
  HWND manager = OpenStartupManager(main, kelvane.Id(), 3);
  ASSERT_NE(manager, nullptr);
  HWND list = GetDlgItem(manager, kIdStartup);
  const std::string userRun = std::string("HKEY_CURRENT_USER\\") + kRun;
  std::vector<std::string> ours;
  for (const ListRow& row : ListRowsUtf8(list)) {
    if (row.value == userRun)
      ours.push_back(row.problem + " | " + row.key);
  }
  EXPECT_EQ(ours, (std::vector<std::string>{"KvPlain | C:\\Kv\\plain.exe",
                                            rocket + " | C:\\Kv\\rocket.exe",
                                            omega + " | C:\\Kv\\\xCF\x89.exe /tray"}));
  ASSERT_EQ(ours.size(), 3u);

  Press(GetDlgItem(manager, kIdSelectAll));
  ASSERT_TRUE(WaitUntil(
      [&] {
        return SendMessageA(list, LVM_GETITEMSTATE, 0, LVIS_STATEIMAGEMASK) ==
               INDEXTOSTATEIMAGEMASK(2);
      },
      5000));
  Press(GetDlgItem(manager, kIdDeleteEntry));
  ASSERT_TRUE(WaitUntil([&] { return ItemCount(list) == 0; }, 20000));
  for (const auto& [name, data] : values)
    EXPECT_NE(RegQueryValueExW(run, name.c_str(), nullptr, nullptr, nullptr, nullptr), 0);
  Press(GetDlgItem(manager, IDCANCEL));
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(manager); }, 10000));
  CloseMain(main, kelvane);

  const auto backups = ListFiles(std::string(kFolder) + "Backup\\Backup*.reg");
  ASSERT_EQ(backups.size(), 1u);
  const std::string backup = std::string(kFolder) + "Backup\\" + backups[0];
  EXPECT_EQ(ReadTextFile(backup).substr(0, 2), "\xFF\xFE");
  ASSERT_EQ(RegeditImport(backup), 0);
  for (const auto& [name, data] : values) {
    wchar_t stored[64] = {};
    DWORD size = sizeof stored - sizeof(wchar_t);
    EXPECT_EQ(RegQueryValueExW(run, name.c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(stored),
                               &size),
              0);
    EXPECT_EQ(std::wstring(stored), data);
  }
  RegCloseKey(run);
}

TEST(Settings, ABadOptionsIniLoadsWithoutHarmAndShowsWhatItCan) {
  // An absurd count with one empty and one absent entry, an entry far longer than an
  // entry can be read, an unreadable count, a very long folder line.
  const std::string longEntry = "HKEY_CURRENT_USER\\Software\\" + std::string(70000, 'L');
  const std::string ini =
      "[Options]\r\nOutputDirectory=" + std::string(5000, 'D') +
      "\r\nShowHint=maybe\r\n"
      "[IgnoreValue]\r\nCount=2147483647\r\nValue1=\r\nValue2=HKEY_CURRENT_USER\\Software\\Kv\r\n"
      "Value4=" +
      longEntry +
      "\r\n"
      "[IgnoreKey]\r\nCount=99999999999999999999\r\nKey1=HKEY_LOCAL_MACHINE\\SOFTWARE\\Kv\r\n";
  FILE* file = std::fopen((std::string(kFolder) + "options.ini").c_str(), "wb");
  ASSERT_NE(file, nullptr);
  std::fwrite(ini.data(), 1, ini.size(), file);
  std::fclose(file);

  const ULONGLONG start = GetTickCount64();
  Process kelvane(kExe);
  HWND main = StartMain(kelvane);
  ASSERT_NE(main, nullptr);
  std::printf("main window shown after %llu ms\n",
              static_cast<unsigned long long>(GetTickCount64() - start));
  HWND options = OpenOptions(main, kelvane);
  ASSERT_NE(options, nullptr);
  // Entries are read up to 2047 characters; the folder likewise.
  EXPECT_EQ(SendMessageA(GetDlgItem(options, kIdOutputFolder), WM_GETTEXTLENGTH, 0, 0), 2047);
  const auto values = ListRows(GetDlgItem(options, kIdValues));
  ASSERT_EQ(values.size(), 2u);
  EXPECT_EQ(values[0].problem, "HKEY_CURRENT_USER\\Software\\Kv");
  EXPECT_EQ(values[1].problem.substr(0, 30), longEntry.substr(0, 30));
  EXPECT_EQ(ItemCount(GetDlgItem(options, kIdKeys)), 0);  // an unreadable count is 0
  Press(GetDlgItem(options, IDCANCEL));
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(options); }, 10000));

  const ULONGLONG closing = GetTickCount64();
  CloseMain(main, kelvane);
  std::printf("closed after %llu ms\n",
              static_cast<unsigned long long>(GetTickCount64() - closing));
  const std::string saved = OptionsIni();
  EXPECT_NE(saved.find("[IgnoreValue]\r\nCount=2\r\nValue1=HKEY_CURRENT_USER\\Software\\Kv\r\n"
                       "Value2=HKEY_CURRENT_USER\\Software\\LLL"),
            std::string::npos);
  EXPECT_NE(saved.find("\r\nShowHint=1\r\n"), std::string::npos);
  EXPECT_LT(saved.size(), ini.size());
}

}  // namespace
}  // namespace kelvane::e2e
