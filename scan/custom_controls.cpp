// Custom Controls: class-identifier keys whose server file is missing.
#include "scan/path_check.h"
#include "scan/registry_views.h"
#include "scan/scanners.h"

namespace kelvane {

namespace {

void WalkClassKey(ScanContext& context, RootKey root, const std::string& base,
                  const std::string& subName, int depth) {
  if (depth > kMaxKeyDepth)
    return;
  const std::string path = base + subName;
  Registry registry = context.NewRegistry(root);
  if (!registry.OpenKey(path, false))
    return;
  context.ShowScanKey(path);
  if (const auto text = ReadText(registry, "")) {
    const std::string& server = *text;
    const PathVerdict verdict = context.CheckPath(root, path, server, "", false);
    if (verdict.missing) {
      context.AddIssueRow("Custom Controls Issue", KeyTarget(root, path), server,
                          MissingPathReason(verdict), RowKind::kKey);
    }
  }
  // This key stays open while its subkeys are walked: one open key per level.
  for (const std::string& name : registry.GetKeyNames()) {
    WalkClassKey(context, root, path + "\\", name, depth + 1);
  }
}

}  // namespace

void ScanCustomControls(ScanContext& context) {
  for (const std::string& classIds : KeyViews(context, RootKey::kClassesRoot, "CLSID"))
    ScanClassKey(context, "HKEY_CLASSES_ROOT", classIds, "");
}

void ScanClassKey(ScanContext& context, const std::string& rootName, const std::string& base,
                  const std::string& subName) {
  const auto root = RootFromName(rootName);
  if (!root)
    return;
  WalkClassKey(context, *root, base, subName, 0);
}

}  // namespace kelvane
