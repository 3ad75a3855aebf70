// Every label and button shows its whole text, and the windows grow with the DPI:
// run at Wine's DPI setting of 96, 144 and 192 (KELVANE_DPI tells the driver which).
// Each control's text is measured in the design font at the window's DPI and held
// against the control's width; tree labels are measured by the tree itself.
#include <gtest/gtest.h>

#include "e2e/e2e_support.h"

#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "restore/restore_window.h"
#include "scan/categories.h"

namespace kelvane::e2e {
namespace {

UINT ExpectedDpi() {
  const char* dpi = std::getenv("KELVANE_DPI");
  return dpi ? static_cast<UINT>(std::atoi(dpi)) : 96;
}

int Scale(int pixels, UINT dpi) {
  return MulDiv(pixels, static_cast<int>(dpi), 96);
}

UINT DpiOf(HWND window) {
  using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
  const auto getDpi = reinterpret_cast<GetDpiForWindowFn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("user32.dll"), "GetDpiForWindow")));
  return getDpi ? getDpi(window) : 0;
}

// The design font of a text: "MS Sans Serif" 8 point, but for the About window's
// title (10 point bold) and the repair hint's count sentence (bold).
int PointsOf(const std::string& text) {
  return text == "Varnok Kelvane" ? 10 : 8;
}
bool IsBoldText(const std::string& text) {
  return text == "Varnok Kelvane" || text.rfind("There are total ", 0) == 0;
}

class FontAt {
 public:
  FontAt(UINT dpi, int points, bool bold)
      : font_(CreateFontA(-MulDiv(points, static_cast<int>(dpi), 72), 0, 0, 0,
                          bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                          OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                          DEFAULT_PITCH | FF_DONTCARE, "MS Sans Serif")) {}
  ~FontAt() { DeleteObject(font_); }
  FontAt(const FontAt&) = delete;
  FontAt& operator=(const FontAt&) = delete;
  SIZE Measure(const std::string& text, bool prefix) const {
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font_);
    RECT rect{0, 0, 0, 0};
    DrawTextA(dc, text.c_str(), -1, &rect,
              DT_CALCRECT | DT_SINGLELINE | (prefix ? 0 : DT_NOPREFIX));
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    return SIZE{rect.right, rect.bottom};
  }

 private:
  HFONT font_;
};

std::string ClassOf(HWND window) {
  char name[64] = {};
  GetClassNameA(window, name, sizeof name);
  return name;
}

// The room a control leaves around its text, in design pixels.
int Padding(const std::string& cls, LONG_PTR style) {
  if (cls != "Button")
    return 0;
  switch (style & BS_TYPEMASK) {
    case BS_OWNERDRAW:
      return 4;  // the flat task buttons indent their text
    case BS_CHECKBOX:
    case BS_AUTOCHECKBOX:
    case BS_RADIOBUTTON:
    case BS_AUTORADIOBUTTON:
      return 13 + 4;  // the box and the gap after it
    case BS_GROUPBOX:
      return 16;
    default:
      return 6;  // the push button's frame on both sides
  }
}

// Checks the texts of the window's labels and buttons against their widths; returns
// how many controls were measured.
int ExpectTextsFit(HWND window, UINT dpi, const char* where) {
  int measured = 0;
  for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    if (!IsWindowVisible(child))
      continue;
    const std::string cls = ClassOf(child);
    if (cls != "Static" && cls != "Button")
      continue;
    const std::string text = WindowText(child);
    const LONG_PTR style = GetWindowLongPtrA(child, GWL_STYLE);
    if (text.empty() || (cls == "Static" && (style & SS_TYPEMASK) == SS_ICON))
      continue;
    // A label that shortens its text with an ellipsis (a registry path) shows that.
    if (cls == "Static" && (style & SS_ELLIPSISMASK))
      continue;
    const bool prefix = !(cls == "Static" && (style & SS_NOPREFIX));
    const SIZE size = FontAt(dpi, PointsOf(text), IsBoldText(text)).Measure(text, prefix);
    RECT client;
    GetClientRect(child, &client);
    const int need = size.cx + Scale(Padding(cls, style), dpi);
    EXPECT_LE(need, client.right) << where << ": \"" << text << "\" needs " << need
                                  << " pixels, its " << cls << " is " << client.right << " wide at "
                                  << dpi << " DPI";
    EXPECT_LE(size.cy, client.bottom)
        << where << ": \"" << text << "\" is " << size.cy << " high, its control " << client.bottom;
    ++measured;
  }
  return measured;
}

