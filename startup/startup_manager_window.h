// The startup manager: lists the programs started with Windows and deletes the ticked
// ones, registry values backed up into the backup folder first.
#pragma once

#include <windows.h>

#include <string>

#include "platform/platform.h"

namespace kelvane {

// Control ids of the startup manager.
enum : int {
  kIdStartup = 101,
  kIdSelectAll,
  kIdSelectNone,
  kIdDeleteEntry,
};

// Shows the window modally over `owner`; deleted registry entries are backed up into
// a backup file in `backupFolder`.
void ShowStartupManager(HWND owner, Platform& platform, const std::string& backupFolder);

}  // namespace kelvane
