// kelvane.exe started for real under Wine: one instance per desktop, the main
// window's identity, a scan driven through the window, Stop, and -cleanonce.
#include <gtest/gtest.h>

#include "e2e/e2e_support.h"

#include <commctrl.h>

#include <algorithm>
#include <cstring>
#include <map>

#include "platform/program_texts.h"
#include "scan/categories.h"
#include "scan/progress_window.h"

namespace kelvane::e2e {
namespace {

TEST(MainWindow, ShowsItsClassAndCaption) {
  Process kelvane(kExe);
  HWND main = StartMain(kelvane);
  ASSERT_NE(main, nullptr);
  EXPECT_EQ(WindowText(main), std::string(kApplicationTitle) + " " + kProgramVersion);
  EXPECT_TRUE(IsWindowVisible(main));
  // At first start the window shows every column of the list and every category of
  // the tree on its screen (Xvfb's 1280 x 1024 here).
  HWND tree = GetDlgItem(main, kIdTree), list = GetDlgItem(main, kIdList);
  RECT treeRect, listRect;
  GetClientRect(tree, &treeRect);
  GetClientRect(list, &listRect);
  EXPECT_LE(TreeView_GetCount(tree) * TreeView_GetItemHeight(tree), treeRect.bottom);
  EXPECT_LE(ListView_GetColumnWidth(list, 0) + ListView_GetColumnWidth(list, 1) +
                ListView_GetColumnWidth(list, 2) + ListView_GetColumnWidth(list, 3),
            listRect.right);
  if (std::getenv("KELVANE_SHOT_DIR")) {
    EXPECT_TRUE(SaveWindow(main, "first-start"));
  }
  HWND status = GetDlgItem(main, kIdStatus);
  // Nothing is counted before the first scan; the selection panel runs to the right edge.
  EXPECT_EQ(StatusPartText(status, 0), "");
  EXPECT_EQ(StatusPartText(status, 1), "");
  EXPECT_EQ(StatusPartRight(status, 0), 200);
  EXPECT_EQ(StatusPartRight(status, 1), -1);
  CloseMain(main, kelvane);
}

TEST(MainWindow, SecondStartActivatesTheFirstAndExits) {
  Process first(kExe);
  HWND main = StartMain(first);
  ASSERT_NE(main, nullptr);
  ShowWindow(main, SW_MINIMIZE);
  ASSERT_TRUE(WaitUntil([&] { return IsIconic(main) != FALSE; }, 5000));
  Process second(kExe);
  DWORD code = 99;
  ASSERT_TRUE(second.WaitExit(10000, &code));
  EXPECT_EQ(code, 6u);  // it did nothing of its own
  EXPECT_EQ(TopWindows(kMainClass).size(), 1u);
  // The running window comes back restored.
  EXPECT_TRUE(WaitUntil([&] { return !IsIconic(main) && IsWindowVisible(main); }, 5000));
  CloseMain(main, first);
}

TEST(MainWindow, ScanRunsBehindTheProgressWindowAndCounts) {
  // A stale App Paths entry and a font entry whose file is missing.
  ASSERT_TRUE(
      ImportReg("REGEDIT4\r\n\r\n"
                "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\"
                "gone.exe]\r\n@=\"C:\\\\Gone\\\\gone.exe\"\r\n\r\n"));
  Process kelvane(kExe);
  HWND main = StartMain(kelvane);
  ASSERT_NE(main, nullptr);
  HWND list = GetDlgItem(main, kIdList);
  PostMessageA(main, WM_COMMAND, MAKEWPARAM(kMiScan, BN_CLICKED), 0);
  HWND progress = WaitForWindow(kProgressClass, 20000, kelvane.Id());
  ASSERT_NE(progress, nullptr);
  EXPECT_EQ(WindowText(progress), "Scanning");
  // The scan of a fresh prefix ends by itself and the window goes.
  const ULONGLONG start = GetTickCount64();
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(progress); }, 300000));
  const ULONGLONG seconds = (GetTickCount64() - start) / 1000;
  // The window then ticks every row, filters and counts.
  HWND status = GetDlgItem(main, kIdStatus);
  int rows = 0;
  EXPECT_TRUE(WaitUntil(
      [&] {
        rows = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
        return StatusPartText(status, 1) ==
               " " + std::to_string(rows) + " problems selected for repairing";
      },
      10000));
  EXPECT_EQ(StatusPartText(status, 0), " " + std::to_string(rows) + " problems found");
  const auto found = ListRows(list);
  bool seeded = false;
  std::map<std::string, int> perProblem;
  for (const auto& row : found) {
    ++perProblem[row.problem];
    // Key names come back in the letter case the registry stores them in.
    if (row.problem == "Software Locations Issue" &&
        lstrcmpiA(row.key.c_str(),
                  "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App "
                  "Paths\\gone.exe") == 0) {
      seeded = true;
    }
  }
  EXPECT_TRUE(seeded) << "the seeded App Paths entry was not reported";
  for (const auto& row : found) {
    if (row.problem != "Fonts Issue") {
      std::printf("  %s | %s | %s\n", row.problem.c_str(), row.key.c_str(), row.value.c_str());
    }
  }
  std::printf("scan of a fresh prefix, every category: %d rows in about %llu s\n", rows,
              static_cast<unsigned long long>(seconds));
  for (const auto& [problem, count] : perProblem)
    std::printf("  %5d  %s\n", count, problem.c_str());
  CloseMain(main, kelvane);
}

