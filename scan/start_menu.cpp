// Start Menu: menu-order keys of Programs folders that no longer exist.
#include <algorithm>

#include "platform/version_code.h"
#include "scan/scanners.h"

namespace kelvane {

namespace {

void AddSubfolderNames(ScanContext& context, int csidl, std::vector<std::string>& names) {
  const auto folder = context.GetShell().SpecialFolder(csidl);
  if (!folder)
    return;
  for (const FileEntry& entry : context.Files().ListFolder(*folder)) {
    if (entry.IsFolder())
      names.push_back(UpperAscii(entry.name));
  }
}

}  // namespace

std::string MenuOrderKey(uint32_t versionCode) {
  const std::string menuOrder =
      "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\MenuOrder\\";
  switch (versionCode) {
    case 9:
    case 10:
      return menuOrder + "Start Menu2\\Programs";
    case 7:
    case 8:
      return menuOrder + "Start Menu\\Programs";
    default:
      return menuOrder + "Start Menu\\&Programs";
  }
}

void ScanStartMenu(ScanContext& context) {
  std::vector<std::string> folders;  // upper-cased
  AddSubfolderNames(context, csidl::kPrograms, folders);
  AddSubfolderNames(context, csidl::kCommonPrograms, folders);
  const std::string menuKey = MenuOrderKey(GetWindowsVersionCode(context.System()));
  Registry registry = context.NewRegistry(RootKey::kCurrentUser, KeyAccess::kFull);
  if (!registry.OpenKey(menuKey, false))
    return;
  for (const std::string& name : registry.GetKeyNames()) {
    context.ShowScanKey(menuKey + "\\" + name);
    const std::string upper = UpperAscii(name);
    if (std::find(folders.begin(), folders.end(), upper) == folders.end()) {
      context.AddIssueRow("Old Start Menu Key", SubkeyTarget(RootKey::kCurrentUser, menuKey, name),
                          name, "No such folder in the Start menu's Programs: " + name,
                          RowKind::kSubkeyNamed);
    }
  }
}

}  // namespace kelvane
