// MRU and History Lists: files of the open and save dialogs' history that no longer
// exist.
#include "platform/registry_locations.h"
#include "scan/path_check.h"
#include "scan/scanners.h"
#include "scan/value_walker.h"

namespace kelvane {

constexpr const char* kMruProblem = "Missing MRU and History Lists file";

void ScanMruLists(ScanContext& context) {
  Registry registry = context.NewRegistry(RootKey::kCurrentUser, KeyAccess::kFull);
  if (!registry.OpenKey(kMruKey, false))
    return;
  context.ShowScanKey(kMruKey);
  const std::vector<std::string> extensions = registry.GetKeyNames();
  // A value of the list itself names a file without its extension; it stands when
  // that name with one of the listed extensions exists.
  for (const std::string& name : registry.GetValueNames()) {
    const auto data = ReadText(registry, name);
    if (!data || data->find(":\\") != 1 || !OnAllowedDrive(*data, context.AllowedDrives()))
      continue;
    bool found = false;
    for (const std::string& extension : extensions) {
      if (extension == "*")
        continue;
      if (context.FileExists(RootKey::kCurrentUser, kMruKey, *data + "." + extension)) {
        found = true;
        break;
      }
    }
    if (!found) {
      context.AddIssueRow(kMruProblem, ValueTarget(RootKey::kCurrentUser, kMruKey, name), *data,
                          "No file with a listed extension: " + *data, RowKind::kValueInPath);
    }
  }
  for (const std::string& extension : extensions) {
    WalkValues(context, "HKEY_CURRENT_USER", std::string(kMruKey) + "\\" + extension, kMruProblem,
               "");
  }
}

}  // namespace kelvane
