// "-cleanonce" inside the main window: the window, hidden, lends its scan and its
// repair; the run around them decides the exit code, writes the log line and, for
// the benchmarks, the phase times.
#pragma once

#include <string>
#include <vector>

#include "backup/repair.h"
#include "platform/platform.h"
#include "scan/categories.h"

namespace kelvane {

// The switch as typed and as the log names it.
inline constexpr const char* kCleanOnceSwitch = "-cleanonce";

// What the clean asks of the main window, which lends its scan and its repair, hidden.
class CleanOnceSteps {
 public:
  virtual ~CleanOnceSteps() = default;
  virtual std::vector<Category> Ticked() = 0;  // the categories to scan
  virtual size_t Scan() = 0;                   // scans Ticked(); the rows listed then
  virtual RepairOutcome Repair() = 0;          // repairs every row
  virtual std::string RestorePointLog() = 0;   // what the repair's restore point came to
};

// Scans and repairs through `steps`, logs the run and returns its exit code. With
// nothing ticked nothing is scanned. When `phaseTimesFile` names a file (the
// environment's KELVANE_PHASE_TIMES), a line "scan S repair R (...)" (seconds) is
// added to it, with in the brackets the repair's parts, and the registry calls and
// file questions and the time inside them (when the platform's registry and file
// system are the counting ones of platform/counted_calls.h).
int CleanUnattended(Platform platform, CleanOnceSteps& steps, const std::string& phaseTimesFile);

}  // namespace kelvane
