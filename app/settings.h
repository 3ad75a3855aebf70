// The program-wide settings record and its file options.ini beside the executable.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace kelvane {

struct TOptionsSetting {
  std::string OutputDirectory;      // backup folder, no trailing separator
  bool DeleteBackupFile = false;    // delete a backup after a successful restore
  bool IncludeRemoveMedia = false;  // paths on removable drives are judged
  bool IncludeCDdrive = false;      // paths on CD drives are judged
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

}  // namespace kelvane
