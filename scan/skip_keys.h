// Keys that the Files and Folders walk leaves out, with everything below them,
// because another category examines them: below HKEY_LOCAL_MACHINE and below
// HKEY_CURRENT_USER. Matched whole, without regard to case.
#pragma once

#include <array>

namespace kelvane {

extern const std::array<const char*, 12> LocalMachineSkipKeys;
extern const std::array<const char*, 4> CurrentUserSkipKeys;

}  // namespace kelvane
