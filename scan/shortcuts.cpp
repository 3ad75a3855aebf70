// Shortcuts: shortcut files in the six shell folders whose target is gone.
#include <array>

#include "scan/path_check.h"
#include "scan/scanners.h"

namespace kelvane {

namespace {

// Paths longer than this cannot be listed through the ANSI file calls.
constexpr size_t kMaxPath = 260;

// The shortcut folders, in the order they are scanned.
constexpr std::array<int, 6> kShortcutFolders = {
    csidl::kCommonStartMenu, csidl::kCommonDesktopDirectory, csidl::kAppData, csidl::kRecent,
    csidl::kStartMenu,       csidl::kDesktopDirectory,
};

bool IsShortcutName(const std::string& name) {
  const size_t dot = name.rfind('.');
  return dot != std::string::npos && EqualsNoCase(name.substr(dot), ".lnk");
}

}  // namespace

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

}  // namespace kelvane
