// The About window: the program's name and version, and a link to its web page.
#pragma once

#include <windows.h>

#include "platform/platform.h"

namespace kelvane {

void ShowAbout(HWND owner, Platform& platform);

}  // namespace kelvane
