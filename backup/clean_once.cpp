#include "backup/clean_once.h"

#include "platform/registry.h"

namespace kelvane {

bool IsCleanOnceSwitch(const std::vector<std::string>& arguments) {
  return !arguments.empty() && UpperAscii(arguments[0]) == "-CLEANONCE";
}

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

}  // namespace kelvane
