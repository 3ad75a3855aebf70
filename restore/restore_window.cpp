#include "restore/restore_window.h"

#include <commctrl.h>

#include "options/settings.h"
#include "restore/restore_list.h"
#include "ui/texts_resource.h"
#include "ui/win_browse_folder.h"
#include "ui/win_controls.h"
#include "ui/win_form.h"

namespace kelvane {

namespace {

std::string FormatWith(const LocalTime& t, bool date) {
  SYSTEMTIME st{};
  st.wYear = static_cast<WORD>(t.year);
  st.wMonth = static_cast<WORD>(t.month);
  st.wDay = static_cast<WORD>(t.day);
  st.wHour = static_cast<WORD>(t.hour);
  st.wMinute = static_cast<WORD>(t.minute);
  st.wSecond = static_cast<WORD>(t.second);
  wchar_t buffer[128] = {};
  const int n = date
                    ? GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &st, nullptr, buffer, 128)
                    : GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &st, nullptr, buffer, 128);
  return n > 0 ? Utf8(buffer) : std::string();
}

const DateTimeTexts kLocaleTexts{[](const LocalTime& t) { return FormatWith(t, true); },
                                 [](const LocalTime& t) { return FormatWith(t, false); }};

class TfrmRestore : public ModalForm {
 public:
  TfrmRestore(Platform& platform, RestoreCallbacks& callbacks)
      : platform_(platform), callbacks_(callbacks) {
    UseClassName("TfrmRestore");
  }

 protected:
  void FormCreate() override {
    AddControl("BUTTON", "Backup files are stored in the folder", BS_GROUPBOX, 8, 4, 396, 52, -1);
    eFolder_ = AddEdit("", 18, 24, 340, 21, kIdRestoreFolder, ES_READONLY);
    AddButton("...", 364, 23, 30, 23, kIdRestoreBrowse).OnClick([this] { bBrowseFolderClick(); });
    ListView1_ = AddReportList(LVS_SINGLESEL | LVS_NOSORTHEADER, 8, 64, 396, 284, kIdRestoreList, 0,
                               {{"Backup file", 185}, {"Date", 140}, {"Size", 67}});
    ListView1_.OnSelect([this](int) { aRestoreUpdate(); });
    ListView1_.OnDoubleClick([this] { aRestoreExecute(); });
    bRestore_ = AddButton("&Restore", 8, 360, 80, 27, kIdRestoreRestore);
    bRestore_.OnClick([this] { aRestoreExecute(); });
    AddButton("&Open Directory", 96, 360, 100, 27, kIdRestoreOpenDirectory).OnClick([this] {
      bOpenDirectoryClick();
    });
    bDelete_ = AddButton("&Delete", 204, 360, 80, 27, kIdRestoreDelete);
    bDelete_.OnClick([this] { aDeleteExecute(); });
    // Escape and the close box end the form the same way.
    AddButton("&Close", 324, 360, 80, 27, kIdRestoreClose).OnClick([this] {
      EndModal(ModalResult::kCancel);
    });
    FormShow();
  }

 private:
  void FormShow() {
    const std::string folder =
        ResolveFolder(OptionsSetting.OutputDirectory, platform_.shell.ExecutableFolder());
    eFolder_.SetText(folder);
    ListBackupFiles();
    aRestoreUpdate();
  }

  // From the rows as listed, not from the cell.
  std::string SelectedPath() const {
    const int selected = ListView1_.Selected();
    if (selected < 0 || static_cast<size_t>(selected) >= rows_.size())
      return {};
    return BackupFilePath(eFolder_.Text(), rows_[static_cast<size_t>(selected)].name);
  }

  void Tell(const std::string& text) { AppMessageBox(hwnd_, text, MB_OK | MB_ICONINFORMATION); }

  // Rows go in already in list order (descending by name), so the list needs no sort.
  // Names go in wide: one in any script shows as it is.
  void ListBackupFiles() {
    auto rows = kelvane::ListBackupFiles(platform_.files, eFolder_.Text(), kLocaleTexts);
    rows_ = rows ? std::move(*rows) : std::vector<BackupFileRow>{};
    ListView1_.SetRows(rows_, [](const BackupFileRow& row) {
      return ReportList::Cells{row.name, row.date, row.size};
    });
    // The locale's date and time may need more than the design gave the column.
    const HWND list = ListView1_.Handle();
    const int designed = ListView_GetColumnWidth(list, 1);
    ListView_SetColumnWidth(list, 1, LVSCW_AUTOSIZE_USEHEADER);
    if (ListView_GetColumnWidth(list, 1) < designed)
      ListView_SetColumnWidth(list, 1, designed);
    if (!rows)
      Tell(LoadResString(IDS_FOLDER_MISSING));
  }

