#include "app/win_menus_banner.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <string>
#include <utility>

#include "ui/win_controls.h"
#include "ui/win_dpi.h"
#include "ui/win_text.h"

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
             ScopedGdi<HBRUSH>(CreateSolidBrush(RGB(30, 70 - design / 3, 150 - design))).Get());
  }
}

// The menu text with its Ctrl key ("Startup &Manager...\tCtrl+M").
std::string MenuText(const Command& command) {
  std::string text = command.text;
  if (command.ctrlKey)
    text += std::string("\tCtrl+") + command.ctrlKey;
  return text;
}

// The commands for which `in` holds, in table order; a separator row only between two
// items.
HMENU BuildMenu(std::span<const Command> commands, const std::function<bool(const Command&)>& in) {
  HMENU menu = CreatePopupMenu();
  bool separator = false, items = false;
  for (const Command& command : commands) {
    if (!in(command))
      continue;
    if (!command.id) {
      separator = items;
      continue;
    }
    if (separator)
      AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu, MF_STRING, static_cast<UINT_PTR>(command.id),
                Wide(MenuText(command)).c_str());
    separator = false;
    items = true;
  }
  return menu;
}

}  // namespace

HMENU BuildMainMenu(std::span<const Command> commands) {
  static constexpr std::pair<MenuTitle, const char*> kTitles[] = {{MenuTitle::kFile, "&File"},
                                                                  {MenuTitle::kAction, "&Action"},
                                                                  {MenuTitle::kEdit, "&Edit"},
                                                                  {MenuTitle::kHelp, "&Help"}};
  HMENU bar = CreateMenu();
  for (const auto& [title, text] : kTitles) {
    HMENU menu = BuildMenu(commands, [title](const Command& c) { return c.menu == title; });
    AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(menu), Wide(text).c_str());
  }
  return bar;
}

HMENU BuildPopupMenu(std::span<const Command> commands) {
  return BuildMenu(commands, [](const Command& c) { return c.inListMenu; });
}

HACCEL BuildAccelerators(std::span<const Command> commands) {
  std::vector<ACCEL> keys;
  for (const Command& command : commands) {
    if (command.ctrlKey) {
      keys.push_back(ACCEL{FCONTROL | FVIRTKEY, static_cast<WORD>(command.ctrlKey),
                           static_cast<WORD>(command.id)});
    }
  }
  return CreateAcceleratorTableW(keys.data(), static_cast<int>(keys.size()));
}

void UpdateCommandStates(HMENU menu, std::span<const Command> commands, bool rowSelected,
                         bool canOpen) {
  for (const Command& command : commands) {
    if (!command.id || command.state == CommandState::kAlways)
      continue;
    const bool enabled = command.state == CommandState::kRowSelected ? rowSelected : canOpen;
    EnableMenuItem(menu, static_cast<UINT>(command.id),
                   MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
  }
}

void ShowListMenu(HWND owner, HMENU popup, HWND list, int x, int y) {
  SendMessageW(owner, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(popup), 0);
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
  SendMessageW(banner.linkImage, STM_SETICON,
               reinterpret_cast<WPARAM>(LoadIcon(nullptr, IDI_INFORMATION)), 0);
  return banner;
}

void SizeBannerControls(const BannerControls& banner, HICON icon, const MainFonts& fonts,
                        UINT dpi) {
  SendMessageW(banner.icon, STM_SETICON, reinterpret_cast<WPARAM>(icon), 0);
  MoveWindow(banner.icon, ScaleToDpi(18, dpi), ScaleToDpi(10, dpi), ScaleToDpi(32, dpi),
             ScaleToDpi(32, dpi), TRUE);
  SendMessageW(banner.link, WM_SETFONT, reinterpret_cast<WPARAM>(fonts.link.Get()), TRUE);
  const SIZE link = MeasureText(fonts.link.Get(), kLinkText, false);
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
  const RECT place = PlaceIn(window, control);
  SetBrushOrgEx(dc, -place.left, -place.top, nullptr);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, RGB(255, 255, 255));
  return reinterpret_cast<LRESULT>(bannerBrush);
}

std::vector<HWND> CreateTaskButtons(HWND parent, std::span<const Command> commands) {
  std::vector<HWND> buttons;
  for (const Command& command : commands) {
    if (command.task.text) {
      buttons.push_back(CreateChild(parent, "BUTTON", command.task.text, BS_OWNERDRAW | WS_TABSTOP,
                                    0, 0, 0, 0, command.id, nullptr));
    }
  }
  return buttons;
}

void SizeTaskButtons(HWND parent, std::span<const Command> commands, HFONT font, UINT dpi) {
  for (const Command& command : commands) {
    if (!command.task.text)
      continue;
    const HWND button = GetDlgItem(parent, command.id);
    SendMessageW(button, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    const SIZE size = MeasureText(font, command.task.text, false);
    const int width = std::max(ScaleToDpi(command.task.width, dpi),
                               static_cast<int>(size.cx) + ScaleToDpi(2 * kButtonIndent, dpi));
    MoveWindow(button, ScaleToDpi(command.task.x, dpi), ScaleToDpi(command.task.y, dpi), width,
               std::max(ScaleToDpi(25, dpi), static_cast<int>(size.cy) + ScaleToDpi(4, dpi)), TRUE);
  }
}

ScopedGdi<HBRUSH> BuildBannerBrush(int height) {
  return PaintedBrush(nullptr, 8, height, [height](HDC dc) { PaintBanner(dc, 8, height); });
}

void PaintMainWindow(HDC dc, int clientWidth, const MainFonts& fonts, UINT dpi, int paneRight,
                     int bannerTextRight) {
  const auto at = [dpi](int designPixels) { return ScaleToDpi(designPixels, dpi); };
  PaintBanner(dc, clientWidth, at(kBannerHeight));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, RGB(255, 255, 255));
  const SelectedObject font(dc, fonts.title.Get());
  TextOutW(dc, at(59), at(7), L"Kelvane", 7);
  font.Select(fonts.normal.Get());
  // The line ends before "Check for update"; in a narrow window it ends in "...".
  RECT hint{at(59), at(29), std::max(at(59), bannerTextRight), at(kBannerHeight)};
  DrawTextW(dc, L"Scan and repair your registry to improve PC performance", -1, &hint,
            DT_LEFT | DT_TOP | DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX);
  SetTextColor(dc, RGB(0, 0, 0));
  font.Select(fonts.boldVerdana.Get());
  TextOutW(dc, at(9), at(56), L"Tasks", 5);
  TextOutW(dc, at(8), at(165), L"Select the sections to scan", 27);
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
  const std::wstring text = Wide(WindowText(item.hwndItem));
  SetBkMode(item.hDC, TRANSPARENT);
  const bool disabled = (item.itemState & ODS_DISABLED) != 0;
  SetTextColor(item.hDC, disabled ? GetSysColor(COLOR_GRAYTEXT) : RGB(0, 0, 255));
  RECT rect = item.rcItem;
  rect.left += ScaleToDpi(kButtonIndent, dpi);
  if (item.itemState & ODS_SELECTED)
    OffsetRect(&rect, 1, 1);
  DrawTextW(item.hDC, text.c_str(), -1, &rect, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
  if (item.itemState & ODS_FOCUS)
    DrawFocusRect(item.hDC, &item.rcItem);
}

}  // namespace kelvane
