#include "restore/restore_window.h"

#include <commctrl.h>

#include "options/settings.h"
#include "platform/win32/ansi_text.h"
#include "restore/restore_list.h"
#include "restore/restore_resource.h"
#include "ui/win_browse_folder.h"
#include "ui/win_controls.h"
#include "ui/win_form.h"

namespace kelvane {

namespace {

constexpr int kModalCancel = 2;

std::string FormatWith(const LocalTime& t, bool date) {
  SYSTEMTIME st{};
  st.wYear = static_cast<WORD>(t.year);
  st.wMonth = static_cast<WORD>(t.month);
  st.wDay = static_cast<WORD>(t.day);
  st.wHour = static_cast<WORD>(t.hour);
  st.wMinute = static_cast<WORD>(t.minute);
  st.wSecond = static_cast<WORD>(t.second);
  char buffer[128] = {};
  const int n = date ? GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &st, nullptr, buffer,
                                      sizeof buffer)
                     : GetTimeFormatA(LOCALE_USER_DEFAULT, 0, &st, nullptr, buffer, sizeof buffer);
  return n > 0 ? std::string(buffer) : std::string();
}

const DateTimeTexts kLocaleTexts{[](const LocalTime& t) { return FormatWith(t, true); },
                                 [](const LocalTime& t) { return FormatWith(t, false); }};

class TfrmRestore : public ModalForm {
 public:
  TfrmRestore(Platform& platform, const RunEditorWithHint& runEditor)
      : platform_(platform), runEditor_(runEditor) {
    UseClassName("TfrmRestore");
  }

 protected:
  void FormCreate() override {
    AddControl("BUTTON", "Backup files are stored in the folder", BS_GROUPBOX, 8, 4, 396, 52, -1);
    eFolder_ = AddControl("EDIT", "", ES_READONLY | ES_AUTOHSCROLL | WS_TABSTOP, 18, 24, 340, 21,
                          kIdRestoreFolder, nullptr, WS_EX_CLIENTEDGE);
    AddControl("BUTTON", "...", BS_PUSHBUTTON | WS_TABSTOP, 364, 23, 30, 23, kIdRestoreBrowse);
    ListView1_ =
        AddControl(WC_LISTVIEWA, "",
                   LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_NOSORTHEADER | WS_TABSTOP,
                   8, 64, 396, 284, kIdRestoreList, nullptr, WS_EX_CLIENTEDGE);
    ListView_SetExtendedListViewStyle(ListView1_, LVS_EX_FULLROWSELECT);
    const std::pair<const char*, int> columns[] = {
        {"Backup file", 190}, {"Date", 110}, {"Size", 92}};
    for (int i = 0; i < 3; ++i) {
      LVCOLUMNA column{};
      column.mask = LVCF_TEXT | LVCF_WIDTH;
      column.pszText = const_cast<char*>(columns[i].first);
      column.cx = columns[i].second;
      ListView_InsertColumn(ListView1_, i, &column);
    }
    bRestore_ = AddControl("BUTTON", "&Restore", BS_PUSHBUTTON | WS_TABSTOP, 8, 360, 80, 27,
                           kIdRestoreRestore);
    AddControl("BUTTON", "&Open Directory", BS_PUSHBUTTON | WS_TABSTOP, 96, 360, 100, 27,
               kIdRestoreOpenDirectory);
    bDelete_ = AddControl("BUTTON", "&Delete", BS_PUSHBUTTON | WS_TABSTOP, 204, 360, 80, 27,
                          kIdRestoreDelete);
    AddControl("BUTTON", "&Close", BS_PUSHBUTTON | WS_TABSTOP, 324, 360, 80, 27, kIdRestoreClose);
    FormShow();
  }

