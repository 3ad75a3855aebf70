// The progress window shown while a scan runs: the category being scanned, a bar
// driven by time, the key being examined, and Stop.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "results/results_model.h"
#include "platform/platform.h"
#include "scan/categories.h"
#include "ui/win_form.h"

namespace kelvane {

struct ScanOptions {
  bool unattended = false;  // -cleanonce: the window stays hidden
  bool includeRemoveMedia = false;
  bool includeCdDrive = false;
};

// Control ids of the progress window.
inline constexpr int kIdProgressStop = 100;
inline constexpr int kIdProgressStatus = 101;
inline constexpr int kIdProgressBar = 102;
inline constexpr int kIdProgressKey = 103;

// How a scan shown in the window ended.
struct ScanEnd {
  bool stopped = false;  // the user pressed Stop: the rows found so far stay
  std::string failure;   // why a scanner ended the scan; empty when none did
};

// Shows the window modally over `owner` and runs the scan of `categories` into
// `results`.
ScanEnd ShowScanProgress(HWND owner, Platform platform, ResultsModel& results,
                         const std::vector<Category>& categories, const ScanOptions& options);

}  // namespace kelvane
