#include "options/options_dialog.h"

#include <commctrl.h>

#include <algorithm>
#include <iterator>
#include <vector>

#include "ui/win_browse_folder.h"
#include "options/options_form.h"
#include "ui/texts_resource.h"
#include "options/reg_add_registry_dialog.h"
#include "ui/win_controls.h"
#include "ui/win_form.h"

namespace kelvane {

namespace {

constexpr int kPageGeneral = 0;

// The switches of "General", each a box of one field of the settings.
constexpr struct {
  const char* caption;
  int id;
  bool TOptionsSetting::*setting;
} kSwitches[] = {
    {"Create a system restore point before repair", kIdCreateRestore,
     &TOptionsSetting::RestorePoint},
    {"Delete backup file after restoring the registry on restore dialog", kIdDeleteBackupFile,
     &TOptionsSetting::DeleteBackupFile},
    {"Include all references to removeable media", kIdIncludeRemoveMedia,
     &TOptionsSetting::IncludeRemoveMedia},
    {"Include all references to CD drive", kIdIncludeCDdrive, &TOptionsSetting::IncludeCDdrive},
    {"Show hint dialog after repairing registry issue", kIdShowHint, &TOptionsSetting::ShowHint},
};

class TfrmOptions : public ModalForm {
 public:
  TfrmOptions(Platform& platform, TOptionsSetting& settings)
      : platform_(platform), settings_(settings) {}

 protected:
  void FormCreate() override {
    pages_ = AddTabs(8, 8, 439, 306, kIdPages, {"General", "Ignore Lists"});
    pages_.OnSelect([this](int page) { ShowPage(page); });
    CreateGeneralPage();
    CreateListsPage();
    AddButton("&OK", 292, 324, 75, 25, IDOK, BS_DEFPUSHBUTTON).OnClick([this] { bOKClick(); });
    AddButton("&Cancel", 372, 324, 75, 25, IDCANCEL);  // ends the form as Escape does

    // The page controls draw behind the controls on them.
    const UINT keep = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE;
    SetWindowPos(general_.front(), HWND_BOTTOM, 0, 0, 0, 0, keep);
    SetWindowPos(listPages_.Handle(), HWND_BOTTOM, 0, 0, 0, 0, keep);
    SetWindowPos(pages_.Handle(), HWND_BOTTOM, 0, 0, 0, 0, keep);
    FormShow();
  }

  bool HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam, INT_PTR* result) override {
    if (msg != WM_CTLCOLORSTATIC && msg != WM_CTLCOLORBTN)
      return false;
    // Labels and boxes of the pages take the page's look behind their texts.
    const auto control = reinterpret_cast<HWND>(lParam);
    const auto onPage = [&](const std::vector<HWND>& page) {
      return std::find(page.begin(), page.end(), control) != page.end();
    };
    if (!onPage(general_) && !onPage(lists_))
      return false;
    HBRUSH brush = pageBody_.ForControl(pages_.Handle(), control, reinterpret_cast<HDC>(wParam));
    if (!brush)
      return false;
    *result = reinterpret_cast<INT_PTR>(brush);
    return true;
  }

  // Ctrl+Tab and Ctrl+Shift+Tab go to the next and the previous page, as in any
  // window with pages.
  bool PreTranslateKey(const MSG& msg) override {
    if (msg.message != WM_KEYDOWN || msg.wParam != VK_TAB || GetKeyState(VK_CONTROL) >= 0)
      return false;
    const int count = pages_.Count();
    if (count < 2)
      return true;
    const int step = GetKeyState(VK_SHIFT) < 0 ? count - 1 : 1;
    ShowPage((pages_.Current() + step) % count);
    SetFocus(pages_.Handle());
    return true;
  }

 private:
  void CreateGeneralPage() {
    general_.push_back(AddControl("BUTTON",
                                  "Select a destination folder to backup deleted entries by "
                                  "repairing",
                                  BS_GROUPBOX | WS_CLIPSIBLINGS, 20, 40, 415, 60, kIdFolderFrame));
    eOutputFolder_ = AddEdit("", 32, 64, 340, 21, kIdOutputFolder);
    general_.push_back(eOutputFolder_.Handle());
    general_.push_back(
        AddButton("...", 380, 63, 40, 23, kIdBrowse).OnClick([this] { bBrowseClick(); }).Handle());
    for (size_t i = 0; i < std::size(kSwitches); ++i) {
      const int y = 116 + 26 * static_cast<int>(i);
      switches_[i] = AddCheckBox(kSwitches[i].caption, 24, y, 400, 20, kSwitches[i].id);
      general_.push_back(switches_[i].Handle());
    }
  }

