// The Windows version code: a small number for the running Windows version that
// callers test (1 to 4 or 8: the 95/98/Me family; 9: Windows XP), and the questions
// asked of the version itself.
#pragma once

#include <cstdint>

#include "platform/platform.h"

namespace kelvane {

uint32_t GetWindowsVersionCode(SystemInfo& system);
// True for the Windows 95, 98 and Me family.
inline bool IsWin9xFamily(uint32_t code) {
  return (code >= 1 && code <= 4) || code == 8;
}

// Whether this Windows has System Restore for a point before a repair: XP, and the NT
// versions from 6 on (Windows 7 to 11 among those the program runs on). Their server
// versions answer the request themselves, with the reason when they refuse.
bool HasSystemRestore(SystemInfo& system);
// Windows 8 and later make at most one restore point in 24 hours and answer a request
// within that time with the older point.
bool IsWindows8OrLater(SystemInfo& system);

}  // namespace kelvane
