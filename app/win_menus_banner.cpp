#include "app/win_menus_banner.h"

#include <algorithm>
#include <cstring>

#include "ui/win_controls.h"
#include "ui/win_dpi.h"

namespace kelvane {

namespace {

constexpr int kButtonIndent = 4;  // the task buttons' text from their left edge
constexpr const char* kLinkText = "Check for update now...";

// The banner: a band in two blues across the top, 50 design pixels high.
void PaintBanner(HDC dc, int width, int height) {
  for (int y = 0; y < height; ++y) {
    const int design = y * kBannerHeight / height;
    RECT line{0, y, width, y + 1};
    FillRect(dc, &line,
             ScopedGdi<HBRUSH>(CreateSolidBrush(RGB(30, 70 - design / 3, 150 - design))));
  }
}

}  // namespace

HMENU BuildMainMenu() {
  HMENU file = CreatePopupMenu();
  AppendMenuA(file, MF_STRING, kMiBackupFullRegistry, "&Backup Full Registry...");
  AppendMenuA(file, MF_STRING, kMiWindowsBackup, "&Windows Backup...");
  AppendMenuA(file, MF_SEPARATOR, 0, nullptr);
  AppendMenuA(file, MF_STRING, kMiStartupManager, "Startup &Manager...\tCtrl+M");
  AppendMenuA(file, MF_SEPARATOR, 0, nullptr);
  AppendMenuA(file, MF_STRING, kMiExit, "&Exit");

  HMENU action = CreatePopupMenu();
  AppendMenuA(action, MF_STRING, kMiScan, "&Scan registry issue");
  AppendMenuA(action, MF_STRING, kMiRepair, "&Repair registry issue");
  AppendMenuA(action, MF_SEPARATOR, 0, nullptr);
  AppendMenuA(action, MF_STRING, kMiRestore, "R&estore previous registry...");

  HMENU edit = CreatePopupMenu();
  AppendMenuA(edit, MF_STRING, kASelectAll, "Select &All");
  AppendMenuA(edit, MF_STRING, kASelectAllType, "&Select All of Type");
  AppendMenuA(edit, MF_SEPARATOR, 0, nullptr);
  AppendMenuA(edit, MF_STRING, kASelectNone, "Select &None");
  AppendMenuA(edit, MF_STRING, kASelectNoneType, "Select None of Type");
  AppendMenuA(edit, MF_SEPARATOR, 0, nullptr);
  AppendMenuA(edit, MF_STRING, kAOpenRegedit, "&Open in RegEdit...");
  AppendMenuA(edit, MF_SEPARATOR, 0, nullptr);
  AppendMenuA(edit, MF_STRING, kMiOptions, "&Options...\tCtrl+O");

  HMENU help = CreatePopupMenu();
  AppendMenuA(help, MF_STRING, kMiHelp, "&Help");
  AppendMenuA(help, MF_SEPARATOR, 0, nullptr);
  AppendMenuA(help, MF_STRING, kMiHomePage, "&Home Page");
  AppendMenuA(help, MF_SEPARATOR, 0, nullptr);
  AppendMenuA(help, MF_STRING, kMiAbout, "&About...");

  HMENU bar = CreateMenu();
  AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), "&File");
  AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(action), "&Action");
  AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(edit), "&Edit");
  AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(help), "&Help");
  return bar;
}

HMENU BuildPopupMenu() {
  HMENU popup = CreatePopupMenu();
  AppendMenuA(popup, MF_STRING, kASelectAll, "Select &All");
  AppendMenuA(popup, MF_STRING, kASelectAllType, "&Select All of Type");
  AppendMenuA(popup, MF_SEPARATOR, 0, nullptr);
  AppendMenuA(popup, MF_STRING, kASelectNone, "Select &None");
  AppendMenuA(popup, MF_STRING, kASelectNoneType, "Select None of Type");
  AppendMenuA(popup, MF_SEPARATOR, 0, nullptr);
  AppendMenuA(popup, MF_STRING, kAOpenRegedit, "&Open in RegEdit...");
  return popup;
}

