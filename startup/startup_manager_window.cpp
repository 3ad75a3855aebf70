#include "startup/startup_manager_window.h"

#include <commctrl.h>

#include <exception>
#include <vector>

#include "platform/win32/ansi_text.h"
#include "startup/startup_entries.h"
#include "startup/startup_resource.h"
#include "ui/win_controls.h"
#include "ui/win_form.h"

namespace kelvane {

namespace {

enum : int {
  kIdStartup = 101,
  kIdSelectAll,
  kIdSelectNone,
  kIdDeleteEntry,
};

constexpr INT_PTR kModalCancel = 2;

class TfrmStartupManager : public ModalForm {
 public:
  TfrmStartupManager(Platform& platform, std::string backupFolder)
      : platform_(platform), backupFolder_(std::move(backupFolder)) {}

 protected:
  void FormCreate() override {
    lvStartup_ = AddControl(WC_LISTVIEWA, "", LVS_REPORT | LVS_SHOWSELALWAYS | WS_TABSTOP, 8, 8,
                            508, 350, kIdStartup, nullptr, WS_EX_CLIENTEDGE);
    ListView_SetExtendedListViewStyle(lvStartup_, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
    const struct {
      const char* caption;
      int width;
    } columns[] = {{"Startup Program", 90}, {"File", 160}, {"Location", 200}};
    for (int i = 0; i < 3; ++i) {
      LVCOLUMNA column{};
      column.mask = LVCF_TEXT | LVCF_WIDTH;
      column.pszText = const_cast<char*>(columns[i].caption);
      column.cx = columns[i].width;
      SendMessageA(lvStartup_, LVM_INSERTCOLUMNA, i, reinterpret_cast<LPARAM>(&column));
    }
    AddControl("BUTTON", "Select &All", BS_PUSHBUTTON | WS_TABSTOP, 8, 366, 80, 25, kIdSelectAll);
    AddControl("BUTTON", "Select &None", BS_PUSHBUTTON | WS_TABSTOP, 94, 366, 80, 25,
               kIdSelectNone);
    AddControl("BUTTON", "&Delete Entry", BS_PUSHBUTTON | WS_TABSTOP, 180, 366, 90, 25,
               kIdDeleteEntry);
    AddControl("BUTTON", "&Close", BS_PUSHBUTTON | WS_TABSTOP, 441, 366, 75, 25, IDCANCEL);
    // Filled once the window is on the screen, so an error box has a window to sit on.
    PostMessageA(hwnd_, WM_APP, 0, 0);
  }

  bool HandleMessage(UINT msg, WPARAM wParam, LPARAM, INT_PTR* result) override {
    if (msg == WM_APP) {
      FormShow();
    } else if (msg == WM_COMMAND) {
      switch (LOWORD(wParam)) {
        case kIdSelectAll:
          bSelectAllClick();
          break;
        case kIdSelectNone:
          bSelectNoneClick();
          break;
        case kIdDeleteEntry:
          bDeleteEntryClick();
          break;
        case IDCANCEL:  // "&Close", Escape and the close box
          EndModal(kModalCancel);
          break;
        default:
          return false;
      }
    } else {
      return false;
    }
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
    SendMessageA(lvStartup_, WM_SETREDRAW, FALSE, 0);
    for (size_t i = 0; i < entries_.size(); ++i)
      InsertRow(static_cast<int>(i), entries_[i]);
    if (!entries_.empty()) {
      for (int column = 0; column < 3; ++column)
        SendMessageA(lvStartup_, LVM_SETCOLUMNWIDTH, column, LVSCW_AUTOSIZE);
    }
    SendMessageA(lvStartup_, WM_SETREDRAW, TRUE, 0);
    if (!error.empty())
      ShowApplicationError(hwnd_, error);
  }

  // The cells go in wide, so that a name or command line the ANSI code page cannot
  // carry shows as it is, not as question marks or look-alike letters.
  void InsertRow(int index, const StartupEntry& entry) {
    std::wstring program = WideFromListed(entry.program);
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.iItem = index;
    item.pszText = program.data();
    SendMessageW(lvStartup_, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
    std::wstring cells[] = {WideFromListed(entry.file), WideFromAnsi(entry.location)};
    for (int column = 1; column < 3; ++column) {
      LVITEMW cell{};
      cell.iSubItem = column;
      cell.pszText = cells[column - 1].data();
      SendMessageW(lvStartup_, LVM_SETITEMTEXTW, index, reinterpret_cast<LPARAM>(&cell));
    }
  }

  void SetAllTicks(bool ticked) {
    const int count = static_cast<int>(SendMessageA(lvStartup_, LVM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < count; ++i)
      ListView_SetCheckState(lvStartup_, i, ticked ? TRUE : FALSE);
  }

  void bSelectAllClick() { SetAllTicks(true); }
  void bSelectNoneClick() { SetAllTicks(false); }

  // No question first: ticked entries go at once. Registry values are backed up, a
  // shortcut goes to the recycle bin; what could not be deleted, or was not tried since
  // the ANSI code page cannot carry it, stays and is named.
  void bDeleteEntryClick() {
    std::vector<bool> ticked(entries_.size());
    for (size_t i = 0; i < entries_.size(); ++i)
      ticked[i] = ListView_GetCheckState(lvStartup_, static_cast<int>(i)) != 0;
    const StartupDeleteOutcome outcome =
        DeleteTickedEntries(platform_, backupFolder_, entries_, ticked);
    for (const size_t row : outcome.removedRows)
      SendMessageA(lvStartup_, LVM_DELETEITEM, row, 0);
    const std::string kept = KeptEntriesText(outcome, LoadResString(IDS_STARTUP_NOT_DELETED),
                                             LoadResString(IDS_STARTUP_INEXACT));
    if (!kept.empty())
      AppMessageBox(hwnd_, kept, MB_OK | MB_ICONWARNING);
  }

  Platform& platform_;
  std::string backupFolder_;
  std::vector<StartupEntry> entries_;
  HWND lvStartup_ = nullptr;
};

}  // namespace

void ShowStartupManager(HWND owner, Platform& platform, const std::string& backupFolder) {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES};
  InitCommonControlsEx(&controls);
  TfrmStartupManager form(platform, backupFolder);
  form.ShowModal(owner, "Startup Manager", WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME, 524,
                 399);
}

}  // namespace kelvane
