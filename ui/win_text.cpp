#include "ui/win_text.h"

#include "platform/win32/ansi_text.h"

namespace kelvane {

std::wstring Wide(std::string_view text) {
  return WideFromUtf8(text);
}

std::string Utf8(std::wstring_view text) {
  return Utf8FromWide(text);
}

std::string WindowText(HWND window) {
  const int length = GetWindowTextLengthW(window);
  std::wstring text(static_cast<size_t>(length > 0 ? length : 0) + 1, L'\0');
  const int n = GetWindowTextW(window, text.data(), length + 1);
  text.resize(n > 0 ? static_cast<size_t>(n) : 0);
  return Utf8(text);
}

void SetText(HWND window, const std::string& text) {
  SetWindowTextW(window, Wide(text).c_str());
}

int ShowMessageBox(HWND owner, const std::string& text, const std::string& caption, UINT flags) {
  return MessageBoxW(owner, Wide(text).c_str(), Wide(caption).c_str(), flags);
}

}  // namespace kelvane
