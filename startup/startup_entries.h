// The programs Windows starts at log-on, as the startup manager lists them: string
// values of the run keys and shortcuts of the two startup folders, and their removal.
// A removed registry entry is first written to a backup file in the backup folder, so
// "Regedit /s" puts it back; a removed shortcut goes to the recycle bin.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "backup/repair.h"
#include "platform/platform.h"

namespace kelvane {

// One row of the startup manager.
struct StartupEntry {
  std::string program;   // "Startup Program": value name, or shortcut file name with ".lnk"
  std::string file;      // "File": value data as stored, or the shortcut's target
  std::string location;  // "Location": key path text, or the startup folder's label
  // Where the entry lives: a run key (root and subkey) or a startup folder (its id).
  bool inFolder = false;
  RootKey root = RootKey::kCurrentUser;
  std::string subkey;
  int folderId = 0;
  bool operator==(const StartupEntry&) const = default;
};

// The labels of the two startup folders' rows (string-table texts).
struct StartupLabels {
  std::string startup = "Startup";
  std::string commonStartup = "Common Startup";
};

// Every source in order: the Run, Policies\Explorer\Run and RunOnce keys of the user
// and the machine, the RunServices keys on the Windows 95/98/Me family only, then the
// user's and the all-users startup folder. On 64-bit Windows each machine key is
// followed by its 32-bit twin below Wow6432Node, where 32-bit programs register, unless
// the views share the key. Keys are read with read access only.
// Raises when shortcuts cannot be read at all (no shell link object); the rows listed
// before stay in `entries`.
void ListStartupEntries(Platform& platform, const StartupLabels& labels,
                        std::vector<StartupEntry>& entries);

// Appends a row per string or expandable-string value of the key, data unexpanded,
// names and data in any script.
// A root name that names no root, or a key that does not open, lists nothing.
void ListRunKey(RegistryBackend& registry, const std::string& rootName, const std::string& subkey,
                std::vector<StartupEntry>& entries);

// Appends a row per shortcut (".lnk" in any letter case) of the folder whose target
// resolves; subfolders are not searched. A folder that cannot be found lists nothing.
void ListStartupFolder(Platform& platform, int folderId, const std::string& label,
                       std::vector<StartupEntry>& entries);

// The special folder's path with a trailing separator. Nothing when the shell does not
// know it or gives something other than a folder below a drive or share root: listing
// or deleting "*.lnk" in the root of a drive is never meant.
std::optional<std::string> GetSpecialFolder(Shell& shell, int folderId);

// Removes startup entries; registry values go to one backup file, named from the date
// and time when the first value is backed up, in `backupFolder` (created if missing).
class StartupRemover {
 public:
  StartupRemover(Platform& platform, std::string backupFolder)
      : platform_(platform), backupFolder_(std::move(backupFolder)) {}

  // True when the entry is gone: removed now, or no longer there. False when it stays
  // (no access, the backup could not be written, the file could not be moved).
  bool Remove(const StartupEntry& entry);
  // The backup file written so far; empty while no value was backed up.
  const std::string& BackupFile() const { return backupFile_; }

 private:
  bool RemoveRunValue(const StartupEntry& entry);
  bool RemoveShortcut(const StartupEntry& entry);

  Platform& platform_;
  std::string backupFolder_;
  std::optional<RegistryRepairer> repairer_;  // made with the first backup
  std::string backupFile_;                    // set once something was written to it
};

struct StartupDeleteOutcome {
  std::vector<size_t> removedRows;   // indices as they were, highest first
  std::vector<StartupEntry> failed;  // ticked entries that stay, first row first
  std::string backupFile;            // empty when no registry entry was backed up
};

// Removes the ticked entries from the last row to the first. Removed entries leave
// `entries`; ones that could not be removed stay, and are reported.
StartupDeleteOutcome DeleteTickedEntries(Platform& platform, const std::string& backupFolder,
                                         std::vector<StartupEntry>& entries,
                                         const std::vector<bool>& ticked);

// The message for entries that could not be deleted: the heading, then a line per
// entry with its name ("(Default)" for a default value) and location.
std::string FailedEntriesText(const std::string& heading, const std::vector<StartupEntry>& failed);

}  // namespace kelvane
