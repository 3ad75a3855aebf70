// Entries that point into the shell's folders and sounds: menu-order keys of Programs
// folders, shortcut files, event sounds, and type libraries.
#include <algorithm>
#include <array>

#include "platform/registry_locations.h"
#include "platform/version_code.h"
#include "scan/path_check.h"
#include "scan/registry_views.h"
#include "scan/scanners.h"
#include "scan/value_walker.h"

namespace kelvane {

namespace {

// Paths longer than this cannot be listed through the ANSI file calls.
constexpr size_t kMaxPath = 260;

// The shortcut folders, in the order they are scanned.
constexpr std::array<int, 6> kShortcutFolders = {
    csidl::kCommonStartMenu, csidl::kCommonDesktopDirectory, csidl::kAppData, csidl::kRecent,
    csidl::kStartMenu,       csidl::kDesktopDirectory,
};

std::string LowerAscii(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z')
      c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

bool IsShortcutName(const std::string& name) {
  const size_t dot = name.rfind('.');
  return dot != std::string::npos && LowerAscii(name.substr(dot)) == ".lnk";
}

bool OnAllowedDrive(const std::string& path, const std::string& allowedDrives) {
  if (path.empty())
    return false;
  return UpperAscii(allowedDrives).find(UpperAscii(path.substr(0, 1))) != std::string::npos;
}

void AddSubfolderNames(ScanContext& context, int csidl, std::vector<std::string>& names) {
  const auto folder = context.GetShell().SpecialFolder(csidl);
  if (!folder)
    return;
  for (const FileEntry& entry : context.Files().ListFolder(*folder)) {
    if (entry.IsFolder())
      names.push_back(UpperAscii(entry.name));
  }
}

void ScanSoundKeyBelow(ScanContext& context, const std::string& rootName,
                       const std::string& parentPath, const std::string& keyName, int depth) {
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
  const std::string lower = LowerAscii(keyName);
  if (lower == ".current" || lower == ".default" || lower == "utopia0") {
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
    ScanSoundKeyBelow(context, upperRoot, path + "\\", name, depth + 1);
  }
}

}  // namespace

std::string MenuOrderKey(uint32_t versionCode) {
  switch (versionCode) {
    case 9:
    case 10:
      return "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\MenuOrder\\Start "
             "Menu2\\Programs";
    case 7:
    case 8:
      return "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\MenuOrder\\Start "
             "Menu\\Programs";
    default:
      return "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\MenuOrder\\Start "
             "Menu\\&Programs";
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

std::string ResolveShortcut(ScanContext& context, const std::string& path) {
  std::string target = context.GetShell().ResolveShortcut(path).value_or("");
  const size_t nul = target.find('\0');
  if (nul != std::string::npos)
    target.resize(nul);
  // A character no path can hold means the shell gave the target back inexactly (a
  // shell that keeps only an ANSI copy of it answers "?" for what the code page lacks):
  // such a text names no file of its own and cannot be judged.
  if (target.find_first_of("?*\"<>|") != std::string::npos)
    return std::string();
  return target;
}

void ScanShortcutFolder(ScanContext& context, const std::string& folder) {
  if (folder.size() > kMaxPath)
    return;
  const std::string prefix = (!folder.empty() && folder.back() == '\\') ? folder : folder + "\\";
  for (const FileEntry& entry : context.Files().ListFolder(folder)) {
    const std::string path = prefix + entry.name;
    if (entry.IsFolder()) {
      ScanShortcutFolder(context, path);
      continue;
    }
    if (!IsShortcutName(entry.name))
      continue;
    context.ShowScanKey(path);
    const std::string target = ResolveShortcut(context, path);
    if (target.empty() || !OnAllowedDrive(target, context.AllowedDrives()) ||
        target.find(":\\") != 1) {
      continue;
    }
    if (!context.Files().FileExists(target) && !context.Files().FolderExists(target)) {
      context.AddIssueRow("Missing ShortCut reference", FileTarget(path), target,
                          "Shortcut target not found: " + target, RowKind::kShortcutFile);
    }
  }
}

void ScanShortcuts(ScanContext& context) {
  for (int csidl : kShortcutFolders) {
    if (const auto folder = context.GetShell().SpecialFolder(csidl)) {
      ScanShortcutFolder(context, *folder);
    }
  }
}

void ScanSoundKey(ScanContext& context, const std::string& rootName, const std::string& parentPath,
                  const std::string& keyName) {
  ScanSoundKeyBelow(context, rootName, parentPath, keyName, 0);
}

void ScanSoundEvents(ScanContext& context) {
  ScanSoundKey(context, "HKEY_Current_User", kSoundSchemesKey, "");
}

void ScanActiveX(ScanContext& context) {
  for (const std::string& typeLibs : KeyViews(context, RootKey::kClassesRoot, "TypeLib"))
    WalkValues(context, "HKEY_CLASSES_ROOT", typeLibs, "ActiveX Issue", ".dll");
}

}  // namespace kelvane
