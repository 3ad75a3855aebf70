// The main window's menus and its painted parts: the menu bar and the list's context
// menu with their command ids, the banner band with its texts, the task buttons.
#pragma once

#include <windows.h>

#include <span>
#include <vector>

#include "app/commands.h"
#include "ui/win_gdi.h"

namespace kelvane {

inline constexpr int kBannerHeight = 50;

// The menu bar, the list's context menu and the Ctrl keys, from the command table.
HMENU BuildMainMenu(std::span<const Command> commands);
HMENU BuildPopupMenu(std::span<const Command> commands);
HACCEL BuildAccelerators(std::span<const Command> commands);

// Enables or greys the menu's commands by their state: a selected row, a row the
// registry editor can show.
void UpdateCommandStates(HMENU menu, std::span<const Command> commands, bool rowSelected,
                         bool canOpen);

// Shows the list's context menu at a screen point, or near the list's corner when
// opened from the keyboard (-1, -1). `owner` gets WM_INITMENUPOPUP and the command.
void ShowListMenu(HWND owner, HMENU popup, HWND list, int x, int y);

// The fonts the main window paints and labels with, at a DPI.
struct MainFonts {
  explicit MainFonts(UINT dpi);
  ScopedGdi<HFONT> normal;
  ScopedGdi<HFONT> boldVerdana;
  ScopedGdi<HFONT> title;
  ScopedGdi<HFONT> link;
};

// The controls on the banner: the program's icon, the update link and its image.
struct BannerControls {
  HWND icon = nullptr;
  HWND link = nullptr;
  HWND linkImage = nullptr;
};
BannerControls CreateBannerControls(HWND parent, int iconId, int linkId, int linkImageId);
// Sizes the banner's controls at `dpi`: the icon 32 design pixels square, the link as
// wide and high as its text in the link font.
void SizeBannerControls(const BannerControls& banner, HICON icon, const MainFonts& fonts, UINT dpi);
// Places the link and its image 20 design pixels from the right edge of a client area
// `clientWidth` wide.
void PlaceBannerControls(const BannerControls& banner, int clientWidth, UINT dpi);
// The colours of a control on the banner: the band shows through, its pattern aligned
// to the window; white text.
LRESULT BannerControlColour(HWND window, HWND control, HDC dc, HBRUSH bannerBrush);

// The task buttons below the banner, one per command that has one, with the command's
// id as control id.
std::vector<HWND> CreateTaskButtons(HWND parent, std::span<const Command> commands);
// Places the task buttons at `dpi` in `font`: their design places, each at least as
// wide as its text needs.
void SizeTaskButtons(HWND parent, std::span<const Command> commands, HFONT font, UINT dpi);

// A brush of the banner's band, `height` pixels high, so the controls on it show the
// band behind them.
ScopedGdi<HBRUSH> BuildBannerBrush(int height);
// The banner with its title and hint (which ends before `bannerTextRight`), the section
// captions and their rules (which run to `paneRight`), at `dpi`.
void PaintMainWindow(HDC dc, int clientWidth, const MainFonts& fonts, UINT dpi, int paneRight,
                     int bannerTextRight);
// A task button: blue text on the window colour, grey when disabled.
void DrawFlatButton(const DRAWITEMSTRUCT& item, UINT dpi);

}  // namespace kelvane
