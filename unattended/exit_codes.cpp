#include "unattended/exit_codes.h"

namespace kelvane {

int CleanOnceExitCode(const RepairOutcome& outcome) {
  switch (outcome.stop) {
    case RepairStop::kNoBackupFolder:
      return kCleanOnceNoBackupFolder;
    case RepairStop::kBackupFailed:
      return kCleanOnceBackupFailed;
    case RepairStop::kRestorePointCancelled:
      return kCleanOnceNoRestorePoint;
    case RepairStop::kRecheckStopped:  // the unattended run does not scan twice
    case RepairStop::kError:
      return kCleanOnceError;
    case RepairStop::kNone:
      break;
  }
  // A kept item weighs more than a refused deletion: it is not even in the backup.
  if (outcome.notBackedUp > 0)
    return kCleanOnceBackupFailed;
  if (outcome.refused > 0)
    return kCleanOnceDeletionRefused;
  return kCleanOnceDone;
}

int ScanExitCode(const std::string& failure, bool reportWritten, size_t found) {
  // A scan cut short would report a registry cleaner than it is.
  if (!failure.empty())
    return kScanFailed;
  if (!reportWritten)
    return kScanReportNotWritten;
  return found > 0 ? kScanFoundEntries : kScanNothingFound;
}

}  // namespace kelvane
