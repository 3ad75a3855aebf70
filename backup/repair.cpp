#include "backup/repair.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <exception>
#include <stdexcept>
#include <system_error>
#include <thread>
#include <unordered_set>

#include "backup/export_writer.h"
#include "options/settings.h"
#include "platform/version_code.h"
#include "results/results_list.h"

namespace kelvane {

namespace {

// "1 entry was", "2 entries were".
std::string EntriesWere(size_t n) {
  return std::to_string(n) + (n == 1 ? " entry was" : " entries were");
}

// The report's first line: what ended the repair, or that it is done; `counts` false
// when that line is the whole report. Nothing when there is nothing to report.
std::optional<std::string> ReportHeadline(const RepairOutcome& outcome, bool& counts) {
  counts = true;
  switch (outcome.stop) {
    case RepairStop::kNone:
      if (outcome.notBackedUp == 0 && outcome.refused == 0 && outcome.noLongerBroken == 0 &&
          outcome.alreadyGone == 0 && outcome.followUpFound == 0)
        return std::nullopt;
      return outcome.notBackedUp + outcome.refused > 0
                 ? "The repair did not remove every ticked entry."
                 : "The repair is done.";
    case RepairStop::kNoBackupFolder:
      counts = false;
      if (outcome.error.empty())
        return std::nullopt;  // the user's own answer
      return "The repair stopped:\r\n" + outcome.error + ".\r\n\r\nNothing was removed.";
    case RepairStop::kRestorePointCancelled:
      return std::nullopt;  // the user's own answer
    case RepairStop::kRecheckStopped:
      counts = false;
      return "The repair was stopped while the ticked entries were checked again. Nothing was "
             "removed.";
    case RepairStop::kBackupFailed:
    case RepairStop::kError:
      break;
  }
  std::string text = "The repair stopped";
  if (!outcome.stoppedAt.empty())
    text += " at " + outcome.stoppedAt;
  text += ":\r\n" + outcome.error;
  if (text.back() != '.')
    text += '.';
  return text;
}

// How the ticked entries went, each counted once: removed, changed, gone, kept or
// refused (each with its cause), stopped at, or not reached; a line each.
std::string AccountLines(const RepairOutcome& outcome) {
  const size_t stoppedAt = outcome.stoppedAt.empty() ? 0 : 1;
  const size_t left = outcome.keptCount - std::min(outcome.keptCount, outcome.notBackedUp);
  const size_t notReached = left - std::min(left, stoppedAt);
  std::string text = "Of the " + std::to_string(outcome.tickedCount) + " ticked " +
                     (outcome.tickedCount == 1 ? "entry" : "entries") + ":\r\n";
  text += EntriesWere(outcome.removedCount) + " removed";
  if (outcome.backupWritten)
    text += "; the backup is " + outcome.backupFile;
  text += ".\r\n";
  if (outcome.noLongerBroken > 0) {
    const bool one = outcome.noLongerBroken == 1;
    text += EntriesWere(outcome.noLongerBroken) + " kept because " + (one ? "it" : "they") +
            " changed since the scan; a new scan shows " +
            (one ? "it as it is" : "them as they are") + " now.\r\n";
  }
  if (outcome.alreadyGone > 0)
    text += EntriesWere(outcome.alreadyGone) + " already gone.\r\n";
  if (outcome.notBackedUp > 0) {
    text += EntriesWere(outcome.notBackedUp) + " kept: the backup file could not hold " +
            (outcome.notBackedUp == 1 ? "it" : "them") + " exactly.\r\n";
  }
  if (outcome.refused > 0) {
    text += EntriesWere(outcome.refused) + " backed up, but Windows refused to delete " +
            (outcome.refused == 1 ? "it; it is" : "them; they are") + " still in the registry.\r\n";
  }
  if (!outcome.firstKept.empty())
    text += "First: " + outcome.firstKept + "\r\n";
  if (stoppedAt > 0)
    text += "1 entry was kept where the repair stopped.\r\n";
  if (notReached > 0)
    text += EntriesWere(notReached) + " kept: the repair did not reach " +
            (notReached == 1 ? "it" : "them") + ".\r\n";
  return text;
}

// The entries the repair left broken by emptying their keys; nothing when none.
std::string LeftBrokenLines(const RepairOutcome& outcome) {
  if (outcome.followUpFound == 0)
    return {};
  const bool one = outcome.followUpFound == 1;
  std::string text = "\r\nThe repair left " + std::to_string(outcome.followUpFound) +
                     (one ? " entry that is" : " entries that are") +
                     " now broken (keys it emptied); ";
  text += outcome.followUpRepaired ? std::string("a further pass took ") + (one ? "it" : "them") +
                                         " in turn, counted above.\r\n"
                                   : std::string(one ? "it is" : "they are") +
                                         " listed and ticked and can be repaired in turn.\r\n";
  return text;
}

}  // namespace

std::string RepairReportText(const RepairOutcome& outcome) {
  bool counts = true;
  const std::optional<std::string> headline = ReportHeadline(outcome, counts);
  if (!headline || !counts)
    return headline.value_or("");
  std::string text = *headline + "\r\n\r\n" + AccountLines(outcome) + LeftBrokenLines(outcome);
  text.resize(text.size() - 2);  // the last line break
  return text;
}

std::string RepairLogNote(const RepairOutcome& outcome) {
  if (outcome.stop == RepairStop::kNoBackupFolder && outcome.error.empty())
    return "No backup folder (" + outcome.backupFolder + "): nothing was removed.";
  if (outcome.stop == RepairStop::kRestorePointCancelled)
    return "The restore point was cancelled: nothing was removed.";
  return RepairReportText(outcome);
}

std::string FormatTwoDigits(int n) {
  std::string text = std::to_string(n);
  if (n < 10)
    text.insert(0, 1, '0');
  return text;
}

std::string MakeBackupFileName(const std::string& folder, SystemInfo& system) {
  const LocalTime now = system.Now();
  std::string path = folder;
  if (path.empty() || path.back() != '\\')
    path += '\\';
  return path + "Backup" + std::to_string(now.year) + FormatTwoDigits(now.month) +
         FormatTwoDigits(now.day) + FormatTwoDigits(now.hour) + FormatTwoDigits(now.minute) +
         FormatTwoDigits(now.second) + ".reg";
}

// One row of a batch. A row whose result is known when it is staged (nothing there,
// no backup possible) is settled; the others wait for the commit.
struct RegistryRepairer::Item {
  enum class Kind { kSettled, kKey, kValue, kFile };
  Kind kind = Kind::kSettled;
  ItemResult result = ItemResult::kNotDeleted;  // of a settled row
  std::string difference;
  RootKey root = RootKey::kCurrentUser;
  std::string path;             // below the root, as the row gives it; the shortcut's path
  std::string upperPath;        // without outer separators, upper case: to find items that meet
  std::string name;             // the value's name
  std::optional<Registry> key;  // the value's key, open from its reading to its deletion
  std::optional<FormattedItem> text;
};

namespace {

using Item = RegistryRepairer::Item;

// Settles an item that is not to be deleted: it cannot be backed up, for `why`.
void LeaveAlone(Item& item, std::string why) {
  item.kind = Item::Kind::kSettled;
  item.result = ItemResult::kCannotBackUp;
  item.difference = std::move(why);
  item.key.reset();
}

// The key that held a deleted item: the value's own key, the key's parent.
RowTarget HoldingKey(const Item& item) {
  if (item.kind == Item::Kind::kValue)
    return KeyTarget(item.root, item.path);
  const size_t cut = item.path.find_last_of('\\');
  return KeyTarget(item.root, item.path.substr(0, cut == std::string::npos ? 0 : cut));
}

double SecondsSince(std::chrono::steady_clock::time_point from) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - from).count();
}

