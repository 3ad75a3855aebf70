// The repair of the ticked rows: from the last row to the first, in batches, each
// row's registry key or value is appended to the repair's backup file, the file is
// written through to the disk, and only then are the batch's items deleted; shortcut
// files go to the recycle bin without backup; each processed row leaves the list. The
// window answers the questions through RepairPrompts.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "backup/export_writer.h"
#include "results/results_list.h"
#include "results/results_model.h"
#include "scan/categories.h"
#include "platform/platform.h"

namespace kelvane {

// The deletions of a repair, one batch at a time.
class RepairBatches {
 public:
  virtual ~RepairBatches() = default;
  // Backs up and deletes the next batch of ticked rows; false once every ticked row
  // was visited. Errors (BackupError and others) end the repair.
  virtual bool Next() = 0;
  virtual size_t Done() const = 0;   // ticked rows visited so far
  virtual size_t Total() const = 0;  // ticked rows of the repair
};

// What the repair asks of the user.
class RepairPrompts {
 public:
  virtual ~RepairPrompts() = default;
  // The backup folder does not exist: true to create it.
  virtual bool ConfirmCreateBackupFolder(const std::string& folder) = 0;
  // Begins a system restore point; false when the user cancelled the repair.
  virtual bool MakeRestorePoint() = 0;
  // After the last deletion, or once the repair stopped: ends the point begun, or
  // cancels it when the repair changed nothing (`changed` false).
  virtual void EndRestorePoint(bool /*changed*/) {}
  // Between a scan and a repair the registry and the disks change. Scans the
  // categories of the last scan again into `rows`, just before the deletions: kDone
  // when it ran to its end, kStopped when the user stopped it. kSkipped when the
  // repair follows its scan at once (the unattended run) and nothing can have changed.
  enum class Recheck { kSkipped, kDone, kStopped };
  virtual Recheck ScanAgain(std::vector<IssueRow>& rows) = 0;
  // Runs `batches.Next()` until it answers false; a window shows how far the repair
  // is and keeps answering between the batches.
  virtual void RunBatches(RepairBatches& batches) {
    while (batches.Next()) {
    }
  }
  // After the deletions: scans `categories` (those of the last scan that judge a key the
  // repair emptied by what is left in it) again into `rows`. False when the look was
  // stopped or cannot be made.
  virtual bool LookAgain(const std::vector<Category>& /*categories*/,
                         std::vector<IssueRow>& /*rows*/) {
    return false;
  }
  // Whether the entries that look finds broken are repaired at once, in one further
  // pass into the same backup file (the unattended run), instead of being listed
  // ticked for the user.
  virtual bool RepairLeftBroken() const { return false; }
  // The ticked rows were processed: the list and its counts show the rows that remain
  // before the hint appears over them.
  virtual void RowsProcessed() = 0;
  virtual void ShowRepairHint(size_t repairedCount) = 0;
};

// "<folder>\Backup<yyyymmddhhmmss>.reg" from the current local date and time.
std::string MakeBackupFileName(const std::string& folder, SystemInfo& system);
// N with a leading "0" when below 10 ("07"), else plain decimal ("2006").
std::string FormatTwoDigits(int n);

enum class ItemResult {
  kDeleted,
  kNotDeleted,    // missing or unknown root: nothing was written
  kCannotBackUp,  // the item cannot be written to the backup, or its text does not read
                  // back as the registry holds it: left alone
  kRefused,       // backed up, but the registry (or the file system) refused the deletion
};

// Where a repair's time went, in seconds: the registry read and formatted, the backup
// written, read back and compared, written through to the disk, the deletions.
struct RepairTimes {
  double read = 0;
  AppendTimes backup;
  double deletes = 0;
  double look = 0;  // the look at the emptied keys afterwards
  size_t items = 0;
};

// The settings a repair reads, named as in the settings record.
struct RepairSettings {
  std::string OutputDirectory;  // the backup folder; relative to the program's folder
  bool RestorePoint = false;    // a system restore point before the deletions
  bool ShowHint = false;        // the hint after a repair
  // The categories of the scan whose rows are repaired, and the ignore lists it applied:
  // the look at the keys the repair emptied follows both.
  std::vector<Category> Scanned;
  std::vector<std::string> IgnoredValues;
  std::vector<std::string> IgnoredKeys;
};

// How a repair goes through its rows: batches of up to `items` rows, each written
// through to the disk once.
struct RepairBatching {
  size_t items = 1000;
};

// Backs up and deletes registry items, all into one backup file, in batches: Stage
// takes a row into the batch, Commit reads the batch's items from the registry and
// formats their texts, appends them, proves that they read back, has the file written
// to the disk and only then deletes the items.
class RegistryRepairer {
 public:
  RegistryRepairer(Platform& platform, std::string backupFile);
  ~RegistryRepairer();

