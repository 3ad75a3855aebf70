// The repair of the ticked rows: from the last row to the first, each row's registry
// key or value is appended to the repair's backup file and then deleted; shortcut
// files are deleted without backup; each processed row leaves the list. The window
// answers the questions through RepairPrompts.
#pragma once

#include <cstddef>
#include <string>

#include "results/results_model.h"
#include "options/settings.h"
#include "platform/platform.h"

namespace kelvane {

// What the repair asks of the user.
class RepairPrompts {
 public:
  virtual ~RepairPrompts() = default;
  // The backup folder does not exist: true to create it.
  virtual bool ConfirmCreateBackupFolder(const std::string& folder) = 0;
  // Creates a system restore point; false when the user cancelled the repair.
  virtual bool MakeRestorePoint() = 0;
  // The ticked rows were processed: the list and its counts show the rows that remain
  // before the hint appears over them.
  virtual void RowsProcessed() = 0;
  virtual void ShowRepairHint(size_t repairedCount) = 0;
};

// "<folder>\Backup<yyyymmddhhmmss>.reg" from the current local date and time.
std::string MakeBackupFileName(const std::string& folder, SystemInfo& system);

enum class ItemResult {
  kDeleted,
  kNotDeleted,    // missing or unknown root: nothing was written
  kCannotBackUp,  // a name of the item cannot be written to the backup: left alone
  kRefused,       // backed up, but the registry (or the file system) refused the deletion
};

// Backs up and deletes registry items, all into one backup file.
class RegistryRepairer {
 public:
  RegistryRepairer(Platform& platform, std::string backupFile)
      : platform_(platform), backupFile_(std::move(backupFile)) {}

  // The key with its whole subtree. BackupError when the backup cannot be written;
  // the key is then not deleted.
  ItemResult DeleteRegistryKey(const std::string& rootName, const std::string& path);
  // One value (empty name: the default value).
  ItemResult DeleteRegistryValue(const std::string& rootName, const std::string& path,
                                 const std::string& name);
  // Removes what the row denotes. The row leaves the list unless the result is
  // kCannotBackUp.
  ItemResult RepairRow(const IssueRow& row);

  const std::string& BackupFile() const { return backupFile_; }

 private:
  Platform& platform_;
  std::string backupFile_;
};

// Why a repair ended before it reached the rows, or left them unfinished.
enum class RepairStop {
  kNone,
  kNoBackupFolder,         // the backup folder was missing and was not to be created
  kBackupFailed,           // the backup folder or the backup file could not be written
  kRestorePointCancelled,  // the restore point window was cancelled
  kError,                  // any other error
};

struct RepairOutcome {
  size_t repairedCount = 0;  // ticked rows visited
  std::string backupFile;    // set once the repair reached the rows
  bool finished = false;     // every ticked row was visited
  std::string error;         // what ended the repair early, empty otherwise
  RepairStop stop = RepairStop::kNone;
  size_t notBackedUp = 0;  // items left alone because a name cannot be written to the backup
  size_t refused = 0;      // items backed up whose deletion was refused
};

// The whole repair command over the rows of `results`: the backup folder check, the
// restore point, the rows from last to first, the hint. Any error ends it at once
// (reported in the outcome); rows processed before stay removed, the rest stay.
RepairOutcome RepairTickedRows(Platform& platform, ResultsModel& results,
                               const TOptionsSetting& settings, RepairPrompts& prompts);

}  // namespace kelvane
