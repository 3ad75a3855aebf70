// Installer: uninstall entries naming a missing program, installer folders that are
// gone, and uninstall-cache keys without an uninstall entry.
#include <unordered_set>

#include "platform/registry_locations.h"
#include "scan/path_check.h"
#include "scan/registry_views.h"
#include "scan/scanners.h"
#include "scan/value_walker.h"

namespace kelvane {

constexpr const char* kInstallerProblem = "Installer Refrence Issue";

void ScanInstaller(ScanContext& context) {
  const std::vector<std::string> uninstallKeys =
      KeyViews(context, RootKey::kLocalMachine, kInstallerUninstallKey);
  for (const std::string& uninstall : uninstallKeys)
    WalkValues(context, "HKEY_LOCAL_MACHINE", uninstall, kInstallerProblem, ".exe");

  // The names of the installer's folder list are folder paths; their data is not read.
  for (const std::string& foldersKey :
       KeyViews(context, RootKey::kLocalMachine, kInstallerFoldersKey)) {
    const auto visit = [&](Registry&, const std::string& name) {
      const PathVerdict verdict =
          context.CheckPath(RootKey::kLocalMachine, foldersKey, name, "", true);
      if (verdict.missing) {
        context.AddIssueRow(kInstallerProblem,
                            ValueTarget(RootKey::kLocalMachine, foldersKey, name), name,
                            MissingPathReason(verdict), RowKind::kValueNamed);
      }
    };
    ForEachName(context, RootKey::kLocalMachine, foldersKey, KeyNames::kValues, visit);
  }

  // The uninstall cache keeps one subkey per uninstall entry of its own view.
  for (const std::string& arpCache : KeyViews(context, RootKey::kLocalMachine, kArpCacheKey)) {
    const bool thirtyTwoBit = BelowWow64Node(arpCache);
    std::string uninstall = kInstallerUninstallKey;
    if (thirtyTwoBit)
      uninstall = Wow64Twin(RootKey::kLocalMachine, kInstallerUninstallKey).value_or(uninstall);
    ScanUninstallCache(context, arpCache, uninstall);
  }
}

void ScanUninstallCache(ScanContext& context, const std::string& arpCache,
                        const std::string& uninstall) {
  Registry registry = context.NewRegistry(RootKey::kLocalMachine, KeyAccess::kRead);
  std::unordered_set<std::string> entries;
  if (registry.OpenKey(uninstall, false)) {
    for (const std::string& name : registry.GetKeyNames())
      entries.insert(UpperAscii(name));
  }
  registry.CloseKey();
  if (!registry.OpenKey(arpCache, false))
    return;
  context.ShowScanKey(arpCache);
  for (const std::string& name : registry.GetKeyNames()) {
    if (!entries.contains(UpperAscii(name))) {
      context.AddIssueRow(kInstallerProblem, SubkeyTarget(RootKey::kLocalMachine, arpCache, name),
                          name,
                          "No uninstall entry: HKEY_LOCAL_MACHINE\\" + uninstall + "\\" + name,
                          RowKind::kSubkeyNamed);
    }
  }
}

}  // namespace kelvane
