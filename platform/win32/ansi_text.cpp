#include "platform/win32/ansi_text.h"

#include <windows.h>

#include "platform/text_codec.h"

namespace kelvane {

namespace {

bool IsAsciiWide(std::wstring_view text) {
  for (const wchar_t c : text) {
    if (c >= 0x80)
      return false;
  }
  return true;
}

std::wstring ToWide(UINT codePage, std::string_view text) {
  if (text.empty())
    return {};
  const int size = static_cast<int>(text.size());
  const int n = MultiByteToWideChar(codePage, 0, text.data(), size, nullptr, 0);
  std::wstring out(static_cast<size_t>(n > 0 ? n : 0), L'\0');
  if (n > 0)
    MultiByteToWideChar(codePage, 0, text.data(), size, out.data(), n);
  return out;
}

}  // namespace

std::optional<std::string> ExactAnsi(std::wstring_view text) {
  if (IsAsciiWide(text))  // the common case, exact in every ANSI code page
    return std::string(text.begin(), text.end());
  const int size = static_cast<int>(text.size());
  BOOL usedDefault = FALSE;
  const int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(), size, nullptr, 0,
                                    nullptr, &usedDefault);
  if (n <= 0 || usedDefault)
    return std::nullopt;
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(), size, out.data(), n, nullptr,
                      &usedDefault);
  // The way back must give the same text: a conversion that maps two characters to
  // one byte sequence is not exact even when it used no default character.
  if (usedDefault || ToWide(CP_ACP, out) != text)
    return std::nullopt;
  return out;
}

std::wstring WideFromAnsi(std::string_view text) {
  return ToWide(CP_ACP, text);
}

std::string Utf8FromWide(std::wstring_view text) {
  if (IsAsciiWide(text))
    return std::string(text.begin(), text.end());
  return Utf8FromUtf16(
      std::u16string_view(reinterpret_cast<const char16_t*>(text.data()), text.size()));
}

std::wstring WideFromUtf8(std::string_view text) {
  if (IsAscii(text))
    return std::wstring(text.begin(), text.end());
  const std::u16string wide = Utf16FromUtf8(text);
  return std::wstring(reinterpret_cast<const wchar_t*>(wide.data()), wide.size());
}

// The ANSI code page of platform/text_codec.h: the system's own.
std::optional<std::string> AnsiFromUtf8(std::string_view text) {
  if (IsAscii(text))
    return std::string(text);
  return ExactAnsi(WideFromUtf8(text));
}

std::string Utf8FromAnsi(std::string_view text) {
  if (IsAscii(text))
    return std::string(text);
  return Utf8FromWide(WideFromAnsi(text));
}

}  // namespace kelvane
