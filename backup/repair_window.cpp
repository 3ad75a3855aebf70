#include "backup/repair_window.h"

#include <commctrl.h>

#include <chrono>
#include <exception>
#include <string>

#include "ui/texts_resource.h"
#include "ui/win_controls.h"
#include "ui/win_form.h"

namespace kelvane {

bool AskCreateBackupFolder(HWND owner, const std::string& folder) {
  const std::string text =
      folder + "," + LoadResString(IDS_FOLDER_MISSING) + "\r\n" + LoadResString(IDS_CREATE_FOLDER);
  return AppMessageBox(owner, text, MB_YESNO | MB_ICONINFORMATION) == IDYES;
}

void ShowRepairReport(HWND owner, const RepairOutcome& outcome) {
  const std::string report = RepairReportText(outcome);
  if (report.empty())
    return;
  AppMessageBox(owner, report,
                MB_OK | (outcome.stop == RepairStop::kNone ? MB_ICONWARNING : MB_ICONERROR));
}

namespace {

constexpr int kIdText = 101;
constexpr int kIdBar = 102;
// The next batch runs on a timer, not on a posted message: posted messages come before
// input and painting, so a chain of them would leave the window frozen as before.
constexpr UINT_PTR kTimerBatch = 1;
constexpr auto kQuietTime = std::chrono::seconds(1);

class TfrmRepairProgress : public ModalForm {
 public:
  explicit TfrmRepairProgress(RepairBatches& batches) : batches_(batches) {}

  // True when every batch ran (a request to quit the program ends the window early).
  bool Run(HWND owner) {
    ShowModal(owner, "Repairing", WS_POPUP | WS_CAPTION | DS_MODALFRAME, 361, 74);
    if (failure_)
      std::rethrow_exception(failure_);
    return done_;
  }

 protected:
  void FormCreate() override {
    text_ = AddControl("STATIC", "", SS_LEFT | SS_NOPREFIX, 16, 12, 329, 14, kIdText);
    bar_.Attach(AddControl("msctls_progress32", "", 0, 16, 36, 329, 18, kIdBar), 1000, 0);
    ShowProgress();
    SetTimer(hwnd_, kTimerBatch, USER_TIMER_MINIMUM, nullptr);
    OnCommand(IDCANCEL, [] {});  // nor does Escape end the window (see WM_CLOSE)
  }

  bool HandleMessage(UINT msg, WPARAM wParam, LPARAM, INT_PTR* result) override {
    *result = TRUE;
    switch (msg) {
      case WM_TIMER:
        if (wParam == kTimerBatch)
          NextBatch();
        return true;
      case WM_CLOSE:
        return true;  // the repair is not to be left half done: it ends by itself
      default:
        return false;
    }
  }

  void FormClose() override { KillTimer(hwnd_, kTimerBatch); }

 private:
  void NextBatch() {
    if (Ending())
      return;
    bool more = false;
    try {
      more = batches_.Next();
    } catch (...) {
      // No error may cross the message loop: it is raised again once the window is gone.
      failure_ = std::current_exception();
    }
    ShowProgress();
    if (!more || failure_) {
      done_ = !failure_;
      EndModal(ModalResult::kOk);
    }
  }

  void ShowProgress() {
    const size_t total = batches_.Total();
    const size_t done = batches_.Done();
    const std::string text = std::to_string(done) + LoadResString(IDS_REPAIRED_OF) +
                             std::to_string(total) + LoadResString(IDS_REPAIRED_ENTRIES);
    SetText(text_, text);
    bar_.SetPosition(total == 0 ? 1000 : static_cast<int>(done * 1000 / total));
  }

  RepairBatches& batches_;
  HWND text_ = nullptr;
  ProgressBar bar_;
  bool done_ = false;
  std::exception_ptr failure_;
};

}  // namespace

void RunRepairBatches(HWND owner, RepairBatches& batches, bool hidden) {
  const auto start = std::chrono::steady_clock::now();
  while (hidden || std::chrono::steady_clock::now() - start < kQuietTime) {
    if (!batches.Next())
      return;
  }
  TfrmRepairProgress window(batches);
  if (window.Run(owner))
    return;
  // The program is asked to quit: the repair still ends as it would have, without the window.
  while (batches.Next()) {
  }
}

}  // namespace kelvane
