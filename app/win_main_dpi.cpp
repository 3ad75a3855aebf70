// The main window at its DPI: fonts, images and the fixed layout scaled from design
// pixels.
#include <algorithm>
#include <memory>

#include "app/main_window.h"
#include "app/resource.h"
#include "ui/win_controls.h"
#include "ui/win_dpi.h"

namespace kelvane {

namespace {

constexpr int kListLeft = 194;
constexpr int kTreeWidth = 183;

}  // namespace

int TfrmKelvane::S(int designPixels) const {
  return ScaleToDpi(designPixels, dpi_);
}

// Fonts, images and the fixed layout at the window's DPI. The design pixels scale; a
// task button and the tree are wider still when their texts need it, and the list
// starts right of the tree.
void TfrmKelvane::ApplyDpi() {
  fonts_ = std::make_unique<MainFonts>(dpi_);
  const auto font = reinterpret_cast<WPARAM>(fonts_->normal.Get());
  SendMessageW(hwnd_, WM_SETFONT, font, FALSE);
  bannerBrush_ = BuildBannerBrush(S(kBannerHeight));
  // The old icon goes once the banner shows the new one.
  ScopedGdi<HICON> icon(static_cast<HICON>(LoadImageW(
      GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_KELVANE), IMAGE_ICON, S(32), S(32), 0)));
  SizeBannerControls(banner_, icon.Get(), *fonts_, dpi_);
  bannerIcon_ = std::move(icon);
  SizeTaskButtons(hwnd_, MainCommands(), fonts_->normal.Get(), dpi_);
  tvRegistry_.ApplyDpi(dpi_, fonts_->normal.Get());
  treeWidth_ =
      std::max(S(kTreeWidth), tvRegistry_.WidestLabel() + GetSystemMetrics(SM_CXVSCROLL) + S(4));
  listLeft_ = std::max(S(kListLeft), S(6) + treeWidth_ + S(5));
  SendMessageW(lvRegistryData_.Handle(), WM_SETFONT, font, TRUE);
  lvRegistryData_.SetDpi(dpi_);
  SendMessageW(statusBar1_, WM_SETFONT, font, TRUE);
  // The second panel runs to the right edge so the selection count is never cut.
  int parts[2] = {S(200), -1};
  SendMessageW(statusBar1_, SB_SETPARTS, 2, reinterpret_cast<LPARAM>(parts));
}

}  // namespace kelvane