// Whether `path` is the key `key` or lies below it.
bool AtOrBelow(const std::string& path, const std::string& key) {
  return path.compare(0, key.size(), key) == 0 &&
         (path.size() == key.size() || key.empty() || path[key.size()] == '\\');
}

// Whether deleting one of the two items changes what the other one reads: the same
// value or shortcut, or a key and anything at or below it.
bool Meet(const Item& a, const Item& b) {
  using Kind = Item::Kind;
  if (a.kind == Kind::kSettled || b.kind == Kind::kSettled)
    return false;
  if ((a.kind == Kind::kFile) != (b.kind == Kind::kFile))
    return false;
  if (a.kind == Kind::kFile)
    return a.upperPath == b.upperPath;
  if (a.root != b.root)
    return false;
  if (a.kind == Kind::kValue && b.kind == Kind::kValue)
    return a.upperPath == b.upperPath && EqualsNoCase(a.name, b.name);
  return (a.kind == Kind::kKey && AtOrBelow(b.upperPath, a.upperPath)) ||
         (b.kind == Kind::kKey && AtOrBelow(a.upperPath, b.upperPath));
}

// Calls `work` for every item of `batch`, this thread and a second one taking the
// next item in turn; an exception of either ends the rest and is thrown here. Registry
// calls are round trips: a second caller keeps the registry busy while the first one
// waits.
template <typename Work>
void ForEachOnTwoThreads(const std::vector<std::unique_ptr<Item>>& batch, Work work) {
  std::atomic<size_t> next{0};
  std::atomic<bool> failed{false};
  std::exception_ptr failure[2];
  const auto run = [&](int side) {
    try {
      for (size_t i; !failed.load() && (i = next.fetch_add(1)) < batch.size();)
        work(*batch[i]);
    } catch (...) {
      failure[side] = std::current_exception();
      failed.store(true);
    }
  };
  std::thread second;
  if (batch.size() > 1) {
    try {
      second = std::thread(run, 1);
    } catch (const std::system_error&) {
      // No second thread: this one does it all.
    }
  }
  run(0);
  if (second.joinable())
    second.join();
  for (const std::exception_ptr& thrown : failure) {
    if (thrown)
      std::rethrow_exception(thrown);
  }
}

}  // namespace

