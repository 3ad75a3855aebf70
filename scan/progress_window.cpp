#include "scan/progress_window.h"

#include <commctrl.h>

#include <memory>
#include <optional>

#include "ui/messages.h"
#include "scan/scan_handoff.h"
#include "ui/win_controls.h"
#include "ui/win_form.h"

namespace kelvane {

namespace {

// The labels follow the scan at most about this often: each label change is a round
// trip to the window system, which under Wine costs the worker as much as a registry
// call. Texts that arrive meanwhile wait (the worker posts no further notice until
// they are taken) and are shown when the pause ends.
constexpr UINT_PTR kTimerTexts = 2;
constexpr UINT kTextsPause = 50;
constexpr const char* kClassName = "TfrmRegProgressHint";

class TfrmRegProgressHint : public ModalForm {
 public:
  TfrmRegProgressHint(Platform platform, ResultsModel& results, std::vector<Category> categories,
                      const ScanOptions& options)
      : platform_(platform),
        results_(results),
        categories_(std::move(categories)),
        options_(options),
        events_([this](ScanHandoff::Notice notice) { Notify(notice); }) {}

  ModalResult Show(HWND owner) {
    owner_ = owner;
    UseClassName(kClassName);
    // The unattended run keeps the window hidden from the start.
    KeepHidden(options_.unattended);
    return ShowModal(owner, "Scanning", kDialogStyle, 361, 166);
  }

 protected:
  void FormCreate() override;
  bool HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam, INT_PTR* result) override;
  void FormClose() override;

 private:
  // Called on the worker: wakes the window with a posted message.
  void Notify(ScanHandoff::Notice notice);
  bool Handle(UINT msg, WPARAM wParam);
  void ScanStart();
  void bStopClick();
  void Stop(ModalResult result);
  void BeginCategory();
  void EndCategory();
  void ShowTexts();

  HWND owner_ = nullptr;
  Platform platform_;
  ResultsModel& results_;
  std::vector<Category> categories_;
  ScanOptions options_;
  HWND lScanTask_ = nullptr;
  ProgressBar progressBar1_;  // a time-driven step while a category runs
  HWND label1_ = nullptr;
  bool textsPaused_ = false;
  ScanHandoff events_;
  std::unique_ptr<ScanTask> task_;
  std::string failure_;  // why a scanner ended the scan, once the window closed

 public:
  const std::string& Failure() const { return failure_; }
};

}  // namespace

void TfrmRegProgressHint::Notify(ScanHandoff::Notice notice) {
  // The message of each notice, in the order ScanHandoff::Notice names them.
  static constexpr UINT kMessages[] = {WM_SCAN_SYNC_STEP, WM_SCAN_TEXTS, WM_SCAN_ROWS, WM_CLOSE};
  PostMessageW(hwnd_, kMessages[static_cast<size_t>(notice)], 0, 0);
}

bool TfrmRegProgressHint::HandleMessage(UINT msg, WPARAM wParam, LPARAM, INT_PTR* result) {
  try {
    *result = TRUE;
    return Handle(msg, wParam);
  } catch (...) {
    // No error may cross the message loop: the scan ends as closed, its rows kept.
    Stop(ModalResult::kCancel);
    return true;
  }
}

bool TfrmRegProgressHint::Handle(UINT msg, WPARAM wParam) {
  switch (msg) {
    case WM_SCAN_START:
      ScanStart();
      return true;
    case WM_SCAN_SYNC_STEP:
      if (events_.PendingStep() == ScanHandoff::Step::kBegin)
        BeginCategory();
      if (events_.PendingStep() == ScanHandoff::Step::kEnd)
        EndCategory();
      return true;
    case WM_SCAN_TEXTS:
      if (!textsPaused_) {
        ShowTexts();
        textsPaused_ = SetTimer(hwnd_, kTimerTexts, kTextsPause, nullptr) != 0;
      }
      return true;
    case WM_SCAN_ROWS:
      events_.RowsTaken();
      if (owner_)
        SendMessageW(owner_, WM_SCAN_ROWS, 0, 0);
      return true;
    case WM_TIMER:
      if (wParam == kTimerTexts) {
        KillTimer(hwnd_, kTimerTexts);
        textsPaused_ = false;
        ShowTexts();
      }
      return true;
    case WM_CLOSE:
      // The worker's close request, or the window's own close button.
      Stop(ModalResult::kCancel);
      return true;
    default:
      return false;
  }
}

