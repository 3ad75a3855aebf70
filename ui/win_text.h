// The program's texts at the Windows calls. Inside the program every text is UTF-8;
// the windows, message boxes, menus and dialogs are Unicode and take and give UTF-16,
// converted here and only here, so that any script shows and comes back as typed.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace kelvane {

// The UTF-16 form of a program text. A text that is not UTF-8 is read in the ANSI
// code page, and one holding marked names (NUL, then the name's UTF-8 form, up to
// the next NUL) shows those names as they are: both are what the registry layer's
// listings have carried.
std::wstring Wide(std::string_view text);
// The program's (UTF-8) form of a UTF-16 text.
std::string Utf8(std::wstring_view text);
// A program text in UTF-8 (as Wide reads it, so the same text goes in and comes out).
std::string Utf8Text(std::string_view text);
// Text in the ANSI code page (an older version's file) in UTF-8.
std::string Utf8FromAnsi(std::string_view text);

// A window's text, and setting it.
std::string WindowText(HWND window);
void SetText(HWND window, const std::string& text);

// A message box with the given caption.
int ShowMessageBox(HWND owner, const std::string& text, const std::string& caption, UINT flags);

}  // namespace kelvane
