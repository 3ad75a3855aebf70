// The clipboard, as plain text.
#pragma once

#include <windows.h>

#include <string>

namespace kelvane {

// Puts `text` (a program text, UTF-8) on the clipboard as Unicode text, so that every
// program pastes it with its characters right, in any script. False when the
// clipboard is not available.
bool CopyToClipboard(HWND owner, const std::string& text);

}  // namespace kelvane
