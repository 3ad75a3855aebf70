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
  // The value's name is the library's path, its data the reference count.
  const auto visit = [&](Registry& registry, const std::string& name) {
    if (registry.GetDataType(name) != DataType::kInteger)
      return;
    const bool exists = context.FileExists(RootKey::kLocalMachine, sharedDlls, name);
    if (exists) {
      const auto raw = registry.ReadRaw(name);
      // A count too short to read cannot be judged.
      if (!raw || raw->data.size() < 4)
        return;
      if (registry.ReadInteger(name) != 0)
        return;
    }
    context.AddIssueRow("Missing Shared Dlls",
                        ValueTarget(RootKey::kLocalMachine, sharedDlls, name), name,
                        exists ? std::string("Reference count is 0") : "File not found: " + name,
                        RowKind::kValueNamed);
  };
  ForEachName(context, RootKey::kLocalMachine, sharedDlls, KeyNames::kValues, visit);
}

}  // namespace kelvane
