#include "backup/repair_window.h"

#include <utility>

#include "backup/backup_resource.h"
#include "backup/repair.h"
#include "restorepoint/system_point_window.h"
#include "ui/show_hint_window.h"
#include "ui/win_controls.h"

namespace kelvane {

namespace {

constexpr int kModalCancel = 2;

class WindowPrompts : public RepairPrompts {
 public:
  WindowPrompts(HWND owner, std::function<void()> refresh)
      : owner_(owner), refresh_(std::move(refresh)) {}

  bool ConfirmCreateBackupFolder(const std::string& folder) override {
    const std::string text = folder + "," + LoadResString(IDS_BACKUP_FOLDER_MISSING) + "\r\n" +
                             LoadResString(IDS_BACKUP_CREATE_FOLDER);
    return MessageBoxA(owner_, text.c_str(), LoadResString(IDS_BACKUP_CAPTION).c_str(),
                       MB_YESNO | MB_ICONINFORMATION) == IDYES;
  }

  bool MakeRestorePoint() override { return ShowSystemPoint(owner_) != kModalCancel; }

  void RowsProcessed() override { refresh_(); }

  void ShowRepairHint(size_t repairedCount) override {
    kelvane::ShowRepairHint(owner_, static_cast<int32_t>(repairedCount));
  }

 private:
  HWND owner_;
  std::function<void()> refresh_;
};

}  // namespace

RepairOutcome RepairRegistryCommand(HWND owner, kelvane::Platform& platform,
                                    kelvane::ResultsModel& results,
                                    const std::function<void()>& refresh) {
  WindowPrompts prompts(owner, refresh);
  return RepairTickedRows(platform, results, OptionsSetting, prompts);
}

}  // namespace kelvane
