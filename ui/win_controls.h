// Small helpers shared by the program's windows: string-table texts, the program's
// message boxes and its error box, and the controls the forms use, each a thin holder of
// its window that sends the control's messages, so that no form sends them itself, and
// that raises the control's notifications as typed callbacks (a click, a new check
// state, a selection), so that no form switches on control ids.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "ui/win_gdi.h"
#include "ui/win_text.h"

namespace kelvane {

// A text of the program's string table.
std::string LoadResString(UINT id);

// A message box with the program's caption "Varnok Kelvane"; the text shows in any
// script as it is.
int AppMessageBox(HWND owner, const std::string& text, UINT flags);

// The application's error box: the error's text, with a full stop appended when its
// last character comes after "." in character order; error icon, OK button.
void ShowApplicationError(HWND owner, const std::string& text);

// Creates a child control (a Unicode window) with the given font; `cls` and `text` are
// program texts.
HWND CreateChild(HWND parent, const char* cls, const char* text, DWORD style, int x, int y, int w,
                 int h, int id, HFONT font, DWORD exStyle = 0);

// A notification a control sends its parent window: the code of a WM_COMMAND, with the
// header of a WM_NOTIFY when it came so.
struct ControlNotice {
  UINT code = 0;
  const NMHDR* header = nullptr;
};

// The callbacks of a window's controls, kept with the window. The window passes each
// WM_COMMAND and WM_NOTIFY on to the callbacks of the control that sent it, found by its
// window (ModalForm does); the control wrappers below set them.
class ControlCallbacks {
 public:
  // Takes the notice; true when it was the callback's, with `result` the answer.
  using Handler = std::function<bool(const ControlNotice& notice, LRESULT* result)>;

  ControlCallbacks() = default;
  ~ControlCallbacks() { Detach(); }
  ControlCallbacks(const ControlCallbacks&) = delete;
  ControlCallbacks& operator=(const ControlCallbacks&) = delete;

  // Makes these the callbacks of `parent`'s controls; Detach forgets the window and
  // every callback.
  void Attach(HWND parent);
  void Detach();
  // The callbacks of `parent`'s controls, or null when it keeps none.
  static ControlCallbacks* Of(HWND parent);
  void Add(HWND control, Handler handler) { handlers_.push_back({control, std::move(handler)}); }
  // A WM_COMMAND or WM_NOTIFY of the window: true when a callback of the control that
  // sent it took it, `result` its answer.
  bool Route(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) const;

 private:
  struct Entry {
    HWND control;
    Handler handler;
  };
  HWND parent_ = nullptr;
  std::vector<Entry> handlers_;
};

// Any control: its window, shown or hidden, enabled or not.
class Control {
 public:
  Control() = default;
  explicit Control(HWND control) : hwnd_(control) {}
  HWND Handle() const { return hwnd_; }
  void Show(bool shown) const { ShowWindow(hwnd_, shown ? SW_SHOW : SW_HIDE); }
  void Enable(bool enabled) const { EnableWindow(hwnd_, enabled ? TRUE : FALSE); }

 protected:
  // Gives the control's notifications to `handler`, among the callbacks of its parent
  // window, which must keep some (a form's controls).
  void Listen(ControlCallbacks::Handler handler) const;
  // The same for one notification code, the handler then taking no arguments.
  void ListenFor(UINT code, std::function<void()> run) const;

  HWND hwnd_ = nullptr;
};

// A push button. `run` is what a click does (also Enter or Space on the button, and
// Enter or Escape in the form when the button has the id IDOK or IDCANCEL).
class Button : public Control {
 public:
  using Control::Control;
  const Button& OnClick(std::function<void()> run) const;
};

// A label with SS_NOTIFY, which tells of a click on it.
class Link : public Control {
 public:
  using Control::Control;
  const Link& OnClick(std::function<void()> run) const;
};

class CheckBox : public Control {
 public:
  using Control::Control;
  bool Checked() const { return SendMessageW(hwnd_, BM_GETCHECK, 0, 0) == BST_CHECKED; }
  void SetChecked(bool on) const { SendMessageW(hwnd_, BM_SETCHECK, on ? BST_CHECKED : 0, 0); }
  // A click on the box (or Space): `run` gets the state it gave the box.
  const CheckBox& OnCheck(std::function<void(bool checked)> run) const;
};

// A one-line edit, a Unicode window: its text is read and set as UTF-8, kept as typed
// in any script, never as "?" or look-alike letters.
class Edit : public Control {
 public:
  using Control::Control;
  std::string Text() const;
  void SetText(const std::string& text) const;
  // The text changed, by typing or by SetText: `run` gets the new text.
  const Edit& OnChange(std::function<void(const std::string& text)> run) const;
};

// A tab control: its pages are captions only; the form shows what lies on each.
class TabControl : public Control {
 public:
  using Control::Control;
  void AddPage(const char* caption) const;  // after the last
  int Count() const { return static_cast<int>(SendMessageW(hwnd_, TCM_GETITEMCOUNT, 0, 0)); }
  int Current() const { return static_cast<int>(SendMessageW(hwnd_, TCM_GETCURSEL, 0, 0)); }
  void Select(int page) const { SendMessageW(hwnd_, TCM_SETCURSEL, page, 0); }
  // The user went to another page (Select tells nothing): `run` gets the page.
  const TabControl& OnSelect(std::function<void(int page)> run) const;
};

// A report-style list view whose rows are selected whole.
class ReportList : public Control {
 public:
  struct Column {
    const char* caption;
    int width;  // in design pixels
  };
  using Cells = std::vector<std::string>;