TEST(MainWindow, StopEndsTheScanAtOnce) {
  Process kelvane(kExe);
  HWND main = StartMain(kelvane);
  ASSERT_NE(main, nullptr);
  PostMessageA(main, WM_COMMAND, MAKEWPARAM(kMiScan, BN_CLICKED), 0);
  HWND progress = WaitForWindow(kProgressClass, 20000, kelvane.Id());
  ASSERT_NE(progress, nullptr);
  // The window exists from the start of its creation; its controls a moment later.
  HWND stop = nullptr;
  WaitUntil([&] { return (stop = GetDlgItem(progress, kIdProgressStop)) != nullptr; }, 10000);
  ASSERT_NE(stop, nullptr);
  EXPECT_EQ(WindowText(stop), "Stop");
  PostMessageA(progress, WM_COMMAND, MAKEWPARAM(kIdProgressStop, BN_CLICKED),
               reinterpret_cast<LPARAM>(stop));
  EXPECT_TRUE(WaitUntil([&] { return !IsWindow(progress); }, 10000));
  // The main window answers again at once.
  DWORD_PTR result = 0;
  EXPECT_NE(SendMessageTimeoutA(main, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &result), 0);

  // Stopped once rows are in, the scan keeps them, ticked, and the status bar says so.
  PostMessageA(main, WM_COMMAND, MAKEWPARAM(kMiScan, BN_CLICKED), 0);
  progress = WaitForWindow(kProgressClass, 20000, kelvane.Id());
  ASSERT_NE(progress, nullptr);
  HWND list = GetDlgItem(main, kIdList);
  ASSERT_TRUE(WaitUntil([&] { return SendMessageA(list, LVM_GETITEMCOUNT, 0, 0) > 0; }, 300000));
  // Rows show their ticks as they come in.
  EXPECT_EQ(ListView_GetItemState(list, 0, LVIS_STATEIMAGEMASK), INDEXTOSTATEIMAGEMASK(2));
  const LRESULT before = SendMessageA(list, LVM_GETITEMCOUNT, 0, 0);
  ASSERT_TRUE(IsWindow(progress)) << "the scan ended before Stop";
  PostMessageA(progress, WM_COMMAND, MAKEWPARAM(kIdProgressStop, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(progress, kIdProgressStop)));
  EXPECT_TRUE(WaitUntil([&] { return !IsWindow(progress); }, 10000));
  EXPECT_GE(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0), before);
  const std::string status = StatusPartText(GetDlgItem(main, kIdStatus), 0);
  EXPECT_EQ(status.rfind("Scan stopped: ", 0), 0u) << status;
  if (std::getenv("KELVANE_SHOT_DIR")) {
    EXPECT_TRUE(SaveWindow(main, "scan-stopped"));
  }
  CloseMain(main, kelvane);
}

