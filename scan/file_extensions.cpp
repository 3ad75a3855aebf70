// File Extensions: file classes that hold nothing and per-user extension records
// without a class.
#include "platform/registry_locations.h"
#include "scan/registry_views.h"
#include "scan/scanners.h"

namespace kelvane {

constexpr const char* kExtensionProblem = "Unused File Extension";

namespace {

// Class keys with no subkeys whose only value is an empty default value.
void ScanEmptyClasses(ScanContext& context, const std::string& classesKey) {
  Registry registry = context.NewRegistry(RootKey::kLocalMachine);
  if (!registry.OpenKey(classesKey, false))
    return;
  const std::string base = classesKey + "\\";
  for (const std::string& name : registry.GetKeyNames()) {
    context.ShowScanKey(base + name);
    if (!registry.OpenKey("\\" + base + name, false))
      continue;
    const auto info = registry.GetKeyInfo();
    const auto text = ReadText(registry, "");
    if (!info || !text)
      continue;
    const bool empty = info->subkeyCount == 0 &&
                       (info->valueCount == 0 || (info->valueCount == 1 && text->empty()));
    if (empty) {
      context.AddIssueRow(kExtensionProblem, SubkeyTarget(RootKey::kLocalMachine, classesKey, name),
                          name, "Key holds only an empty default value", RowKind::kSubkeyNamed);
    }
  }
}

// Extensions the user opened once whose class is gone.
void ScanUserExtensions(ScanContext& context) {
  Registry registry = context.NewRegistry(RootKey::kCurrentUser);
  if (!registry.OpenKey(kFileExtsKey, false))
    return;
  for (const std::string& name : registry.GetKeyNames()) {
    context.ShowScanKey(std::string(kFileExtsKey) + "\\" + name);
    if (ClassKeyExists(context, RootKey::kClassesRoot, name))
      continue;
    context.AddIssueRow(kExtensionProblem, SubkeyTarget(RootKey::kCurrentUser, kFileExtsKey, name),
                        name, "Class not registered: HKEY_CLASSES_ROOT\\" + name,
                        RowKind::kSubkeyNamed);
  }
}

}  // namespace

void ScanFileExtensions(ScanContext& context) {
  for (const std::string& classes : KeyViews(context, RootKey::kLocalMachine, kClassesKey))
    ScanEmptyClasses(context, classes);
  ScanUserExtensions(context);
}

bool ClassKeyExists(ScanContext& context, RootKey root, const std::string& keyPath) {
  Registry registry = context.NewRegistry(root, KeyAccess::kRead);
  return registry.OpenKey(keyPath, false);
}

}  // namespace kelvane
