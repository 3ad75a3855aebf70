// Obsolete Software: vendor keys under Software of both roots that hold nothing at all.
#include "scan/registry_views.h"
#include "scan/scanners.h"

namespace kelvane {

namespace {

// Keys below Software that Windows itself keeps, empty until a policy, a program or
// the other view fills them: never a vendor's leftovers.
bool IsWindowsOwnSoftwareKey(const std::string& name) {
  for (const char* own : {"Policies", "Registered Applications", "RegisteredApplications",
                          "Classes", "Clients", "Microsoft", "Wow6432Node"}) {
    if (EqualsNoCase(name, own))
      return true;
  }
  return false;
}

}  // namespace

void ScanSoftwareKey(ScanContext& context, const std::string& rootName,
                     const std::string& keyPath) {
  const auto root = RootFromName(UpperAscii(rootName));
  if (!root)
    return;
  Registry registry = context.NewRegistry(*root, KeyAccess::kFull);
  if (!registry.OpenKey(keyPath, false))
    return;
  // The 32-bit view's Software key is examined as a Software key of its own.
  const bool viewsApart = Wow64Twin(*root, keyPath) && context.System().Is64BitWindows();
  std::optional<std::string> identity;
  for (const std::string& name : registry.GetKeyNames()) {
    if ((viewsApart && EqualsNoCase(name, "Wow6432Node")) || IsWindowsOwnSoftwareKey(name))
      continue;
    const std::string vendorPath = keyPath + "\\" + name;
    context.ShowScanKey(vendorPath);
    // A vendor key that cannot be opened is not known to be empty: reporting it would
    // have the repair delete a key nobody has looked into.
    Registry vendor = context.NewRegistry(*root, KeyAccess::kFull);
    if (!vendor.OpenKey(vendorPath, false))
      continue;
    // A vendor key both views share is examined under its 64-bit name only.
    Registry shared = registry.OpenSubkey(name);
    if (IsLinkedSubkey(registry, identity, shared, vendorPath, name))
      continue;
    vendor.CloseKey();
    if (CountKeyEntries(context, *root, vendorPath, 1, true, true) < 1) {
      context.AddIssueRow("Obsolete Software Key", SubkeyTarget(*root, keyPath, name), name,
                          "Key and its subkeys hold no values", RowKind::kSubkeyNamed);
    }
  }
}

void ScanObsoleteSoftware(ScanContext& context) {
  ScanSoftwareKey(context, "HKEY_CURRENT_USER", "Software");
  for (const std::string& software : KeyViews(context, RootKey::kLocalMachine, "Software"))
    ScanSoftwareKey(context, "HKEY_LOCAL_MACHINE", software);
}

}  // namespace kelvane