  void CreateListsPage() {
    lists_.push_back(AddControl("STATIC", "The following registry values and keys will be ignored:",
                                SS_LEFT, 20, 42, 400, 16, kIdListsLabel));
    listPages_ = AddTabs(20, 62, 415, 206, kIdListPages, {"Values", "Keys"});
    listPages_.OnSelect([this](int) { ShowLists(); });
    lists_.push_back(listPages_.Handle());
    lvValues_ = AddReportList(LVS_SINGLESEL, 28, 90, 399, 170, kIdValues, LVS_EX_CHECKBOXES,
                              {{"Items", 360}});
    lvKeys_ = AddReportList(LVS_SINGLESEL, 28, 90, 399, 170, kIdKeys, LVS_EX_CHECKBOXES,
                            {{"Items", 320}});
    lists_.insert(lists_.end(), {lvValues_.Handle(), lvKeys_.Handle()});
    lists_.push_back(
        AddButton("&Add", 20, 278, 75, 25, kIdAdd).OnClick([this] { bAddClick(); }).Handle());
    lists_.push_back(
        AddButton("&Edit", 101, 278, 75, 25, kIdEdit).OnClick([this] { bEditClick(); }).Handle());
    lists_.push_back(AddButton("&Remove", 182, 278, 75, 25, kIdRemove)
                         .OnClick([this] { bRemoveClick(); })
                         .Handle());
  }

  void FormShow() {
    form_ = settings_;
    eOutputFolder_.SetText(form_.OutputDirectory);
    for (size_t i = 0; i < std::size(kSwitches); ++i)
      switches_[i].SetChecked(form_.*kSwitches[i].setting);
    FillList(lvValues_, form_.IgnoreValues);
    FillList(lvKeys_, form_.IgnoreKeys);
    ShowPage(kPageGeneral);
  }

  const ReportList& ActiveListView() const {
    return listPages_.Current() != 0 ? lvKeys_ : lvValues_;
  }

  void ShowPage(int page) {
    pages_.Select(page);
    for (HWND control : general_)
      ShowWindow(control, page == kPageGeneral ? SW_SHOW : SW_HIDE);
    for (HWND control : lists_)
      ShowWindow(control, page == kPageGeneral ? SW_HIDE : SW_SHOW);
    if (page != kPageGeneral)
      ShowLists();
  }

  void ShowLists() {
    lvValues_.Show(listPages_.Current() == 0);
    lvKeys_.Show(listPages_.Current() != 0);
  }

  static void FillList(const ReportList& list, const std::vector<std::string>& rows) {
    list.SetRows(rows, [](const std::string& row) { return ReportList::Cells{row}; });
  }

  void bOKClick() {
    // Read wide: a folder in any script is kept as typed, never as a look-alike path.
    form_.OutputDirectory = eOutputFolder_.Text();
    const std::string missing = LoadResString(IDS_FOLDER_MISSING);
    const BackupFolderCheck check = CheckBackupFolder(
        platform_.files, form_.OutputDirectory,
        ResolveFolder(form_.OutputDirectory, platform_.shell.ExecutableFolder()), missing, [&] {
          const std::string question = MissingBackupFolderText(form_.OutputDirectory, missing) +
                                       "\r\n" + LoadResString(IDS_CREATE_FOLDER);
          return AppMessageBox(hwnd_, question, MB_YESNO | MB_ICONINFORMATION) == IDYES;
        });
    if (!check.accepted) {
      if (!check.message.empty())
        AppMessageBox(hwnd_, check.message, MB_OK | MB_ICONERROR);
      ShowPage(kPageGeneral);
      SendMessageW(hwnd_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(eOutputFolder_.Handle()), TRUE);
      return;
    }
    for (size_t i = 0; i < std::size(kSwitches); ++i)
      form_.*kSwitches[i].setting = switches_[i].Checked();
    settings_ = form_;
    EndModal(ModalResult::kOk);
  }

  void bBrowseClick() {
    std::string folder;
    if (BrowseForFolder(hwnd_, LoadResString(IDS_BROWSE_PROMPT), L"", folder))
      eOutputFolder_.SetText(folder);
  }

  void bAddClick() {
    std::string text;
    if (!ShowRegAddRegistry(hwnd_, platform_, text))
      return;
    std::vector<std::string>& rows = ActiveIgnoreList(form_, listPages_.Current());
    rows.push_back(text);
    ActiveListView().AddRow({text});
  }

  void bEditClick() {
    const ReportList& list = ActiveListView();
    const int row = list.Selected();
    std::vector<std::string>& rows = ActiveIgnoreList(form_, listPages_.Current());
    if (row < 0 || static_cast<size_t>(row) >= rows.size())
      return;  // nothing selected: nothing to edit
    std::string text = rows[static_cast<size_t>(row)];
    if (!ShowRegAddRegistry(hwnd_, platform_, text))
      return;
    rows[static_cast<size_t>(row)] = text;
    list.SetCell(row, 0, text);
  }

  void bRemoveClick() {
    const ReportList& list = ActiveListView();
    std::vector<std::string>& rows = ActiveIgnoreList(form_, listPages_.Current());
    RemoveTickedRows(rows, list.Ticks());
    FillList(list, rows);
  }

  Platform& platform_;
  TOptionsSetting& settings_;
  TOptionsSetting form_;  // the settings as edited on screen until OK
  TabControl pages_;
  TabControl listPages_;
  Edit eOutputFolder_;
  CheckBox switches_[std::size(kSwitches)];
  ReportList lvValues_;
  ReportList lvKeys_;
  std::vector<HWND> general_;  // the controls of "General"
  std::vector<HWND> lists_;    // the controls of "Ignore Lists"
  TabBodyBrush pageBody_;
};

}  // namespace

ModalResult ShowOptions(HWND owner, Platform& platform, TOptionsSetting& settings) {
  TfrmOptions form(platform, settings);
  return form.ShowModal(owner, "Options", kDialogStyle, 455, 356);
}

}  // namespace kelvane
