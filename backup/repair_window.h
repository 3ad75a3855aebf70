// The repair's own messages: the question whether to create a missing backup folder
// and the report of a repair that did not remove every ticked entry.
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

}  // namespace kelvane
