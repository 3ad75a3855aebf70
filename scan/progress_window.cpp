#include "scan/progress_window.h"

#include <commctrl.h>

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>

#include "app/messages.h"
#include "scan/scan_task.h"
#include "ui/win_controls.h"
#include "ui/win_dpi.h"

namespace kelvane {

namespace {

constexpr int kIdStop = 100;
constexpr int kIdStatus = 101;
constexpr int kIdBar = 102;
constexpr int kIdKey = 103;
constexpr UINT_PTR kTimer1 = 1;
constexpr const char* kClassName = "TfrmRegProgressHint";

// The window side of the worker's reports. Label texts are handed over under a lock
// and picked up by the user-interface thread; the begin and end steps run there
// while the worker waits, unless the scan is aborted first.
class ProgressEvents : public ScanEvents {
 public:
  void Attach(HWND window) { window_ = window; }

  void BeginCategory() override { RunStep(Step::kBegin); }
  void EndCategory() override { RunStep(Step::kEnd); }
  void SetStatusText(const std::string& text) override {
    {
      std::lock_guard lock(mutex_);
      status_ = text;
    }
    PostTexts();
  }
  void SetKeyText(const std::string& text) override {
    {
      std::lock_guard lock(mutex_);
      key_ = text;
    }
    PostTexts();
  }
  void RowAdded() override {
    if (!rowsPosted_.exchange(true))
      PostMessageA(window_, WM_SCAN_ROWS, 0, 0);
  }
  void CloseRequest() override { PostMessageA(window_, WM_CLOSE, 0, 0); }

  // User-interface side.
  enum class Step { kNone, kBegin, kEnd };
  Step PendingStep() {
    std::lock_guard lock(mutex_);
    return step_;
  }
  void StepDone() {
    std::lock_guard lock(mutex_);
    step_ = Step::kNone;
    cv_.notify_all();
  }
  void Abort() {
    std::lock_guard lock(mutex_);
    aborted_ = true;
    cv_.notify_all();
  }
  void TakeTexts(std::optional<std::string>* status, std::optional<std::string>* key) {
    std::lock_guard lock(mutex_);
    textsPosted_ = false;
    status->swap(status_);
    key->swap(key_);
    status_.reset();
    key_.reset();
  }
  void RowsTaken() { rowsPosted_ = false; }

 private:
  void RunStep(Step step) {
    std::unique_lock lock(mutex_);
    if (aborted_)
      return;
    step_ = step;
    PostMessageA(window_, WM_SCAN_SYNC_STEP, 0, 0);
    cv_.wait(lock, [&] { return step_ == Step::kNone || aborted_; });
  }
  void PostTexts() {
    std::lock_guard lock(mutex_);
    if (textsPosted_)
      return;
    textsPosted_ = true;
    PostMessageA(window_, WM_SCAN_TEXTS, 0, 0);
  }

  HWND window_ = nullptr;
  std::mutex mutex_;
  std::condition_variable cv_;
  Step step_ = Step::kNone;
  bool aborted_ = false;
  bool textsPosted_ = false;
  std::optional<std::string> status_;
  std::optional<std::string> key_;
  std::atomic<bool> rowsPosted_{false};
};

class TfrmRegProgressHint {
 public:
  TfrmRegProgressHint(HWND owner, Platform platform, ResultsModel& results,
                      std::vector<std::string> categoryIds, const ScanOptions& options)
      : owner_(owner),
        platform_(platform),
        results_(results),
        categoryIds_(std::move(categoryIds)),
        options_(options) {}

  int ShowModal();

 private:
  static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  LRESULT Handle(UINT msg, WPARAM wParam, LPARAM lParam);
  void FormCreate();
  void FormShow();
  void ScanStart();
  void bStopClick();
  void FormClose();
  void Timer1Timer();
  void BeginCategory();
  void EndCategory();
  void ShowTexts();
  void EndModal(int result);

