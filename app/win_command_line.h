// The runs of the command line that need no main window (-scan, -restore, the usage
// box), the log line of every unattended run, and the report file of the results list.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "backup/run_log.h"
#include "platform/platform.h"
#include "results/results_model.h"
#include "results/scan_report.h"
#include "scan/categories.h"
#include "scan/progress_window.h"

namespace kelvane {

// "-scan FILE": the saved categories scanned in a hidden progress window, the ignore
// lists applied, the CSV report written; nothing deleted. Returns the exit code.
int RunScanSwitch(Platform platform, const std::string& file);

// "-restore FILE": the verified restore of one backup file. Returns the exit code.
int RunRestoreSwitch(Platform platform, const std::string& file);

// The scan's options from the settings; an unattended scan keeps its window hidden.
ScanOptions ScanOptionsFromSettings(bool unattended);

// The usage in a message box; returns `exitCode`.
int ShowUsage(int exitCode);

// Adds the run's line to kelvane.log; the time is filled in here. A clean that asked
// for a restore point adds "<TAB>restorepoint=" and what came of it (made, reused or
// failed, RestorePointLogText).
void LogUnattendedRun(Platform platform, RunLogEntry entry, const std::string& restorePoint = {});

// The captions of the categories, as the log lists them.
std::vector<std::string> CategoryCaptions(const std::vector<Category>& categories);

// A path as the system completes it against the current folder; a path whose name
// has no exact ANSI form stays as it is (nothing opens it).
std::string FullPath(const std::string& path);

// Writes the results list's rows to `path` in the chosen form ("Save Scan Results...");
// nothing when written, else the text for the user.
std::optional<std::string> SaveScanResults(FileSystem& files, const ResultsModel& model,
                                           ReportForm form, const std::string& path);

}  // namespace kelvane
