// The progress window shown while a scan runs: the category being scanned, a bar
// driven by time, the key being examined, and Stop.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "results/results_model.h"
#include "platform/platform.h"
#include "scan/categories.h"

namespace kelvane {

struct ScanOptions {
  bool unattended = false;  // -cleanonce: the window stays hidden
  bool includeRemoveMedia = false;
  bool includeCdDrive = false;
};

// Modal results, as the main window reads them.
inline constexpr int kModalCancel = 2;
inline constexpr int kModalAbort = 3;

// Shows the window modally over `owner`, runs the scan of `categories` into
// `results`, and returns kModalAbort when the user pressed Stop, else kModalCancel.
// `failure`, when given, receives why a scanner ended the scan (empty when none did).
int ShowScanProgress(HWND owner, Platform platform, ResultsModel& results,
                     const std::vector<Category>& categories, const ScanOptions& options,
                     std::string* failure = nullptr);

}  // namespace kelvane