  HWND owner_;
  Platform platform_;
  ResultsModel& results_;
  std::vector<std::string> categoryIds_;
  ScanOptions options_;
  HWND hwnd_ = nullptr;
  HWND bStop_ = nullptr;
  HWND lScanTask_ = nullptr;
  HWND progressBar1_ = nullptr;
  HWND label1_ = nullptr;
  HFONT font_ = nullptr;
  UINT dpi_ = 96;
  bool timerOn_ = false;
  int modalResult_ = 0;
  ProgressEvents events_;
  std::unique_ptr<ScanTask> task_;
};

void RegisterClassOnce(HINSTANCE instance) {
  static bool registered = false;
  if (registered)
    return;
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof wc;
  // The window procedure proper is set on the window once its object is attached.
  wc.lpfnWndProc = &DefWindowProcA;
  wc.hInstance = instance;
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = kClassName;
  registered = RegisterClassExA(&wc) != 0;
}

}  // namespace

int TfrmRegProgressHint::ShowModal() {
  HINSTANCE instance = GetModuleHandleA(nullptr);
  RegisterClassOnce(instance);
  const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
  dpi_ = WindowDpi(owner_);
  RECT rect{0, 0, ScaleToDpi(361, dpi_), ScaleToDpi(166, dpi_)};
  AdjustWindowRectEx(&rect, style, FALSE, WS_EX_DLGMODALFRAME);
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  RECT ownerRect{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  if (owner_ && IsWindowVisible(owner_))
    GetWindowRect(owner_, &ownerRect);
  const int x = ownerRect.left + (ownerRect.right - ownerRect.left - width) / 2;
  const int y = ownerRect.top + (ownerRect.bottom - ownerRect.top - height) / 2;
  hwnd_ = CreateWindowExA(WS_EX_DLGMODALFRAME, kClassName, "Scanning", style, x, y, width, height,
                          owner_, nullptr, instance, nullptr);
  if (!hwnd_)
    return kModalCancel;
  SetWindowLongPtrA(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  SetWindowLongPtrA(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&WndProc));
  events_.Attach(hwnd_);
  FormCreate();

  const bool ownerEnabled = owner_ && IsWindowEnabled(owner_);
  if (ownerEnabled)
    EnableWindow(owner_, FALSE);
  // The unattended run keeps the window hidden from the start.
  if (!options_.unattended)
    ShowWindow(hwnd_, SW_SHOW);
  FormShow();
  MSG msg;
  bool quit = false;
  while (modalResult_ == 0) {
    const BOOL got = GetMessageA(&msg, nullptr, 0, 0);
    if (got <= 0) {
      quit = true;
      EndModal(kModalCancel);
      break;
    }
    if (!IsDialogMessageA(hwnd_, &msg)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
  }
  FormClose();
  if (ownerEnabled)
    EnableWindow(owner_, TRUE);
  DestroyWindow(hwnd_);
  if (font_)
    DeleteObject(font_);
  if (owner_ && IsWindowVisible(owner_))
    SetForegroundWindow(owner_);
  if (quit)
    PostQuitMessage(static_cast<int>(msg.wParam));
  return modalResult_;
}

LRESULT CALLBACK TfrmRegProgressHint::WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto* self = reinterpret_cast<TfrmRegProgressHint*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  if (!self)
    return DefWindowProcA(hwnd, msg, wParam, lParam);
  try {
    return self->Handle(msg, wParam, lParam);
  } catch (...) {
    // No error may cross the message loop: the scan ends as closed, its rows kept.
    self->EndModal(kModalCancel);
    return 0;
  }
}

LRESULT TfrmRegProgressHint::Handle(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_SCAN_START:
      ScanStart();
      return 0;
    case WM_SCAN_SYNC_STEP:
      if (events_.PendingStep() == ProgressEvents::Step::kBegin)
        BeginCategory();
      if (events_.PendingStep() == ProgressEvents::Step::kEnd)
        EndCategory();
      return 0;
    case WM_SCAN_TEXTS:
      ShowTexts();
      return 0;
    case WM_SCAN_ROWS:
      events_.RowsTaken();
      if (owner_)
        SendMessageA(owner_, WM_SCAN_ROWS, 0, 0);
      return 0;
    case WM_TIMER:
      if (wParam == kTimer1)
        Timer1Timer();
      return 0;
    case WM_COMMAND:
      // Only Stop: Escape does not end the scan.
      if (LOWORD(wParam) == kIdStop)
        bStopClick();
      return 0;
    case WM_CLOSE:
      // The worker's close request, or the window's own close button.
      EndModal(kModalCancel);
      return 0;
    default:
      return DefWindowProcA(hwnd_, msg, wParam, lParam);
  }
}

void TfrmRegProgressHint::FormCreate() {
  font_ = CreateDesignFontAt(dpi_);
  // Positions and sizes in design pixels, scaled to the window's DPI.
  auto make = [&](const char* cls, const char* text, DWORD style, int x, int y, int w, int h,
                  int id) {
    const auto s = [&](int v) { return ScaleToDpi(v, dpi_); };
    return CreateChild(hwnd_, cls, text, style, s(x), s(y), s(w), s(h), id, font_);
  };
  make("BUTTON", "", BS_GROUPBOX, 8, 8, 345, 113, -1);
  lScanTask_ = make("STATIC", "Scanning ", SS_LEFT | SS_NOPREFIX, 16, 16, 320, 14, kIdStatus);
  progressBar1_ = make(PROGRESS_CLASSA, "", 0, 16, 40, 311, 18, kIdBar);
  SendMessageA(progressBar1_, PBM_SETRANGE32, 0, 1000);
  SendMessageA(progressBar1_, PBM_SETPOS, 50, 0);
  // A key path longer than the line is shortened in its middle, with an ellipsis.
  label1_ = make("STATIC", "Registry Key", SS_LEFTNOWORDWRAP | SS_NOPREFIX | SS_PATHELLIPSIS, 16,
                 74, 321, 31, kIdKey);
  bStop_ = make("BUTTON", "Stop", BS_DEFPUSHBUTTON | WS_TABSTOP, 272, 130, 80, 27, kIdStop);
}

void TfrmRegProgressHint::FormShow() {
  PostMessageA(hwnd_, WM_SCAN_START, 0, 0);
}

void TfrmRegProgressHint::ScanStart() {
  if (task_)
    return;
  if (options_.unattended)
    ShowWindow(hwnd_, SW_HIDE);
  const std::string drives =
      BuildAllowedDrives(platform_.files, options_.includeRemoveMedia, options_.includeCdDrive);
  task_ = std::make_unique<ScanTask>(platform_, results_, events_, categoryIds_, drives);
  task_->Start();
}

void TfrmRegProgressHint::bStopClick() {
  EndModal(kModalAbort);
}

void TfrmRegProgressHint::EndModal(int result) {
  if (modalResult_ != 0)
    return;
  // Stop first: from here on no row is added and no label is touched.
  if (task_)
    task_->Stop();
  events_.Abort();
  modalResult_ = result;
}

void TfrmRegProgressHint::FormClose() {
  if (timerOn_)
    KillTimer(hwnd_, kTimer1);
  task_.reset();  // waits for the worker to leave at its next probe
  categoryIds_.clear();
}

void TfrmRegProgressHint::Timer1Timer() {
  const int position = static_cast<int>(SendMessageA(progressBar1_, PBM_GETPOS, 0, 0));
  SendMessageA(progressBar1_, PBM_SETPOS, NextBarPosition(position), 0);
}

void TfrmRegProgressHint::BeginCategory() {
  SendMessageA(progressBar1_, PBM_SETPOS, 0, 0);
  timerOn_ = SetTimer(hwnd_, kTimer1, 500, nullptr) != 0;
  events_.StepDone();
}

void TfrmRegProgressHint::EndCategory() {
  if (task_ && !task_->StopRequested()) {
    KillTimer(hwnd_, kTimer1);
    timerOn_ = false;
    SendMessageA(progressBar1_, PBM_SETPOS, 1000, 0);
    if (owner_)
      PostMessageA(owner_, WM_SCAN_STEP_DONE, 0, 0);
  }
  events_.StepDone();
}

void TfrmRegProgressHint::ShowTexts() {
  std::optional<std::string> status, key;
  events_.TakeTexts(&status, &key);
  if (status)
    SetWindowTextA(lScanTask_, status->c_str());
  if (key)
    SetWindowTextA(label1_, key->c_str());
}

int ShowScanProgress(HWND owner, Platform platform, ResultsModel& results,
                     const std::vector<std::string>& categoryIds, const ScanOptions& options) {
  TfrmRegProgressHint window(owner, platform, results, categoryIds, options);
  return window.ShowModal();
}

}  // namespace kelvane
