// The progress of a long repair: a small window with "N of M entries repaired" and a
// bar, which appears once a repair has taken about a second.
#pragma once

#include <windows.h>

#include "backup/repair.h"

namespace kelvane {

// Runs the repair's batches to their end. The first ones run at once; when they have
// taken about a second, the window appears over `owner` (disabled meanwhile, so that no
// other command can start) and runs the rest from its modal loop, one batch at a time,
// so that the program keeps answering between them. `hidden`: the unattended run, which
// shows no window. Errors of a batch end the batches and reach the caller.
void RunRepairBatches(HWND owner, RepairBatches& batches, bool hidden);

}  // namespace kelvane