  bool HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam, INT_PTR* result) override {
    switch (msg) {
      case WM_COMMAND:
        switch (LOWORD(wParam)) {
          case kIdRestoreBrowse:
            bBrowseFolderClick();
            break;
          case kIdRestoreRestore:
            aRestoreExecute();
            break;
          case kIdRestoreOpenDirectory:
            bOpenDirectoryClick();
            break;
          case kIdRestoreDelete:
            aDeleteExecute();
            break;
          case kIdRestoreClose:
          case IDCANCEL:
            EndModal(kModalCancel);
            break;
          default:
            return false;
        }
        break;
      case WM_NOTIFY: {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header->idFrom != static_cast<UINT_PTR>(kIdRestoreList))
          return false;
        if (header->code == LVN_ITEMCHANGED)
          aRestoreUpdate();
        else if (header->code == NM_DBLCLK)
          aRestoreExecute();
        else
          return false;
        break;
      }
      default:
        return false;
    }
    *result = TRUE;
    return true;
  }

 private:
  void FormShow() {
    const std::string folder =
        ResolveFolder(OptionsSetting.OutputDirectory, platform_.shell.ExecutableFolder());
    SetWindowTextA(eFolder_, folder.c_str());
    ListBackupFiles();
    aRestoreUpdate();
  }

  std::string Folder() const {
    char buffer[MAX_PATH * 2] = {};
    GetWindowTextA(eFolder_, buffer, sizeof buffer);
    return buffer;
  }

  int Selected() const { return ListView_GetNextItem(ListView1_, -1, LVNI_SELECTED); }

  // From the rows as listed, not from the cell: the cell's ANSI text of a name the code
  // page cannot carry would be a look-alike, another file or none.
  std::string SelectedPath() const {
    const int selected = Selected();
    if (selected < 0 || static_cast<size_t>(selected) >= rows_.size())
      return {};
    return BackupFilePath(Folder(), rows_[static_cast<size_t>(selected)].name);
  }

  void Tell(const std::string& text) { AppMessageBox(hwnd_, text, MB_OK | MB_ICONINFORMATION); }

  // Rows go in already in list order (descending by name), so the list needs no sort.
  // Names go in wide: one the ANSI code page cannot carry shows as it is.
  void ListBackupFiles() {
    rows_.clear();
    auto rows = kelvane::ListBackupFiles(platform_.files, Folder(), kLocaleTexts);
    if (!rows) {
      Tell(LoadResString(IDS_RESTORE_FOLDER_MISSING));
      return;
    }
    rows_ = std::move(*rows);
    int index = 0;
    for (const BackupFileRow& row : rows_) {
      std::wstring name = WideFromListed(row.name);
      LVITEMW item{};
      item.mask = LVIF_TEXT;
      item.iItem = index++;
      item.pszText = name.data();
      const int at = static_cast<int>(
          SendMessageW(ListView1_, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
      ListView_SetItemText(ListView1_, at, 1, const_cast<char*>(row.date.c_str()));
      ListView_SetItemText(ListView1_, at, 2, const_cast<char*>(row.size.c_str()));
    }
  }

  void bBrowseFolderClick() {
    std::string folder;
    if (!BrowseForFolder(hwnd_, LoadResString(IDS_RESTORE_BROWSE_PROMPT), L"", folder))
      return;
    if (HoldsNul(folder)) {
      Tell(InexactFolderText(folder));
      return;
    }
    SetWindowTextA(eFolder_, folder.c_str());
    ListView_DeleteAllItems(ListView1_);
    ListBackupFiles();
    aRestoreUpdate();
  }

  void bOpenDirectoryClick() {
    const std::string folder = Folder();
    if (!platform_.files.FolderExists(folder)) {
      Tell(LoadResString(IDS_RESTORE_FOLDER_MISSING));
      return;
    }
    platform_.shell.Open(folder, "", ShellOpen{hwnd_, ShellOpen::kShow});
  }

  void aRestoreUpdate() {
    const BOOL any = Selected() >= 0;
    EnableWindow(bRestore_, any);
    EnableWindow(bDelete_, any);
  }

  void aRestoreExecute() {
    if (Selected() < 0)
      return;
    const std::string path = SelectedPath();
    RegFile file;
    if (const auto refusal = RefuseDamagedBackup(platform_.files, path, &file)) {
      Tell(*refusal);
      return;
    }
    const std::string editor = RegistryEditorPath(platform_.shell);
    const EditorOutcome outcome = runEditor_(hwnd_, editor, EditorCommandLine(editor, "/s", path),
                                             LoadResString(IDS_RESTORE_HINT));
    const RestoreResult result =
        FinishRestore(platform_.registry, file, outcome, OptionsSetting.DeleteBackupFile);
    if (!result.message.empty())
      Tell(result.message);
    if (result.deleteFile)
      aDeleteExecute();
  }

  void aDeleteExecute() {
    const int selected = Selected();
    if (selected < 0 || static_cast<size_t>(selected) >= rows_.size())
      return;
    const std::string path = SelectedPath();
    if (!DeleteBackupFile(platform_.files, path)) {
      Tell(DeleteFailedText(path));
      return;
    }
    ListView_DeleteItem(ListView1_, selected);
    rows_.erase(rows_.begin() + selected);
    const int next = SelectionAfterRemoval(selected, ListView_GetItemCount(ListView1_));
    if (next >= 0) {
      ListView_SetItemState(ListView1_, next, LVIS_SELECTED | LVIS_FOCUSED,
                            LVIS_SELECTED | LVIS_FOCUSED);
    }
    aRestoreUpdate();
  }

  Platform& platform_;
  const RunEditorWithHint& runEditor_;
  HWND eFolder_ = nullptr;
  HWND ListView1_ = nullptr;
  HWND bRestore_ = nullptr;
  HWND bDelete_ = nullptr;
  std::vector<BackupFileRow> rows_;  // the list's rows, in its order
};

}  // namespace

void ShowRestore(HWND owner, Platform& platform, const RunEditorWithHint& runEditor) {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES};
  InitCommonControlsEx(&controls);
  TfrmRestore form(platform, runEditor);
  form.ShowModal(owner, LoadResString(IDS_RESTORE_CAPTION).c_str(),
                 WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME, 412, 396);
}

}  // namespace kelvane