// Every label of the tree lies within the tree's client width.
void ExpectTreeLabelsFit(HWND tree, UINT dpi) {
  DWORD pid = 0;
  GetWindowThreadProcessId(tree, &pid);
  HANDLE process =
      OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
  ASSERT_NE(process, nullptr);
  void* remote = VirtualAllocEx(process, nullptr, sizeof(RECT), MEM_COMMIT, PAGE_READWRITE);
  ASSERT_NE(remote, nullptr);
  RECT client;
  GetClientRect(tree, &client);
  int items = 0;
  for (auto item = reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0));
       item; item = reinterpret_cast<HTREEITEM>(SendMessageA(
                 tree, TVM_GETNEXTITEM, TVGN_NEXTVISIBLE, reinterpret_cast<LPARAM>(item)))) {
    // TVM_GETITEMRECT takes the item in the rectangle's first bytes.
    RECT rect{};
    std::memcpy(&rect, &item, sizeof item);
    SIZE_T done = 0;
    WriteProcessMemory(process, remote, &rect, sizeof rect, &done);
    // Scrolled to its left edge, the tree measures each label (text only).
    SendMessageA(tree, WM_HSCROLL, SB_LEFT, 0);
    ASSERT_TRUE(SendMessageA(tree, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(remote)));
    ReadProcessMemory(process, remote, &rect, sizeof rect, &done);
    EXPECT_LE(rect.right, client.right)
        << "tree label " << items << " ends at " << rect.right << ", the tree shows "
        << client.right << " at " << dpi << " DPI";
    ++items;
  }
  EXPECT_EQ(items, static_cast<int>(Categories().size()));
  VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  CloseHandle(process);
}

