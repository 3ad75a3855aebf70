// The options dialog: backup folder, switches and the two ignore lists.
#pragma once

#include <windows.h>

#include "options/settings.h"
#include "platform/platform.h"

namespace kelvane {

// Shows the dialog modally over `owner`, filled from `settings`. OK stores the edited
// values into `settings` and gives 1; Cancel and the close box store nothing and give 2.
int ShowOptions(HWND owner, Platform& platform, TOptionsSetting& settings);

}  // namespace kelvane
