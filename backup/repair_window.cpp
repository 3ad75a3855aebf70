#include "backup/repair_window.h"

#include "ui/texts_resource.h"
#include "ui/win_controls.h"

namespace kelvane {

bool AskCreateBackupFolder(HWND owner, const std::string& folder) {
  const std::string text =
      folder + "," + LoadResString(IDS_FOLDER_MISSING) + "\r\n" + LoadResString(IDS_CREATE_FOLDER);
  return AppMessageBox(owner, text, MB_YESNO | MB_ICONINFORMATION) == IDYES;
}

void ShowRepairReport(HWND owner, const RepairOutcome& outcome) {
  const std::string report = RepairReportText(outcome);
  if (report.empty())
    return;
  AppMessageBox(owner, report,
                MB_OK | (outcome.stop == RepairStop::kNone ? MB_ICONWARNING : MB_ICONERROR));
}

}  // namespace kelvane
