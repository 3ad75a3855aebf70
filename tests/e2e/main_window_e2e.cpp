// kelvane.exe started for real under Wine: one instance per desktop, the main
// window's identity, a scan driven through the window, Stop, and -cleanonce.
#include <gtest/gtest.h>

#include "e2e/e2e_support.h"

#include <commctrl.h>

#include <map>

namespace kelvane::e2e {
namespace {

HWND StartMain(Process& process) {
  EXPECT_TRUE(process.Started());
  HWND main = WaitForWindow(kMainClass, 30000, process.Id());
  EXPECT_NE(main, nullptr);
  // The class exists from the start of its creation; its controls once it is shown.
  EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(main) != FALSE; }, 30000));
  return main;
}

void CloseMain(HWND main, Process& process) {
  PostMessageA(main, WM_CLOSE, 0, 0);
  DWORD code = 99;
  ASSERT_TRUE(process.WaitExit(30000, &code));
  EXPECT_EQ(code, 0u);
}

TEST(MainWindow, ShowsItsClassAndCaption) {
  Process kelvane(kExe);
  HWND main = StartMain(kelvane);
  ASSERT_NE(main, nullptr);
  EXPECT_EQ(WindowText(main), "Varnok Kelvane 1.25");
  EXPECT_TRUE(IsWindowVisible(main));
  RECT rect;
  GetWindowRect(main, &rect);
  EXPECT_EQ(rect.right - rect.left, 684);
  EXPECT_EQ(rect.bottom - rect.top, 520);
  HWND status = GetDlgItem(main, kIdStatus);
  EXPECT_EQ(StatusPartText(status, 0), " 0 problems found");
  EXPECT_EQ(StatusPartText(status, 1), " 0 problems selected for repairing");
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
  EXPECT_EQ(code, 0u);
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
  PostMessageA(main, WM_COMMAND, MAKEWPARAM(kIdScan, BN_CLICKED), 0);
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
  for (const auto& [problem, count] : perProblem) std::printf("  %5d  %s\n", count, problem.c_str());
  CloseMain(main, kelvane);
}

TEST(MainWindow, StopEndsTheScanAtOnce) {
  Process kelvane(kExe);
  HWND main = StartMain(kelvane);
  ASSERT_NE(main, nullptr);
  PostMessageA(main, WM_COMMAND, MAKEWPARAM(kIdScan, BN_CLICKED), 0);
  HWND progress = WaitForWindow(kProgressClass, 20000, kelvane.Id());
  ASSERT_NE(progress, nullptr);
  HWND stop = GetDlgItem(progress, kIdStop);
  ASSERT_NE(stop, nullptr);
  EXPECT_EQ(WindowText(stop), "Stop");
  PostMessageA(progress, WM_COMMAND, MAKEWPARAM(kIdStop, BN_CLICKED),
               reinterpret_cast<LPARAM>(stop));
  EXPECT_TRUE(WaitUntil([&] { return !IsWindow(progress); }, 10000));
  // The main window answers again at once.
  DWORD_PTR result = 0;
  EXPECT_NE(SendMessageTimeoutA(main, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &result), 0);
  CloseMain(main, kelvane);
}

TEST(CleanOnce, RunsUnattendedAndExits) {
  // With the backup folder in place no question is asked.
  CreateDirectoryA((std::string(kFolder) + "Backup").c_str(), nullptr);
  Process kelvane(std::string(kExe) + " -CLEANONCE");
  ASSERT_TRUE(kelvane.Started());
  DWORD code = 99;
  // No window is ever shown; the run ends by itself.
  bool exited = false;
  while (!(exited = kelvane.WaitExit(100, &code))) {
    for (HWND window : TopWindows(kMainClass, kelvane.Id())) {
      EXPECT_FALSE(IsWindowVisible(window));
    }
    for (HWND window : TopWindows(kProgressClass, kelvane.Id())) {
      EXPECT_FALSE(IsWindowVisible(window)) << "progress window shown";
    }
    static int waited = 0;
    if (++waited > 3000)
      break;
  }
  ASSERT_TRUE(exited);
  EXPECT_EQ(code, 0u);
  EXPECT_TRUE(FileExists(std::string(kFolder) + "options.ini"));
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

}  // namespace
}  // namespace kelvane::e2e
