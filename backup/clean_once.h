// The unattended run ("-cleanonce" as the first argument): scan the saved categories,
// repair everything found, exit. Its exit code tells a scheduled task how it went.
#pragma once

#include <string>
#include <vector>

#include "backup/repair.h"

namespace kelvane {

// The exit codes of the unattended run. README.md lists them for users.
enum CleanOnceExit : int {
  kCleanOnceDone = 0,             // the scan and the repair ran; every ticked item is gone
  kCleanOnceNoWindow = 1,         // the program could not create its window
  kCleanOnceNoBackupFolder = 2,   // no backup folder: the repair did nothing
  kCleanOnceBackupFailed = 3,     // a backup could not be written: that item was kept
  kCleanOnceDeletionRefused = 4,  // an item was backed up but its deletion was refused
  kCleanOnceNoRestorePoint = 5,   // the restore point was cancelled: the repair did nothing
  kCleanOnceAlreadyRunning = 6,   // another instance runs: nothing was scanned here
  kCleanOnceError = 7,            // the repair stopped on another error
};

// True when the first argument is "-cleanonce" in any letter case; the others are
// not looked at.
bool IsCleanOnceSwitch(const std::vector<std::string>& arguments);

// The exit code for the outcome of the unattended run's repair.
int CleanOnceExitCode(const RepairOutcome& outcome);

}  // namespace kelvane
