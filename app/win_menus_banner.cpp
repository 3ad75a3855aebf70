#include "app/win_menus_banner.h"

#include <cstring>

#include "ui/win_controls.h"

namespace kelvane {

namespace {

// The banner: a band in two blues across the top, 50 pixels high.
void PaintBanner(HDC dc, int width) {
  for (int y = 0; y < kBannerHeight; ++y) {
    HBRUSH brush = CreateSolidBrush(RGB(30, 70 - y / 3, 150 - y));
    RECT line{0, y, width, y + 1};
    FillRect(dc, &line, brush);
    DeleteObject(brush);
  }
}

}  // namespace

HMENU BuildMainMenu() {
  HMENU file = CreatePopupMenu();
  AppendMenuA(file, MF_STRING, kMiBackupFullRegistry, "&Backup Full Registry...");
  AppendMenuA(file, MF_STRING, kMiWindowsBackup, "&Windows Backup...");
  AppendMenuA(file, MF_SEPARATOR, 0, nullptr);
  AppendMenuA(file, MF_STRING | MF_GRAYED, kMiStartupManager, "Startup &Manager...\tCtrl+M");
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
  AppendMenuA(edit, MF_STRING | MF_GRAYED, kMiOptions, "&Options...\tCtrl+O");

  HMENU help = CreatePopupMenu();
  AppendMenuA(help, MF_STRING, kMiHelp, "&Help");
  AppendMenuA(help, MF_SEPARATOR, 0, nullptr);
  AppendMenuA(help, MF_STRING, kMiHomePage, "&Home Page");
  AppendMenuA(help, MF_SEPARATOR, 0, nullptr);
  AppendMenuA(help, MF_STRING, kMiAbout, "&About...");

  HMENU bar = CreateMenu();
  AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), "File");
  AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(action), "Action");
  AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(edit), "Edit");
  AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(help), "Help");
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

MainFonts::MainFonts()
    : normal(CreateDesignFont()),
      boldVerdana(CreateDesignFont(8, true, "Verdana")),
      title(CreateDesignFont(14, true, "Verdana")),
      link(CreateDesignFont(8, false, "MS Sans Serif")) {}

MainFonts::~MainFonts() {
  for (HFONT font : {normal, boldVerdana, title, link}) {
    if (font)
      DeleteObject(font);
  }
}

BannerControls CreateBannerControls(HWND parent, HICON icon, const MainFonts& fonts, int iconId,
                                    int linkId, int linkImageId) {
  BannerControls banner;
  banner.icon = CreateChild(parent, "STATIC", "", SS_ICON, 18, 10, 32, 32, iconId, nullptr);
  SendMessageA(banner.icon, STM_SETICON, reinterpret_cast<WPARAM>(icon), 0);
  const char* linkText = "Check for update now...";
  HDC screen = GetDC(nullptr);
  HGDIOBJ oldFont = SelectObject(screen, fonts.link);
  SIZE linkSize{};
  GetTextExtentPoint32A(screen, linkText, static_cast<int>(strlen(linkText)), &linkSize);
  SelectObject(screen, oldFont);
  ReleaseDC(nullptr, screen);
  banner.link = CreateChild(parent, "STATIC", linkText, SS_NOTIFY | SS_NOPREFIX, 0, 18, linkSize.cx,
                            14, linkId, fonts.link);
  banner.linkImage =
      CreateChild(parent, "STATIC", "", SS_ICON, 0, 16, 16, 16, linkImageId, nullptr);
  SendMessageA(banner.linkImage, STM_SETICON,
               reinterpret_cast<WPARAM>(LoadIcon(nullptr, IDI_INFORMATION)), 0);
  return banner;
}

void PlaceBannerControls(const BannerControls& banner, int clientWidth) {
  RECT link;
  GetWindowRect(banner.link, &link);
  const int linkWidth = link.right - link.left;
  MoveWindow(banner.link, clientWidth - linkWidth - 20, 18, linkWidth, 14, TRUE);
  MoveWindow(banner.linkImage, clientWidth - linkWidth - 20 - 25, 16, 16, 16, TRUE);
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

TaskButtons CreateTaskButtons(HWND parent, HFONT font, int scanId, int repairId, int restoreId) {
  TaskButtons tasks;
  tasks.scan = CreateChild(parent, "BUTTON", "Scan registry issue", BS_OWNERDRAW | WS_TABSTOP, 8,
                           76, 105, 25, scanId, font);
  tasks.repair = CreateChild(parent, "BUTTON", "Repair registry issue", BS_OWNERDRAW | WS_TABSTOP,
                             10, 104, 106, 25, repairId, font);
  tasks.restore = CreateChild(parent, "BUTTON", "Restore previous registry ",
                              BS_OWNERDRAW | WS_TABSTOP, 9, 132, 130, 25, restoreId, font);
  return tasks;
}

HBRUSH BuildBannerBrush() {
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, 8, kBannerHeight);
  HGDIOBJ old = SelectObject(dc, bitmap);
  PaintBanner(dc, 8);
  SelectObject(dc, old);
  HBRUSH brush = CreatePatternBrush(bitmap);
  DeleteObject(bitmap);
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
  return brush;
}

void PaintMainWindow(HDC dc, int clientWidth, const MainFonts& fonts) {
  PaintBanner(dc, clientWidth);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, RGB(255, 255, 255));
  HGDIOBJ old = SelectObject(dc, fonts.title);
  TextOutA(dc, 59, 7, "Kelvane", 7);
  SelectObject(dc, fonts.normal);
  const char* hint = "Scan and repair your registry to improve PC performance";
  TextOutA(dc, 59, 29, hint, static_cast<int>(strlen(hint)));
  SetTextColor(dc, RGB(0, 0, 0));
  SelectObject(dc, fonts.boldVerdana);
  TextOutA(dc, 9, 56, "Tasks", 5);
  TextOutA(dc, 8, 165, "Select the sections to scan", 27);
  SelectObject(dc, old);
  HBRUSH caption = GetSysColorBrush(COLOR_ACTIVECAPTION);
  RECT line1{7, 73, 7 + 179, 74};
  RECT line2{7, 183, 7 + 179, 184};
  FillRect(dc, &line1, caption);
  FillRect(dc, &line2, caption);
}

void DrawFlatButton(const DRAWITEMSTRUCT& item) {
  FillRect(item.hDC, &item.rcItem, GetSysColorBrush(COLOR_WINDOW));
  char text[128] = {};
  GetWindowTextA(item.hwndItem, text, sizeof text);
  SetBkMode(item.hDC, TRANSPARENT);
  const bool disabled = (item.itemState & ODS_DISABLED) != 0;
  SetTextColor(item.hDC, disabled ? GetSysColor(COLOR_GRAYTEXT) : RGB(0, 0, 255));
  RECT rect = item.rcItem;
  rect.left += 4;
  if (item.itemState & ODS_SELECTED)
    OffsetRect(&rect, 1, 1);
  DrawTextA(item.hDC, text, -1, &rect, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
  if (item.itemState & ODS_FOCUS)
    DrawFocusRect(item.hDC, &item.rcItem);
}

}  // namespace kelvane
