// The restore window: the backup files of a folder, newest first; restores one through
// the registry editor, deletes one, opens the folder or lists another.
#pragma once

#include <windows.h>

#include <string>

#include "backup/registry_editor.h"
#include "platform/platform.h"

namespace kelvane {

// Control ids of the restore window.
inline constexpr int kIdRestoreFolder = 3201;
inline constexpr int kIdRestoreBrowse = 3202;
inline constexpr int kIdRestoreList = 3203;
inline constexpr int kIdRestoreRestore = 3204;
inline constexpr int kIdRestoreOpenDirectory = 3205;
inline constexpr int kIdRestoreDelete = 3206;
inline constexpr int kIdRestoreClose = 3207;

// What the restore window asks of the rest of the program.
class RestoreCallbacks {
 public:
  virtual ~RestoreCallbacks() = default;
  // Runs a registry editor command line in the backup hint window over `owner`.
  virtual EditorOutcome RunEditorWithHint(HWND owner, const std::string& editorPath,
                                          const std::string& commandLine,
                                          const std::string& hint) = 0;
};

// Shows the restore window modally over `owner`, listing the backup folder of the
// settings.
void ShowRestore(HWND owner, Platform& platform, RestoreCallbacks& callbacks);

}  // namespace kelvane
