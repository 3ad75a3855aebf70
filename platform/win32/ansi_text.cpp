#include "platform/win32/ansi_text.h"

#include <windows.h>

#include "platform/registry.h"

namespace kelvane {

namespace {

bool IsAscii(std::wstring_view text) {
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
  if (IsAscii(text))  // the common case, exact in every ANSI code page
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
  if (text.empty())
    return {};
  const int size = static_cast<int>(text.size());
  const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(n > 0 ? n : 0), '\0');
  if (n > 0)
    WideCharToMultiByte(CP_UTF8, 0, text.data(), size, out.data(), n, nullptr, nullptr);
  return out;
}

std::wstring WideFromUtf8(std::string_view text) {
  return ToWide(CP_UTF8, text);
}

std::string ListedName(std::wstring_view name) {
  if (auto exact = ExactAnsi(name))
    return std::move(*exact);
  return std::string(1, kInexactMark) + Utf8FromWide(name);
}

std::wstring WideFromListed(std::string_view name) {
  if (IsInexactName(name))
    return WideFromUtf8(name.substr(1));
  return WideFromAnsi(name);
}

std::optional<std::wstring> WideFromListedPath(std::string_view path) {
  const size_t mark = path.find(kInexactMark);
  if (mark == std::string_view::npos)
    return WideFromAnsi(path);
  const std::string_view name = path.substr(mark + 1);
  if (mark == 0 || path[mark - 1] != '\\' ||
      name.find_first_of(std::string_view("\\/\0", 3)) != std::string_view::npos) {
    return std::nullopt;
  }
  return WideFromAnsi(path.substr(0, mark)) + WideFromUtf8(name);
}

std::wstring WideFromShown(std::string_view text) {
  std::wstring wide;
  bool inexact = false;
  for (size_t start = 0; start <= text.size(); inexact = !inexact) {
    size_t end = text.find(kInexactMark, start);
    if (end == std::string_view::npos)
      end = text.size();
    const std::string_view part = text.substr(start, end - start);
    wide += inexact ? WideFromUtf8(part) : WideFromAnsi(part);
    start = end + 1;
  }
  return wide;
}

}  // namespace kelvane
