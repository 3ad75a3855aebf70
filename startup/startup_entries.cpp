#include "startup/startup_entries.h"

#include <exception>

#include "backup/export_writer.h"
#include "platform/registry.h"
#include "platform/registry_locations.h"
#include "platform/version_code.h"
#include "scan/registry_views.h"

namespace kelvane {

namespace {

constexpr const char* kCurrentUser = "HKEY_CURRENT_USER";
constexpr const char* kLocalMachine = "HKEY_LOCAL_MACHINE";

bool IsShortcutName(const std::string& name) {
  const size_t dot = name.rfind('.');
  return dot != std::string::npos && UpperAscii(name.substr(dot)) == ".LNK";
}

// "C:\", "C:", "\\server\share\" and anything that does not start with a drive or a
// share: no folder a startup list may come from.
bool IsBelowARoot(const std::string& path) {
  const bool drive = path.size() >= 3 && path[1] == ':' && path[2] == '\\';
  if (drive)
    return path.find_first_not_of('\\', 3) != std::string::npos;
  if (!path.starts_with("\\\\"))
    return false;
  const size_t server = path.find('\\', 2);
  const size_t share = server == std::string::npos ? server : path.find('\\', server + 1);
  return share != std::string::npos && path.find_first_not_of('\\', share) != std::string::npos;
}

}  // namespace

void ListRunKey(RegistryBackend& backend, const std::string& rootName, const std::string& subkey,
                std::vector<StartupEntry>& entries) {
  const std::string upperRoot = UpperAscii(rootName);
  const auto root = RootFromName(upperRoot);
  if (!root)
    return;
  // Read access is all a listing needs; a limited user sees the machine's keys too.
  Registry registry(backend, KeyAccess::kRead);
  registry.SetRoot(*root);
  if (!registry.OpenKey("\\" + subkey, false))
    return;
  // Every value, whatever the script of its name and text: the list shows it as it is,
  // and a deletion backs it up exactly (a Version 5.00 file when it is not ANSI).
  for (const NamedValue& value : registry.GetValues()) {
    if (value.value.type != kRegSz && value.value.type != kRegExpandSz)
      continue;
    StartupEntry entry;
    entry.program = value.name;
    entry.file = value.value.data.substr(0, value.value.data.find('\0'));
    entry.location = upperRoot + "\\" + subkey;
    entry.root = *root;
    entry.subkey = subkey;
    entries.push_back(std::move(entry));
  }
}

std::optional<std::string> GetSpecialFolder(Shell& shell, int folderId) {
  auto folder = shell.SpecialFolder(folderId);
  if (!folder || !IsBelowARoot(*folder))
    return std::nullopt;
  if (folder->back() != '\\')
    *folder += '\\';
  return folder;
}

void ListStartupFolder(Platform& platform, int folderId, const std::string& label,
                       std::vector<StartupEntry>& entries) {
  const auto folder = GetSpecialFolder(platform.shell, folderId);
  if (!folder)
    return;
  for (const FileEntry& file : platform.files.ListFolder(*folder)) {
    if (file.IsFolder() || !IsShortcutName(file.name))
      continue;
    const auto target = platform.shell.ResolveShortcut(*folder + file.name);
    if (!target || target->empty())
      continue;
    StartupEntry entry;
    entry.program = file.name;
    entry.file = *target;
    entry.location = label;
    entry.inFolder = true;
    entry.folderId = folderId;
    entries.push_back(std::move(entry));
  }
}

void ListStartupEntries(Platform& platform, const StartupLabels& labels,
                        std::vector<StartupEntry>& entries) {
  // On 64-bit Windows a machine key comes twice: the 64-bit key, then the 32-bit
  // programs' own below Wow6432Node (unless the two views share it).
  const bool is64Bit = platform.system.Is64BitWindows();
  const auto listMachineKey = [&](const char* subkey) {
    for (const std::string& view :
         KeyViews(platform.registry, is64Bit, RootKey::kLocalMachine, subkey)) {
      ListRunKey(platform.registry, kLocalMachine, view, entries);
    }
  };
  for (const char* subkey : {kRunKey, kPoliciesRunKey, kRunOnceKey}) {
    ListRunKey(platform.registry, kCurrentUser, subkey, entries);
    listMachineKey(subkey);
  }
  if (IsWin9xFamily(GetWindowsVersionCode(platform.system))) {
    ListRunKey(platform.registry, kCurrentUser, kRunServicesKey, entries);
    listMachineKey(kRunServicesKey);
  }
  ListStartupFolder(platform, csidl::kStartup, labels.startup, entries);
  ListStartupFolder(platform, csidl::kCommonStartup, labels.commonStartup, entries);
}

bool StartupRemover::Remove(const StartupEntry& entry) {
  return entry.inFolder ? RemoveShortcut(entry) : RemoveRunValue(entry);
}

bool StartupRemover::RemoveRunValue(const StartupEntry& entry) {
  Registry reader(platform_.registry, KeyAccess::kRead);
  reader.SetRoot(entry.root);
  if (!reader.OpenKey("\\" + entry.subkey, false) || !reader.ValueExists(entry.program))
    return true;  // already gone
  Registry writer(platform_.registry, KeyAccess::kFull);
  writer.SetRoot(entry.root);
  if (!writer.OpenKey("\\" + entry.subkey, false))
    return false;  // no right to change the key: nothing is backed up or deleted
  writer.CloseKey();
  ItemResult result = ItemResult::kNotDeleted;
  try {
    if (!platform_.files.FolderExists(backupFolder_) &&
        !platform_.files.CreateFolders(backupFolder_)) {
      return false;
    }
    // One file for the whole deletion, named when the first value goes into it. The
    // repair's own path: the value is appended, read back and compared with the
    // registry, and deleted only then.
    if (!repairer_)
      repairer_.emplace(platform_, MakeBackupFileName(backupFolder_, platform_.system));
    result = repairer_->DeleteRegistryValue(entry.root, entry.subkey, entry.program);
  } catch (const BackupError&) {
    result = ItemResult::kCannotBackUp;
  }
  if (repairer_ && platform_.files.FileExists(repairer_->BackupFile()))
    backupFile_ = repairer_->BackupFile();
  return result == ItemResult::kDeleted;
}

bool StartupRemover::RemoveShortcut(const StartupEntry& entry) {
  // The file name comes from the folder listing; a name with a separator would reach
  // outside the folder.
  if (entry.program.empty() || entry.program.find_first_of("\\/:") != std::string::npos)
    return false;
  const auto folder = GetSpecialFolder(platform_.shell, entry.folderId);
  if (!folder)
    return false;
  const std::string path = *folder + entry.program;
  if (!platform_.files.FileExists(path))
    return !platform_.files.FolderExists(path);  // already gone
  return platform_.shell.MoveToRecycleBin(path);
}

StartupDeleteOutcome DeleteTickedEntries(Platform& platform, const std::string& backupFolder,
                                         std::vector<StartupEntry>& entries,
                                         const std::vector<bool>& ticked) {
  StartupDeleteOutcome outcome;
  StartupRemover remover(platform, backupFolder);
  for (size_t i = entries.size(); i-- > 0;) {
    if (i >= ticked.size() || !ticked[i])
      continue;
    bool removed = false;
    try {
      removed = remover.Remove(entries[i]);
    } catch (const std::exception&) {
      removed = false;
    }
    if (removed) {
      outcome.removedRows.push_back(i);
      entries.erase(entries.begin() + static_cast<std::ptrdiff_t>(i));
    } else {
      outcome.failed.insert(outcome.failed.begin(), entries[i]);
    }
  }
  outcome.backupFile = remover.BackupFile();
  return outcome;
}

std::string FailedEntriesText(const std::string& heading, const std::vector<StartupEntry>& failed) {
  std::string text = heading;
  for (const StartupEntry& entry : failed) {
    text += "\n";
    text += entry.program.empty() ? "(Default)" : entry.program;
    text += " (" + entry.location + ")";
  }
  return text;
}

}  // namespace kelvane
