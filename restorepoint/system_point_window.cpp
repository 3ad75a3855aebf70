#include "restorepoint/system_point_window.h"

#include <commctrl.h>

#include "ui/messages.h"
#include "platform/program_texts.h"
#include "platform/version_code.h"
#include "platform/win32/win32_restore_point.h"
#include "restorepoint/system_point.h"
#include "ui/texts_resource.h"
#include "ui/win_controls.h"
#include "ui/win_form.h"

namespace kelvane {

namespace {

constexpr UINT kTimerInterval = 1000;
constexpr UINT kFailedQuestionStyle = MB_YESNO | MB_ICONINFORMATION | MB_DEFBUTTON2;

class TfrmSystemPoint : public ModalForm {
 public:
  TfrmSystemPoint(std::shared_ptr<RestorePointSession> session, bool quiet)
      : session_(std::move(session)), quiet_(quiet) {}

 protected:
  void FormCreate() override {
    AddControl("STATIC", "Creating Restore Point", SS_LEFT, 16, 14, 320, 16, -1,
               DesignFont(8, true));
    AddControl("STATIC", KELVANE_TITLE " is creating a restore point which will", SS_LEFT, 16, 44,
               330, 16, -1);
    AddControl("STATIC", "enable you to safely return your system back to its former state.",
               SS_LEFT, 16, 62, 330, 16, -1);
    AddControl("STATIC", "Please wait...", SS_LEFT, 16, 92, 320, 16, -1);
    progressBar1_.Attach(AddControl("msctls_progress32", "", 0, 16, 124, 321, 18, -1), 100, 0);
    progressBar1_.Run(kTimerInterval, NextRestorePointBarPosition);
    // Escape closes the window like any other early close.
    OnCommand(IDCANCEL, [this] { Close(); });
    FormShow();
  }

  bool HandleMessage(UINT msg, WPARAM, LPARAM lParam, INT_PTR* result) override {
    switch (msg) {
      case WM_RESTORE_POINT_DONE:
        RestorePointDone(lParam);
        break;
      case WM_CLOSE:
        Close();
        break;
      default:
        return false;
    }
    *result = TRUE;
    return true;
  }

 private:
  void FormShow() {
    ResultReceived = false;
    HWND windowHandle = hwnd_;
    Worker = TCreateSystemPointThread::Create(session_, [windowHandle](RestorePointAnswer answer) {
      PostMessageW(windowHandle, WM_RESTORE_POINT_DONE, 0, static_cast<LPARAM>(answer));
    });
    Worker->Start();
  }

  void RestorePointDone(LPARAM answer) {
    if (ResultReceived)
      return;
    const auto kind = static_cast<RestorePointAnswer>(answer);
    const RestorePointOutcome outcome = session_->Outcome().value_or(RestorePointOutcome{});
    if (kind == RestorePointAnswer::kReused && !quiet_) {
      AppMessageBox(hwnd_, RestorePointReusedText(outcome), MB_OK | MB_ICONINFORMATION);
    }
    const bool goOn = RestorePointGoesOn(kind, [&] {
      // The reason first, then the question whether to repair without a point.
      const std::string text =
          RestorePointFailureText(outcome) + "\r\n\r\n" + LoadResString(IDS_RESTORE_POINT_FAILED);
      return AppMessageBox(hwnd_, text, kFailedQuestionStyle) == IDYES;
    });
    modalResult_ = goOn ? ModalResult::kOk : ModalResult::kCancel;
    ResultReceived = true;
    PostMessageW(hwnd_, WM_CLOSE, 0, 0);
  }

  // Ends the window with the answer, or with Cancel when it comes before the answer.
  void Close() {
    if (!ResultReceived) {
      // The service call cannot be interrupted safely; the worker is left to finish
      // on its own and its answer is dropped.
      if (Worker)
        Worker->Abandon();
      modalResult_ = ModalResult::kCancel;
      ResultReceived = true;
    }
    EndModal(modalResult_);
  }

  std::shared_ptr<RestorePointSession> session_;
  bool quiet_;
  std::shared_ptr<TCreateSystemPointThread> Worker;
  bool ResultReceived = false;
  ModalResult modalResult_ = ModalResult::kOk;
  ProgressBar progressBar1_;
};

}  // namespace

ModalResult ShowSystemPoint(HWND owner, std::shared_ptr<RestorePointSession> session, bool quiet) {
  TfrmSystemPoint form(std::move(session), quiet);
  return form.ShowModal(owner, kApplicationTitle, WS_POPUP | WS_CAPTION | DS_MODALFRAME, 353, 180);
}

std::shared_ptr<RestorePointSession> SystemRestorePointSession(SystemInfo& system) {
  return std::make_shared<RestorePointSession>(std::make_shared<Win32RestorePointService>(),
                                               IsWindows8OrLater(system));
}

}  // namespace kelvane
