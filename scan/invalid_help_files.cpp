// Invalid Help Files: help files registered with a folder that does not hold them.
#include "platform/registry_locations.h"
#include "scan/registry_views.h"
#include "scan/scanners.h"

namespace kelvane {

namespace {

constexpr const char* kHelpKeys[] = {kHelpKey, kHtmlHelpKey};

}  // namespace

void ScanHelpFiles(ScanContext& context) {
  std::vector<std::string> helpKeys;
  for (const char* helpKey : kHelpKeys) {
    for (std::string& view : KeyViews(context, RootKey::kLocalMachine, helpKey))
      helpKeys.push_back(std::move(view));
  }
  for (const std::string& helpKey : helpKeys) {
    Registry registry = context.NewRegistry(RootKey::kLocalMachine);
    if (!registry.OpenKey(helpKey, false))
      continue;
    context.ShowScanKey(helpKey);
    for (const std::string& name : registry.GetValueNames()) {
      // The data is the help file's folder; values of other types are not judged.
      if (!IsTextValue(registry, name))
        continue;
      std::string file = registry.ReadString(name);
      if (!file.empty() && file.back() != '\\')
        file += '\\';
      file += name;
      if (context.FileExists(RootKey::kLocalMachine, helpKey, file))
        continue;
      context.AddIssueRow("Invalid Help Files", ValueTarget(RootKey::kLocalMachine, helpKey, name),
                          file, "Help file not found: " + file, RowKind::kValueInPath);
    }
  }
}

}  // namespace kelvane
