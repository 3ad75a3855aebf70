// kelvane.exe under Wine driven by the keyboard alone: a tick changed in the tree, a
// scan, a row unticked, a repair, an option changed and the program closed through the
// menu, all with keys typed into the window as a user types them; and the main
// window's minimum size and its status bar after a resize.
#include <gtest/gtest.h>

#include "e2e/e2e_support.h"

#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "options/options_dialog.h"

namespace kelvane::e2e {
namespace {

// Types keys into the foreground window: each entry a virtual key, with the modifiers
// held down while it is pressed.
void Type(std::vector<WORD> keys, std::vector<WORD> held = {}) {
  std::vector<INPUT> inputs;
  const auto add = [&](WORD key, bool up) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    inputs.push_back(input);
  };
  for (WORD key : held)
    add(key, false);
  for (WORD key : keys) {
    add(key, false);
    add(key, true);
  }
  for (auto it = held.rbegin(); it != held.rend(); ++it)
    add(*it, true);
  SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
  Sleep(300);  // the window takes the keys from its queue
}

// The clipboard's text, in the ANSI code page.
std::string ClipboardText() {
  std::string text;
  if (!OpenClipboard(nullptr))
    return text;
  if (HANDLE data = GetClipboardData(CF_TEXT)) {
    text = static_cast<const char*>(GlobalLock(data));
    GlobalUnlock(data);
  }
  CloseClipboard();
  return text;
}

bool Ticked(HWND tree, HTREEITEM item) {
  const auto state = static_cast<UINT>(
      SendMessageA(tree, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(item), TVIS_STATEIMAGEMASK));
  return (state >> 12) == 2;
}

HTREEITEM Item(HWND tree, UINT relation, HTREEITEM from = nullptr) {
  return reinterpret_cast<HTREEITEM>(
      SendMessageA(tree, TVM_GETNEXTITEM, relation, reinterpret_cast<LPARAM>(from)));
}

TEST(Keyboard, ScanTickRepairAndOptionsWithoutAMouse) {
  ASSERT_TRUE(
      ImportReg("REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\KvKeys]\r\n"
                "\"a\"=\"C:\\\\KvKeys\\\\a.exe\"\r\n\"b\"=\"C:\\\\KvKeys\\\\b.exe\"\r\n"));
  CreateDirectoryA((std::string(kFolder) + "Backup").c_str(), nullptr);
  WriteSettings("ShowHint=0\r\n", {1, 2, 4});  // Files and Folders - HKEY_CURRENT_USER

  Process kelvane(kExe);
  HWND main = StartMain(kelvane);
  ASSERT_NE(main, nullptr);
  SetForegroundWindow(main);
  HWND tree = GetDlgItem(main, kIdTree);
  HWND list = GetDlgItem(main, kIdList);
  HWND scan = GetDlgItem(main, kMiScan);
  HWND repair = GetDlgItem(main, kMiRepair);
  ASSERT_TRUE(WaitUntil([&] { return FocusOf(main) == tree; }, 5000)) << "the tree starts focused";

  // Space ticks and unticks the selected category: down to HKEY_USERS and back.
  const HTREEITEM machine = Item(tree, TVGN_CHILD, Item(tree, TVGN_CHILD, Item(tree, TVGN_ROOT)));
  const HTREEITEM users = Item(tree, TVGN_NEXT, Item(tree, TVGN_NEXT, machine));
  Type({VK_HOME, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN});
  ASSERT_EQ(Item(tree, TVGN_CARET), users);
  EXPECT_FALSE(Ticked(tree, users));
  Type({VK_SPACE});
  EXPECT_TRUE(Ticked(tree, users));
  Type({VK_SPACE});
  EXPECT_FALSE(Ticked(tree, users));
  if (std::getenv("KELVANE_SHOT_DIR")) {
    EXPECT_TRUE(SaveWindow(main, "keyboard-focus"));
  }

  // Tab goes on to the list, then round to the task buttons; Shift+Tab comes back.
  Type({VK_TAB});
  EXPECT_EQ(FocusOf(main), list);
  Type({VK_TAB});
  EXPECT_EQ(FocusOf(main), scan);
  Type({VK_TAB}, {VK_SHIFT});
  EXPECT_EQ(FocusOf(main), list);
  Type({VK_TAB});
  Type({VK_SPACE});  // "Scan registry issue"
  HWND progress = WaitForWindow(kProgressClass, 20000, kelvane.Id());
  ASSERT_NE(progress, nullptr);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(progress); }, 300000));
  const auto rowOf = [&](const std::string& name) {
    const auto rows = ListRows(list);
    for (size_t i = 0; i < rows.size(); ++i) {
      if (rows[i].key == "HKEY_CURRENT_USER\\Software\\KvKeys\\" + name)
        return static_cast<int>(i);
    }
    return -1;
  };
  const int a = rowOf("a");
  ASSERT_GE(a, 0);
  ASSERT_GE(rowOf("b"), 0);

  // The focus is back on the button once the progress window has gone. Untick "a":
  // back into the list, down to its row, Space.
  SetForegroundWindow(main);
  ASSERT_TRUE(WaitUntil([&] { return FocusOf(main) == scan; }, 5000));
  Type({VK_TAB}, {VK_SHIFT});
  ASSERT_EQ(FocusOf(main), list);
  Type({VK_HOME});
  std::vector<WORD> down(static_cast<size_t>(a), VK_DOWN);
  Type(down);
  const std::string before = StatusPartText(GetDlgItem(main, kIdStatus), 1);
  Type({VK_SPACE});
  EXPECT_NE(StatusPartText(GetDlgItem(main, kIdStatus), 1), before) << "the selected count";

  // Shift+End selects down to the last row, Ctrl+C copies the rows: four cells a line,
  // the reason last. File > Save Scan Results... (Alt+F, R) writes every row as CSV.
  Type({VK_END}, {VK_SHIFT});
  Type({'C'}, {VK_CONTROL});
  const std::string aLine =
      "HKEY_CURRENT_USER\\Software\\KvKeys\\a\tC:\\KvKeys\\a.exe\tFile or folder not "
      "found: C:\\KvKeys\\a.exe\r\n";
  const std::string copied = ClipboardText();
  EXPECT_NE(copied.find(aLine), std::string::npos) << copied;
  EXPECT_NE(copied.find("KvKeys\\b\t"), std::string::npos) << copied;
  const std::string report = std::string(kFolder) + "results";
  Type({'F'}, {VK_MENU});
  Type({'R'});
  HWND save = VisibleDialog(kelvane.Id(), 20000);
  ASSERT_NE(save, nullptr);
  ASSERT_TRUE(WaitUntil([&] { return FocusOf(save) != nullptr; }, 5000));
  SetWindowTextA(FocusOf(save), report.c_str());
  Type({VK_RETURN});
  ASSERT_TRUE(WaitUntil([&] { return FileExists(report + ".csv"); }, 10000));
  const std::string csv = ReadTextFile(report + ".csv");
  EXPECT_EQ(csv.rfind("\xEF\xBB\xBFTicked,Problem,Registry key,Value,Reason\r\n", 0), 0u) << csv;
  EXPECT_NE(csv.find(",HKEY_CURRENT_USER\\Software\\KvKeys\\a,C:\\KvKeys\\a.exe,File or "
                     "folder not found: C:\\KvKeys\\a.exe\r\n"),
            std::string::npos)
      << csv;
  SetForegroundWindow(main);
  ASSERT_TRUE(WaitUntil([&] { return FocusOf(main) == list; }, 5000));

  // "Repair registry issue": Tab, Tab, Space.
  Type({VK_TAB});
  Type({VK_TAB});
  ASSERT_EQ(FocusOf(main), repair);
  Type({VK_SPACE});
  ASSERT_TRUE(WaitUntil([&] { return rowOf("b") < 0; }, 120000));
  EXPECT_TRUE(ValueExists(HKEY_CURRENT_USER, "Software\\KvKeys", "a"));
  EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, "Software\\KvKeys", "b"));

  // Options by keyboard: Ctrl+O, the pages by Ctrl+Tab, Tab to the check box of the
  // repair hint, Space, Enter.
  SetForegroundWindow(main);
  Type({'O'}, {VK_CONTROL});
  HWND optionsWindow = VisibleDialog(kelvane.Id(), 20000);
  ASSERT_NE(optionsWindow, nullptr);
  // Ctrl+Tab and Ctrl+Shift+Tab switch the pages.
  HWND pages = GetDlgItem(optionsWindow, kIdPages);
  ASSERT_NE(pages, nullptr);
  EXPECT_EQ(SendMessageA(pages, TCM_GETCURSEL, 0, 0), 0);
  Type({VK_TAB}, {VK_CONTROL});
  EXPECT_EQ(SendMessageA(pages, TCM_GETCURSEL, 0, 0), 1);
  Type({VK_TAB}, {VK_CONTROL, VK_SHIFT});
  EXPECT_EQ(SendMessageA(pages, TCM_GETCURSEL, 0, 0), 0);
  HWND hintBox = nullptr;
  for (int i = 0; i < 30 && !hintBox; ++i) {
    HWND focus = FocusOf(optionsWindow);
    char text[128] = {};
    GetWindowTextA(focus, text, sizeof text);
    if (std::string(text).find("hint") != std::string::npos)
      hintBox = focus;
    else
      Type({VK_TAB});
  }
  ASSERT_NE(hintBox, nullptr) << "a check box about the hint is reached by Tab";
  EXPECT_EQ(SendMessageA(hintBox, BM_GETCHECK, 0, 0), BST_UNCHECKED) << "ShowHint=0";
  Type({VK_SPACE});
  EXPECT_EQ(SendMessageA(hintBox, BM_GETCHECK, 0, 0), BST_CHECKED);
  Type({VK_RETURN});
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(optionsWindow); }, 10000));

  // Alt+F opens the File menu; E is its "Exit".
  SetForegroundWindow(main);
  Type({'F'}, {VK_MENU});
  Type({'E'});
  DWORD code = 99;
  ASSERT_TRUE(kelvane.WaitExit(30000, &code));
  EXPECT_EQ(code, 0u);
  const std::string saved = ReadTextFile(std::string(kFolder) + "options.ini");
  EXPECT_NE(saved.find("ShowHint=1"), std::string::npos) << saved;
}

