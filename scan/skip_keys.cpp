#include "scan/skip_keys.h"

#include "platform/registry_locations.h"

namespace kelvane {

const std::array<const char*, 12> LocalMachineSkipKeys = {
    "SOFTWARE\\Classes\\CLSID",
    kSharedDllsKey,
    "SOFTWARE\\Classes\\TypeLib",
    kAppPathsKey,
    kHelpKey,
    kHtmlHelpKey,
    kApplicationsKey,
    kRunKey,
    kRunOnceKey,
    kUninstallKey,
    kInstallerFoldersKey,
    kArpCacheKey,
};
const std::array<const char*, 4> CurrentUserSkipKeys = {
    kRunKey,
    kRunOnceKey,
    kSoundSchemesKey,
    kMruKey,
};

}  // namespace kelvane
