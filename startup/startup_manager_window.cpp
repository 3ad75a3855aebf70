#include "startup/startup_manager_window.h"

#include <exception>
#include <vector>

#include "startup/startup_entries.h"
#include "ui/texts_resource.h"
#include "ui/win_controls.h"
#include "ui/win_form.h"

namespace kelvane {

namespace {

class TfrmStartupManager : public ModalForm {
 public:
  TfrmStartupManager(Platform& platform, std::string backupFolder)
      : platform_(platform), backupFolder_(std::move(backupFolder)) {}

 protected:
  void FormCreate() override {
    lvStartup_ = AddReportList(0, 8, 8, 508, 350, kIdStartup, LVS_EX_CHECKBOXES,
                               {{"Startup Program", 90}, {"File", 160}, {"Location", 200}});
    AddButton("Select &All", 8, 366, 80, 25, kIdSelectAll).OnClick([this] {
      lvStartup_.TickAll(true);  // bSelectAllClick
    });
    AddButton("Select &None", 94, 366, 80, 25, kIdSelectNone).OnClick([this] {
      lvStartup_.TickAll(false);  // bSelectNoneClick
    });
    AddButton("&Delete Entry", 180, 366, 90, 25, kIdDeleteEntry).OnClick([this] {
      bDeleteEntryClick();
    });
    AddButton("&Close", 441, 366, 75, 25, IDCANCEL);  // ends the form as Escape does
    // Filled once the window is on the screen, so an error box has a window to sit on.
    PostMessageW(hwnd_, WM_APP, 0, 0);
  }

  bool HandleMessage(UINT msg, WPARAM, LPARAM, INT_PTR* result) override {
    if (msg != WM_APP)
      return false;
    FormShow();
    *result = TRUE;
    return true;
  }

 private:
  void FormShow() {
    const StartupLabels labels{LoadResString(IDS_STARTUP_LABEL),
                               LoadResString(IDS_COMMON_STARTUP_LABEL)};
    std::string error;
    try {
      ListStartupEntries(platform_, labels, entries_);
    } catch (const std::exception& e) {
      error = e.what();
    }
    // The cells go in wide, so that a name or command line the ANSI code page cannot
    // carry shows as it is, not as question marks or look-alike letters.
    lvStartup_.SetRows(
        entries_,
        [](const StartupEntry& entry) {
          return ReportList::Cells{entry.program, entry.file, entry.location};
        },
        true);
    if (!error.empty())
      ShowApplicationError(hwnd_, error);
  }

  // No question first: ticked entries go at once. Registry values are backed up, a
  // shortcut goes to the recycle bin; what could not be deleted stays and is named.
  void bDeleteEntryClick() {
    const StartupDeleteOutcome outcome =
        DeleteTickedEntries(platform_, backupFolder_, entries_, lvStartup_.Ticks());
    for (const size_t row : outcome.removedRows)
      lvStartup_.RemoveRow(static_cast<int>(row));
    if (!outcome.failed.empty()) {
      AppMessageBox(hwnd_,
                    FailedEntriesText(LoadResString(IDS_STARTUP_NOT_DELETED), outcome.failed),
                    MB_OK | MB_ICONWARNING);
    }
  }

  Platform& platform_;
  std::string backupFolder_;
  std::vector<StartupEntry> entries_;
  ReportList lvStartup_;
};

}  // namespace

void ShowStartupManager(HWND owner, Platform& platform, const std::string& backupFolder) {
  TfrmStartupManager form(platform, backupFolder);
  form.ShowModal(owner, "Startup Manager", kDialogStyle, 524, 399);
}

}  // namespace kelvane
