// Per-program entries: empty vendor keys under Software, the program files of the
// services, and the open commands registered for applications.
#include "platform/registry_locations.h"
#include "scan/path_check.h"
#include "scan/registry_views.h"
#include "scan/scanners.h"
#include "scan/value_walker.h"

namespace kelvane {

namespace {

void FindNextCommandBelow(ScanContext& context, RootKey root, const std::string& startPath,
                          std::string& holder, std::string& command, int depth) {
  command.clear();
  if (depth > kMaxKeyDepth)
    return;
  try {
    Registry registry = context.NewRegistry(root, KeyAccess::kFull);
    if (!registry.OpenKey(startPath, false))
      return;
    {
      Registry commandKey = context.NewRegistry(root, KeyAccess::kFull);
      if (commandKey.OpenKey(startPath + "\\command", false)) {
        const auto text = ReadText(commandKey, "");
        if (text && !text->empty()) {
          if (holder.empty()) {
            holder = startPath;
            command = *text;
            return;
          }
          // The holder found last time: the next one met is the answer.
          if (holder == startPath)
            holder.clear();
        }
      }
    }
    const std::vector<std::string> names = registry.GetKeyNames();
    registry.CloseKey();
    for (const std::string& name : names) {
      FindNextCommandBelow(context, root, startPath + "\\" + name, holder, command, depth + 1);
      if (!command.empty())
        return;
    }
  } catch (const OperationCancelled&) {
    throw;
  } catch (const std::exception&) {
    // A key that cannot be read ends this branch; what was found stands.
  }
}

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

void FindNextCommand(ScanContext& context, RootKey root, const std::string& startPath,
                     std::string& holder, std::string& command) {
  FindNextCommandBelow(context, root, startPath, holder, command, 0);
}

void ScanApplications(ScanContext& context) {
  try {
    std::string holder;  // carried from call to call, and from one application to the next
    for (const std::string& applicationsKey :
         KeyViews(context, RootKey::kLocalMachine, kApplicationsKey)) {
      ScanApplicationsKey(context, applicationsKey, holder);
    }
  } catch (const OperationCancelled&) {
    throw;
  } catch (const std::exception&) {
    // Any failure ends this category only; the next one runs.
  }
}

void ScanApplicationsKey(ScanContext& context, const std::string& applicationsKey,
                         std::string& holder) {
  Registry registry = context.NewRegistry(RootKey::kLocalMachine, KeyAccess::kFull);
  if (!registry.OpenKey(applicationsKey, false))
    return;
  const std::vector<std::string> applications = registry.GetKeyNames();
  registry.CloseKey();
  std::string command;
  for (const std::string& application : applications) {
    const std::string path = applicationsKey + "\\" + application;
    context.ShowScanKey(path);
    FindNextCommand(context, RootKey::kLocalMachine, path, holder, command);
    while (!command.empty()) {
      const PathVerdict verdict =
          context.CheckPath(RootKey::kLocalMachine, holder, command, "", false);
      if (verdict.missing) {
        context.AddIssueRow("Open with Application Issue",
                            ValueTarget(RootKey::kLocalMachine, holder + "\\command", ""), command,
                            MissingPathReason(verdict), RowKind::kDefaultValue);
      }
      FindNextCommand(context, RootKey::kLocalMachine, path, holder, command);
    }
  }
}

}  // namespace kelvane
