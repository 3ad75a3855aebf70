#include "ui/win_text.h"

#include "platform/win32/ansi_text.h"

namespace kelvane {

namespace {

std::wstring FromCodePage(UINT codePage, DWORD flags, std::string_view text, bool* valid) {
  *valid = true;
  if (text.empty())
    return {};
  const int size = static_cast<int>(text.size());
  const int n = MultiByteToWideChar(codePage, flags, text.data(), size, nullptr, 0);
  if (n <= 0) {
    *valid = false;
    return {};
  }
  std::wstring out(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(codePage, flags, text.data(), size, out.data(), n);
  return out;
}

// UTF-8 when it is valid UTF-8, else the ANSI code page.
std::wstring WidePart(std::string_view text) {
  bool valid = false;
  std::wstring wide = FromCodePage(CP_UTF8, MB_ERR_INVALID_CHARS, text, &valid);
  if (valid)
    return wide;
  return FromCodePage(CP_ACP, 0, text, &valid);
}

}  // namespace

std::wstring Wide(std::string_view text) {
  const size_t mark = text.find('\0');
  if (mark == std::string_view::npos)
    return WidePart(text);
  // Between two marks (or after the last) a name's UTF-8 form.
  std::wstring wide;
  bool marked = false;
  for (size_t start = 0; start <= text.size(); marked = !marked) {
    size_t end = text.find('\0', start);
    if (end == std::string_view::npos)
      end = text.size();
    const std::string_view part = text.substr(start, end - start);
    wide += marked ? WideFromUtf8(part) : WidePart(part);
    start = end + 1;
  }
  return wide;
}

std::string Utf8(std::wstring_view text) {
  return Utf8FromWide(text);
}

std::string Utf8Text(std::string_view text) {
  return Utf8(Wide(text));
}

std::string Utf8FromAnsi(std::string_view text) {
  bool valid = false;
  return Utf8(FromCodePage(CP_ACP, 0, text, &valid));
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
