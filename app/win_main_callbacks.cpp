#include "app/win_main_callbacks.h"

#include "app/main_window.h"
#include "backup/backup_hint_window.h"
#include "backup/repair_window.h"
#include "backup/show_hint_window.h"
#include "restorepoint/system_point_window.h"

namespace kelvane {

bool MainRepairPrompts::ConfirmCreateBackupFolder(const std::string& folder) {
  return AskCreateBackupFolder(window_.hwnd_, folder);
}

bool MainRepairPrompts::MakeRestorePoint() {
  point_ = SystemRestorePointSession(window_.platform_.system);
  const bool goOn =
      ShowSystemPoint(window_.hwnd_, point_, window_.unattended_) != ModalResult::kCancel;
  if (const auto outcome = point_->Outcome())
    restorePointLog_ = RestorePointLogText(*outcome);
  return goOn;
}

void MainRepairPrompts::EndRestorePoint(bool changed) {
  if (point_)
    point_->Finish(changed);
}

RepairPrompts::Recheck MainRepairPrompts::ScanAgain(std::vector<IssueRow>& rows) {
  // The unattended run repairs right after its scan: nothing to check again.
  if (window_.unattended_)
    return Recheck::kSkipped;
  ResultsModel again;
  const ScanEnd end = ShowScanProgress(window_.hwnd_, window_.platform_, again, window_.lastScan_,
                                       ScanOptionsFromSettings(false));
  rows = again.Rows();
  return end.stopped ? Recheck::kStopped : Recheck::kDone;
}

void MainRepairPrompts::RunBatches(RepairBatches& batches) {
  RunRepairBatches(window_.hwnd_, batches, window_.unattended_);
}

bool MainRepairPrompts::LookAgain(const std::vector<Category>& categories,
                                  std::vector<IssueRow>& rows) {
  ResultsModel again;
  const ScanEnd end = ShowScanProgress(window_.hwnd_, window_.platform_, again, categories,
                                       ScanOptionsFromSettings(window_.unattended_));
  rows = again.Rows();
  return !end.stopped;
}

bool MainRepairPrompts::RepairLeftBroken() const {
  return window_.unattended_;
}

void MainRepairPrompts::RowsProcessed() {
  window_.RefreshList();
}

void MainRepairPrompts::ShowRepairHint(size_t repairedCount) {
  kelvane::ShowRepairHint(window_.hwnd_, static_cast<int32_t>(repairedCount));
}

std::vector<Category> MainCleanOnceSteps::Ticked() {
  return SelectedCategories(window_.categories_);
}

size_t MainCleanOnceSteps::Scan() {
  window_.bScanRegistryClick();
  return window_.results_.Count();
}

RepairOutcome MainCleanOnceSteps::Repair() {
  return window_.RepairTicked();
}

std::string MainCleanOnceSteps::RestorePointLog() {
  return window_.restorePointLog_;
}

EditorOutcome MainRestoreCallbacks::RunEditorWithHint(HWND owner, const std::string& editorPath,
                                                      const std::string& commandLine,
                                                      const std::string& hint) {
  return RunRegeditWithHint(owner, processes_, editorPath, commandLine, hint);
}

}  // namespace kelvane