  void bBrowseFolderClick() {
    std::string folder;
    if (!BrowseForFolder(hwnd_, LoadResString(IDS_BROWSE_PROMPT), L"", folder))
      return;
    eFolder_.SetText(folder);
    ListBackupFiles();
    aRestoreUpdate();
  }

  void bOpenDirectoryClick() {
    const std::string folder = eFolder_.Text();
    if (!platform_.files.FolderExists(folder)) {
      Tell(LoadResString(IDS_FOLDER_MISSING));
      return;
    }
    platform_.shell.Open(folder, "", ShellOpen{hwnd_, ShellOpen::kShow});
  }

  void aRestoreUpdate() {
    bRestore_.Enable(ListView1_.Selected() >= 0);
    bDelete_.Enable(ListView1_.Selected() >= 0);
  }

  void aRestoreExecute() {
    if (ListView1_.Selected() < 0)
      return;
    const std::string path = SelectedPath();
    RegFile file;
    if (const auto refusal = RefuseDamagedBackup(platform_.files, path, &file)) {
      Tell(*refusal);
      return;
    }
    const std::string editor = RegistryEditorPath(platform_.shell);
    const EditorOutcome outcome = callbacks_.RunEditorWithHint(
        hwnd_, editor, EditorCommandLine(editor, "/s", path), LoadResString(IDS_RESTORE_HINT));
    const RestoreResult result =
        FinishRestore(platform_.registry, file, outcome, OptionsSetting.DeleteBackupFile);
    if (!result.message.empty())
      Tell(result.message);
    if (!result.imported)
      return;
    const bool deleted = result.deleteFile && DeleteSelected();
    Tell(RestoredText(path, deleted));
  }

  // "Delete" asks first; the delete after a restore was asked for in the options.
  void aDeleteExecute() {
    if (ListView1_.Selected() < 0)
      return;
    if (AppMessageBox(hwnd_, DeleteQuestionText(SelectedPath()),
                      MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) == IDYES)
      DeleteSelected();
  }

  // The system's words for why the file could not go.
  static std::string DeleteRefusal(const std::string& path) {
    // Never through a text holding a NUL, which names no file.
    if (path.find('\0') != std::string::npos || DeleteFileW(Wide(path).c_str()))
      return {};
    UniqueLocalMemory<wchar_t*> text;
    const DWORD n = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, GetLastError(), 0, reinterpret_cast<wchar_t*>(text.Put()), 0, nullptr);
    std::string reason = n > 0 && text ? Utf8(std::wstring_view(text.Get(), n)) : std::string();
    while (!reason.empty() && (reason.back() == '\r' || reason.back() == '\n'))
      reason.pop_back();
    return reason;
  }

  bool DeleteSelected() {
    const int selected = ListView1_.Selected();
    if (selected < 0 || static_cast<size_t>(selected) >= rows_.size())
      return false;
    const std::string path = SelectedPath();
    if (!DeleteBackupFile(platform_.files, path)) {
      Tell(DeleteFailedText(path, DeleteRefusal(path)));
      return false;
    }
    ListView1_.RemoveRow(selected);
    rows_.erase(rows_.begin() + selected);
    const int next = SelectionAfterRemoval(selected, ListView1_.Count());
    if (next >= 0)
      ListView1_.Select(next);
    aRestoreUpdate();
    return true;
  }

  Platform& platform_;
  RestoreCallbacks& callbacks_;
  Edit eFolder_;
  ReportList ListView1_;
  Button bRestore_;
  Button bDelete_;
  std::vector<BackupFileRow> rows_;  // the list's rows, in its order
};

}  // namespace

void ShowRestore(HWND owner, Platform& platform, RestoreCallbacks& callbacks) {
  TfrmRestore form(platform, callbacks);
  form.ShowModal(owner, LoadResString(IDS_RESTORE_CAPTION).c_str(), kDialogStyle, 412, 396);
}

}  // namespace kelvane