TEST(MainWindow, ADoubleClickOnATaskButtonRunsItsCommandOnce) {
  Process kelvane(kExe);
  HWND main = StartMain(kelvane);
  ASSERT_NE(main, nullptr);
  HWND button = GetDlgItem(main, kMiScan);
  ASSERT_NE(button, nullptr);
  // The owner-drawn button reports the second press of a double click on its own.
  PostMessageA(main, WM_COMMAND, MAKEWPARAM(kMiScan, BN_DOUBLECLICKED),
               reinterpret_cast<LPARAM>(button));
  EXPECT_EQ(WaitForWindow(kProgressClass, 2000, kelvane.Id()), nullptr);
  PostMessageA(main, WM_COMMAND, MAKEWPARAM(kMiScan, BN_CLICKED), reinterpret_cast<LPARAM>(button));
  HWND progress = WaitForWindow(kProgressClass, 20000, kelvane.Id());
  ASSERT_NE(progress, nullptr);
  PostMessageA(progress, WM_COMMAND, MAKEWPARAM(kIdProgressStop, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(progress, kIdProgressStop)));
  EXPECT_TRUE(WaitUntil([&] { return !IsWindow(progress); }, 10000));
  CloseMain(main, kelvane);
}

TEST(Settings, FirstStartAndCloseWritesTheDefaultsInOrder) {
  Process kelvane(kExe);
  HWND main = StartMain(kelvane);
  ASSERT_NE(main, nullptr);
  CloseMain(main, kelvane);
  std::string text = ReadTextFile(std::string(kFolder) + "options.ini");
  // The bounds depend on the screen: check their form, then compare the rest.
  for (const char* key : {"Left=", "Top=", "Width=", "Height="}) {
    const size_t at = text.find(std::string("\r\n") + key);
    ASSERT_NE(at, std::string::npos) << key;
    const size_t valueStart = at + 2 + std::strlen(key);
    const size_t lineEnd = text.find("\r\n", valueStart);
    ASSERT_NE(lineEnd, std::string::npos);
    const std::string value = text.substr(valueStart, lineEnd - valueStart);
    EXPECT_EQ(value.find_first_not_of("-0123456789"), std::string::npos) << key << value;
    text.replace(valueStart, lineEnd - valueStart, "#");
  }
  std::string expected =
      "[Options]\r\nOutputDirectory=C:\\Kelvane\\Backup\r\nDeleteBackupFile=1\r\n"
      "IncludeRemoveMedia=0\r\nIncludeCDdrive=0\r\nShowHint=1\r\nRestorePoint=0\r\n"
      "[TreeViewNodeCheck]\r\n";
  for (const Category& category : Categories())
    expected += std::to_string(category.id) + "=1\r\n";
  expected +=
      "[IgnoreValue]\r\nCount=0\r\n[IgnoreKey]\r\nCount=0\r\n"
      "[Window]\r\nState=1\r\nLeft=#\r\nTop=#\r\nWidth=#\r\nHeight=#\r\n";
  EXPECT_EQ(text, expected);
}

TEST(Settings, TreeTicksSurviveARestart) {
  // Hive HKEY_USERS (id 5) and Shared DLLs (id 9) saved unticked.
  {
    FILE* file = std::fopen((std::string(kFolder) + "options.ini").c_str(), "wb");
    ASSERT_NE(file, nullptr);
    std::fputs("[TreeViewNodeCheck]\r\n5=0\r\n9=0\r\n", file);
    std::fclose(file);
  }
  Process kelvane(kExe);
  HWND main = StartMain(kelvane);
  ASSERT_NE(main, nullptr);
  CloseMain(main, kelvane);
  const std::string text = ReadTextFile(std::string(kFolder) + "options.ini");
  EXPECT_NE(text.find("\r\n5=0\r\n"), std::string::npos) << text;
  EXPECT_NE(text.find("\r\n9=0\r\n"), std::string::npos) << text;
  EXPECT_NE(text.find("\r\n4=1\r\n"), std::string::npos) << text;
}

// Texts of a window's child controls.
std::string ChildTexts(HWND window) {
  std::string texts;
  for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    texts += WindowText(child) + "\n";
  }
  return texts;
}

TEST(Settings, AWindowClosedWhileMinimisedReopensWhereItStood) {
  {
    Process kelvane(kExe);
    HWND main = StartMain(kelvane);
    ASSERT_NE(main, nullptr);
    SetWindowPos(main, nullptr, 100, 80, 700, 530, SWP_NOZORDER | SWP_NOACTIVATE);
    ShowWindow(main, SW_MINIMIZE);
    ASSERT_TRUE(WaitUntil([&] { return IsIconic(main) != FALSE; }, 5000));
    CloseMain(main, kelvane);
  }
  const std::string text = ReadTextFile(std::string(kFolder) + "options.ini");
  EXPECT_NE(text.find("\r\nState=2\r\nLeft=100\r\nTop=80\r\nWidth=700\r\nHeight=530\r\n"),
            std::string::npos)
      << text;
  // State 2 opens normally, at the saved bounds.
  Process kelvane(kExe);
  HWND main = StartMain(kelvane);
  ASSERT_NE(main, nullptr);
  EXPECT_FALSE(IsIconic(main));
  RECT rect;
  GetWindowRect(main, &rect);
  EXPECT_EQ(rect.left, 100);
  EXPECT_EQ(rect.top, 80);
  EXPECT_EQ(rect.right - rect.left, 700);
  CloseMain(main, kelvane);
}

