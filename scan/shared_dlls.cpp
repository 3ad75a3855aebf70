// Shared DLLs: shared libraries that are missing or no longer referenced, in both
// registry views.
#include "platform/registry_locations.h"
#include "scan/registry_views.h"
#include "scan/scanners.h"

namespace kelvane {

void ScanSharedDlls(ScanContext& context) {
  for (const std::string& sharedDlls : KeyViews(context, RootKey::kLocalMachine, kSharedDllsKey))
    ScanSharedDllsKey(context, sharedDlls);
}

void ScanSharedDllsKey(ScanContext& context, const std::string& sharedDlls) {
  Registry registry = context.NewRegistry(RootKey::kLocalMachine);
  if (!registry.OpenKey(sharedDlls, false))
    return;
  context.ShowScanKey(sharedDlls);
  for (const std::string& name : registry.GetValueNames()) {
    // The value's name is the library's path, its data the reference count.
    if (registry.GetDataType(name) != DataType::kInteger)
      continue;
    const bool exists = context.FileExists(RootKey::kLocalMachine, sharedDlls, name);
    if (exists) {
      const auto raw = registry.ReadRaw(name);
      // A count too short to read cannot be judged.
      if (!raw || raw->data.size() < 4)
        continue;
      if (registry.ReadInteger(name) != 0)
        continue;
    }
    context.AddIssueRow("Missing Shared Dlls",
                        ValueTarget(RootKey::kLocalMachine, sharedDlls, name), name,
                        exists ? std::string("Reference count is 0") : "File not found: " + name,
                        RowKind::kValueNamed);
  }
}

}  // namespace kelvane
