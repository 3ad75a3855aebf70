// The main window's side of the settings: its placement read and written as plain
// values, the category ticks handed to the record, and the save on close.
#include "app/main_window.h"
#include "ui/win_controls.h"

namespace kelvane {

bool TfrmKelvane::FormClose() {
  if (settingsLoaded_) {
    try {
      SaveSettings();
    } catch (const SettingsWriteError& error) {
      ShowApplicationError(hwnd_, error.what());
      return false;  // the window stays open; the next close tries again
    }
  }
  return true;
}

WindowBounds TfrmKelvane::Bounds() const {
  RECT rect;
  GetWindowRect(hwnd_, &rect);
  // A minimised window's rectangle is its icon far off the screen: its bounds are the
  // ones it would be restored to.
  WINDOWPLACEMENT placement{};
  placement.length = sizeof placement;
  if (IsIconic(hwnd_) && GetWindowPlacement(hwnd_, &placement))
    rect = placement.rcNormalPosition;
  return WindowBounds{rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top};
}

// The ignore lists live in the record; the load also places the window.
void TfrmKelvane::LoadSettings() {
  OptionsSetting = TOptionsSetting{};
  const LoadedPlacement placement = LoadOptions(platform_, Bounds(), GetSystemMetrics(SM_CXSCREEN),
                                                GetSystemMetrics(SM_CYSCREEN));
  if (!placement.maximised) {
    const WindowBounds& b = placement.bounds;
    MoveWindow(hwnd_, b.left, b.top, b.width, b.height, TRUE);
  }
  categories_ = OptionsSetting.TreeViewNodeCheck;
  settingsLoaded_ = true;
}

void TfrmKelvane::SaveSettings() {
  SavedPlacement placement;
  WINDOWPLACEMENT current{};
  current.length = sizeof current;  // 44
  if (GetWindowPlacement(hwnd_, &current))
    placement.showCommand = static_cast<int>(current.showCmd);
  placement.bounds = Bounds();
  OptionsSetting.TreeViewNodeCheck = categories_;
  SaveOptions(platform_, placement);
}

}  // namespace kelvane
