// Software Locations: program paths registered under App Paths that are missing, in
// both registry views.
#include "platform/registry_locations.h"
#include "scan/path_check.h"
#include "scan/registry_views.h"
#include "scan/scanners.h"

namespace kelvane {

void ScanSoftwareLocations(ScanContext& context) {
  for (const std::string& appPaths : KeyViews(context, RootKey::kLocalMachine, kAppPathsKey))
    ScanAppPaths(context, appPaths);
}

void ScanAppPaths(ScanContext& context, const std::string& appPaths) {
  Registry registry = context.NewRegistry(RootKey::kLocalMachine);
  if (!registry.OpenKey(appPaths, false))
    return;
  for (const std::string& name : registry.GetKeyNames()) {
    // Only programs: names with an extension other than ".exe" are left alone.
    if (name.find('.') != std::string::npos &&
        (name.size() < 4 || UpperAscii(name.substr(name.size() - 4)) != ".EXE")) {
      continue;
    }
    registry.CloseKey();
    const std::string path = appPaths + "\\" + name;
    if (!registry.OpenKey("\\" + path, false))
      continue;
    context.ShowScanKey(path);
    const auto text = ReadText(registry, "");
    if (!text)
      continue;
    const std::string& program = *text;
    if (program.empty())
      continue;
    // The registered path counts only up to the end of the program's own name.
    const PathVerdict verdict =
        context.CheckPath(RootKey::kLocalMachine, path, program, name, true);
    if (verdict.missing) {
      context.AddIssueRow("Software Locations Issue", KeyTarget(RootKey::kLocalMachine, path),
                          program, MissingPathReason(verdict), RowKind::kKey);
    }
  }
}

}  // namespace kelvane
