// Invalid Help Files: help files registered with a folder that does not hold them.
#include "platform/registry_locations.h"
#include "scan/registry_views.h"
#include "scan/scanners.h"

namespace kelvane {

constexpr const char* kHelpKeys[] = {kHelpKey, kHtmlHelpKey};

void ScanHelpFiles(ScanContext& context) {
  std::vector<std::string> helpKeys;
  for (const char* helpKey : kHelpKeys) {
    for (std::string& view : KeyViews(context, RootKey::kLocalMachine, helpKey))
      helpKeys.push_back(std::move(view));
  }
  for (const std::string& helpKey : helpKeys) {
    // The data is the help file's folder; values of other types are not judged.
    const auto visit = [&](Registry& registry, const std::string& name) {
      if (!IsTextValue(registry, name))
        return;
      std::string file = registry.ReadString(name);
      if (!file.empty() && file.back() != '\\')
        file += '\\';
      file += name;
      if (!context.FileExists(RootKey::kLocalMachine, helpKey, file)) {
        context.AddIssueRow("Invalid Help Files",
                            ValueTarget(RootKey::kLocalMachine, helpKey, name), file,
                            "Help file not found: " + file, RowKind::kValueInPath);
      }
    };
    ForEachName(context, RootKey::kLocalMachine, helpKey, KeyNames::kValues, visit);
  }
}

}  // namespace kelvane
