#include "backup/repair_window.h"

#include <utility>

#include "backup/backup_resource.h"
#include "backup/repair.h"
#include "options/settings.h"
#include "backup/show_hint_window.h"
#include "ui/win_controls.h"

namespace kelvane {

namespace {

class WindowPrompts : public RepairPrompts {
 public:
  WindowPrompts(HWND owner, std::function<void()> refresh, std::function<bool()> restorePoint)
      : owner_(owner), refresh_(std::move(refresh)), restorePoint_(std::move(restorePoint)) {}

  bool ConfirmCreateBackupFolder(const std::string& folder) override {
    const std::string text = folder + "," + LoadResString(IDS_BACKUP_FOLDER_MISSING) + "\r\n" +
                             LoadResString(IDS_BACKUP_CREATE_FOLDER);
    return MessageBoxA(owner_, text.c_str(), LoadResString(IDS_BACKUP_CAPTION).c_str(),
                       MB_YESNO | MB_ICONINFORMATION) == IDYES;
  }

  bool MakeRestorePoint() override { return restorePoint_(); }

  void RowsProcessed() override { refresh_(); }

  void ShowRepairHint(size_t repairedCount) override {
    kelvane::ShowRepairHint(owner_, static_cast<int32_t>(repairedCount));
  }

 private:
  HWND owner_;
  std::function<void()> refresh_;
  std::function<bool()> restorePoint_;
};

}  // namespace

RepairOutcome RepairRegistryCommand(HWND owner, Platform& platform, ResultsModel& results,
                                    const std::function<void()>& refresh,
                                    const std::function<bool()>& makeRestorePoint) {
  WindowPrompts prompts(owner, refresh, makeRestorePoint);
  return RepairTickedRows(platform, results, OptionsSetting, prompts);
}

}  // namespace kelvane
