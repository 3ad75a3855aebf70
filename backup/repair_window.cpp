#include "backup/repair_window.h"

#include <utility>

#include "backup/backup_resource.h"
#include "backup/repair.h"
#include "backup/repair_progress_window.h"
#include "options/settings.h"
#include "backup/show_hint_window.h"
#include "ui/win_controls.h"

namespace kelvane {

namespace {

class WindowPrompts : public RepairPrompts {
 public:
  using ScanAgainFn = std::function<Recheck(std::vector<IssueRow>&)>;
  using LookAgainFn = std::function<bool(const std::vector<RowTarget>&, std::vector<IssueRow>&)>;
  WindowPrompts(HWND owner, std::function<void()> refresh, std::function<bool()> restorePoint,
                ScanAgainFn scanAgain, LookAgainFn lookAgain, bool quiet,
                std::function<void(bool)> endRestorePoint)
      : owner_(owner),
        refresh_(std::move(refresh)),
        restorePoint_(std::move(restorePoint)),
        scanAgain_(std::move(scanAgain)),
        lookAgain_(std::move(lookAgain)),
        quiet_(quiet),
        endRestorePoint_(std::move(endRestorePoint)) {}

  bool ConfirmCreateBackupFolder(const std::string& folder) override {
    const std::string text = folder + "," + LoadResString(IDS_BACKUP_FOLDER_MISSING) + "\r\n" +
                             LoadResString(IDS_BACKUP_CREATE_FOLDER);
    return ShowMessageBox(owner_, text, LoadResString(IDS_BACKUP_CAPTION),
                          MB_YESNO | MB_ICONINFORMATION) == IDYES;
  }

  bool MakeRestorePoint() override { return restorePoint_(); }
  void EndRestorePoint(bool changed) override {
    if (endRestorePoint_)
      endRestorePoint_(changed);
  }

  Recheck ScanAgain(std::vector<IssueRow>& rows) override {
    return scanAgain_ ? scanAgain_(rows) : Recheck::kSkipped;
  }

  bool LookAgain(const std::vector<RowTarget>& emptied, std::vector<IssueRow>& rows) override {
    return lookAgain_ && lookAgain_(emptied, rows);
  }

  bool RepairLeftBroken() const override { return quiet_; }

  void RunBatches(RepairBatches& batches) override { RunRepairBatches(owner_, batches, quiet_); }

  void RowsProcessed() override { refresh_(); }

  void ShowRepairHint(size_t repairedCount) override {
    kelvane::ShowRepairHint(owner_, static_cast<int32_t>(repairedCount));
  }

 private:
  HWND owner_;
  std::function<void()> refresh_;
  std::function<bool()> restorePoint_;
  ScanAgainFn scanAgain_;
  LookAgainFn lookAgain_;
  bool quiet_;
  std::function<void(bool)> endRestorePoint_;
};

}  // namespace

RepairOutcome RepairRegistryCommand(
    HWND owner, Platform& platform, ResultsModel& results, const std::function<void()>& refresh,
    const std::function<bool()>& makeRestorePoint,
    const std::function<RepairPrompts::Recheck(std::vector<IssueRow>&)>& scanAgain,
    const std::function<bool(const std::vector<RowTarget>&, std::vector<IssueRow>&)>& lookAgain,
    bool quiet, const std::function<void(bool)>& endRestorePoint) {
  WindowPrompts prompts(owner, refresh, makeRestorePoint, scanAgain, lookAgain, quiet,
                        endRestorePoint);
  const RepairOutcome outcome = RepairTickedRows(platform, results, OptionsSetting, prompts);
  const std::string report = RepairReportText(outcome);
  if (!quiet && !report.empty()) {
    refresh();  // the message speaks of the list as it now stands
    ShowMessageBox(owner, report, LoadResString(IDS_BACKUP_CAPTION),
                   MB_OK | (outcome.stop == RepairStop::kNone ? MB_ICONWARNING : MB_ICONERROR));
  }
  return outcome;
}

}  // namespace kelvane
