// Sound and Appevents: event sounds of the current, default and "utopia0" schemes
// whose file is gone.
#include "platform/registry_locations.h"
#include "scan/path_check.h"
#include "scan/scanners.h"

namespace kelvane {

void ScanSoundKey(ScanContext& context, const std::string& rootName, const std::string& parentPath,
                  const std::string& keyName, int depth) {
  if (depth > kMaxKeyDepth)
    return;
  const std::string upperRoot = UpperAscii(rootName);
  const auto root = RootFromName(upperRoot);
  if (!root)
    return;
  Registry registry = context.NewRegistry(*root, KeyAccess::kFull);
  const std::string path = parentPath + keyName;
  if (!registry.OpenKey(path, false))
    return;
  if (EqualsNoCase(keyName, ".current") || EqualsNoCase(keyName, ".default") ||
      EqualsNoCase(keyName, "utopia0")) {
    if (const auto sound = ReadText(registry, "")) {
      context.ShowScanKey(path);
      const PathVerdict verdict = context.CheckPath(*root, path, *sound, "", false);
      if (verdict.missing) {
        context.AddIssueRow("Missing Sound File", ValueTarget(*root, path, ""), *sound,
                            MissingPathReason(verdict), RowKind::kDefaultValue);
      }
    }
  }
  for (const std::string& name : registry.GetKeyNames()) {
    ScanSoundKey(context, upperRoot, path + "\\", name, depth + 1);
  }
}

void ScanSoundEvents(ScanContext& context) {
  ScanSoundKey(context, "HKEY_Current_User", kSoundSchemesKey, "");
}

}  // namespace kelvane
