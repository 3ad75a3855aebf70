// The repair command of the main window and of the unattended run.
#pragma once

#include <windows.h>

#include <cstddef>
#include <functional>
#include <vector>

#include "backup/repair.h"
#include "results/results_model.h"
#include "platform/platform.h"

namespace kelvane {

// Backs up and deletes what the ticked rows of `results` denote, last row first, and
// removes the processed rows; asks about a missing backup folder, makes a restore
// point when the settings ask for one (where Windows has System Restore), the hint when
// the settings ask for it; `refresh` shows the remaining rows and their counts before
// the hint. Returns the outcome (the rows visited, what stopped the repair). Errors end
// the repair with a message box that says what stopped it, at which entry, what was
// removed and where the backup is (never in the unattended run, `quiet`); the caller
// refreshes the list and the counts afterwards.
// `makeRestorePoint` shows the restore-point window and answers false when the user
// cancelled the repair there; `endRestorePoint` ends that point after the last
// deletion (RepairPrompts::EndRestorePoint); `scanAgain` scans the last scan's categories
// again just before the deletions (RepairPrompts::ScanAgain); `lookAgain` looks at the
// keys the repair emptied afterwards (RepairPrompts::LookAgain), whose finds the
// unattended run repairs in a further pass and the window lists ticked. A repair that
// takes longer than about a second shows its progress in a window of its own (never in
// the unattended run).
RepairOutcome RepairRegistryCommand(
    HWND owner, Platform& platform, ResultsModel& results, const std::function<void()>& refresh,
    const std::function<bool()>& makeRestorePoint,
    const std::function<RepairPrompts::Recheck(std::vector<IssueRow>&)>& scanAgain,
    const std::function<bool(const std::vector<RowTarget>&, std::vector<IssueRow>&)>& lookAgain,
    bool quiet, const std::function<void(bool)>& endRestorePoint = {});

}  // namespace kelvane
