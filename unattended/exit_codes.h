// The program's exit codes, which tell a scheduled task or a management tool how an
// unattended run ("-cleanonce", "-scan FILE", "-restore FILE") went, and the codes of
// the clean's repair and of the scan.
#pragma once

#include <string>

#include "backup/repair.h"

namespace kelvane {

// The program's exit codes, one table for every switch. README.md lists them for users.
enum CleanOnceExit : int {
  kCleanOnceDone = 0,             // the scan and the repair ran; every ticked item is gone
  kCleanOnceNoWindow = 1,         // the program could not create its window
  kCleanOnceNoBackupFolder = 2,   // no backup folder: the repair did nothing
  kCleanOnceBackupFailed = 3,     // a backup could not be written: that item was kept
  kCleanOnceDeletionRefused = 4,  // an item was backed up but its deletion was refused
  kCleanOnceNoRestorePoint = 5,   // the restore point was cancelled: the repair did nothing
  kCleanOnceAlreadyRunning = 6,   // another instance runs: nothing was scanned here
  kCleanOnceError = 7,            // the repair stopped on another error
  kScanFoundEntries = 8,          // -scan: the report lists entries found
  kScanReportNotWritten = 9,      // -scan: the report could not be written
  kScanFailed = 10,               // -scan: a scan failed; the report holds what came before
  kRestoreRefused = 11,           // -restore: damaged or not verified; the file is kept
  kRestoreFailed = 12,            // -restore: no such file, or the editor did not run
  kUsageShown = 13,               // an unknown switch or a missing file name: nothing ran
  kNothingTicked = 14,            // -scan, -cleanonce: no category is ticked; nothing scanned
};

// The note of a run that found no category ticked, and what the window says then.
inline constexpr const char* kNothingTickedText =
    "No category is ticked: nothing was scanned. Tick the categories to scan in the tree.";

// Nothing found by -scan, a verified -restore, and the usage asked for end with 0.
inline constexpr int kScanNothingFound = 0;
inline constexpr int kRestoreDone = 0;

// The exit code for the outcome of the unattended run's repair.
int CleanOnceExitCode(const RepairOutcome& outcome);

// The exit code of -scan: `failure` is why a scanner ended the scan (empty when none
// did), `reportWritten` whether the report is in place, `found` its rows.
int ScanExitCode(const std::string& failure, bool reportWritten, size_t found);

}  // namespace kelvane