  // One value (empty name: the default value), as a batch of its own. BackupError when
  // the backup cannot be written; the value is then not deleted.
  ItemResult DeleteRegistryValue(RootKey root, const std::string& path, const std::string& name);

  // Takes the row into the batch; nothing is read, written or deleted yet. False,
  // taking nothing, when the row's item meets one already in the batch (the same value,
  // or a key with an item below it): the batch is committed first, so that the row
  // sees the registry after it.
  bool Stage(const IssueRow& row);
  struct Result {
    ItemResult result = ItemResult::kNotDeleted;
    std::string difference;  // why an item was left alone (kCannotBackUp)
  };
  // Reads the batch's items, backs them up (AppendItemsToDisk) and then deletes those
  // in the file, and recycles its shortcuts: each row's result, in the order staged.
  // The batch is empty afterwards. BackupError, with nothing of the batch deleted, when
  // the file cannot be written or written through to the disk.
  std::vector<Result> Commit();

  const std::string& BackupFile() const { return backupFile_; }
  // Every item is read back from the backup file and compared with the registry
  // before it is deleted; switched off only to measure what that costs.
  void SetVerification(bool on) { verify_ = on; }
  // The keys that lost a value or a subkey to this repairer, as targets.
  const std::vector<RowTarget>& Emptied() const { return emptied_; }
  const RepairTimes& Times() const { return times_; }

  struct Item;  // one row of a batch

 private:
  bool StageTarget(const RowTarget& target);
  void ReadItem(Item& item);
  void BackUp(const std::vector<std::unique_ptr<Item>>& batch);
  ItemResult DeleteItem(Item& item);

  Platform& platform_;
  std::string backupFile_;
  bool verify_ = true;
  std::vector<std::unique_ptr<Item>> batch_;
  std::vector<RowTarget> emptied_;
  RepairTimes times_;
};

// Why a repair ended before it reached the rows, or left them unfinished.
enum class RepairStop {
  kNone,
  kNoBackupFolder,         // the backup folder was missing and was not to be created
  kBackupFailed,           // the backup folder or the backup file could not be written
  kRestorePointCancelled,  // the restore point window was cancelled
  kRecheckStopped,         // the scan before the deletions was stopped: nothing deleted
  kError,                  // any other error
};

struct RepairOutcome {
  size_t repairedCount = 0;    // ticked rows visited
  size_t tickedCount = 0;      // ticked rows when the repair began
  std::string backupFolder;    // where the backup was to go
  std::string backupFile;      // set once the repair reached the rows
  bool backupWritten = false;  // the backup file exists: something was written to it
  bool finished = false;       // every ticked row was visited
  std::string error;           // what ended the repair early, empty otherwise
  RepairStop stop = RepairStop::kNone;
  size_t notBackedUp = 0;         // items left alone because a name cannot be written to the backup
  size_t refused = 0;             // items backed up whose deletion was refused
  size_t removedCount = 0;        // items backed up and deleted (or shortcuts recycled)
  size_t noLongerBroken = 0;      // rows dropped because the scan before the deletions no
                                  // longer reported them: neither backed up nor deleted
  size_t alreadyGone = 0;         // rows whose key, value or file was no longer there
  size_t keptCount = 0;           // ticked rows still in the list when the repair ended
  size_t followUpFound = 0;       // entries the repair left broken, found by its look afterwards
  bool followUpRepaired = false;  // and repaired in a further pass (counted above)
  RepairTimes times;
  std::string stoppedAt;  // the entry the repair stopped at (a stop with an error)
  std::string firstKept;  // the first entry left alone or refused, and why
};

// What the window tells the user when a repair did not remove every ticked entry:
// what stopped it and at which entry, then how the ticked entries went (removed and
// where their backup is, kept because they changed since the scan, already gone, kept
// and why, not reached), the counts adding up to the ticked entries, and the entries
// the repair left broken. Empty for a repair that removed every ticked entry and left
// nothing, and for the user's own answers (no backup folder, a cancelled restore point).
std::string RepairReportText(const RepairOutcome& outcome);

// The note of an unattended run's log line: the report, or for the user's own
// answers what they stopped; empty when the repair removed every ticked entry.
std::string RepairLogNote(const RepairOutcome& outcome);

// The whole repair command over the rows of `results`: the backup folder check, the
// restore point, the rows from last to first, the hint. Any error ends it at once
// (reported in the outcome); rows processed before stay removed, the rest stay.
RepairOutcome RepairTickedRows(Platform& platform, ResultsModel& results,
                               const RepairSettings& settings, RepairPrompts& prompts,
                               const RepairBatching& batching = {});

}  // namespace kelvane
