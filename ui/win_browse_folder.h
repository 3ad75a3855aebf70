// The shell's folder picker, centred on the screen, for the restore window and the
// options dialog.
#pragma once

#include <windows.h>

#include <string>

namespace kelvane {

// Shows the folder picker owned by `owner` with `caption` above the tree, `root` at
// the top of the tree (the desktop when empty), only file-system folders selectable.
// True when the user chose a folder; `directory` then holds its path (UTF-8, in any
// script). On cancel it stays as it was, except that a `directory` naming no existing folder is
// emptied first.
bool BrowseForFolder(HWND owner, const std::string& caption, const std::wstring& root,
                     std::string& directory);

}  // namespace kelvane
