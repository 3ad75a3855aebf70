// The system's dialog that asks where to save a file.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace kelvane {

// What the user chose: the file as typed (UTF-8, in any script), whether it was typed with an
// extension, and the file type picked (1 for the filter's first pair).
struct SaveFileChoice {
  std::string path;
  bool hasExtension = false;
  int filter = 1;
};

// Asks for a file to save under `title` (none: the system's title). `filter` holds
// pairs of texts, each ending in a NUL, and one more NUL at its end; `flags` are added
// to OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR. Nothing when cancelled.
std::optional<SaveFileChoice> AskSaveFile(HWND owner, const char* filter, const char* title,
                                          DWORD flags = 0);

}  // namespace kelvane
