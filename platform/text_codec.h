// The program's text is UTF-8 from the registry to the backup file and the window.
// The system's text is UTF-16; backup files are in the ANSI code page (REGEDIT4) or in
// UTF-16 (Version 5.00). These are the conversions between them.
//
// UTF-16 that holds half a surrogate pair (which the registry and the file system
// allow in names) is carried as the three bytes UTF-8 would give that code unit on its
// own, so that every UTF-16 text converts to UTF-8 and back to itself: nothing is
// opened, deleted or written through a name other than the exact one.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kelvane {

bool IsAscii(std::string_view text);

std::string Utf8FromUtf16(std::u16string_view text);
// A sequence that is not UTF-8 gives U+FFFD for each byte that starts it.
std::u16string Utf16FromUtf8(std::string_view text);

// UTF-16 code units as little-endian bytes, as the registry and a Version 5.00 file
// hold them.
std::string Utf16LeBytesFromUtf8(std::string_view text);
// Nothing for an odd number of bytes, which are no whole UTF-16 text.
std::optional<std::string> Utf8FromUtf16LeBytes(std::string_view bytes);

// The ANSI code page of the system (on Windows the one the ANSI functions use; the
// portable layer's is Windows-1252). The ANSI form of a UTF-8 text only when it
// converts back to the same text (no replacement, no best fit).
std::optional<std::string> AnsiFromUtf8(std::string_view text);
// The UTF-8 form of ANSI text.
std::string Utf8FromAnsi(std::string_view text);

}  // namespace kelvane
