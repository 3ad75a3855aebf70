// The program's texts at the Windows calls. Inside the program every text is UTF-8;
// the windows, message boxes, menus and dialogs are Unicode and take and give UTF-16,
// converted here and only here, so that any script shows and comes back as typed.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace kelvane {

// The UTF-16 form of a program text, and the program's (UTF-8) form of a UTF-16 text.
std::wstring Wide(std::string_view text);
std::string Utf8(std::wstring_view text);

// A window's text, and setting it.
std::string WindowText(HWND window);
void SetText(HWND window, const std::string& text);

// A message box with the given caption.
int ShowMessageBox(HWND owner, const std::string& text, const std::string& caption, UINT flags);

}  // namespace kelvane
