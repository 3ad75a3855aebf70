// The program-wide settings record and its file options.ini beside the executable,
// with the small shared helpers that several windows and scanners use.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace kelvane {

struct TOptionsSetting {
  std::string OutputDirectory;               // backup folder, no trailing separator
  bool DeleteBackupFile = false;             // delete a backup after a successful restore
  bool IncludeRemoveMedia = false;           // paths on removable drives are judged
  bool IncludeCDdrive = false;               // paths on CD drives are judged
  std::array<bool, 23> TreeViewNodeCheck{};  // index 1..22 by category id
  int32_t IgnoreValueCount = 0;
  std::vector<std::string> IgnoreValues;
  int32_t IgnoreKeyCount = 0;
  std::vector<std::string> IgnoreKeys;
  uint8_t WindowState = 0;  // 0 normal, 2 maximised
  bool ShowHint = false;    // show the repair hint after a repair
  bool RestorePoint = false;
};

// The one settings record of the run. Used on the user-interface thread only.
extern TOptionsSetting OptionsSetting;

// At most this many entries of each ignore list are loaded, whatever "Count" says:
// a damaged count must not make the start read entries for hours.
inline constexpr int32_t kMaxIgnoreEntries = 10000;

// Full path of options.ini: the executable's folder and the file name.
std::string OptionsFilePath(Shell& shell);

// What the settings file needs of the main window; the window implements it.
struct WindowBounds {
  int left = 0, top = 0, width = 0, height = 0;
};

class MainWindowPlacement {
 public:
  virtual ~MainWindowPlacement() = default;
  virtual WindowBounds Bounds() = 0;  // current bounds
  virtual void SetLeft(int) = 0;
  virtual void SetTop(int) = 0;
  virtual void SetWidth(int) = 0;
  virtual void SetHeight(int) = 0;
  virtual int ScreenWidth() = 0;
  virtual int ScreenHeight() = 0;
  // Show command of the window placement (1 normal, 2 minimised, 3 maximised);
  // nothing when the placement cannot be read.
  virtual std::optional<int> ShowCommand() = 0;
  // Copies the category tree's ticks into the record before they are written.
  virtual void StoreTreeTicks(std::array<bool, 23>& ticks) = 0;
};

// A save that could not write an entry. what() is "Unable to write to <full path>".
class SettingsWriteError : public std::runtime_error {
 public:
  explicit SettingsWriteError(const std::string& path)
      : std::runtime_error("Unable to write to " + path) {}
};

// load true: reads options.ini into OptionsSetting and places the main window.
// load false: writes OptionsSetting and the window's placement; throws
// SettingsWriteError at the first entry that cannot be written (the entries
// before it stay written).
void LoadSaveOptions(Platform& platform, bool load, MainWindowPlacement& window);

// N with a leading "0" when below 10 ("07"), else plain decimal ("2006").
std::string FormatTwoDigits(int n);

// Deletes the file for good, silently (no recycle bin, no question, no progress).
// False, with nothing deleted, when the path names no existing file (a folder, a
// wildcard pattern).
bool ShellDeleteFile(FileSystem& files, const std::string& path);

// Opens (creating when missing) `key` under HKEY_CURRENT_USER and writes the string
// value. Nothing happens when the key can neither be opened nor created; a failed
// value write raises RegistryError.
void WriteCurrentUserString(RegistryBackend& registry, const std::string& key,
                            const std::string& name, const std::string& data);

// Keys that the Files and Folders walk leaves out, with everything below them,
// because another category examines them: below HKEY_LOCAL_MACHINE and below
// HKEY_CURRENT_USER. Matched whole, without regard to case.
extern const std::array<const char*, 12> LocalMachineSkipKeys;
extern const std::array<const char*, 4> CurrentUserSkipKeys;

}  // namespace kelvane