void UpdateListActions(HMENU menu, bool rowSelected, bool canOpen) {
  const UINT ofType = rowSelected ? MF_ENABLED : MF_GRAYED;
  EnableMenuItem(menu, kASelectAllType, MF_BYCOMMAND | ofType);
  EnableMenuItem(menu, kASelectNoneType, MF_BYCOMMAND | ofType);
  EnableMenuItem(menu, kAOpenRegedit, MF_BYCOMMAND | (canOpen ? MF_ENABLED : MF_GRAYED));
}

void ShowListMenu(HWND owner, HMENU popup, HWND list, int x, int y) {
  SendMessageA(owner, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(popup), 0);
  if (x == -1 && y == -1) {
    RECT rect;
    GetWindowRect(list, &rect);
    x = rect.left + 10;
    y = rect.top + 10;
  }
  TrackPopupMenu(popup, TPM_RIGHTBUTTON, x, y, 0, owner, nullptr);
}

MainFonts::MainFonts(UINT dpi)
    : normal(CreateDesignFontAt(dpi)),
      boldVerdana(CreateDesignFontAt(dpi, 8, true, "Verdana")),
      title(CreateDesignFontAt(dpi, 14, true, "Verdana")),
      link(CreateDesignFontAt(dpi, 8, false, "MS Sans Serif")) {}

BannerControls CreateBannerControls(HWND parent, int iconId, int linkId, int linkImageId) {
  BannerControls banner;
  banner.icon =
      CreateChild(parent, "STATIC", "", SS_ICON | SS_REALSIZECONTROL, 0, 0, 0, 0, iconId, nullptr);
  banner.link = CreateChild(parent, "STATIC", kLinkText, SS_NOTIFY | SS_NOPREFIX, 0, 0, 0, 0,
                            linkId, nullptr);
  banner.linkImage = CreateChild(parent, "STATIC", "", SS_ICON | SS_REALSIZECONTROL, 0, 0, 0, 0,
                                 linkImageId, nullptr);
  SendMessageA(banner.linkImage, STM_SETICON,
               reinterpret_cast<WPARAM>(LoadIcon(nullptr, IDI_INFORMATION)), 0);
  return banner;
}

void SizeBannerControls(const BannerControls& banner, HICON icon, const MainFonts& fonts,
                        UINT dpi) {
  SendMessageA(banner.icon, STM_SETICON, reinterpret_cast<WPARAM>(icon), 0);
  MoveWindow(banner.icon, ScaleToDpi(18, dpi), ScaleToDpi(10, dpi), ScaleToDpi(32, dpi),
             ScaleToDpi(32, dpi), TRUE);
  SendMessageA(banner.link, WM_SETFONT, reinterpret_cast<WPARAM>(fonts.link.Get()), TRUE);
  const SIZE link = MeasureText(fonts.link, kLinkText, false);
  MoveWindow(banner.link, 0, ScaleToDpi(18, dpi), link.cx,
             std::max(ScaleToDpi(14, dpi), static_cast<int>(link.cy)), TRUE);
}

void PlaceBannerControls(const BannerControls& banner, int clientWidth, UINT dpi) {
  RECT link;
  GetWindowRect(banner.link, &link);
  const int linkWidth = link.right - link.left;
  MoveWindow(banner.link, clientWidth - linkWidth - ScaleToDpi(20, dpi), ScaleToDpi(18, dpi),
             linkWidth, link.bottom - link.top, TRUE);
  MoveWindow(banner.linkImage, clientWidth - linkWidth - ScaleToDpi(20 + 25, dpi),
             ScaleToDpi(16, dpi), ScaleToDpi(16, dpi), ScaleToDpi(16, dpi), TRUE);
}

LRESULT BannerControlColour(HWND window, HWND control, HDC dc, HBRUSH bannerBrush) {
  RECT place;
  GetWindowRect(control, &place);
  MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&place), 2);
  SetBrushOrgEx(dc, -place.left, -place.top, nullptr);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, RGB(255, 255, 255));
  return reinterpret_cast<LRESULT>(bannerBrush);
}

