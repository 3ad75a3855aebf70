#include "ui/win_save_file.h"

#include <commdlg.h>

namespace kelvane {

std::optional<SaveFileChoice> AskSaveFile(HWND owner, const char* filter, const char* title,
                                          DWORD flags) {
  char file[MAX_PATH] = {};
  OPENFILENAMEA dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = owner;
  dialog.lpstrFilter = filter;
  dialog.lpstrFile = file;
  dialog.nMaxFile = MAX_PATH;
  dialog.lpstrTitle = title;
  dialog.Flags = OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR | flags;
  if (!GetSaveFileNameA(&dialog))
    return std::nullopt;
  // Without an extension typed the offset points at the text's end.
  return SaveFileChoice{file, dialog.nFileExtension != 0 && file[dialog.nFileExtension] != '\0',
                        static_cast<int>(dialog.nFilterIndex)};
}

}  // namespace kelvane
