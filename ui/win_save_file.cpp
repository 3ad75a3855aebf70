#include "ui/win_save_file.h"

#include <commdlg.h>

#include <cstring>

#include "ui/win_text.h"

namespace kelvane {

namespace {

// The filter's pairs converted one text at a time: each ends in a NUL, the whole in
// one more.
std::wstring WideFilter(const char* filter) {
  std::wstring wide;
  for (const char* part = filter; part && *part; part += std::strlen(part) + 1) {
    wide += Wide(part);
    wide += L'\0';
  }
  wide += L'\0';
  return wide;
}

}  // namespace

std::optional<SaveFileChoice> AskSaveFile(HWND owner, const char* filter, const char* title,
                                          DWORD flags) {
  // Room for a long path typed in full.
  constexpr DWORD kRoom = 32768;
  std::wstring file(kRoom, L'\0');
  const std::wstring filters = WideFilter(filter);
  const std::wstring caption = title ? Wide(title) : std::wstring();
  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = owner;
  dialog.lpstrFilter = filters.c_str();
  dialog.lpstrFile = file.data();
  dialog.nMaxFile = kRoom;
  dialog.lpstrTitle = title ? caption.c_str() : nullptr;
  dialog.Flags = OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR | flags;
  if (!GetSaveFileNameW(&dialog))
    return std::nullopt;
  file.resize(std::wcslen(file.c_str()));
  // Without an extension typed the offset points at the text's end.
  const bool hasExtension = dialog.nFileExtension != 0 && dialog.nFileExtension < file.size();
  return SaveFileChoice{Utf8(file), hasExtension, static_cast<int>(dialog.nFilterIndex)};
}

}  // namespace kelvane
