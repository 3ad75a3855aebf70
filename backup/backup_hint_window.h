// The backup hint window that waits for a run of the registry editor, and the two File
// menu commands built on it: the full-registry export and the Windows backup tool.
#pragma once

#include <windows.h>

#include <string>

#include "backup/registry_editor.h"
#include "platform/platform.h"

namespace kelvane {

// Control ids of the backup hint window.
inline constexpr int kIdBackupHintStop = 3101;
inline constexpr int kIdBackupHintBar = 3102;
inline constexpr int kIdBackupHintText = 3103;

// Starts `editorPath` hidden with `commandLine` and shows the backup hint window over
// `owner` until it ends by itself, "Stop" terminates it, or the close box leaves it
// running. An editor that cannot be started is reported ("Please check if
// Regedit.exe exists.").
EditorOutcome RunRegeditWithHint(HWND owner, Processes& processes, const std::string& editorPath,
                                 const std::string& commandLine, const std::string& hint);

// File, "&Backup Full Registry...": the whole registry exported into a file the user
// names, through a temporary file in the same folder.
void miBackupFullRegistryClick(HWND owner, Platform& platform);

// File, "&Windows Backup...": opens the system backup tool, or says that it is missing.
void miWindowsBackupClick(HWND owner, Platform& platform);

}  // namespace kelvane
