// "-cleanonce" inside the main window: the window, hidden, lends its scan and its
// repair; the run around them decides the exit code, writes the log line and, for
// the benchmarks, the phase times.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "backup/repair.h"
#include "platform/platform.h"
#include "scan/categories.h"

namespace kelvane {

// The switch as typed and as the log names it.
inline constexpr const char* kCleanOnceSwitch = "-cleanonce";

// What the clean needs of the window.
struct CleanOnceSteps {
  std::vector<Category> ticked;               // the categories to scan
  std::function<size_t()> scan;               // scans `ticked`; the rows listed then
  std::function<RepairOutcome()> repair;      // repairs every row, the window hidden
  std::function<std::string()> restorePoint;  // what the repair's restore point came to
};

// Scans and repairs through `steps`, logs the run and returns its exit code. With
// nothing ticked nothing is scanned. When `phaseTimesFile` names a file (the
// environment's KELVANE_PHASE_TIMES), a line "scan S repair R (...)" (seconds) is
// added to it, the repair's parts and the registry calls (when the platform's
// registry is a CountedRegistry) in the brackets.
int CleanUnattended(Platform platform, const CleanOnceSteps& steps,
                    const std::string& phaseTimesFile);

}  // namespace kelvane
