#include "backup/repair.h"

#include <algorithm>
#include <exception>

#include "backup/backup_file.h"
#include "backup/export_writer.h"
#include "platform/version_code.h"
#include "results/results_list.h"
#include "results/row_target.h"

namespace kelvane {

namespace {

constexpr uint32_t kWindowsXp = 9;

// A path of separators only names the root itself, which a repair never removes.
bool NamesRoot(const std::string& path) {
  return path.find_first_not_of('\\') == std::string::npos;
}

// "1 entry was", "2 entries were".
std::string EntriesWere(size_t n) {
  return std::to_string(n) + (n == 1 ? " entry was" : " entries were");
}

}  // namespace

std::string RepairReportText(const RepairOutcome& outcome) {
  std::string text;
  switch (outcome.stop) {
    case RepairStop::kNone:
      if (outcome.notBackedUp == 0 && outcome.refused == 0)
        return {};
      text = "The repair did not remove every ticked entry.";
      break;
    case RepairStop::kNoBackupFolder:
      if (outcome.error.empty())
        return {};  // the user's own answer
      return "The repair stopped:\r\n" + outcome.error + ".\r\n\r\nNothing was removed.";
    case RepairStop::kRestorePointCancelled:
      return {};  // the user's own answer
    case RepairStop::kRecheckStopped:
      return "The repair was stopped while the ticked entries were checked again. Nothing was "
             "removed.";
    case RepairStop::kBackupFailed:
    case RepairStop::kError:
      text = "The repair stopped";
      if (!outcome.stoppedAt.empty())
        text += " at " + outcome.stoppedAt;
      text += ":\r\n" + outcome.error;
      if (!text.empty() && text.back() != '.')
        text += '.';
      break;
  }
  text += "\r\n\r\n";
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
  text += EntriesWere(outcome.removedCount) + " removed";
  if (!outcome.backupFile.empty() && outcome.removedCount + outcome.refused > 0)
    text += "; the backup is " + outcome.backupFile;
  text += ".";
  // The rows left alone are counted above; the others were never reached.
  const size_t others = outcome.keptCount - std::min(outcome.keptCount, outcome.notBackedUp);
  if (others > 0) {
    text += "\r\nThe " + std::to_string(others) + " other ticked " +
            (others == 1 ? "entry was" : "entries were") + " kept.";
  }
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

bool RegistryRepairer::BackUpItem(RootKey root, const std::string& path,
                                  const std::string& valueName, ExportScope scope) {
  const std::optional<AppendedItem> item = AppendRegistryItem(
      platform_.files, platform_.registry, backupFile_, root, path, valueName, scope, verify_);
  if (!item) {
    lastDifference_ =
        "a name or text in it has no exact form in a backup file (a line break, or a character "
        "the ANSI code page lacks)";
    return false;
  }
  if (!verify_)
    return true;
  const std::optional<std::string> difference =
      VerifyAppendedItem(platform_.files, backupFile_, *item);
  if (!difference)
    return true;
  lastDifference_ = *difference;
  // A restore of the file would write the unproven text over the item that stays.
  if (!RemoveAppendedItem(platform_.files, backupFile_, *item))
    throw BackupError("Cannot take an unverified item out of " + backupFile_);
  return false;
}

ItemResult RegistryRepairer::DeleteRegistryKey(const std::string& rootName,
                                               const std::string& path) {
  const auto root = RootFromName(rootName);
  if (!root || NamesRoot(path))
    return ItemResult::kNotDeleted;
  Registry registry(platform_.registry);
  registry.SetRoot(*root);
  if (!registry.KeyExists("\\" + path))
    return ItemResult::kNotDeleted;
  if (!BackUpItem(*root, path, "", ExportScope::kWholeKey))
    return ItemResult::kCannotBackUp;
  if (registry.DeleteKey("\\" + path))
    return ItemResult::kDeleted;
  // Refused only when it is still there: a key shared by both registry views may
  // already have gone with an earlier row.
  return registry.KeyExists("\\" + path) ? ItemResult::kRefused : ItemResult::kDeleted;
}

ItemResult RegistryRepairer::DeleteRegistryValue(const std::string& rootName,
                                                 const std::string& path, const std::string& name) {
  const auto root = RootFromName(rootName);
  if (!root)
    return ItemResult::kNotDeleted;
  Registry registry(platform_.registry);
  registry.SetRoot(*root);
  if (!registry.OpenKey("\\" + path, false) || !registry.ValueExists(name)) {
    return ItemResult::kNotDeleted;
  }
  if (!BackUpItem(*root, path, name, ExportScope::kSingleValue))
    return ItemResult::kCannotBackUp;
  if (registry.DeleteValue(name))
    return ItemResult::kDeleted;
  return registry.ValueExists(name) ? ItemResult::kRefused : ItemResult::kDeleted;
}

ItemResult RegistryRepairer::RepairRow(const IssueRow& row) {
  const RowTarget target = ResolveRow(row);
  ItemResult result = ItemResult::kNotDeleted;
  switch (target.kind) {
    case TargetKind::kKey:
      result = DeleteRegistryKey(target.rootName, target.keyPath);
      break;
    case TargetKind::kValue:
      result = DeleteRegistryValue(target.rootName, target.keyPath, target.valueName);
      break;
    case TargetKind::kFile:
      // A shortcut goes to the recycle bin, which is its way back (it has no place in a
      // registry backup). Only an existing file: the shell's delete would also take a
      // folder or a pattern.
      if (platform_.files.FileExists(target.file)) {
        result = platform_.shell.MoveToRecycleBin(target.file) ? ItemResult::kDeleted
                                                               : ItemResult::kRefused;
      }
      break;
    case TargetKind::kNoSubkey:
      break;  // the path would name the parent key itself: nothing is deleted
    case TargetKind::kNone:
      return ItemResult::kCannotBackUp;  // no root to resolve: the row stays
  }
  return result;
}

RepairOutcome RepairTickedRows(Platform& platform, ResultsModel& results,
                               const TOptionsSetting& settings, RepairPrompts& prompts) {
  RepairOutcome outcome;
  try {
    const std::string folder =
        ResolveFolder(settings.OutputDirectory, platform.shell.ExecutableFolder());
    if (!platform.files.FolderExists(folder)) {
      if (!prompts.ConfirmCreateBackupFolder(folder)) {
        outcome.stop = RepairStop::kNoBackupFolder;
        return outcome;
      }
      if (!platform.files.CreateFolders(folder)) {
        // Without the folder nothing is repaired, as when the user said no.
        outcome.error = "Cannot create " + folder;
        outcome.stop = RepairStop::kNoBackupFolder;
        return outcome;
      }
    }
    if (results.Count() == 0)
      return outcome;
    if (settings.RestorePoint && GetWindowsVersionCode(platform.system) == kWindowsXp &&
        !prompts.MakeRestorePoint()) {
      outcome.stop = RepairStop::kRestorePointCancelled;
      return outcome;
    }
    std::vector<IssueRow> current;
    switch (prompts.ScanAgain(current)) {
      case RepairPrompts::Recheck::kStopped:
        outcome.stop = RepairStop::kRecheckStopped;
        return outcome;
      case RepairPrompts::Recheck::kDone:
        outcome.noLongerBroken = DropRowsNoLongerReported(results, current);
        break;
      case RepairPrompts::Recheck::kSkipped:
        break;
    }
    RegistryRepairer repairer(platform, MakeBackupFileName(folder, platform.system));
    outcome.backupFile = repairer.BackupFile();
    for (size_t i = results.Count(); i-- > 0;) {
      const IssueRow row = results.Row(i);
      if (!row.ticked)
        continue;
      ++outcome.repairedCount;
      outcome.stoppedAt = row.key;
      const ItemResult result = repairer.RepairRow(row);
      outcome.stoppedAt.clear();
      if (result == ItemResult::kCannotBackUp || result == ItemResult::kRefused) {
        if (outcome.firstKept.empty()) {
          outcome.firstKept =
              row.key + (result == ItemResult::kRefused ? ": Windows refused to delete it"
                                                        : ": " + repairer.LastDifference());
        }
      }
      if (result == ItemResult::kCannotBackUp) {
        ++outcome.notBackedUp;
        continue;
      }
      if (result == ItemResult::kRefused)
        ++outcome.refused;
      else if (result == ItemResult::kDeleted)
        ++outcome.removedCount;
      results.Remove(i);
    }
    outcome.finished = true;
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
  outcome.keptCount = results.TickedCount();
  if (!outcome.finished)
    return outcome;
  prompts.RowsProcessed();
  if (settings.ShowHint)
    prompts.ShowRepairHint(outcome.repairedCount);
  return outcome;
}

}  // namespace kelvane
