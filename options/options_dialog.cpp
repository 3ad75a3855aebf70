#include "options/options_dialog.h"

#include <commctrl.h>

#include <algorithm>
#include <vector>

#include "ui/win_browse_folder.h"
#include "options/options_form.h"
#include "options/options_resource.h"
#include "options/reg_add_registry_dialog.h"
#include "ui/win_controls.h"
#include "ui/win_form.h"

namespace kelvane {

namespace {

enum : int {
  kIdPages = 101,
  kIdOutputFolder,
  kIdBrowse,
  kIdCreateRestore,
  kIdDeleteBackupFile,
  kIdIncludeRemoveMedia,
  kIdIncludeCDdrive,
  kIdShowHint,
  kIdListPages,
  kIdValues,
  kIdKeys,
  kIdAdd,
  kIdEdit,
  kIdRemove,
  kIdFolderFrame,
  kIdListsLabel,
};

constexpr INT_PTR kModalOk = 1;
constexpr INT_PTR kModalCancel = 2;
constexpr int kPageGeneral = 0;

bool IsChecked(HWND box) {
  return SendMessageA(box, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void SetChecked(HWND box, bool checked) {
  SendMessageA(box, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void AddTab(HWND tabs, int index, const char* caption) {
  TCITEMA item{};
  item.mask = TCIF_TEXT;
  item.pszText = const_cast<char*>(caption);
  SendMessageA(tabs, TCM_INSERTITEMA, index, reinterpret_cast<LPARAM>(&item));
}

class TfrmOptions : public ModalForm {
 public:
  TfrmOptions(Platform& platform, TOptionsSetting& settings)
      : platform_(platform), settings_(settings) {}

 protected:
  void FormCreate() override {
    pages_ = AddControl(WC_TABCONTROLA, "", WS_CLIPSIBLINGS | WS_TABSTOP, 8, 8, 439, 306, kIdPages);
    AddTab(pages_, 0, "General");
    AddTab(pages_, 1, "Ignore Lists");

    // "General"
    general_.push_back(AddControl("BUTTON",
                                  "Select a destination folder to backup deleted entries by "
                                  "repairing",
                                  BS_GROUPBOX | WS_CLIPSIBLINGS, 20, 40, 415, 60, kIdFolderFrame));
    eOutputFolder_ = AddWideEdit("", ES_AUTOHSCROLL | WS_TABSTOP, 32, 64, 340, 21, kIdOutputFolder,
                                 WS_EX_CLIENTEDGE);
    general_.push_back(eOutputFolder_);
    general_.push_back(
        AddControl("BUTTON", "...", BS_PUSHBUTTON | WS_TABSTOP, 380, 63, 40, 23, kIdBrowse));
    const struct {
      const char* caption;
      int id;
      HWND* box;
    } boxes[] = {
        {"Create a system restore point before repair (XP)", kIdCreateRestore, &cbCreateRestore_},
        {"Delete backup file after restoring the registry on restore dialog", kIdDeleteBackupFile,
         &cbDeleteBackupFile_},
        {"Include all references to removeable media", kIdIncludeRemoveMedia,
         &cbIncludeRemoveMedia_},
        {"Include all references to CD drive", kIdIncludeCDdrive, &cbIncludeCDdrive_},
        {"Show hint dialog after repairing registry issue", kIdShowHint, &cbShowHint_},
    };
    int y = 116;
    for (const auto& box : boxes) {
      *box.box =
          AddControl("BUTTON", box.caption, BS_AUTOCHECKBOX | WS_TABSTOP, 24, y, 400, 20, box.id);
      general_.push_back(*box.box);
      y += 26;
    }

    // "Ignore Lists"
    lists_.push_back(AddControl("STATIC", "The following registry values and keys will be ignored:",
                                SS_LEFT, 20, 42, 400, 16, kIdListsLabel));
    listPages_ = AddControl(WC_TABCONTROLA, "", WS_CLIPSIBLINGS | WS_TABSTOP, 20, 62, 415, 206,
                            kIdListPages);
    AddTab(listPages_, 0, "Values");
    AddTab(listPages_, 1, "Keys");
    lists_.push_back(listPages_);
    lvValues_ = CreateList(kIdValues, 360);
    lvKeys_ = CreateList(kIdKeys, 320);
    lists_.push_back(
        AddControl("BUTTON", "&Add", BS_PUSHBUTTON | WS_TABSTOP, 20, 278, 75, 25, kIdAdd));
    lists_.push_back(
        AddControl("BUTTON", "&Edit", BS_PUSHBUTTON | WS_TABSTOP, 101, 278, 75, 25, kIdEdit));
    lists_.push_back(
        AddControl("BUTTON", "&Remove", BS_PUSHBUTTON | WS_TABSTOP, 182, 278, 75, 25, kIdRemove));

    AddControl("BUTTON", "&OK", BS_DEFPUSHBUTTON | WS_TABSTOP, 292, 324, 75, 25, IDOK);
    AddControl("BUTTON", "&Cancel", BS_PUSHBUTTON | WS_TABSTOP, 372, 324, 75, 25, IDCANCEL);

    // The page controls draw behind the controls on them.
    const UINT keep = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE;
    SetWindowPos(general_.front(), HWND_BOTTOM, 0, 0, 0, 0, keep);
    SetWindowPos(listPages_, HWND_BOTTOM, 0, 0, 0, 0, keep);
    SetWindowPos(pages_, HWND_BOTTOM, 0, 0, 0, 0, keep);
    FormShow();
  }

  bool HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam, INT_PTR* result) override {
    if (msg == WM_CTLCOLORSTATIC || msg == WM_CTLCOLORBTN) {
      // Labels and boxes of the pages take the page's look behind their texts.
      const auto control = reinterpret_cast<HWND>(lParam);
      const auto onPage = [&](const std::vector<HWND>& page) {
        return std::find(page.begin(), page.end(), control) != page.end();
      };
      if (!onPage(general_) && !onPage(lists_))
        return false;
      HBRUSH brush = pageBody_.ForControl(pages_, control, reinterpret_cast<HDC>(wParam));
      if (!brush)
        return false;
      *result = reinterpret_cast<INT_PTR>(brush);
      return true;
    }
    if (msg == WM_NOTIFY) {
      const auto* header = reinterpret_cast<const NMHDR*>(lParam);
      if (header->code != TCN_SELCHANGE)
        return false;
      if (header->hwndFrom == pages_)
        ShowPage(ActivePage());
      else if (header->hwndFrom == listPages_)
        ShowLists();
      return false;
    }
    if (msg != WM_COMMAND)
      return false;
    switch (LOWORD(wParam)) {
      case IDOK:
        bOKClick();
        break;
      case IDCANCEL:
        EndModal(kModalCancel);
        break;
      case kIdBrowse:
        bBrowseClick();
        break;
      case kIdAdd:
        bAddClick();
        break;
      case kIdEdit:
        bEditClick();
        break;
      case kIdRemove:
        bRemoveClick();
        break;
      default:
        return false;
    }
    *result = TRUE;
    return true;
  }

  // Ctrl+Tab and Ctrl+Shift+Tab go to the next and the previous page, as in any
  // window with pages.
  bool PreTranslateKey(const MSG& msg) override {
    if (msg.message != WM_KEYDOWN || msg.wParam != VK_TAB || GetKeyState(VK_CONTROL) >= 0)
      return false;
    const int count = static_cast<int>(SendMessageA(pages_, TCM_GETITEMCOUNT, 0, 0));
    if (count < 2)
      return true;
    const int step = GetKeyState(VK_SHIFT) < 0 ? count - 1 : 1;
    ShowPage((ActivePage() + step) % count);
    SetFocus(pages_);
    return true;
  }

 private:
  HWND CreateList(int id, int columnWidth) {
    HWND list =
        AddControl(WC_LISTVIEWA, "", LVS_REPORT | LVS_SHOWSELALWAYS | LVS_SINGLESEL | WS_TABSTOP,
                   28, 90, 399, 170, id, nullptr, WS_EX_CLIENTEDGE);
    ListView_SetExtendedListViewStyle(list, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
    LVCOLUMNA column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH;
    column.pszText = const_cast<char*>("Items");
    column.cx = columnWidth;
    SendMessageA(list, LVM_INSERTCOLUMNA, 0, reinterpret_cast<LPARAM>(&column));
    lists_.push_back(list);
    return list;
  }

  void FormShow() {
    form_ = settings_;
    SetWindowTextA(eOutputFolder_, form_.OutputDirectory.c_str());
    SetChecked(cbCreateRestore_, form_.RestorePoint);
    SetChecked(cbDeleteBackupFile_, form_.DeleteBackupFile);
    SetChecked(cbIncludeRemoveMedia_, form_.IncludeRemoveMedia);
    SetChecked(cbIncludeCDdrive_, form_.IncludeCDdrive);
    SetChecked(cbShowHint_, form_.ShowHint);
    FillList(lvValues_, form_.IgnoreValues);
    FillList(lvKeys_, form_.IgnoreKeys);
    ShowPage(kPageGeneral);
  }

  int ActivePage() const { return static_cast<int>(SendMessageA(pages_, TCM_GETCURSEL, 0, 0)); }
  int ActiveListPage() const {
    return static_cast<int>(SendMessageA(listPages_, TCM_GETCURSEL, 0, 0));
  }
  HWND ActiveListView() const { return ActiveListPage() != 0 ? lvKeys_ : lvValues_; }

  void ShowPage(int page) {
    SendMessageA(pages_, TCM_SETCURSEL, page, 0);
    for (HWND control : general_)
      ShowWindow(control, page == kPageGeneral ? SW_SHOW : SW_HIDE);
    for (HWND control : lists_)
      ShowWindow(control, page == kPageGeneral ? SW_HIDE : SW_SHOW);
    if (page != kPageGeneral)
      ShowLists();
  }

  void ShowLists() {
    ShowWindow(lvValues_, ActiveListPage() == 0 ? SW_SHOW : SW_HIDE);
    ShowWindow(lvKeys_, ActiveListPage() == 0 ? SW_HIDE : SW_SHOW);
  }

  static void FillList(HWND list, const std::vector<std::string>& rows) {
    SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    ListView_DeleteAllItems(list);
    for (size_t i = 0; i < rows.size(); ++i)
      InsertRow(list, static_cast<int>(i), rows[i]);
    SendMessageA(list, WM_SETREDRAW, TRUE, 0);
  }

  static void InsertRow(HWND list, int index, const std::string& text) {
    LVITEMA item{};
    item.mask = LVIF_TEXT;
    item.iItem = index;
    item.pszText = const_cast<char*>(text.c_str());
    SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
  }

  void bOKClick() {
    // Read wide: a folder the ANSI code page cannot carry is refused, never kept as
    // the look-alike path that the ANSI text would give.
    form_.OutputDirectory = ListedControlText(eOutputFolder_);
    std::string refusal;
    if (HoldsNul(form_.OutputDirectory)) {
      refusal = InexactBackupFolderText(form_.OutputDirectory);
    } else if (!BackupFolderExists(
                   platform_.files,
                   ResolveFolder(form_.OutputDirectory, platform_.shell.ExecutableFolder()))) {
      refusal =
          MissingBackupFolderText(form_.OutputDirectory, LoadResString(IDS_OPTIONS_FOLDER_MISSING));
    }
    if (!refusal.empty()) {
      AppMessageBox(hwnd_, refusal, MB_OK | MB_ICONERROR);
      ShowPage(kPageGeneral);
      SendMessageA(hwnd_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(eOutputFolder_), TRUE);
      return;
    }
    form_.RestorePoint = IsChecked(cbCreateRestore_);
    form_.DeleteBackupFile = IsChecked(cbDeleteBackupFile_);
    form_.IncludeRemoveMedia = IsChecked(cbIncludeRemoveMedia_);
    form_.IncludeCDdrive = IsChecked(cbIncludeCDdrive_);
    form_.ShowHint = IsChecked(cbShowHint_);
    settings_ = form_;
    EndModal(kModalOk);
  }

  void bBrowseClick() {
    std::string folder;
    if (BrowseForFolder(hwnd_, LoadResString(IDS_OPTIONS_BROWSE_PROMPT), L"", folder))
      SetListedText(eOutputFolder_, folder);
  }

  void bAddClick() {
    std::string text;
    if (!ShowRegAddRegistry(hwnd_, platform_, text))
      return;
    std::vector<std::string>& rows = ActiveIgnoreList(form_, ActiveListPage());
    rows.push_back(text);
    InsertRow(ActiveListView(), static_cast<int>(rows.size() - 1), text);
  }

  void bEditClick() {
    HWND list = ActiveListView();
    const int row = static_cast<int>(SendMessageA(list, LVM_GETNEXTITEM, -1, LVNI_SELECTED));
    std::vector<std::string>& rows = ActiveIgnoreList(form_, ActiveListPage());
    if (row < 0 || static_cast<size_t>(row) >= rows.size())
      return;  // nothing selected: nothing to edit
    std::string text = rows[static_cast<size_t>(row)];
    if (!ShowRegAddRegistry(hwnd_, platform_, text))
      return;
    rows[static_cast<size_t>(row)] = text;
    LVITEMA item{};
    item.iSubItem = 0;
    item.pszText = const_cast<char*>(text.c_str());
    SendMessageA(list, LVM_SETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
  }

  void bRemoveClick() {
    HWND list = ActiveListView();
    std::vector<std::string>& rows = ActiveIgnoreList(form_, ActiveListPage());
    std::vector<bool> ticked(rows.size());
    for (size_t i = 0; i < rows.size(); ++i)
      ticked[i] = ListView_GetCheckState(list, static_cast<int>(i)) != 0;
    RemoveTickedRows(rows, ticked);
    FillList(list, rows);
  }

  Platform& platform_;
  TOptionsSetting& settings_;
  TOptionsSetting form_;  // the settings as edited on screen until OK
  HWND pages_ = nullptr;
  HWND listPages_ = nullptr;
  HWND eOutputFolder_ = nullptr;
  HWND cbCreateRestore_ = nullptr;
  HWND cbDeleteBackupFile_ = nullptr;
  HWND cbIncludeRemoveMedia_ = nullptr;
  HWND cbIncludeCDdrive_ = nullptr;
  HWND cbShowHint_ = nullptr;
  HWND lvValues_ = nullptr;
  HWND lvKeys_ = nullptr;
  std::vector<HWND> general_;  // the controls of "General"
  std::vector<HWND> lists_;    // the controls of "Ignore Lists"
  TabBodyBrush pageBody_;
};

}  // namespace

int ShowOptions(HWND owner, Platform& platform, TOptionsSetting& settings) {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES | ICC_TAB_CLASSES};
  InitCommonControlsEx(&controls);
  TfrmOptions form(platform, settings);
  const INT_PTR result = form.ShowModal(
      owner, "Options", WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME, 455, 356);
  return result == kModalOk ? static_cast<int>(kModalOk) : static_cast<int>(kModalCancel);
}

}  // namespace kelvane
