#include "unattended/win_unattended.h"

#include <algorithm>

#include "platform/program_texts.h"
#include "platform/text_codec.h"
#include "platform/win32/win32_handles.h"
#include "ui/win_controls.h"
#include "ui/win_form.h"

namespace kelvane {

namespace {

// The usage, laid out once: each line as the text has it, the meanings of the switches
// and exit codes in one column after the widest switch, the form as wide as the longest
// line. A message box would wrap the lines again at its own width and set its tabs by
// the length of each switch.
class UsageForm : public ModalForm {
 public:
  explicit UsageForm(const std::string& text) {
    for (size_t at = 0; at <= text.size();) {
      const size_t end = std::min(text.find("\r\n", at), text.size());
      const std::string line = text.substr(at, end - at);
      const size_t tab = line.find('\t');
      lines_.push_back(tab == std::string::npos
                           ? Line{line, {}, false}
                           : Line{line.substr(0, tab), line.substr(tab + 1), true});
      at = end + 2;
    }
  }

 protected:
  void FormCreate() override {
    int lineHeight = 0;
    int column = 0;
    int width = Scale(200);
    {
      const WindowDc dc(hwnd_);
      const SelectedObject font(dc, font_);
      TEXTMETRICW metrics{};
      GetTextMetricsW(dc, &metrics);
      lineHeight = metrics.tmHeight + metrics.tmExternalLeading;
      const auto widthOf = [&dc](const std::string& text) {
        const std::wstring wide = Wide(text);
        SIZE size{};
        GetTextExtentPoint32W(dc, wide.c_str(), static_cast<int>(wide.size()), &size);
        return static_cast<int>(size.cx);
      };
      for (const Line& line : lines_) {
        if (line.tabbed)
          column = std::max(column, widthOf(line.term));
      }
      column += Scale(12);
      for (const Line& line : lines_)
        width = std::max(width, line.tabbed ? column + widthOf(line.meaning) : widthOf(line.term));
    }
    const int margin = Scale(12);
    int y = margin;
    const auto place = [this, lineHeight](const std::string& text, int x, int y, int w) {
      if (text.empty())
        return;
      const HWND label =
          AddControl("STATIC", text.c_str(), SS_LEFTNOWORDWRAP | SS_NOPREFIX, 0, 0, 1, 1, -1);
      SetWindowPos(label, nullptr, x, y, w, lineHeight, SWP_NOZORDER);
    };
    for (const Line& line : lines_) {
      place(line.term, margin, y, line.tabbed ? column : width);
      if (line.tabbed)
        place(line.meaning, margin + column, y, width - column);
      y += lineHeight;
    }
    const int clientWidth = width + 2 * margin;
    const HWND ok = AddControl("BUTTON", "OK", BS_DEFPUSHBUTTON | WS_TABSTOP, 0, 0, 75, 25, IDOK);
    SetWindowPos(ok, nullptr, clientWidth - margin - Scale(75), y + Scale(8), 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER);
    RECT frame{0, 0, clientWidth, y + Scale(8 + 25) + margin};
    AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongPtrW(hwnd_, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongPtrW(hwnd_, GWL_EXSTYLE)));
    const int w = frame.right - frame.left, h = frame.bottom - frame.top;
    SetWindowPos(hwnd_, nullptr, (GetSystemMetrics(SM_CXSCREEN) - w) / 2,
                 (GetSystemMetrics(SM_CYSCREEN) - h) / 2, w, h, SWP_NOZORDER);
    SetFocus(ok);
  }

  bool HandleMessage(UINT msg, WPARAM wParam, LPARAM, INT_PTR* result) override {
    if ((msg == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) ||
        msg == WM_CLOSE) {
      EndModal(ModalResult::kOk);
      *result = TRUE;
      return true;
    }
    return false;
  }

 private:
  struct Line {
    std::string term;     // the whole line when it has no tab
    std::string meaning;  // after the tab
    bool tabbed;
  };
  std::vector<Line> lines_;
};

}  // namespace

std::string FullPath(const std::string& path) {
  if (path.empty() || path.find('\0') != std::string::npos)
    return path;
  const std::wstring wide = Wide(path);
  const DWORD length = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
  if (length == 0)
    return path;
  std::wstring full(length, L'\0');
  const DWORD written = GetFullPathNameW(wide.c_str(), length, full.data(), nullptr);
  if (written == 0 || written >= length)
    return path;
  full.resize(written);
  return Utf8(full);
}

std::string PhaseTimesFile() {
  wchar_t file[MAX_PATH] = {};
  const DWORD length = GetEnvironmentVariableW(L"KELVANE_PHASE_TIMES", file, MAX_PATH);
  return length > 0 && length < MAX_PATH ? Utf8(file) : std::string();
}

std::string WindowsRunHost::FullPath(const std::string& path) {
  return kelvane::FullPath(path);
}

int WindowsRunHost::ScreenWidth() {
  return GetSystemMetrics(SM_CXSCREEN);
}

int WindowsRunHost::ScreenHeight() {
  return GetSystemMetrics(SM_CYSCREEN);
}

void WindowsRunHost::Pause() {
  Sleep(50);
}

void WindowsRunHost::ShowUsage(const std::string& text) {
  UsageForm form(text);
  form.ShowModal(nullptr, kApplicationTitle, kDialogStyle, 300, 200);
}

std::optional<int> WindowsRunHost::RunWindow() {
  return runWindow_ ? runWindow_() : std::nullopt;
}

}  // namespace kelvane
