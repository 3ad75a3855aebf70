// The program-wide settings record and its file options.ini beside the executable.
// The main window's placement comes in and goes out as plain values.
#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "results/results_list.h"
#include "scan/categories.h"

namespace kelvane {

struct TOptionsSetting {
  std::string OutputDirectory;          // backup folder, no trailing separator
  bool DeleteBackupFile = false;        // delete a backup after a successful restore
  bool IncludeRemoveMedia = false;      // paths on removable drives are judged
  bool IncludeCDdrive = false;          // paths on CD drives are judged
  CategorySelection TreeViewNodeCheck;  // ticked categories of the tree
  std::vector<std::string> IgnoreValues;
  std::vector<std::string> IgnoreKeys;
  uint8_t WindowState = 0;  // 0 normal, 2 maximised
  bool ShowHint = false;    // show the repair hint after a repair
  bool RestorePoint = false;
};

// The one settings record of the run. Used on the user-interface thread only.
extern TOptionsSetting OptionsSetting;

// The record's ignore lists, for the filter after a scan.
inline IgnoreLists IgnoreListsOf(const TOptionsSetting& s) {
  return IgnoreLists{s.IgnoreValues, s.IgnoreKeys};
}

// At most this many numbered entries of each ignore list are read, whatever "Count"
// says: a damaged count must not make the start read entries for hours.
inline constexpr int32_t kMaxIgnoreEntries = 10000;

// Full path of options.ini: the executable's folder and the file name.
std::string OptionsFilePath(Shell& shell);

// A folder of the settings as a full path: one written without a drive (such as
// "RelBackup" or "Backup\\Old") is below the program's folder (`executableFolder`, with
// its trailing "\\"), as the default backup folder is, whatever the current folder;
// "\\Backup" is on the program's drive. Full and network paths stay as they are.
std::string ResolveFolder(const std::string& folder, const std::string& executableFolder);

// A window's bounds in screen pixels.
struct WindowBounds {
  int left = 0, top = 0, width = 0, height = 0;
  bool operator==(const WindowBounds&) const = default;
};

// Where the load puts the main window: maximised (its bounds untouched) or at `bounds`.
struct LoadedPlacement {
  bool maximised = false;
  WindowBounds bounds;
};

// What the save writes of the main window. `showCommand` is the placement's show
// command (1 normal, 2 minimised, 3 maximised), nothing when it cannot be read;
// `bounds` are the normal bounds (a minimised window's restored ones).
struct SavedPlacement {
  std::optional<int> showCommand;
  WindowBounds bounds;
};

// A save that could not write an entry. what() is "Unable to write to <full path>".
class SettingsWriteError : public std::runtime_error {
 public:
  explicit SettingsWriteError(const std::string& path)
      : std::runtime_error("Unable to write to " + path) {}
};

// Reads options.ini into OptionsSetting and answers where the main window goes. A
// missing position centres the window (of `current` size) on the screen; a missing
// size keeps `current`'s.
LoadedPlacement LoadOptions(Platform& platform, const WindowBounds& current, int screenWidth,
                            int screenHeight);
// Writes OptionsSetting and the window's placement; throws SettingsWriteError at the
// first entry that cannot be written (the entries before it stay written).
void SaveOptions(Platform& platform, const SavedPlacement& placement);

}  // namespace kelvane