RegistryRepairer::RegistryRepairer(Platform& platform, std::string backupFile)
    : platform_(platform), backupFile_(std::move(backupFile)) {}

RegistryRepairer::~RegistryRepairer() = default;

bool RegistryRepairer::Stage(const IssueRow& row) {
  return StageTarget(row.target);
}

bool RegistryRepairer::StageTarget(const RowTarget& target) {
  auto item = std::make_unique<Item>();
  switch (target.kind) {
    case TargetKind::kKey:
    case TargetKind::kValue: {
      const bool key = target.kind == TargetKind::kKey;
      // A path of separators only names the root itself, which a repair never removes.
      if (key && MatchPath(target.keyPath).empty())
        break;
      item->kind = key ? Item::Kind::kKey : Item::Kind::kValue;
      item->root = target.root;
      item->path = target.keyPath;
      item->upperPath = MatchPath(target.keyPath);
      item->name = target.valueName;
      break;
    }
    case TargetKind::kFile:
      // A shortcut goes to the recycle bin, which is its way back (it has no place in a
      // registry backup).
      item->kind = Item::Kind::kFile;
      item->path = target.file;
      item->upperPath = UpperAscii(target.file);
      break;
    case TargetKind::kNoSubkey:
      break;  // the path would name the parent key itself: nothing is deleted
    case TargetKind::kNone:
      item->result = ItemResult::kCannotBackUp;  // nothing to act on: the row stays
      break;
  }
  for (const auto& staged : batch_) {
    if (Meet(*staged, *item))
      return false;
  }
  batch_.push_back(std::move(item));
  return true;
}

void RegistryRepairer::ReadItem(Item& item) {
  if (item.kind == Item::Kind::kKey) {
    Registry registry(platform_.registry);
    registry.SetRoot(item.root);
    if (!registry.KeyExists("\\" + item.path)) {
      item.kind = Item::Kind::kSettled;
      return;
    }
    item.text =
        FormatRegistryItem(platform_.registry, item.root, item.path, "", ExportScope::kWholeKey);
  } else if (item.kind == Item::Kind::kValue) {
    // One open of the key serves the reading and, after the backup, the deletion.
    item.key.emplace(platform_.registry);
    item.key->SetRoot(item.root);
    const std::optional<RegValue> value =
        item.key->OpenKey("\\" + item.path, false) ? item.key->ReadRaw(item.name) : std::nullopt;
    if (!value) {
      item.kind = Item::Kind::kSettled;
      item.key.reset();
      return;
    }
    item.text = FormatValueItem(item.root, item.path, item.name, value);
  } else {
    return;
  }
  if (!item.text)
    LeaveAlone(item, "a name in it holds a line break, which no backup file can carry");
}

ItemResult RegistryRepairer::DeleteItem(Item& item) {
  if (item.kind == Item::Kind::kValue) {
    if (item.key->DeleteValue(item.name))
      return ItemResult::kDeleted;
    return item.key->ValueExists(item.name) ? ItemResult::kRefused : ItemResult::kDeleted;
  }
  Registry registry(platform_.registry);
  registry.SetRoot(item.root);
  if (registry.DeleteKey("\\" + item.path))
    return ItemResult::kDeleted;
  // Refused only when it is still there: a key shared by both registry views may
  // already have gone with an earlier row.
  return registry.KeyExists("\\" + item.path) ? ItemResult::kRefused : ItemResult::kDeleted;
}

