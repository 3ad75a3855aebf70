// The Windows version code: a small number for the running Windows version that
// callers test (1 to 4 or 8: the 95/98/Me family; 9: Windows XP).
#pragma once

#include <cstdint>

#include "platform/platform.h"

namespace kelvane {

uint32_t GetWindowsVersionCode(SystemInfo& system);
// True for the Windows 95, 98 and Me family.
inline bool IsWin9xFamily(uint32_t code) {
  return (code >= 1 && code <= 4) || code == 8;
}

}  // namespace kelvane
