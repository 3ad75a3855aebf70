// The reader of registry export files: what the backup writer writes and what the
// registry editor's "/e" writes: a "REGEDIT4" file in the ANSI code page, or a
// "Windows Registry Editor Version 5.00" file in UTF-16LE after its byte order mark.
// Every name and text comes out in UTF-8, whatever its script. It reads keys, default
// and named values, quoted strings with their escapes, "dword:", "hex:" and "hex(N):"
// with continued lines. Any line it cannot read ends the reading with an error that
// names the line; a file is never taken in part.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "backup/reg_file.h"
#include "platform/platform.h"

namespace kelvane {

struct RegReadResult {
  std::optional<RegFile> file;  // set only when the whole text was read
  std::string error;            // "Line 12: ...", empty when `file` is set
};

// A whole file: header line first.
RegReadResult ReadRegText(std::string_view text);
// Key blocks without a header, as one item appended to a backup file of `version` (4:
// ANSI text, 5: UTF-16LE without a byte order mark); `firstLine` is the line number of
// the text's first line within its file.
RegReadResult ReadRegItems(std::string_view text, int firstLine, int version = 4);
// Reads the file and its text; an error when it cannot be opened or read.
RegReadResult ReadRegFile(FileSystem& files, const std::string& path);

}  // namespace kelvane
