// The repair's windows: the question whether to create a missing backup folder, the
// progress of a long repair, and the report of a repair that did not remove every
// ticked entry.
#pragma once

#include <windows.h>

#include <string>

#include "backup/repair.h"

namespace kelvane {

// "<folder>,The backup directory does not exist. Create it?": true for Yes.
bool AskCreateBackupFolder(HWND owner, const std::string& folder);

// Shows RepairReportText(outcome) over `owner`, as a warning for a repair that ran to
// its end and as an error for one that stopped; nothing when the report is empty.
void ShowRepairReport(HWND owner, const RepairOutcome& outcome);

// Runs the repair's batches to their end. The first ones run at once; when they have
// taken about a second, a small window with "N of M entries repaired" and a bar
// appears over `owner` (disabled meanwhile, so that no other command can start) and
// runs the rest from its modal loop, one batch at a time, so that the program keeps
// answering between them. `hidden`: the unattended run, which shows no window. Errors
// of a batch end the batches and reach the caller.
void RunRepairBatches(HWND owner, RepairBatches& batches, bool hidden);

}  // namespace kelvane
