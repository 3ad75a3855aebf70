#include "backup/backup_hint_window.h"

#include <commctrl.h>

#include <optional>

#include "platform/program_texts.h"
#include "ui/texts_resource.h"
#include "ui/win_controls.h"
#include "ui/win_form.h"
#include "ui/win_save_file.h"

namespace kelvane {

namespace {

constexpr UINT kTimerInterval = 500;

class TfrmBackupHint : public ModalForm {
 public:
  TfrmBackupHint(EditorRun& run, std::string hint) : run_(run), hint_(std::move(hint)) {
    UseClassName("TfrmBackupHint");
  }

  bool Stopped() const { return stopped_; }

 protected:
  void FormCreate() override {
    AddControl("BUTTON", "", BS_GROUPBOX, 8, 8, 345, 79, -1);
    lHint_ =
        AddControl("STATIC", "Backup registry...", SS_LEFT, 24, 24, 300, 16, kIdBackupHintText);
    SetText(lHint_, hint_);
    progressBar1_.Attach(AddControl("msctls_progress32", "", 0, 24, 48, 311, 18, kIdBackupHintBar),
                         kBackupHintBarMax, 0);
    AddButton("Stop", 272, 96, 80, 27, kIdBackupHintStop).OnClick([this] { bStopClick(); });
    // Escape leaves the editor running, as the close box does.
    OnCommand(IDCANCEL, [this] { Finish(ModalResult::kCancel); });
    // At each tick: the editor's end closes the window, else the bar takes a step.
    progressBar1_.Run(kTimerInterval, NextBackupHintBarPosition, [this] {
      if (run_.HasEnded())
        Finish(ModalResult::kOk);
    });
  }

  bool HandleMessage(UINT msg, WPARAM, LPARAM, INT_PTR* result) override {
    if (msg != WM_CLOSE)
      return false;
    // The close box leaves the editor running.
    Finish(ModalResult::kCancel);
    *result = TRUE;
    return true;
  }

 private:
  void bStopClick() {
    run_.Stop();
    stopped_ = true;
    Finish(ModalResult::kCancel);
  }

  void Finish(ModalResult result) {
    progressBar1_.Stop();
    EndModal(result);
  }

  EditorRun& run_;
  std::string hint_;
  HWND lHint_ = nullptr;
  ProgressBar progressBar1_;
  bool stopped_ = false;
};

}  // namespace

EditorOutcome RunRegeditWithHint(HWND owner, Processes& processes, const std::string& editorPath,
                                 const std::string& commandLine, const std::string& hint) {
  std::optional<EditorRun> run = EditorRun::Start(processes, editorPath, commandLine);
  if (!run) {
    AppMessageBox(owner, LoadResString(IDS_REGEDIT_MISSING), MB_OK | MB_ICONINFORMATION);
    return EditorOutcome::kNotStarted;
  }
  TfrmBackupHint form(*run, hint);
  if (form.ShowModal(owner, kApplicationTitle, kDialogStyle, 362, 132) == ModalResult::kOk)
    return EditorOutcome::kEnded;
  return form.Stopped() ? EditorOutcome::kStopped : EditorOutcome::kClosed;
}

void miBackupFullRegistryClick(HWND owner, Platform& platform) {
  static const char kFilter[] = "Registry backup files (*.reg)\0*.REG\0";
  const auto file = AskSaveFile(owner, kFilter, LoadResString(IDS_SAVE_FULL_REGISTRY).c_str());
  if (!file)
    return;
  const std::string target = WithRegExtension(file->path);
  if (platform.files.FileExists(target)) {
    const std::string question = target + LoadResString(IDS_OVERWRITE_QUESTION);
    if (AppMessageBox(owner, question, MB_YESNO | MB_ICONINFORMATION | MB_DEFBUTTON2) != IDYES)
      return;
  }
  const std::string temporary = ExportTemporaryPath(platform.files, target);
  const std::string editor = RegistryEditorPath(platform.shell);
  const EditorOutcome outcome = RunRegeditWithHint(owner, platform.processes, editor,
                                                   EditorCommandLine(editor, "/e", temporary),
                                                   LoadResString(IDS_BACKUP_HINT));
  const ExportResult result = FinishFullExport(platform.files, outcome, temporary, target);
  const std::string text = ExportResultText(result, temporary, target);
  if (!text.empty())
    AppMessageBox(owner, text, MB_OK | MB_ICONINFORMATION);
}

void miWindowsBackupClick(HWND owner, Platform& platform) {
  const auto tool = WindowsBackupToolPath(platform.shell, platform.files);
  if (!tool) {
    AppMessageBox(owner, WindowsBackupMissingText(platform.shell.SystemFolder()),
                  MB_OK | MB_ICONINFORMATION);
    return;
  }
  platform.shell.Open(*tool, "", ShellOpen{owner, ShellOpen::kShowNormal});
}

}  // namespace kelvane
