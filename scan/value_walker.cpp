#include "scan/value_walker.h"

#include <unordered_set>

#include "scan/skip_keys.h"
#include "scan/path_check.h"
#include "scan/scanners.h"

namespace kelvane {

namespace {

constexpr const char* kFilesFoldersProblem = "Invalid File or Folder";
constexpr const char* kMruProblem = "Missing MRU and History Lists file";
constexpr const char* kInstallerProblem = "Installer Refrence Issue";

constexpr const char* kMruKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\ComDlg32\\OpenSaveMRU";
constexpr const char* kUninstallKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
constexpr const char* kInstallerFoldersKey =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Installer\\Folders";
constexpr const char* kArpCacheKey =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Management\\ARPCache";

template <typename Table>
bool InTable(const Table& table, const std::string& keyPath) {
  for (const auto& entry : table) {
    if (EqualsNoCase(keyPath, entry))
      return true;
  }
  return false;
}

bool Skipped(WalkSkip skip, const std::string& keyPath) {
  switch (skip) {
    case WalkSkip::kLocalMachine:
      return InTable(LocalMachineSkipKeys, keyPath);
    case WalkSkip::kCurrentUser:
      return InTable(CurrentUserSkipKeys, keyPath);
    case WalkSkip::kNone:
      break;
  }
  return false;
}

// One walk: what stays the same from level to level.
class Walker {
 public:
  Walker(ScanContext& context, RootKey root, std::string_view rootName, const std::string& problem,
         const std::string& endMarker, WalkSkip skip)
      : context_(context),
        root_(root),
        rootName_(rootName),
        problem_(problem),
        endMarker_(endMarker),
        skip_(skip) {}

  void Visit(const std::string& keyPath, int depth) {
    if (depth > kMaxKeyDepth || Skipped(skip_, keyPath))
      return;
    Registry registry = context_.NewRegistry(root_, KeyAccess::kRead);
    if (!registry.OpenKey(keyPath, false))
      return;
    context_.ShowScanKey(keyPath);
    for (const std::string& name : registry.GetValueNames()) {
      const auto text = ReadText(registry, name);
      if (text &&
          IsPathMissing(context_.Files(), *text, endMarker_, true, context_.AllowedDrives())) {
        context_.AddIssueRow(problem_, ValuePathText(rootName_, keyPath, name), *text,
                             RowKind::kValueInPath);
      }
    }
    // The names are taken before the first subkey is entered; this key stays open
    // while its subtree is walked.
    for (const std::string& name : registry.GetKeyNames()) {
      Visit(keyPath.empty() ? name : keyPath + "\\" + name, depth + 1);
    }
  }

 private:
  ScanContext& context_;
  RootKey root_;
  std::string_view rootName_;
  const std::string& problem_;
  const std::string& endMarker_;
  WalkSkip skip_;
};

}  // namespace

std::string ValuePathText(std::string_view rootName, const std::string& keyPath,
                          const std::string& valueName) {
  std::string text(rootName);
  text.reserve(text.size() + keyPath.size() + valueName.size() + 2);
  if (!keyPath.empty())
    text.append("\\").append(keyPath);
  text.append("\\").append(valueName);
  return text;
}

void WalkValues(ScanContext& context, std::string_view rootName, const std::string& keyPath,
                const std::string& problem, const std::string& endMarker, WalkSkip skip) {
  if (Skipped(skip, keyPath))
    return;
  const auto root = RootFromName(rootName);
  if (!root)
    return;
  Walker(context, *root, rootName, problem, endMarker, skip).Visit(keyPath, 0);
}

void ScanFilesFoldersLocalMachine(ScanContext& context) {
  WalkValues(context, "HKEY_LOCAL_MACHINE", "Software", kFilesFoldersProblem, "",
             WalkSkip::kLocalMachine);
}

void ScanFilesFoldersCurrentUser(ScanContext& context) {
  WalkValues(context, "HKEY_CURRENT_USER", "", kFilesFoldersProblem, "", WalkSkip::kCurrentUser);
}

void ScanFilesFoldersUsers(ScanContext& context) {
  WalkValues(context, "HKEY_USERS", "", kFilesFoldersProblem, "");
}

void ScanMruLists(ScanContext& context) {
  Registry registry = context.NewRegistry(RootKey::kCurrentUser, KeyAccess::kFull);
  if (!registry.OpenKey(kMruKey, false))
    return;
  context.ShowScanKey(kMruKey);
  const std::vector<std::string> extensions = registry.GetKeyNames();
  const std::string drives = UpperAscii(context.AllowedDrives());
  // A value of the list itself names a file without its extension; it stands when
  // that name with one of the listed extensions exists.
  for (const std::string& name : registry.GetValueNames()) {
    const auto data = ReadText(registry, name);
    if (!data || data->find(":\\") != 1)
      continue;
    if (drives.find(UpperAscii(data->substr(0, 1))) == std::string::npos)
      continue;
    bool found = false;
    for (const std::string& extension : extensions) {
      if (extension == "*")
        continue;
      if (context.Files().FileExists(*data + "." + extension)) {
        found = true;
        break;
      }
    }
    if (!found) {
      context.AddIssueRow(kMruProblem, std::string("HKEY_CURRENT_USER\\") + kMruKey + "\\" + name,
                          *data, RowKind::kValueInPath);
    }
  }
  for (const std::string& extension : extensions) {
    WalkValues(context, "HKEY_CURRENT_USER", std::string(kMruKey) + "\\" + extension, kMruProblem,
               "");
  }
}

void ScanInstaller(ScanContext& context) {
  WalkValues(context, "HKEY_LOCAL_MACHINE", kUninstallKey, kInstallerProblem, ".exe");

  // The names of the installer's folder list are folder paths; their data is not read.
  {
    Registry folders = context.NewRegistry(RootKey::kLocalMachine, KeyAccess::kFull);
    if (folders.OpenKey(kInstallerFoldersKey, false)) {
      context.ShowScanKey(kInstallerFoldersKey);
      for (const std::string& name : folders.GetValueNames()) {
        if (IsPathMissing(context.Files(), name, "", true, context.AllowedDrives())) {
          context.AddIssueRow(kInstallerProblem,
                              std::string("HKEY_LOCAL_MACHINE\\") + kInstallerFoldersKey, name,
                              RowKind::kValueNamed);
        }
      }
    }
  }

  // The uninstall cache keeps one subkey per uninstall entry.
  Registry registry = context.NewRegistry(RootKey::kLocalMachine, KeyAccess::kRead);
  std::unordered_set<std::string> entries;
  if (registry.OpenKey(kUninstallKey, false)) {
    for (const std::string& name : registry.GetKeyNames())
      entries.insert(UpperAscii(name));
  }
  registry.CloseKey();
  if (!registry.OpenKey(kArpCacheKey, false))
    return;
  context.ShowScanKey(kArpCacheKey);
  for (const std::string& name : registry.GetKeyNames()) {
    if (!entries.contains(UpperAscii(name))) {
      context.AddIssueRow(kInstallerProblem, std::string("HKEY_LOCAL_MACHINE\\") + kArpCacheKey,
                          name, RowKind::kSubkeyNamed);
    }
  }
}

}  // namespace kelvane