TEST(TextFit, EveryLabelAndButtonShowsItsWholeText) {
  SetProcessDPIAware();
  const UINT dpi = ExpectedDpi();
  ASSERT_TRUE(
      ImportReg("REGEDIT4\r\n\r\n"
                "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\"
                "kvgone.exe]\r\n@=\"C:\\\\KvGone\\\\kvgone.exe\"\r\n\r\n"));
  CreateDirectoryA((std::string(kFolder) + "Backup").c_str(), nullptr);
  Process kelvane(kExe);
  HWND main = WaitForWindow(kMainClass, 30000, kelvane.Id());
  ASSERT_NE(main, nullptr);
  ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(main) != FALSE; }, 30000));
  EXPECT_EQ(DpiOf(main), dpi) << "Wine's DPI setting did not reach the program";

  // The window grows with the DPI from its design size of 684 by 520.
  RECT rect;
  GetWindowRect(main, &rect);
  EXPECT_GE(rect.right - rect.left, Scale(684, dpi) - 1);
  EXPECT_GE(rect.bottom - rect.top, Scale(520, dpi) - 1);
  EXPECT_GE(ExpectTextsFit(main, dpi, "main window"), 3);
  ExpectTreeLabelsFit(GetDlgItem(main, kIdTree), dpi);

  PostMessageA(main, WM_COMMAND, kMiAbout, 0);
  HWND about = VisibleDialog(kelvane.Id(), 20000);
  ASSERT_NE(about, nullptr);
  EXPECT_GE(ExpectTextsFit(about, dpi, "About"), 5);
  RECT client;
  GetClientRect(about, &client);
  EXPECT_GE(client.right, Scale(360, dpi));
  EXPECT_GE(client.bottom, Scale(249, dpi));
  PostMessageA(about, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(about); }, 10000));

  PostMessageA(main, WM_COMMAND, MAKEWPARAM(kMiScan, BN_CLICKED), 0);
  HWND progress = WaitForWindow(kProgressClass, 20000, kelvane.Id());
  ASSERT_NE(progress, nullptr);
  EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(progress) != FALSE; }, 10000));
  EXPECT_GE(ExpectTextsFit(progress, dpi, "progress"), 1);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(progress); }, 300000));

  // After the scan: the list starts right of the tree, the status bar's count shows
  // whole.
  HWND list = GetDlgItem(main, kIdList);
  RECT treeRect, listRect;
  GetWindowRect(GetDlgItem(main, kIdTree), &treeRect);
  GetWindowRect(list, &listRect);
  EXPECT_GE(listRect.left, treeRect.right);
  const FontAt font(dpi, 8, false);
  HWND status = GetDlgItem(main, kIdStatus);
  const std::string found = StatusPartText(status, 0);
  EXPECT_NE(found, "");
  EXPECT_LE(font.Measure(found, false).cx + Scale(6, dpi), StatusPartRight(status, 0))
      << "\"" << found << "\" at " << dpi << " DPI";

  PostMessageA(main, WM_COMMAND, MAKEWPARAM(kMiRepair, BN_CLICKED), 0);
  HWND hint = VisibleDialog(kelvane.Id(), 60000);
  ASSERT_NE(hint, nullptr);
  EXPECT_GE(ExpectTextsFit(hint, dpi, "repair hint"), 6);
  PostMessageA(hint, WM_CLOSE, 0, 0);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(hint); }, 10000));

  // The restore window, with the backup of that repair in its list.
  PostMessageA(main, WM_COMMAND, MAKEWPARAM(kMiRestore, BN_CLICKED), 0);
  HWND restore = nullptr;
  ASSERT_TRUE(WaitUntil(
      [&] {
        for (HWND window : TopWindows("TfrmRestore", kelvane.Id())) {
          if (IsWindowVisible(window) && GetDlgItem(window, kIdRestoreList))
            restore = window;
        }
        return restore != nullptr;
      },
      20000));
  EXPECT_GE(ExpectTextsFit(restore, dpi, "restore"), 3);
  PostMessageA(restore, WM_CLOSE, 0, 0);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(restore); }, 10000));

  PostMessageA(main, WM_CLOSE, 0, 0);
  EXPECT_TRUE(kelvane.WaitExit(30000));
}

// The columns fit their cells after a scan, but never narrower than their headers: a
// shared library "C:\q" gives a value shorter than "Value".
TEST(TextFit, ColumnsAreNeverNarrowerThanTheirHeaders) {
  SetProcessDPIAware();
  const UINT dpi = ExpectedDpi();
  ASSERT_TRUE(ImportReg(
      "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\"
      "SharedDLLs]\r\n\"C:\\\\q\"=dword:00000001\r\n\r\n"));
  // Only "Shared DLLs" (id 9) is ticked, with the root above it.
  std::string ticks = "[TreeViewNodeCheck]\r\n";
  for (const Category& category : Categories()) {
    const int id = category.id;
    ticks += std::to_string(id) + (id == 1 || id == 9 ? "=1\r\n" : "=0\r\n");
  }
  FILE* file = std::fopen((std::string(kFolder) + "options.ini").c_str(), "wb");
  ASSERT_NE(file, nullptr);
  std::fputs(ticks.c_str(), file);
  std::fclose(file);

  Process kelvane(kExe);
  HWND main = WaitForWindow(kMainClass, 30000, kelvane.Id());
  ASSERT_NE(main, nullptr);
  ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(main) != FALSE; }, 30000));
  HWND list = GetDlgItem(main, kIdList);
  PostMessageA(main, WM_COMMAND, MAKEWPARAM(kMiScan, BN_CLICKED), 0);
  ASSERT_TRUE(WaitUntil(
      [&] { return StatusPartText(GetDlgItem(main, kIdStatus), 0) == " 1 problems found"; },
      60000));
  ASSERT_EQ(ListRows(list).at(0).value, "C:\\q");
  const FontAt font(dpi, 8, false);
  const char* headers[] = {"Problem", "Registry key", "Value"};
  for (int column = 0; column < 3; ++column) {
    const int width = static_cast<int>(SendMessageA(list, LVM_GETCOLUMNWIDTH, column, 0));
    EXPECT_GE(width, font.Measure(headers[column], false).cx + Scale(12, dpi))
        << "column \"" << headers[column] << "\" at " << dpi << " DPI";
  }
  PostMessageA(main, WM_CLOSE, 0, 0);
  EXPECT_TRUE(kelvane.WaitExit(30000));
}

