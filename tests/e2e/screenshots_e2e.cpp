// Not a test: the screenshots of the README, taken by scripts/screenshot.sh through
// the driver. Each window is brought into the state shown and copied from the screen
// into a bitmap file in the folder named by KELVANE_SHOT_DIR (a Unix path, reached
// through Wine's drive Z:), with the names given there.
#include <gtest/gtest.h>

#include "e2e/e2e_support.h"

#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace kelvane::e2e {
namespace {

// KELVANE_SHOTS names the shots to take (all four when unset); KELVANE_SHOT_SUFFIX is
// appended to each file name; KELVANE_DEMO_REG (a Unix path) is imported first.
TEST(DISABLED_Screenshots, EveryWindow) {
  const char* names = std::getenv("KELVANE_SHOTS");
  const std::string wanted = names ? names : "main-window,progress,repair-hint,about";
  const auto want = [&](const char* name) {
    return ("," + wanted + ",").find("," + std::string(name) + ",") != std::string::npos;
  };
  if (const char* demo = std::getenv("KELVANE_DEMO_REG")) {
    std::string path = std::string("Z:") + demo;
    for (char& c : path) {
      if (c == '/')
        c = '\\';
    }
    ASSERT_TRUE(ImportReg(ReadTextFile(path)));
  }
  CreateDirectoryA((std::string(kFolder) + "Backup").c_str(), nullptr);
  Process kelvane(kExe);
  HWND main = WaitForWindow(kMainClass, 30000, kelvane.Id());
  ASSERT_NE(main, nullptr);
  ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(main) != FALSE; }, 30000));
  PostMessageA(main, WM_COMMAND, MAKEWPARAM(kMiScan, BN_CLICKED), 0);
  HWND progress = WaitForWindow(kProgressClass, 20000, kelvane.Id());
  ASSERT_NE(progress, nullptr);
  if (want("progress")) {
    Sleep(500);
    if (IsWindow(progress)) {
      EXPECT_TRUE(SaveWindow(progress, "progress"));
    }
  }
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(progress); }, 300000));
  HWND list = GetDlgItem(main, kIdList);
  EXPECT_GT(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0), 0);
  if (want("main-window")) {
    EXPECT_TRUE(SaveWindow(main, "main-window"));
  }
  if (want("main-window-reasons")) {
    // Wide enough, with narrower key and value columns, that each row's reason shows.
    SetWindowPos(main, nullptr, 0, 0, 1270, 560, SWP_NOZORDER);
    SendMessageA(list, LVM_SETCOLUMNWIDTH, 1, 330);
    SendMessageA(list, LVM_SETCOLUMNWIDTH, 2, 230);
    UpdateWindow(main);
    Sleep(1500);
    EXPECT_TRUE(SaveWindow(main, "main-window-reasons"));
  }
  if (want("main-window-narrow")) {
    // At its narrowest the banner's line ends in "..." before "Check for update".
    SetWindowPos(main, nullptr, 0, 0, 480, 560, SWP_NOZORDER);
    UpdateWindow(main);
    EXPECT_TRUE(SaveWindow(main, "main-window-narrow"));
  }
  if (want("about")) {
    PostMessageA(main, WM_COMMAND, kMiAbout, 0);
    HWND about = VisibleDialog(kelvane.Id(), 20000);
    ASSERT_NE(about, nullptr);
    EXPECT_TRUE(SaveWindow(about, "about"));
    PostMessageA(about, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(about); }, 10000));
  }
  if (want("repair-hint")) {
    PostMessageA(main, WM_COMMAND, MAKEWPARAM(kMiRepair, BN_CLICKED), 0);
    HWND hint = VisibleDialog(kelvane.Id(), 60000);
    ASSERT_NE(hint, nullptr);
    EXPECT_TRUE(SaveWindow(hint, "repair-hint"));
    PostMessageA(hint, WM_CLOSE, 0, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(hint); }, 10000));
  }
  PostMessageA(main, WM_CLOSE, 0, 0);
  EXPECT_TRUE(kelvane.WaitExit(30000));
}

}  // namespace
}  // namespace kelvane::e2e
