#include "backup/show_hint_window.h"

#include <string>

#include "options/settings.h"
#include "platform/program_texts.h"
#include "ui/texts_resource.h"
#include "ui/win_controls.h"
#include "ui/win_form.h"

namespace kelvane {

namespace {

constexpr int kIdNotShowHint = 101;
constexpr int kIdClose = 102;

class TfrmShowHint : public ModalForm {
 public:
  explicit TfrmShowHint(int32_t repairedCount) : RepairedCount(repairedCount) {}
  TfrmShowHint(const TfrmShowHint&) = delete;
  TfrmShowHint& operator=(const TfrmShowHint&) = delete;

  int32_t RepairedCount;

 protected:
  void FormCreate() override {
    bold_ = DesignFont(8, true);
    label1_ = AddControl("STATIC", "Repair OK!", SS_LEFT, 10, 16, 350, 16, -1, bold_);
    AddControl("STATIC", "Comments: Some registry key or value will been created automatically",
               SS_LEFTNOWORDWRAP, 10, 48, 355, 16, -1);
    AddControl("STATIC", "even they are removed by software. So if you have those key or value,",
               SS_LEFTNOWORDWRAP, 10, 66, 355, 16, -1);
    AddControl("STATIC", "you can not get 0 problems in next scan.", SS_LEFTNOWORDWRAP, 10, 84, 355,
               16, -1);
    AddCheckBox("Don't show this hint dialog next time", 10, 140, 260, 20, kIdNotShowHint)
        .OnCheck(cbNotShowHintClick);
    const auto close = [this] { EndModal(ModalResult::kNo); };
    AddButton("&Close", 282, 136, 75, 25, kIdClose, BS_DEFPUSHBUTTON).OnClick(close);
    OnCommand(IDOK, close);  // Enter, with Close as the default button
    OnCommand(IDCANCEL, close);
    FormShow();
  }

 private:
  void FormShow() {
    const std::string sentence = LoadResString(IDS_HINT_TOTAL_PREFIX) +
                                 std::to_string(RepairedCount) +
                                 LoadResString(IDS_HINT_TOTAL_SUFFIX);
    SetText(label1_, sentence);
  }

  static void cbNotShowHintClick(bool checked) { OptionsSetting.ShowHint = !checked; }

  HWND label1_ = nullptr;
  HFONT bold_ = nullptr;
};

}  // namespace

void ShowRepairHint(HWND owner, int32_t repairedCount) {
  TfrmShowHint form(repairedCount);
  form.ShowModal(owner, kApplicationTitle, kDialogStyle, 367, 175);
}

}  // namespace kelvane