TaskButtons CreateTaskButtons(HWND parent, int scanId, int repairId, int restoreId) {
  TaskButtons tasks;
  tasks.scan = CreateChild(parent, "BUTTON", "Scan registry issue", BS_OWNERDRAW | WS_TABSTOP, 0, 0,
                           0, 0, scanId, nullptr);
  tasks.repair = CreateChild(parent, "BUTTON", "Repair registry issue", BS_OWNERDRAW | WS_TABSTOP,
                             0, 0, 0, 0, repairId, nullptr);
  tasks.restore = CreateChild(parent, "BUTTON", "Restore previous registry ",
                              BS_OWNERDRAW | WS_TABSTOP, 0, 0, 0, 0, restoreId, nullptr);
  return tasks;
}

void SizeTaskButtons(const TaskButtons& tasks, HFONT font, UINT dpi) {
  struct Place {
    HWND button;
    int x, y, width;
  };
  for (const Place& place : {Place{tasks.scan, 8, 76, 105}, Place{tasks.repair, 10, 104, 106},
                             Place{tasks.restore, 9, 132, 130}}) {
    SendMessageA(place.button, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    char text[128] = {};
    GetWindowTextA(place.button, text, sizeof text);
    const SIZE size = MeasureText(font, text, false);
    const int width = std::max(ScaleToDpi(place.width, dpi),
                               static_cast<int>(size.cx) + ScaleToDpi(2 * kButtonIndent, dpi));
    MoveWindow(place.button, ScaleToDpi(place.x, dpi), ScaleToDpi(place.y, dpi), width,
               std::max(ScaleToDpi(25, dpi), static_cast<int>(size.cy) + ScaleToDpi(4, dpi)), TRUE);
  }
}

ScopedGdi<HBRUSH> BuildBannerBrush(int height) {
  return PaintedBrush(nullptr, 8, height, [height](HDC dc) { PaintBanner(dc, 8, height); });
}

void PaintMainWindow(HDC dc, int clientWidth, const MainFonts& fonts, UINT dpi, int paneRight) {
  const auto at = [dpi](int designPixels) { return ScaleToDpi(designPixels, dpi); };
  PaintBanner(dc, clientWidth, at(kBannerHeight));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, RGB(255, 255, 255));
  const SelectedObject font(dc, fonts.title);
  TextOutA(dc, at(59), at(7), "Kelvane", 7);
  font.Select(fonts.normal);
  const char* hint = "Scan and repair your registry to improve PC performance";
  TextOutA(dc, at(59), at(29), hint, static_cast<int>(strlen(hint)));
  SetTextColor(dc, RGB(0, 0, 0));
  font.Select(fonts.boldVerdana);
  TextOutA(dc, at(9), at(56), "Tasks", 5);
  TextOutA(dc, at(8), at(165), "Select the sections to scan", 27);
  HBRUSH caption = GetSysColorBrush(COLOR_ACTIVECAPTION);
  // The rules run under the captions across the pane, 179 design pixels or more.
  const int lineEnd = std::max(at(7 + 179), paneRight - at(8));
  const int thickness = std::max(1, at(1));
  RECT line1{at(7), at(73), lineEnd, at(73) + thickness};
  RECT line2{at(7), at(183), lineEnd, at(183) + thickness};
  FillRect(dc, &line1, caption);
  FillRect(dc, &line2, caption);
}

void DrawFlatButton(const DRAWITEMSTRUCT& item, UINT dpi) {
  FillRect(item.hDC, &item.rcItem, GetSysColorBrush(COLOR_WINDOW));
  char text[128] = {};
  GetWindowTextA(item.hwndItem, text, sizeof text);
  SetBkMode(item.hDC, TRANSPARENT);
  const bool disabled = (item.itemState & ODS_DISABLED) != 0;
  SetTextColor(item.hDC, disabled ? GetSysColor(COLOR_GRAYTEXT) : RGB(0, 0, 255));
  RECT rect = item.rcItem;
  rect.left += ScaleToDpi(kButtonIndent, dpi);
  if (item.itemState & ODS_SELECTED)
    OffsetRect(&rect, 1, 1);
  DrawTextA(item.hDC, text, -1, &rect, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
  if (item.itemState & ODS_FOCUS)
    DrawFocusRect(item.hDC, &item.rcItem);
}

}  // namespace kelvane
