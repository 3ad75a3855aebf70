// The small dialog in which one ignore-list entry is typed or edited.
#pragma once

#include <windows.h>

#include <string>

#include "platform/platform.h"

namespace kelvane {

// Control ids of the dialog.
inline constexpr int kIdLaunchRegedit = 201;
inline constexpr int kIdRegistryKey = 202;

// Shows "Add to Ignore List" modally over `owner` with `text` in the edit. True when
// the user confirmed; `text` then holds the entry, which contains "HKEY_".
bool ShowRegAddRegistry(HWND owner, Platform& platform, std::string& text);

}  // namespace kelvane
