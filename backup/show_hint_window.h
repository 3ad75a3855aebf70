// The hint after a repair: how many issues were repaired, why some come back, and a
// box to switch the hint off.
#pragma once

#include <windows.h>

#include <cstdint>

namespace kelvane {

// Shows the hint modally over `owner`. Ticking "Don't show this hint dialog next time"
// switches the ShowHint setting off at once.
void ShowRepairHint(HWND owner, int32_t repairedCount);

}  // namespace kelvane
