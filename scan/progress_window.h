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

// Shows the window modally over `owner`, runs the scan of `categories` into
// `results`, and returns kAbort when the user pressed Stop, else kCancel.
// `failure`, when given, receives why a scanner ended the scan (empty when none did).
ModalResult ShowScanProgress(HWND owner, Platform platform, ResultsModel& results,
                             const std::vector<Category>& categories, const ScanOptions& options,
                             std::string* failure = nullptr);

}  // namespace kelvane