// Moved to a monitor of twice the DPI, a form scales its controls and its list
// columns, and its texts still fit. The message comes from this driver: its rectangle
// is written into the program's memory, as Wine passes the pointer as it is. (The
// fonts cannot be looked at from here: Wine answers WM_GETFONT from another process
// with none.)
TEST(DpiChange, AFormMovedToAMonitorOfTwiceTheDpiScalesItsControlsAndColumns) {
  SetProcessDPIAware();
  const UINT dpi = ExpectedDpi(), twice = 2 * dpi;
  Process kelvane(kExe);
  HWND main = StartMain(kelvane);
  ASSERT_NE(main, nullptr);
  PostMessageA(main, WM_COMMAND, MAKEWPARAM(kMiOptions, 0), 0);
  HWND options = WaitForDialog("Options", kelvane.Id(), 20000);
  ASSERT_NE(options, nullptr);
  const auto placeOf = [&](HWND control) {
    RECT place;
    GetWindowRect(control, &place);
    MapWindowPoints(nullptr, options, reinterpret_cast<POINT*>(&place), 2);
    return place;
  };
  HWND ok = GetDlgItem(options, IDOK);
  const RECT okBefore = placeOf(ok);
  RECT client;
  GetClientRect(options, &client);
  const LONG widthBefore = client.right;
  std::vector<std::pair<HWND, int>> columns;  // list columns and their widths
  for (HWND child = GetWindow(options, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    char cls[32] = {};
    GetClassNameA(child, cls, sizeof cls);
    if (lstrcmpiA(cls, WC_LISTVIEWA) == 0)
      columns.emplace_back(child, static_cast<int>(SendMessageA(child, LVM_GETCOLUMNWIDTH, 0, 0)));
  }

  RECT window;
  GetWindowRect(options, &window);
  RECT suggested{window.left, window.top, window.left + 2 * (window.right - window.left),
                 window.top + 2 * (window.bottom - window.top)};
  HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE, FALSE, kelvane.Id());
  ASSERT_NE(process, nullptr);
  void* remote = VirtualAllocEx(process, nullptr, sizeof suggested, MEM_COMMIT, PAGE_READWRITE);
  ASSERT_NE(remote, nullptr);
  SIZE_T done = 0;
  ASSERT_TRUE(WriteProcessMemory(process, remote, &suggested, sizeof suggested, &done));
  DWORD_PTR answer = 0;
  ASSERT_TRUE(SendMessageTimeoutA(options, WM_DPICHANGED, MAKEWPARAM(twice, twice),
                                  reinterpret_cast<LPARAM>(remote), SMTO_ABORTIFHUNG, 10000,
                                  &answer));

  GetClientRect(options, &client);
  EXPECT_GE(client.right, 2 * widthBefore - 4);
  const RECT okAfter = placeOf(ok);
  EXPECT_NEAR(okAfter.left, 2 * okBefore.left, 2);
  EXPECT_NEAR(okAfter.top, 2 * okBefore.top, 2);
  EXPECT_NEAR(okAfter.right - okAfter.left, 2 * (okBefore.right - okBefore.left), 2);
  for (const auto& [list, width] : columns)
    EXPECT_NEAR(SendMessageA(list, LVM_GETCOLUMNWIDTH, 0, 0), 2 * width, 2);
  EXPECT_GE(ExpectTextsFit(options, twice, "Options after the move"), 5);

  VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  CloseHandle(process);
  PostMessageA(options, WM_COMMAND, IDCANCEL, 0);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(options); }, 10000));
  CloseMain(main, kelvane);
}

}  // namespace
}  // namespace kelvane::e2e
