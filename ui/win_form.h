// The one base of the program's modal windows: a dialog without template controls
// whose client area is given in design pixels (96 DPI), scaled by the DPI of the
// form's window, and centred on its owner; the form creates its own controls, in
// design pixels too, and its labels and buttons widen (the form with them) when their
// texts need more room than the design gave them. Moved to a monitor of another DPI, the
// form scales its controls, their fonts and list columns to it. Its modal loop is the only one in
// the program: the owner is disabled while it runs, and the form may stay hidden throughout (the
// unattended run). The form passes its controls' notifications on to the callbacks the
// form set where it made them, and the dialog commands (Enter, Escape, the close box) to
// its own.
#pragma once

#include <windows.h>

#include <functional>
#include <initializer_list>
#include <optional>
#include <utility>
#include <vector>

#include "ui/win_controls.h"

namespace kelvane {

// A form with a caption and a close box.
inline constexpr DWORD kDialogStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;

// How a modal form ended, by the button that ended it.
enum class ModalResult : INT_PTR { kOk = IDOK, kCancel = IDCANCEL, kAbort = IDABORT, kNo = IDNO };

class ModalForm {
 public:
  virtual ~ModalForm() = default;
  // Shows the form modally over `owner` and returns its modal result (kCancel when the
  // window cannot be made, and when the program is asked to quit while it runs; the
  // quit is passed on afterwards).
  ModalResult ShowModal(HWND owner, const char* caption, DWORD style, int clientWidth,
                        int clientHeight);

 protected:
  // Creates the controls; the window exists, is sized and centred, not yet shown.
  virtual void FormCreate() = 0;
  // A message for the form: true when handled, with `result` as the dialog's answer.
  // A WM_COMMAND or WM_NOTIFY the form leaves goes on to the callbacks of the control
  // that sent it, then to the form's commands.
  virtual bool HandleMessage(UINT, WPARAM, LPARAM, INT_PTR*) { return false; }
  // Runs once the modal loop has ended, before the window goes.
  virtual void FormClose() {}
  // A keystroke of the form's loop before the dialog manager sees it: true when the
  // form took it (Ctrl+Tab between pages, which the dialog manager would take as Tab).
  virtual bool PreTranslateKey(const MSG&) { return false; }
  // Ends the modal loop with `result`; later calls change nothing.
  void EndModal(ModalResult result);
  // What the command `id` does when no control's callback takes it: Enter (IDOK, or the
  // default button's id), Escape and the close box (IDCANCEL) come as commands to the
  // button of that id, and without one to the form. Unless the form says otherwise,
  // IDCANCEL ends the form with kCancel and any other command does nothing.
  void OnCommand(int id, std::function<void()> run) { commands_.emplace_back(id, std::move(run)); }
  bool Ending() const { return ended_; }
  // Before ShowModal: the window's own class name (a dialog class of that name is
  // registered once), and whether the form stays hidden.
  void UseClassName(const char* name) { className_ = name; }
  void KeepHidden(bool hidden) { hidden_ = hidden; }
  // A child control in the design font, at a position and size in design pixels.
  HWND AddControl(const char* cls, const char* text, DWORD style, int x, int y, int w, int h,
                  int id, HFONT font = nullptr, DWORD exStyle = 0);
  // The same for the controls the forms use, each a tab stop; `style` adds to the kind's
  // own. Every control is a Unicode window, its texts program texts (UTF-8).
  Button AddButton(const char* text, int x, int y, int w, int h, int id,
                   DWORD style = BS_PUSHBUTTON);
  CheckBox AddCheckBox(const char* text, int x, int y, int w, int h, int id);
  Edit AddEdit(const char* text, int x, int y, int w, int h, int id, DWORD style = 0);
  TabControl AddTabs(int x, int y, int w, int h, int id, std::initializer_list<const char*> pages);
  ReportList AddReportList(DWORD style, int x, int y, int w, int h, int id, DWORD extendedStyles,
                           std::initializer_list<ReportList::Column> columns);
  // Design pixels at the form's DPI.
  int Scale(int designPixels) const;
  // A font of the form at its DPI, released with the form.
  HFONT DesignFont(int points, bool bold = false, const char* face = "MS Sans Serif",
                   bool underline = false);

  HWND hwnd_ = nullptr;
  HFONT font_ = nullptr;
  UINT dpi_ = 96;

 private:
  static INT_PTR Dispatch(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  // A WM_COMMAND or WM_NOTIFY the form left: to its controls' callbacks, its commands.
  INT_PTR Route(UINT msg, WPARAM wParam, LPARAM lParam);
  static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  void FillTemplate(DWORD (&buffer)[64], DWORD style, HINSTANCE instance) const;
  // The form's messages until it ends; the exit code of a quit that came meanwhile,
  // which ended the form with kCancel.
  std::optional<int> RunModalLoop();
  // Gives the owner back (when it was enabled) and lets the window, the callbacks of its
  // controls and its fonts go.
  void Dismiss(bool ownerEnabled);
  // Sizes the window to the design client size; `centre` also centres it on the owner.
  void PlaceWindow(bool centre = true);
  void FitTexts(bool centre = true);
  void ReleaseFonts();
  void ChangeDpi(UINT dpi, const RECT& suggested);

  HWND owner_ = nullptr;
  const char* caption_ = "";
  const char* className_ = nullptr;
  bool hidden_ = false;
  bool ended_ = false;
  ModalResult result_ = ModalResult::kCancel;
  int clientWidth_ = 0;
  int clientHeight_ = 0;
  ControlCallbacks controlCallbacks_;
  std::vector<std::pair<int, std::function<void()>>> commands_;
  // The form's fonts and what they were made from, to make them again at another DPI.
  struct FontRequest {
    int points = 8;
    bool bold = false;
    const char* face = "";
    bool underline = false;
  };
  ScopedGdi<HFONT> fonts_[4];
  FontRequest fontRequests_[4] = {};
};

}  // namespace kelvane
