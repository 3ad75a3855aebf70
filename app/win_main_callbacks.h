// What the core and the feature windows ask of the main window, answered in one
// place: the repair's questions (its folder, restore point, checks before and after
// the deletions, progress and hint), -cleanonce's scan and repair, and the registry
// editor's runs that the restore window starts.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "backup/repair.h"
#include "restore/restore_window.h"
#include "restorepoint/system_point.h"
#include "unattended/clean_once.h"

namespace kelvane {

class TfrmKelvane;

// One repair's answers, for the life of that repair: the restore point it begins lives
// from before the first deletion to after the last.
class MainRepairPrompts : public RepairPrompts {
 public:
  explicit MainRepairPrompts(TfrmKelvane& window) : window_(window) {}

  bool ConfirmCreateBackupFolder(const std::string& folder) override;
  bool MakeRestorePoint() override;
  void EndRestorePoint(bool changed) override;
  Recheck ScanAgain(std::vector<IssueRow>& rows) override;
  void RunBatches(RepairBatches& batches) override;
  bool LookAgain(const std::vector<Category>& categories, std::vector<IssueRow>& rows) override;
  bool RepairLeftBroken() const override;
  void RowsProcessed() override;
  void ShowRepairHint(size_t repairedCount) override;

  // What the restore point came to, for the unattended run's log; empty when none
  // was begun.
  const std::string& RestorePointLog() const { return restorePointLog_; }

 private:
  TfrmKelvane& window_;
  std::shared_ptr<RestorePointSession> point_;
  std::string restorePointLog_;
};

// -cleanonce's scan and repair, in the hidden main window.
class MainCleanOnceSteps : public CleanOnceSteps {
 public:
  explicit MainCleanOnceSteps(TfrmKelvane& window) : window_(window) {}
  std::vector<Category> Ticked() override;
  size_t Scan() override;
  RepairOutcome Repair() override;
  std::string RestorePointLog() override;

 private:
  TfrmKelvane& window_;
};

// The registry editor's runs of the restore window, waited for in the backup hint
// window.
class MainRestoreCallbacks : public RestoreCallbacks {
 public:
  explicit MainRestoreCallbacks(Processes& processes) : processes_(processes) {}
  EditorOutcome RunEditorWithHint(HWND owner, const std::string& editorPath,
                                  const std::string& commandLine, const std::string& hint) override;

 private:
  Processes& processes_;
};

}  // namespace kelvane