void RegistryRepairer::BackUp(const std::vector<std::unique_ptr<Item>>& batch) {
  std::vector<const FormattedItem*> texts;
  for (const auto& item : batch) {
    if (item->text)
      texts.push_back(&*item->text);
  }
  // No deletion before every item it covers is in the file on the disk.
  const std::vector<std::optional<std::string>> left =
      AppendItemsToDisk(platform_.files, backupFile_, texts, verify_, &times_.backup);
  size_t next = 0;
  for (const auto& item : batch) {
    if (!item->text)
      continue;
    if (const auto& difference = left[next++])
      LeaveAlone(*item, *difference);
  }
}

std::vector<RegistryRepairer::Result> RegistryRepairer::Commit() {
  // Taken out first: whatever happens, the next batch starts empty.
  std::vector<std::unique_ptr<Item>> batch = std::move(batch_);
  batch_.clear();
  auto start = std::chrono::steady_clock::now();
  // The items of a batch do not meet, so two threads may read them.
  ForEachOnTwoThreads(batch, [this](Item& item) { ReadItem(item); });
  times_.read += SecondsSince(start);
  times_.items += batch.size();
  BackUp(batch);
  start = std::chrono::steady_clock::now();
  // Values are deleted on two threads too; keys after them, in order, on this one: a
  // key that both registry views show may be named by two items, and the second must
  // see the first one's deletion whole.
  ForEachOnTwoThreads(batch, [this](Item& item) {
    if (item.kind == Item::Kind::kValue) {
      item.result = DeleteItem(item);
      item.key.reset();
    }
  });
  for (const auto& item : batch) {
    if (item->kind == Item::Kind::kKey)
      item->result = DeleteItem(*item);
    if ((item->kind == Item::Kind::kKey || item->kind == Item::Kind::kValue) &&
        item->result == ItemResult::kDeleted)
      emptied_.push_back(HoldingKey(*item));
  }
  times_.deletes += SecondsSince(start);
  std::vector<Result> results;
  for (const auto& item : batch) {
    if (item->kind == Item::Kind::kFile && platform_.files.FileExists(item->path)) {
      // Only an existing file: the shell's delete would also take a folder or a pattern.
      item->result = platform_.shell.MoveToRecycleBin(item->path) ? ItemResult::kDeleted
                                                                  : ItemResult::kRefused;
    }
    results.push_back(Result{item->result, item->difference});
  }
  return results;
}

ItemResult RegistryRepairer::DeleteRegistryValue(RootKey root, const std::string& path,
                                                 const std::string& name) {
  batch_.clear();
  StageTarget(ValueTarget(root, path, name));
  return Commit().front().result;
}

namespace {

// The rows of `again` (a scan made after a repair) that stand for a key at or above
// one the repair emptied, and that `listed` does not hold already: the entries the
// repair left broken. Ticked.
std::vector<IssueRow> RowsLeftBroken(const std::vector<RowTarget>& emptied,
                                     std::vector<IssueRow> again,
                                     const std::vector<IssueRow>& listed) {
  std::unordered_set<std::string> keys;
  for (const RowTarget& key : emptied)
    keys.insert(std::to_string(static_cast<int>(key.root)) + '\n' + MatchPath(key.keyPath));
  std::unordered_set<std::string> known;
  for (const IssueRow& row : listed)
    known.insert(TargetIdentity(row.target));
  std::vector<IssueRow> broken;
  for (IssueRow& row : again) {
    const RowTarget& target = row.target;
    if (target.kind != TargetKind::kKey && target.kind != TargetKind::kValue)
      continue;
    if (!known.insert(TargetIdentity(target)).second)
      continue;
    const std::string root = std::to_string(static_cast<int>(target.root)) + '\n';
    const std::string path = MatchPath(target.keyPath);
    const bool above = std::any_of(keys.begin(), keys.end(), [&](const std::string& key) {
      return key.starts_with(root) && AtOrBelow(key.substr(root.size()), path);
    });
    if (above) {
      row.ticked = true;
      broken.push_back(std::move(row));
    }
  }
  return broken;
}

// The ticked rows from the last to the first, a batch per Next.
class TickedRowBatches : public RepairBatches {
 public:
  TickedRowBatches(ResultsModel& results, RegistryRepairer& repairer, RepairOutcome& outcome,
                   const RepairBatching& batching)
      : results_(results),
        repairer_(repairer),
        outcome_(outcome),
        batching_(batching),
        cursor_(results.Count()),
        total_(results.TickedCount()) {}