TEST(Settings, AnUnwritableFileKeepsTheWindowOpenUntilTheNextClose) {
  // A folder where the file should be: every write fails.
  const std::string path = std::string(kFolder) + "options.ini";
  ASSERT_TRUE(CreateDirectoryA(path.c_str(), nullptr));
  Process kelvane(kExe);
  HWND main = StartMain(kelvane);
  ASSERT_NE(main, nullptr);
  PostMessageA(main, WM_CLOSE, 0, 0);
  HWND box = nullptr;
  ASSERT_TRUE(WaitUntil(
      [&] {
        for (HWND window : TopWindows("#32770", kelvane.Id())) {
          if (IsWindowVisible(window))
            box = window;
        }
        return box != nullptr;
      },
      20000));
  EXPECT_EQ(WindowText(box), "Varnok Kelvane");
  EXPECT_NE(ChildTexts(box).find("Unable to write to C:\\Kelvane\\options.ini."), std::string::npos)
      << ChildTexts(box);
  PostMessageA(box, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(box); }, 10000));
  EXPECT_TRUE(IsWindow(main));
  EXPECT_FALSE(kelvane.WaitExit(500));
  // Once the file can be written, the next close saves and ends the program.
  ASSERT_TRUE(RemoveDirectoryA(path.c_str()));
  CloseMain(main, kelvane);
  EXPECT_TRUE(FileExists(path));
}

