// Text between the system's UTF-16 and the program's UTF-8, and the one question the
// ANSI code page raises: whether a text's ANSI form is exact. A character the code
// page lacks is replaced or "best fitted" by the system's conversion (Ω becomes O, Ж
// becomes ?), which would name another file or registry entry; so the program talks to
// the system through the wide functions only and asks the code page only where a
// REGEDIT4 backup needs it (platform/text_codec.h).
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kelvane {

// The ANSI form of `text`, only when it converts back to the same UTF-16 text.
std::optional<std::string> ExactAnsi(std::wstring_view text);
// The UTF-16 form of ANSI text.
std::wstring WideFromAnsi(std::string_view text);
// The program's UTF-8 and the system's UTF-16, each the exact form of the other (half
// a surrogate pair included, see platform/text_codec.h).
std::string Utf8FromWide(std::wstring_view text);
std::wstring WideFromUtf8(std::string_view text);

}  // namespace kelvane
