// Windows Services: services whose ImagePath names a missing program.
#include "platform/registry_locations.h"
#include "scan/path_check.h"
#include "scan/scanners.h"

namespace kelvane {

std::string ServiceImagePath(const std::string& imagePath, const std::string& windowsFolder) {
  std::string path(Trim(imagePath, " \t"));
  const auto startsWith = [&path](std::string_view prefix) {
    return path.size() >= prefix.size() &&
           EqualsNoCase(std::string_view(path).substr(0, prefix.size()), prefix);
  };
  // "\??\C:\..." is the kernel's name of a drive path.
  if (startsWith("\\??\\"))
    return path.substr(4);
  // "\SystemRoot\" is the kernel's name of the Windows folder.
  if (startsWith("\\SystemRoot\\"))
    return windowsFolder + path.substr(11);
  // A name without drive or leading separator ("system32\drivers\x.sys",
  // "System32\svchost.exe -k group") is taken from the Windows folder.
  if (path.empty() || path[0] == '"' || path[0] == '%' || path[0] == '\\' ||
      path.find(":\\") == 1 || path.find('\\') == std::string::npos) {
    return path;
  }
  return windowsFolder + "\\" + path;
}

void ScanServices(ScanContext& context) {
  const std::string windows = context.GetShell().WindowsFolder();
  Registry registry = context.NewRegistry(RootKey::kLocalMachine, KeyAccess::kFull);
  if (!registry.OpenKey(kServicesKey, false))
    return;
  const std::vector<std::string> services = registry.GetKeyNames();
  for (const std::string& service : services) {
    registry.CloseKey();
    const std::string path = std::string(kServicesKey) + "\\" + service;
    if (!registry.OpenKey(path, false))
      continue;
    context.ShowScanKey(path);
    const auto imagePath = ReadText(registry, "ImagePath");
    if (!imagePath)
      continue;
    // The service manager, a 64-bit program on 64-bit Windows, starts every service.
    const PathVerdict verdict =
        context.CheckPath(Readers::kNative, ServiceImagePath(*imagePath, windows), "", true);
    if (verdict.missing) {
      context.AddIssueRow("Windows Service Issue",
                          ValueTarget(RootKey::kLocalMachine, path, "ImagePath"), *imagePath,
                          MissingPathReason(verdict), RowKind::kValueInPath);
    }
  }
}

}  // namespace kelvane