  bool Next() override {
    std::vector<Row> rows;
    while (cursor_ > 0 && rows.size() < batching_.items) {
      const IssueRow row = results_.Row(cursor_ - 1);
      if (!row.ticked) {
        --cursor_;
        continue;
      }
      if (!repairer_.Stage(row))
        break;  // it meets an item of this batch: the next batch takes it
      rows.push_back(Row{--cursor_, row.key});
    }
    outcome_.repairedCount += rows.size();
    done_ += rows.size();
    Commit(rows);
    return cursor_ > 0;
  }
  size_t Done() const override { return done_; }
  size_t Total() const override { return total_; }
  bool Finished() const { return cursor_ == 0; }

 private:
  struct Row {
    size_t index;
    std::string key;
  };

  void Commit(const std::vector<Row>& rows) {
    if (rows.empty())
      return;
    std::vector<RegistryRepairer::Result> results;
    try {
      results = repairer_.Commit();
    } catch (...) {
      outcome_.stoppedAt = rows.front().key;  // the batch's rows stay in the list
      throw;
    }
    // The rows' indices fall, so each removal leaves the indices still to come alone.
    for (size_t k = 0; k < rows.size(); ++k) {
      const ItemResult result = results[k].result;
      if ((result == ItemResult::kCannotBackUp || result == ItemResult::kRefused) &&
          outcome_.firstKept.empty()) {
        outcome_.firstKept =
            rows[k].key + (result == ItemResult::kRefused ? ": Windows refused to delete it"
                                                          : ": " + results[k].difference);
      }
      if (result == ItemResult::kCannotBackUp) {
        ++outcome_.notBackedUp;
        continue;
      }
      if (result == ItemResult::kRefused)
        ++outcome_.refused;
      else if (result == ItemResult::kDeleted)
        ++outcome_.removedCount;
      else
        ++outcome_.alreadyGone;
      results_.Remove(rows[k].index);
    }
  }