// Not a pass/fail test of speed: it prints how the window copes with 50,000 rows.
TEST(MainWindow, FiftyThousandRowsStayResponsive) {
  constexpr int kRows = 50000;
  std::string seed =
      "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\"
      "CurrentVersion\\SharedDLLs]\r\n";
  for (int i = 0; i < kRows; ++i) {
    seed += "\"C:\\\\KvGone\\\\lib" + std::to_string(i) + ".dll\"=dword:00000001\r\n";
  }
  ASSERT_TRUE(ImportReg(seed));
  // Only "Shared DLLs" (id 9) is ticked, with the root above it; no hint after a repair.
  std::string ticks = "[Options]\r\nShowHint=0\r\n[TreeViewNodeCheck]\r\n";
  for (const Category& category : Categories()) {
    const int id = category.id;
    ticks += std::to_string(id) + (id == 1 || id == 9 ? "=1\r\n" : "=0\r\n");
  }
  FILE* file = std::fopen((std::string(kFolder) + "options.ini").c_str(), "wb");
  ASSERT_NE(file, nullptr);
  std::fputs(ticks.c_str(), file);
  std::fclose(file);

  Process kelvane(kExe);
  HWND main = StartMain(kelvane);
  ASSERT_NE(main, nullptr);
  HWND list = GetDlgItem(main, kIdList);
  const ULONGLONG start = GetTickCount64();
  PostMessageA(main, WM_COMMAND, MAKEWPARAM(kMiScan, BN_CLICKED), 0);
  // While the scan adds rows the window keeps answering.
  ULONGLONG worstAnswer = 0;
  int samples = 0;
  ASSERT_TRUE(WaitUntil(
      [&] {
        const ULONGLONG asked = GetTickCount64();
        DWORD_PTR result = 0;
        SendMessageTimeoutA(list, LVM_GETITEMCOUNT, 0, 0, SMTO_ABORTIFHUNG, 60000, &result);
        worstAnswer = std::max(worstAnswer, GetTickCount64() - asked);
        ++samples;
        return StatusPartText(GetDlgItem(main, kIdStatus), 0) ==
               " " + std::to_string(kRows) + " problems found";
      },
      600000));
  const ULONGLONG scanned = GetTickCount64() - start;
  // Scroll to the end and back: the list asks only for the rows it shows.
  const ULONGLONG scrollStart = GetTickCount64();
  DWORD_PTR result = 0;
  SendMessageTimeoutA(list, LVM_ENSUREVISIBLE, kRows - 1, FALSE, SMTO_ABORTIFHUNG, 60000, &result);
  SendMessageTimeoutA(list, LVM_ENSUREVISIBLE, 0, FALSE, SMTO_ABORTIFHUNG, 60000, &result);
  const ULONGLONG scrolled = GetTickCount64() - scrollStart;
  EXPECT_EQ(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0), kRows);
  std::printf(
      "50000 rows: scan and list %llu ms; worst answer while scanning %llu ms over %d "
      "probes; scroll to the end and back %llu ms\n",
      static_cast<unsigned long long>(scanned), static_cast<unsigned long long>(worstAnswer),
      samples, static_cast<unsigned long long>(scrolled));

  // The repair of them all (after the scan before the deletions) shows its progress,
  // entries done of all, and the window keeps answering.
  CreateDirectoryA((std::string(kFolder) + "Backup").c_str(), nullptr);
  const ULONGLONG repairStart = GetTickCount64();
  PostMessageA(main, WM_COMMAND, MAKEWPARAM(kMiRepair, BN_CLICKED), 0);
  std::string progressText;
  worstAnswer = 0;
  ASSERT_TRUE(WaitUntil(
      [&] {
        for (HWND window : TopWindows("#32770", kelvane.Id())) {
          const std::string text = ControlTexts(window);
          if (IsWindowVisible(window) &&
              text.find(" of 50000 entries repaired") != std::string::npos)
            progressText = text;
        }
        const ULONGLONG asked = GetTickCount64();
        DWORD_PTR count = 0;
        SendMessageTimeoutA(list, LVM_GETITEMCOUNT, 0, 0, SMTO_ABORTIFHUNG, 60000, &count);
        worstAnswer = std::max(worstAnswer, GetTickCount64() - asked);
        return count == 0 && IsWindowEnabled(main);
      },
      600000));
  EXPECT_NE(progressText, "") << "no progress window";
  std::printf("50000 rows: repair %llu ms, worst answer while repairing %llu ms; %s\n",
              static_cast<unsigned long long>(GetTickCount64() - repairStart),
              static_cast<unsigned long long>(worstAnswer), progressText.c_str());
  CloseMain(main, kelvane);
}

// Stale entries of several kinds, all pointing into a folder that does not exist.
constexpr const char* kSeed =
    "REGEDIT4\r\n\r\n"
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\"
    "kvgone.exe]\r\n@=\"C:\\\\KvGone\\\\kvgone.exe\"\r\n\"Path\"=\"C:\\\\KvGone\"\r\n\r\n"
    "[HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run]\r\n"
    "\"KvGone\"=\"C:\\\\KvGone\\\\kvgone.exe /tray\"\r\n\r\n"
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs]\r\n"
    "\"C:\\\\KvGone\\\\kvgone.dll\"=dword:00000002\r\n\r\n";

constexpr const char* kAppPath =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\kvgone.exe";
constexpr const char* kRunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr const char* kSharedDlls = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";

void WriteOptions(const std::string& text) {
  FILE* file = std::fopen((std::string(kFolder) + "options.ini").c_str(), "wb");
  ASSERT_NE(file, nullptr);
  std::fwrite(text.data(), 1, text.size(), file);
  std::fclose(file);
}

// Only the categories of the seeded entries ticked (Software Locations, Shared DLLs,
// Startup Programs): a scan of every category of a fresh prefix also finds entries
// that Wine will not let go of (the exit code then says so), which is not what these
// runs are about.
std::string SeededCategoriesOnly() {
  std::string ticks = "[TreeViewNodeCheck]\r\n";
  for (const Category& category : Categories()) {
    const int id = category.id;
    const bool on = id == 1 || id == 6 || id == 9 || id == 10;
    ticks += std::to_string(id) + (on ? "=1\r\n" : "=0\r\n");
  }
  return ticks;
}

// Waits for the process to end while checking that it never shows a window.
void ExpectExitWithoutWindows(Process& process, DWORD milliseconds) {
  const ULONGLONG end = GetTickCount64() + milliseconds;
  DWORD code = 99;
  while (!process.WaitExit(100, &code)) {
    for (const char* cls : {kMainClass, kProgressClass, "#32770"}) {
      for (HWND window : TopWindows(cls, process.Id())) {
        ASSERT_FALSE(IsWindowVisible(window)) << "a window of class " << cls << " was shown";
      }
    }
    ASSERT_LT(GetTickCount64(), end) << "the unattended run did not end";
  }
  EXPECT_EQ(code, 0u);
}

