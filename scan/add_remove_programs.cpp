// Add/Remove Programs: uninstall entries that hold nothing.
#include "platform/registry_locations.h"
#include "scan/registry_views.h"
#include "scan/scanners.h"

namespace kelvane {

// An uninstall entry is counted with a lone empty default value counting nothing.
constexpr const char* kNoValuesButEmptyDefaultReason =
    "Key and its subkeys hold no values, empty defaults aside";

void ScanAddRemovePrograms(ScanContext& context) {
  for (const std::string& uninstall : KeyViews(context, RootKey::kLocalMachine, kUninstallKey)) {
    Registry registry = context.NewRegistry(RootKey::kLocalMachine);
    if (!registry.OpenKey(uninstall, false))
      continue;
    for (const std::string& name : registry.GetKeyNames()) {
      // Entries named by a class identifier belong to Windows Installer.
      if (!name.empty() && name[0] == '{')
        continue;
      const std::string path = uninstall + "\\" + name;
      context.ShowScanKey(path);
      if (CountKeyEntries(context, RootKey::kLocalMachine, path, 1, true, false) < 1) {
        context.AddIssueRow("Add/Remove Programs Issue",
                            SubkeyTarget(RootKey::kLocalMachine, uninstall, name), name,
                            kNoValuesButEmptyDefaultReason, RowKind::kSubkeyNamed);
      }
    }
  }
}

}  // namespace kelvane