  ReportList() = default;
  // Takes a report list view: its extended styles (full-row selection and
  // `extendedStyles`) and its columns, their widths scaled to `dpi`.
  ReportList(HWND list, UINT dpi, DWORD extendedStyles, std::initializer_list<Column> columns);

  int Count() const { return static_cast<int>(SendMessageW(hwnd_, LVM_GETITEMCOUNT, 0, 0)); }
  // Appends a row; its cells show in any script as they are.
  void AddRow(const Cells& cells) const;
  void SetCell(int row, int column, const std::string& text) const;
  void RemoveRow(int row) const { SendMessageW(hwnd_, LVM_DELETEITEM, row, 0); }
  void Clear() const { SendMessageW(hwnd_, LVM_DELETEALLITEMS, 0, 0); }
  // The rows anew, one per item (`cellsOf` gives its cells), drawn once at the end;
  // `fitColumns` fits each column to its widest text when there are rows.
  template <class Item, class CellsOf>
  void SetRows(const std::vector<Item>& items, CellsOf cellsOf, bool fitColumns = false) const {
    SendMessageW(hwnd_, WM_SETREDRAW, FALSE, 0);
    Clear();
    for (const Item& item : items)
      AddRow(cellsOf(item));
    if (fitColumns && !items.empty())
      FitColumns();
    SendMessageW(hwnd_, WM_SETREDRAW, TRUE, 0);
  }
  void FitColumns() const;

  std::vector<bool> Ticks() const;  // of every row, in order
  void TickAll(bool ticked) const {
    for (int row = 0, count = Count(); row < count; ++row)
      ListView_SetCheckState(hwnd_, row, ticked);
  }
  // The selected row, or -1; Select also gives the row the focus.
  int Selected() const { return ListView_GetNextItem(hwnd_, -1, LVNI_SELECTED); }
  void Select(int row) const {
    ListView_SetItemState(hwnd_, row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  }
  // A row was selected or left unselected, by the user or by Select: `run` gets the
  // selected row, or -1.
  const ReportList& OnSelect(std::function<void(int row)> run) const;
  // A double click on the list.
  const ReportList& OnDoubleClick(std::function<void()> run) const;
};

// A progress bar. Run, a timer of its own moves it on by itself, the steps shrinking
// as it fills (`next` gives the position after a step), until it is stopped.
class ProgressBar : public Control {
 public:
  using NextPosition = int (*)(int position);
  ProgressBar() = default;
  ~ProgressBar() { Stop(); }
  ProgressBar(const ProgressBar&) = delete;
  ProgressBar& operator=(const ProgressBar&) = delete;

  // Takes a progress bar control: its range from 0 to `max`, at `position`.
  void Attach(HWND bar, int max, int position) {
    hwnd_ = bar;
    SendMessageW(bar, PBM_SETRANGE32, 0, max);
    SetPosition(position);
  }
  void SetPosition(int position) const { SendMessageW(hwnd_, PBM_SETPOS, position, 0); }
  // A step every `interval` milliseconds from the position it has; `onTick` runs first
  // at each tick and may stop the bar, which then takes no step. It must not throw.
  void Run(UINT interval, NextPosition next, std::function<void()> onTick = {});
  void Stop() {
    if (running_)
      KillTimer(hwnd_, reinterpret_cast<UINT_PTR>(this));
    running_ = false;
  }

 private:
  static void CALLBACK Tick(HWND bar, UINT msg, UINT_PTR self, DWORD time);

  NextPosition next_ = nullptr;
  std::function<void()> onTick_;
  bool running_ = false;
};

// The body of a tab control as a brush, for the labels and boxes of a page, which are
// the form's children drawn over it: with visual styles the body is not the form's
// colour. The tab control paints it once into a bitmap (again when its size changes).
class TabBodyBrush {
 public:
  // The answer to WM_CTLCOLORSTATIC or WM_CTLCOLORBTN of `control`, which lies over
  // `tabs`: the brush, aligned to the control, with a transparent text background.
  HBRUSH ForControl(HWND tabs, HWND control, HDC dc);

 private:
  ScopedGdi<HBRUSH> brush_;
  SIZE size_{};
};

}  // namespace kelvane
