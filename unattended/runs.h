// The runs of the switches (the rows of Switches(), unattended/command_line.h): each
// takes the host and the parsed command line (its row and file), logs itself when
// unattended and returns the program's exit code.
#pragma once

#include <functional>
#include <string>

#include "unattended/command_line.h"

namespace kelvane {

// "-cleanonce": the main window, hidden, scans and repairs (CleanUnattended,
// unattended/clean_once.h); a window that cannot be created is logged here.
int RunCleanOnceSwitch(RunHost& host, const CommandLine& command);

// "-scan FILE": the saved categories scanned, the ignore lists applied, the CSV
// report written; nothing deleted.
int RunScanSwitch(RunHost& host, const CommandLine& command);

// "-restore FILE": the verified restore of one backup file (RestoreBackupUnattended).
int RunRestoreSwitch(RunHost& host, const CommandLine& command);

// The restore window's verified restore of one backup file, without a window. The
// system registry editor imports the file; the file goes only when the registry is
// proven to hold all of it and the settings ask for it.
struct UnattendedRestore {
  int exitCode = 0;     // kRestoreDone, kRestoreRefused or kRestoreFailed
  std::string message;  // why it was refused or failed; empty when all went as asked
  bool fileDeleted = false;
};

// `pause` is called between the looks at whether the editor has ended.
UnattendedRestore RestoreBackupUnattended(Platform& platform, const std::string& path,
                                          bool deleteBackupFile,
                                          const std::function<void()>& pause);

// "/?": the usage; ends with 0.
int RunHelpSwitch(RunHost& host, const CommandLine& command);

// An unknown switch, or one without its file: logged, then the usage; ends with 13.
int RunUnknownSwitch(RunHost& host, const CommandLine& command);

// A run that met another did nothing: the unattended ones say so in the log. Returns 6.
int RefuseSecondRun(Platform platform, const CommandLine& command);

// OptionsSetting as the last run of the window left it in options.ini.
void LoadRunSettings(RunHost& host);

}  // namespace kelvane