TEST(CleanOnce, RepairsWhatItFindsBacksItUpAndExits) {
  ASSERT_TRUE(ImportReg(kSeed));
  ASSERT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, kAppPath));
  // With the backup folder in place and the hint turned off nothing asks anything.
  CreateDirectoryA((std::string(kFolder) + "Backup").c_str(), nullptr);
  WriteOptions("[Options]\r\nShowHint=0\r\n" + SeededCategoriesOnly());
  Process kelvane(std::string(kExe) + " -CLEANONCE");
  ASSERT_TRUE(kelvane.Started());
  ExpectExitWithoutWindows(kelvane, 300000);

  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kAppPath));
  EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, kRunKey, "KvGone"));
  EXPECT_FALSE(ValueExists(HKEY_LOCAL_MACHINE, kSharedDlls, "C:\\KvGone\\kvgone.dll"));
  const auto backups = ListFiles(std::string(kFolder) + "Backup\\Backup*.reg");
  ASSERT_EQ(backups.size(), 1u);
  EXPECT_EQ(backups[0].size(), std::string("Backup20261208010203.reg").size());
  const std::string backup = ReadTextFile(std::string(kFolder) + "Backup\\" + backups[0]);
  EXPECT_EQ(backup.rfind("REGEDIT4\r\n", 0), 0u);
  std::printf("backup %s, %zu bytes\n", backups[0].c_str(), backup.size());

  // The backup puts every entry back.
  ASSERT_EQ(RegeditImport(std::string(kFolder) + "Backup\\" + backups[0]), 0);
  EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, kAppPath));
  EXPECT_TRUE(ValueExists(HKEY_CURRENT_USER, kRunKey, "KvGone"));
  EXPECT_TRUE(ValueExists(HKEY_LOCAL_MACHINE, kSharedDlls, "C:\\KvGone\\kvgone.dll"));
}

TEST(CleanOnce, ShowsTheRepairHintWhenTheSettingAsks) {
  ASSERT_TRUE(ImportReg(kSeed));
  CreateDirectoryA((std::string(kFolder) + "Backup").c_str(), nullptr);
  WriteOptions(SeededCategoriesOnly());
  Process kelvane(std::string(kExe) + " -cleanonce");
  ASSERT_TRUE(kelvane.Started());
  HWND hint = nullptr;
  ASSERT_TRUE(WaitUntil(
      [&] {
        for (HWND window : TopWindows("#32770", kelvane.Id())) {
          if (IsWindowVisible(window))
            hint = window;
        }
        return hint != nullptr;
      },
      300000));
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kAppPath));
  PostMessageA(hint, WM_CLOSE, 0, 0);
  DWORD code = 99;
  ASSERT_TRUE(kelvane.WaitExit(30000, &code));
  EXPECT_EQ(code, 0u);
}

TEST(CleanOnce, OnlyTheFirstArgumentCounts) {
  Process kelvane(std::string(kExe) + " x -cleanonce");
  HWND main = StartMain(kelvane);
  ASSERT_NE(main, nullptr);
  Sleep(1500);
  EXPECT_TRUE(IsWindowVisible(main));
  EXPECT_EQ(TopWindows(kProgressClass, kelvane.Id()).size(), 0u);
  CloseMain(main, kelvane);
}

// A visible window of the dialog class of a process: a message box or a modal form.
HWND WaitForVisibleDialog(const Process& process, DWORD milliseconds) {
  HWND box = nullptr;
  WaitUntil(
      [&] {
        for (HWND window : TopWindows("#32770", process.Id())) {
          if (IsWindowVisible(window))
            box = window;
        }
        return box != nullptr;
      },
      milliseconds);
  return box;
}