  ResultsModel& results_;
  RegistryRepairer& repairer_;
  RepairOutcome& outcome_;
  RepairBatching batching_;
  size_t cursor_;  // rows below this index are still to visit
  size_t total_;
  size_t done_ = 0;
};

// The backup folder of the settings, created when it is missing and the user agrees:
// false, with the outcome's stop set, when the repair cannot go on.
bool EnsureBackupFolder(Platform& platform, const RepairSettings& settings, RepairPrompts& prompts,
                        RepairOutcome& outcome) {
  const std::string folder =
      ResolveFolder(settings.OutputDirectory, platform.shell.ExecutableFolder());
  outcome.backupFolder = folder;
  if (platform.files.FolderExists(folder))
    return true;
  if (prompts.ConfirmCreateBackupFolder(folder)) {
    if (platform.files.CreateFolders(folder))
      return true;
    // Without the folder nothing is repaired, as when the user said no.
    outcome.error = "Cannot create " + folder;
  }
  outcome.stop = RepairStop::kNoBackupFolder;
  return false;
}

// Between a scan and a repair the registry and the disks change: the rows the scan
// made just before the deletions no longer reports are dropped. False when the user
// stopped that scan.
bool RecheckRows(ResultsModel& results, RepairPrompts& prompts, RepairOutcome& outcome) {
  std::vector<IssueRow> current;
  switch (prompts.ScanAgain(current)) {
    case RepairPrompts::Recheck::kStopped:
      outcome.stop = RepairStop::kRecheckStopped;
      return false;
    case RepairPrompts::Recheck::kDone:
      outcome.noLongerBroken = DropRowsNoLongerReported(results, current);
      break;
    case RepairPrompts::Recheck::kSkipped:
      break;
  }
  return true;
}

// Every ticked row of `results`, batch by batch; false when they ended before the first.
bool RepairPass(ResultsModel& results, RegistryRepairer& repairer, RepairOutcome& outcome,
                const RepairBatching& batching, RepairPrompts& prompts) {
  TickedRowBatches batches(results, repairer, outcome, batching);
  prompts.RunBatches(batches);
  return batches.Finished();
}

// A key the repair emptied may now be broken by another category's rule: one look, and
// at most one further pass. The number of rows the look added to the list instead.
size_t RepairWhatItLeftBroken(ResultsModel& results, RegistryRepairer& repairer,
                              RepairOutcome& outcome, const RepairSettings& settings,
                              const RepairBatching& batching, RepairPrompts& prompts) {
  const auto lookStart = std::chrono::steady_clock::now();
  const std::vector<Category> judging =
      repairer.Emptied().empty() ? std::vector<Category>{}
                                 : CategoriesJudgingEmptyKeys(settings.Scanned, repairer.Emptied());
  std::vector<IssueRow> rows;
  const bool looked = !judging.empty() && prompts.LookAgain(judging, rows);
  ResultsModel again;
  again.AppendBatch(std::move(rows));
  ApplyIgnoreLists(again, IgnoreLists{settings.IgnoredValues, settings.IgnoredKeys});
  outcome.times.look = SecondsSince(lookStart);
  if (!looked)
    return 0;
  std::vector<IssueRow> broken = RowsLeftBroken(repairer.Emptied(), again.Rows(), results.Rows());
  outcome.followUpFound = broken.size();
  if (broken.empty() || !prompts.RepairLeftBroken()) {
    results.AppendBatch(std::move(broken));
    return outcome.followUpFound;
  }
  ResultsModel further;
  further.AppendBatch(std::move(broken));
  outcome.tickedCount += further.Count();
  outcome.followUpRepaired = true;
  const bool finished = RepairPass(further, repairer, outcome, batching, prompts);
  // What it could not take stays listed with the rest.
  results.AppendBatch(further.Rows());
  if (!finished)
    throw std::runtime_error("The repair was interrupted.");
  return 0;
}

// Runs `body`; an error it throws ends the repair, said in the outcome.
template <class Body>
void StopOnError(RepairOutcome& outcome, Body&& body) {
  try {
    body();
  } catch (const BackupError& e) {
    outcome.error = e.what();
    outcome.stop = RepairStop::kBackupFailed;
  } catch (const std::exception& e) {
    outcome.error = e.what();
    outcome.stop = RepairStop::kError;
  } catch (...) {
    outcome.error = "unknown error";
    outcome.stop = RepairStop::kError;
  }
}

}  // namespace

RepairOutcome RepairTickedRows(Platform& platform, ResultsModel& results,
                               const RepairSettings& settings, RepairPrompts& prompts,
                               const RepairBatching& batching) {
  RepairOutcome outcome;
  bool restorePoint = false;  // begun
  bool early = false;         // ended before the rows, by the user or for want of a folder
  size_t listedLeftBroken = 0;
  StopOnError(outcome, [&] {
    outcome.tickedCount = results.TickedCount();
    early = !EnsureBackupFolder(platform, settings, prompts, outcome) || results.Count() == 0;
    if (!early && settings.RestorePoint && HasSystemRestore(platform.system)) {
      early = !prompts.MakeRestorePoint();
      if (early)
        outcome.stop = RepairStop::kRestorePointCancelled;
      restorePoint = !early;
    }
    early = early || !RecheckRows(results, prompts, outcome);
    if (early)
      return;
    RegistryRepairer repairer(platform, MakeBackupFileName(outcome.backupFolder, platform.system));
    outcome.backupFile = repairer.BackupFile();
    if (!RepairPass(results, repairer, outcome, batching, prompts))
      throw std::runtime_error("The repair was interrupted.");
    listedLeftBroken =
        RepairWhatItLeftBroken(results, repairer, outcome, settings, batching, prompts);
    outcome.finished = true;
    const double look = outcome.times.look;
    outcome.times = repairer.Times();
    outcome.times.look = look;
  });
  if (restorePoint)
    prompts.EndRestorePoint(outcome.removedCount > 0);
  if (early)
    return outcome;
  // The entries listed as left broken are new rows, not ticked rows the repair kept.
  outcome.keptCount = results.TickedCount() - listedLeftBroken;
  outcome.backupWritten =
      !outcome.backupFile.empty() && platform.files.FileExists(outcome.backupFile);
  if (!outcome.finished)
    return outcome;
  prompts.RowsProcessed();
  if (settings.ShowHint)
    prompts.ShowRepairHint(outcome.repairedCount);
  return outcome;
}

}  // namespace kelvane
