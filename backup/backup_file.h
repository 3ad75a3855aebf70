// Small helpers for the backup files: their time-stamped names and their deletion.
#pragma once

#include <string>

#include "platform/platform.h"

namespace kelvane {

// N with a leading "0" when below 10 ("07"), else plain decimal ("2006").
std::string FormatTwoDigits(int n);

// Deletes the file for good, silently (no recycle bin, no question, no progress).
// False, with nothing deleted, when the path names no existing file (a folder, a
// wildcard pattern).
bool ShellDeleteFile(FileSystem& files, const std::string& path);

}  // namespace kelvane