// The unattended run's exit code says why a repair stopped; a scheduled task reads it.
TEST(CleanOnce, ExitCodesTellWhyTheRepairStopped) {
  struct Case {
    const char* what;
    const char* backupFolder;
    int answer;  // to the question about the missing backup folder
    DWORD expected;
  };
  const Case cases[] = {
      {"the folder is not to be created", "C:\\Kelvane\\NoBackup", IDNO, 2},
      // A file stands where a folder of the path should be: it cannot be created, and
      // the code says so as for a refused folder (the table in the README).
      {"the folder cannot be created", "C:\\Kelvane\\options.ini\\Backup", IDYES, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_TRUE(ImportReg(kSeed));
    WriteOptions(std::string("[Options]\r\nShowHint=0\r\nOutputDirectory=") + c.backupFolder +
                 "\r\n");
    Process kelvane(std::string(kExe) + " -cleanonce");
    ASSERT_TRUE(kelvane.Started());
    HWND box = WaitForVisibleDialog(kelvane, 300000);
    ASSERT_NE(box, nullptr);
    EXPECT_NE(ChildTexts(box).find(c.backupFolder), std::string::npos) << ChildTexts(box);
    PostMessageA(box, WM_COMMAND, static_cast<WPARAM>(c.answer), 0);
    DWORD code = 99;
    ASSERT_TRUE(kelvane.WaitExit(30000, &code));
    EXPECT_EQ(code, c.expected);
    // Nothing was repaired.
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, kAppPath));
    EXPECT_TRUE(ValueExists(HKEY_CURRENT_USER, kRunKey, "KvGone"));
  }
}

// Wine's System Restore answers every request with false: the restore point window
// asks, with the reason, whether to repair without one; the clean's exit code and log
// line follow the answer.
TEST(CleanOnce, ARefusedRestorePointIsToldAndTheAnswerDecides) {
  struct Case {
    int answer;
    DWORD expected;
    bool repaired;
  };
  const Case cases[] = {{IDNO, 5, false}, {IDYES, 0, true}};
  CreateDirectoryA((std::string(kFolder) + "Backup").c_str(), nullptr);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.answer);
    ASSERT_TRUE(ImportReg(kSeed));
    WriteOptions("[Options]\r\nShowHint=0\r\nRestorePoint=1\r\n" + SeededCategoriesOnly());
    Process kelvane(std::string(kExe) + " -cleanonce");
    ASSERT_TRUE(kelvane.Started());
    const HWND box = VisibleMessageBox(kelvane.Id(), 300000);
    ASSERT_TRUE(box);
    const std::string text = WindowText(GetDlgItem(box, 0xFFFF));
    EXPECT_NE(text.find("System Restore made no restore point"), std::string::npos) << text;
    EXPECT_NE(text.find("\r\n\r\nRestore Point creation Failed! Contiue to repair?"),
              std::string::npos)
        << text;
    if (std::getenv("KELVANE_SHOT_DIR") && c.answer == IDNO) {
      EXPECT_TRUE(SaveWindow(box, "restore-point-failed"));
    }
    PostMessageA(box, WM_COMMAND, static_cast<WPARAM>(c.answer), 0);
    DWORD code = 99;
    ASSERT_TRUE(kelvane.WaitExit(300000, &code));
    EXPECT_EQ(code, c.expected);
    EXPECT_EQ(KeyExists(HKEY_LOCAL_MACHINE, kAppPath), !c.repaired);
    const std::string log = ReadTextFile(std::string(kFolder) + "kelvane.log");
    const std::string last = log.substr(log.rfind("\r\n", log.size() - 3) + 2);
    EXPECT_NE(last.find("\texit=" + std::to_string(c.expected)), std::string::npos) << last;
    EXPECT_NE(last.find("\trestorepoint=failed (error "), std::string::npos) << last;
  }
}

TEST(CleanOnce, ExitCodeSixWhenAnotherInstanceRuns) {
  Process first(kExe);
  HWND main = StartMain(first);
  ASSERT_NE(main, nullptr);
  // Every other run, a plain second window too, ends at once and does nothing.
  const char* const runs[] = {" -cleanonce", " -scan C:\\Kelvane\\second.csv",
                              " -restore C:\\Kelvane\\x.reg", ""};
  for (const char* arguments : runs) {
    SCOPED_TRACE(arguments);
    Process second(std::string(kExe) + arguments);
    DWORD code = 99;
    ASSERT_TRUE(second.WaitExit(20000, &code));
    EXPECT_EQ(code, 6u);
  }
  EXPECT_FALSE(FileExists("C:\\Kelvane\\second.csv"));
  EXPECT_EQ(TopWindows(kMainClass).size(), 1u);
  CloseMain(main, first);
}

}  // namespace
}  // namespace kelvane::e2e
