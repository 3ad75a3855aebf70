#include "platform/version_code.h"

namespace kelvane {

uint32_t GetWindowsVersionCode(SystemInfo& system) {
  constexpr uint32_t kPlatformNt = 2;
  const auto version = system.Version();
  if (!version)
    return 10;
  if (version->platformId == kPlatformNt) {
    switch (version->major) {
      case 3:
        return 5;
      case 4:
        return 6;
      case 5:
        if (version->minor == 1)
          return 9;
        if (version->minor == 2)
          return 10;
        return 7;
      default:
        return 10;
    }
  }
  if (version->major == 4 && version->minor == 0)
    return 1;
  if (version->major == 4 && version->minor == 10)
    return 3;
  if (version->major == 4 && version->minor == 90)
    return 8;
  return 10;
}

bool HasSystemRestore(SystemInfo& system) {
  const auto version = system.Version();
  // An unknown version is a newer one, as for the version code.
  return !version || GetWindowsVersionCode(system) == 9 ||
         (version->platformId == 2 && version->major >= 6);
}

bool IsWindows8OrLater(SystemInfo& system) {
  const auto version = system.Version();
  return !version || (version->platformId == 2 &&
                      (version->major > 6 || (version->major == 6 && version->minor >= 2)));
}

}  // namespace kelvane
