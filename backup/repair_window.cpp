#include "backup/repair_window.h"

#include "backup/backup_resource.h"
#include "ui/win_controls.h"

namespace kelvane {

bool AskCreateBackupFolder(HWND owner, const std::string& folder) {
  const std::string text = folder + "," + LoadResString(IDS_BACKUP_FOLDER_MISSING) + "\r\n" +
                           LoadResString(IDS_BACKUP_CREATE_FOLDER);
  return ShowMessageBox(owner, text, LoadResString(IDS_BACKUP_CAPTION),
                        MB_YESNO | MB_ICONINFORMATION) == IDYES;
}

void ShowRepairReport(HWND owner, const RepairOutcome& outcome) {
  const std::string report = RepairReportText(outcome);
  if (report.empty())
    return;
  ShowMessageBox(owner, report, LoadResString(IDS_BACKUP_CAPTION),
                 MB_OK | (outcome.stop == RepairStop::kNone ? MB_ICONWARNING : MB_ICONERROR));
}

}  // namespace kelvane