TEST(MainWindow, HasAMinimumSizeAndKeepsItsStatusBarAfterAResize) {
  ASSERT_TRUE(
      ImportReg("REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\KvKeys]\r\n"
                "\"a\"=\"C:\\\\KvKeys\\\\a.exe\"\r\n"));
  WriteSettings("ShowHint=0\r\n", {1, 2, 4});
  Process kelvane(kExe);
  HWND main = StartMain(kelvane);
  ASSERT_NE(main, nullptr);
  ASSERT_TRUE(ScanAndWait(main, kelvane.Id()));

  // Dragged as small as it goes, it stays large enough to use.
  SetWindowPos(main, nullptr, 0, 0, 116, 42, SWP_NOMOVE | SWP_NOZORDER);
  RECT rect;
  GetWindowRect(main, &rect);
  EXPECT_GE(rect.right - rect.left, 480);
  EXPECT_GE(rect.bottom - rect.top, 400);

  // After a resize the status bar still shows its text: its pixels are not one colour.
  SetForegroundWindow(main);
  SetWindowPos(main, nullptr, 0, 0, 700, 560, SWP_NOMOVE | SWP_NOZORDER);
  Sleep(1500);
  HWND status = GetDlgItem(main, kIdStatus);
  RECT bar;
  GetWindowRect(status, &bar);
  HDC screen = GetDC(nullptr);
  std::set<COLORREF> colours;
  for (LONG x = bar.left + 2; x < bar.left + 200 && x < bar.right; x += 1) {
    for (LONG y = bar.top + 2; y < bar.bottom - 2; y += 2)
      colours.insert(GetPixel(screen, x, y));
  }
  ReleaseDC(nullptr, screen);
  EXPECT_GT(colours.size(), 1u) << "the status bar was painted over";
  EXPECT_FALSE(StatusPartText(status, 0).empty());
  CloseMain(main, kelvane);
}

TEST(Help, AMissingHelpPageIsReported) {
  Process kelvane(kExe);
  HWND main = StartMain(kelvane);
  ASSERT_NE(main, nullptr);
  PostMessageA(main, WM_COMMAND, kMiHelp, 0);
  HWND box = VisibleDialog(kelvane.Id(), 20000);
  ASSERT_NE(box, nullptr);
  EXPECT_NE(ControlTexts(box).find("The help file C:\\Kelvane\\Kelvane.html is missing."),
            std::string::npos)
      << ControlTexts(box);
  PostMessageA(box, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(box); }, 10000));
  CloseMain(main, kelvane);
}

}  // namespace
}  // namespace kelvane::e2e
