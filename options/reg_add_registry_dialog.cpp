#include "options/reg_add_registry_dialog.h"

#include "results/results_list.h"
#include "options/options_form.h"
#include "ui/win_controls.h"
#include "ui/win_form.h"

namespace kelvane {

namespace {

class TfrmRegAddRegistry : public ModalForm {
 public:
  // `text` is shown, and takes the entry on OK.
  TfrmRegAddRegistry(Platform& platform, std::string& text) : platform_(platform), text_(text) {}

 protected:
  void FormCreate() override {
    AddControl("STATIC", "Registry Key", SS_LEFT, 12, 18, 150, 16, -1);
    AddButton("&Launch Registry Editor", 232, 12, 148, 25, kIdLaunchRegedit).OnClick([this] {
      bLaunchRegeditClick();
    });
    eRegistryKey_ = AddEdit(text_.c_str(), 12, 44, 368, 21, kIdRegistryKey);
    eRegistryKey_.OnChange([this](const std::string&) { aOKUpdate(); });
    AddControl("STATIC", "Enter the value or key like: HKEY_CURRENT_USER\\Software\\Microsoft",
               SS_LEFT, 12, 76, 368, 32, -1);
    bOK_ = AddButton("&OK", 224, 156, 75, 25, IDOK, BS_DEFPUSHBUTTON);
    bOK_.OnClick([this] { aOKExecute(); });
    AddButton("&Cancel", 305, 156, 75, 25, IDCANCEL);  // ends the form as Escape does
    PostMessageW(hwnd_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(eRegistryKey_.Handle()), TRUE);
    aOKUpdate();
  }

 private:
  // OK is offered exactly while the text holds "HKEY_".
  void aOKUpdate() { bOK_.Enable(IsIgnoreEntryAcceptable(eRegistryKey_.Text())); }

  void aOKExecute() {
    // Enter reaches here even while the button is disabled. The text is read wide: an
    // entry in any script is kept as typed, never with "?" in it.
    const std::string text = eRegistryKey_.Text();
    if (!IsIgnoreEntryAcceptable(text))
      return;
    text_ = text;
    EndModal(ModalResult::kOk);
  }

  void bLaunchRegeditClick() {
    platform_.shell.Open(RegistryEditorPath(platform_.shell), "",
                         ShellOpen{hwnd_, ShellOpen::kShow});
  }

  Platform& platform_;
  std::string& text_;
  Edit eRegistryKey_;
  Button bOK_;
};

}  // namespace

bool ShowRegAddRegistry(HWND owner, Platform& platform, std::string& text) {
  TfrmRegAddRegistry form(platform, text);
  return form.ShowModal(owner, "Add to Ignore List", kDialogStyle, 392, 193) == ModalResult::kOk;
}

}  // namespace kelvane
