// Text between the system's UTF-16 and the program's ANSI code page, with the one
// question that matters: whether the ANSI form is exact. A character the code page
// lacks is replaced or "best fitted" by the system's conversion (Ω becomes O, Ж
// becomes ?), which would name another file or registry entry.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kelvane {

// The ANSI form of `text`, only when it converts back to the same UTF-16 text.
std::optional<std::string> ExactAnsi(std::wstring_view text);
// The UTF-16 form of ANSI text.
std::wstring WideFromAnsi(std::string_view text);
// UTF-8 and back, for texts kept beside the ANSI ones (IsInexactName).
std::string Utf8FromWide(std::wstring_view text);
std::wstring WideFromUtf8(std::string_view text);

// A name as the program's listings carry it: its exact ANSI form, or kInexactMark and
// its UTF-8 form.
std::string ListedName(std::wstring_view name);
// The UTF-16 text a listed name stands for (what a window shows).
std::wstring WideFromListed(std::string_view name);

}  // namespace kelvane