void TfrmRegProgressHint::FormCreate() {
  AddControl("BUTTON", "", BS_GROUPBOX, 8, 8, 345, 113, -1);
  lScanTask_ =
      AddControl("STATIC", "Scanning ", SS_LEFT | SS_NOPREFIX, 16, 16, 320, 14, kIdProgressStatus);
  progressBar1_.Attach(AddControl("msctls_progress32", "", 0, 16, 40, 311, 18, kIdProgressBar),
                       1000, 50);
  // A key path longer than the line is shortened in its middle, with an ellipsis.
  label1_ = AddControl("STATIC", "Registry Key", SS_LEFTNOWORDWRAP | SS_NOPREFIX | SS_PATHELLIPSIS,
                       16, 74, 321, 31, kIdProgressKey);
  AddButton("Stop", 272, 130, 80, 27, kIdProgressStop, BS_DEFPUSHBUTTON).OnClick([this] {
    bStopClick();
  });
  OnCommand(IDCANCEL, [] {});  // Escape does not end the scan
  PostMessageW(hwnd_, WM_SCAN_START, 0, 0);
}

void TfrmRegProgressHint::ScanStart() {
  if (task_)
    return;
  const std::string drives =
      BuildAllowedDrives(platform_.files, options_.includeRemoveMedia, options_.includeCdDrive);
  task_ = std::make_unique<ScanTask>(platform_, results_, events_, categories_, drives);
  task_->Start();
}

void TfrmRegProgressHint::bStopClick() {
  Stop(ModalResult::kAbort);
}

void TfrmRegProgressHint::Stop(ModalResult result) {
  if (Ending())
    return;
  // Stop first: from here on no row is added and no label is touched.
  if (task_)
    task_->Stop();
  events_.Abort();
  EndModal(result);
}

void TfrmRegProgressHint::FormClose() {
  // Also when the loop ended on a quit: the worker must not wait for a step.
  if (task_)
    task_->Stop();
  events_.Abort();
  if (textsPaused_)
    KillTimer(hwnd_, kTimerTexts);
  if (task_) {
    task_->Join();  // the worker leaves at its next probe
    failure_ = task_->Failure();
  }
  task_.reset();
  categories_.clear();
}

void TfrmRegProgressHint::BeginCategory() {
  progressBar1_.SetPosition(0);
  progressBar1_.Run(500, NextBarPosition);
  events_.StepDone();
}

void TfrmRegProgressHint::EndCategory() {
  if (task_ && !task_->StopRequested()) {
    progressBar1_.Stop();
    progressBar1_.SetPosition(1000);
    if (owner_)
      PostMessageW(owner_, WM_SCAN_STEP_DONE, 0, 0);
  }
  events_.StepDone();
}

void TfrmRegProgressHint::ShowTexts() {
  std::optional<std::string> status, key;
  events_.TakeTexts(&status, &key);
  if (status)
    SetText(lScanTask_, *status);
  if (key)
    SetText(label1_, *key);
}

ScanEnd ShowScanProgress(HWND owner, Platform platform, ResultsModel& results,
                         const std::vector<Category>& categories, const ScanOptions& options) {
  TfrmRegProgressHint window(platform, results, categories, options);
  const bool stopped = window.Show(owner) == ModalResult::kAbort;
  return ScanEnd{stopped, window.Failure()};
}

}  // namespace kelvane
