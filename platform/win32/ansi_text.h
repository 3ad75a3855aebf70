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
// The UTF-16 form of a path whose last name may be a listed one ("C:\Folder\" and a
// marked name): a shortcut of such a name can still be read. Nothing for a NUL
// anywhere else, where the UTF-8 part would not end with the path.
std::optional<std::wstring> WideFromListedPath(std::string_view path);
// The UTF-16 form of a text for the user in which every inexact part stands between
// two marks (ShownText): ANSI outside them, UTF-8 inside.
std::wstring WideFromShown(std::string_view text);

}  // namespace kelvane
