#include "ui/win_form.h"

#include <commctrl.h>

#include <algorithm>
#include <cstring>
#include <exception>
#include <iterator>

#include "ui/texts_resource.h"
#include "ui/win_controls.h"
#include "ui/win_dpi.h"

namespace kelvane {

namespace {

// A dialog class of the given name: the system's dialog class under another name, so
// that other programs (and the tests) can find the window by its class.
bool RegisterDialogClass(HINSTANCE instance, const char* name) {
  const std::wstring wide = Wide(name);
  WNDCLASSEXW existing{};
  existing.cbSize = sizeof existing;
  if (GetClassInfoExW(instance, wide.c_str(), &existing))
    return true;
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  if (!GetClassInfoExW(nullptr, reinterpret_cast<LPCWSTR>(static_cast<ULONG_PTR>(32770)), &wc))
    return false;
  wc.hInstance = instance;
  wc.lpszClassName = wide.c_str();
  return RegisterClassExW(&wc) != 0;
}

}  // namespace

ModalResult ModalForm::ShowModal(HWND owner, const char* caption, DWORD style, int clientWidth,
                                 int clientHeight) {
  // The classes of the controls the forms make.
  INITCOMMONCONTROLSEX controls{sizeof controls,
                                ICC_LISTVIEW_CLASSES | ICC_TAB_CLASSES | ICC_PROGRESS_CLASS};
  InitCommonControlsEx(&controls);
  owner_ = owner;
  caption_ = caption;
  clientWidth_ = clientWidth;
  clientHeight_ = clientHeight;
  ended_ = false;
  result_ = ModalResult::kCancel;
  commands_.clear();
  HINSTANCE instance = GetModuleHandleW(nullptr);
  DWORD buffer[64] = {};
  FillTemplate(buffer, style | (hidden_ ? 0 : WS_VISIBLE), instance);
  // The owner is disabled before the form is made: a message the form shows while it
  // starts (a missing folder) must not leave the owner usable behind it.
  const bool ownerEnabled = owner && IsWindowEnabled(owner);
  if (ownerEnabled)
    EnableWindow(owner, FALSE);
  hwnd_ = CreateDialogIndirectParamW(instance, reinterpret_cast<DLGTEMPLATE*>(buffer), owner,
                                     &DialogProc, reinterpret_cast<LPARAM>(this));
  if (!hwnd_) {
    Dismiss(ownerEnabled);
    return ModalResult::kCancel;
  }
  const std::optional<int> quit = RunModalLoop();
  FormClose();
  Dismiss(ownerEnabled);
  if (owner && IsWindowVisible(owner))
    SetForegroundWindow(owner);
  if (quit)
    PostQuitMessage(*quit);
  return result_;
}

// An empty template: no menu, the standard dialog class or the form's own, no title
// (set on creation). The template must start on a DWORD boundary.
void ModalForm::FillTemplate(DWORD (&buffer)[64], DWORD style, HINSTANCE instance) const {
  DLGTEMPLATE tmpl{};
  tmpl.style = style;
  std::memcpy(buffer, &tmpl, sizeof tmpl);
  auto* words = reinterpret_cast<WORD*>(reinterpret_cast<char*>(buffer) + sizeof tmpl);
  *words++ = 0;  // no menu
  if (className_ && RegisterDialogClass(instance, className_)) {
    const std::wstring name = Wide(className_);
    for (const wchar_t c : name) {
      if (words >= reinterpret_cast<WORD*>(buffer + 60))
        break;
      *words++ = static_cast<WORD>(c);
    }
  }
  *words++ = 0;  // end of the class name (or the standard class)
  *words = 0;    // no title
}

std::optional<int> ModalForm::RunModalLoop() {
  MSG msg{};
  while (!ended_) {
    if (GetMessageW(&msg, nullptr, 0, 0) <= 0) {
      EndModal(ModalResult::kCancel);
      return static_cast<int>(msg.wParam);
    }
    if ((msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN) && PreTranslateKey(msg))
      continue;
    if (!IsDialogMessageW(hwnd_, &msg)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
  return std::nullopt;
}

// The owner comes back before the form goes, so that it is the window activated.
void ModalForm::Dismiss(bool ownerEnabled) {
  if (ownerEnabled)
    EnableWindow(owner_, TRUE);
  controlCallbacks_.Detach();
  if (hwnd_)
    DestroyWindow(hwnd_);
  ReleaseFonts();
  hwnd_ = nullptr;
}

void ModalForm::EndModal(ModalResult result) {
  if (ended_)
    return;
  ended_ = true;
  result_ = result;
}

void ModalForm::ReleaseFonts() {
  for (ScopedGdi<HFONT>& font : fonts_)
    font.Reset();
  font_ = nullptr;
}

int ModalForm::Scale(int designPixels) const {
  return ScaleToDpi(designPixels, dpi_);
}

HFONT ModalForm::DesignFont(int points, bool bold, const char* face, bool underline) {
  for (size_t i = 0; i < std::size(fonts_); ++i) {
    if (!fonts_[i]) {
      fonts_[i].Reset(CreateDesignFontAt(dpi_, points, bold, face, underline));
      fontRequests_[i] = FontRequest{points, bold, face, underline};
      return fonts_[i].Get();
    }
  }
  return font_;
}

// Scales every control's place and its list columns by the new DPI against the old,
// gives it the same font made for the new DPI, and takes the place the system
// suggests for the form.
void ModalForm::ChangeDpi(UINT dpi, const RECT& suggested) {
  const UINT old = dpi_;
  if (dpi == 0 || dpi == old)
    return;
  dpi_ = dpi;
  ScopedGdi<HFONT> made[std::size(fonts_)];
  for (size_t i = 0; i < std::size(fonts_); ++i) {
    if (fonts_[i]) {
      const FontRequest& request = fontRequests_[i];
      made[i].Reset(
          CreateDesignFontAt(dpi, request.points, request.bold, request.face, request.underline));
    }
  }
  const auto remade = [&](HFONT font) {
    for (size_t i = 0; i < std::size(fonts_); ++i) {
      if (font && font == fonts_[i].Get())
        return made[i].Get();
    }
    return font;
  };
  const auto scale = [&](LONG value) {
    return MulDiv(value, static_cast<int>(dpi), static_cast<int>(old));
  };
  for (HWND child = GetWindow(hwnd_, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    const RECT place = PlaceIn(hwnd_, child);
    SetWindowPos(child, nullptr, scale(place.left), scale(place.top),
                 scale(place.right) - scale(place.left), scale(place.bottom) - scale(place.top),
                 SWP_NOZORDER | SWP_NOACTIVATE);
    const auto font = reinterpret_cast<HFONT>(SendMessageW(child, WM_GETFONT, 0, 0));
    if (remade(font) != font)
      SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(remade(font)), TRUE);
    wchar_t cls[32] = {};
    GetClassNameW(child, cls, 32);
    if (lstrcmpiW(cls, WC_LISTVIEWW) == 0)
      ScaleListColumns(child, old, dpi);
  }
  font_ = remade(font_);
  for (size_t i = 0; i < std::size(fonts_); ++i)
    fonts_[i] = std::move(made[i]);
  SetWindowPos(hwnd_, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
               suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
  FitTexts(false);  // text widths need not follow the DPI exactly
}

void ModalForm::PlaceWindow(bool centre) {
  RECT rect{0, 0, Scale(clientWidth_), Scale(clientHeight_)};
  AdjustWindowRectEx(&rect, static_cast<DWORD>(GetWindowLongPtrW(hwnd_, GWL_STYLE)), FALSE,
                     static_cast<DWORD>(GetWindowLongPtrW(hwnd_, GWL_EXSTYLE)));
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  RECT around{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  if (owner_ && IsWindowVisible(owner_))
    GetWindowRect(owner_, &around);
  const int x = around.left + (around.right - around.left - width) / 2;
  const int y = around.top + (around.bottom - around.top - height) / 2;
  SetWindowPos(hwnd_, nullptr, x, y, width, height,
               SWP_NOZORDER | SWP_NOACTIVATE | (centre ? 0 : SWP_NOMOVE));
}

HWND ModalForm::AddControl(const char* cls, const char* text, DWORD style, int x, int y, int w,
                           int h, int id, HFONT font, DWORD exStyle) {
  return CreateChild(hwnd_, cls, text, style, Scale(x), Scale(y), Scale(w), Scale(h), id,
                     font ? font : font_, exStyle);
}

Button ModalForm::AddButton(const char* text, int x, int y, int w, int h, int id, DWORD style) {
  return Button(AddControl("BUTTON", text, style | WS_TABSTOP, x, y, w, h, id));
}

CheckBox ModalForm::AddCheckBox(const char* text, int x, int y, int w, int h, int id) {
  return CheckBox(AddControl("BUTTON", text, BS_AUTOCHECKBOX | WS_TABSTOP, x, y, w, h, id));
}

Edit ModalForm::AddEdit(const char* text, int x, int y, int w, int h, int id, DWORD style) {
  return Edit(AddControl("EDIT", text, ES_AUTOHSCROLL | WS_TABSTOP | style, x, y, w, h, id, nullptr,
                         WS_EX_CLIENTEDGE));
}

TabControl ModalForm::AddTabs(int x, int y, int w, int h, int id,
                              std::initializer_list<const char*> pages) {
  const TabControl tabs(
      AddControl("SysTabControl32", "", WS_CLIPSIBLINGS | WS_TABSTOP, x, y, w, h, id));
  for (const char* page : pages)
    tabs.AddPage(page);
  return tabs;
}

ReportList ModalForm::AddReportList(DWORD style, int x, int y, int w, int h, int id,
                                    DWORD extendedStyles,
                                    std::initializer_list<ReportList::Column> columns) {
  HWND list = AddControl("SysListView32", "", LVS_REPORT | LVS_SHOWSELALWAYS | WS_TABSTOP | style,
                         x, y, w, h, id, nullptr, WS_EX_CLIENTEDGE);
  return ReportList(list, dpi_, extendedStyles, columns);
}

// Widens every label and button whose text (as set by then) needs more room than its
// design width gave it, in whatever font stands in for the design font here; the
// form grows to keep its margin to the right of the widest.
void ModalForm::FitTexts(bool centre) {
  RECT client;
  GetClientRect(hwnd_, &client);
  const int margin = Scale(8);
  int right = client.right;
  for (HWND child = GetWindow(hwnd_, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    char cls[16] = {};
    GetClassNameA(child, cls, sizeof cls);  // the classes asked about are ASCII names
    const LONG_PTR style = GetWindowLongPtrW(child, GWL_STYLE);
    const int room = TextRoom(cls, style, dpi_);
    if (room < 0)
      continue;
    const std::string text = WindowText(child);
    if (text.empty())
      continue;
    const auto font = reinterpret_cast<HFONT>(SendMessageW(child, WM_GETFONT, 0, 0));
    const bool prefix = lstrcmpiA(cls, "Static") != 0 || !(style & SS_NOPREFIX);
    const SIZE size = MeasureText(font, text, prefix);
    const RECT place = PlaceIn(hwnd_, child);
    const int width = std::max<int>(place.right - place.left, size.cx + room);
    const int height = std::max<int>(place.bottom - place.top, size.cy);
    if (width != place.right - place.left || height != place.bottom - place.top) {
      SetWindowPos(child, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    right = std::max<int>(right, place.left + width + margin);
  }
  if (right > client.right) {
    clientWidth_ = MulDiv(right, kDesignDpi, static_cast<int>(dpi_)) + 1;
    PlaceWindow(centre);
  }
}

INT_PTR CALLBACK ModalForm::DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  // No error may cross the dialog manager: it is shown in the application's error box,
  // as the main window shows its own, and the form goes on with the next message.
  try {
    return Dispatch(hwnd, msg, wParam, lParam);
  } catch (const std::exception& error) {
    ShowApplicationError(hwnd, error.what());
  } catch (...) {
    ShowApplicationError(hwnd, LoadResString(IDS_UNEXPECTED_ERROR));
  }
  return msg == WM_INITDIALOG ? TRUE : FALSE;
}

INT_PTR ModalForm::Dispatch(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_INITDIALOG) {
    auto* form = reinterpret_cast<ModalForm*>(lParam);
    SetWindowLongPtrW(hwnd, DWLP_USER, lParam);
    form->hwnd_ = hwnd;
    form->dpi_ = WindowDpi(hwnd);
    form->font_ = form->DesignFont(8);
    SetText(hwnd, form->caption_);
    form->PlaceWindow();
    form->controlCallbacks_.Attach(hwnd);
    form->FormCreate();
    form->FitTexts();
    return TRUE;
  }
  auto* form = reinterpret_cast<ModalForm*>(GetWindowLongPtrW(hwnd, DWLP_USER));
  if (!form)
    return FALSE;
  if (msg == WM_DPICHANGED) {
    form->ChangeDpi(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
    return TRUE;
  }
  INT_PTR result = FALSE;
  if (form->HandleMessage(msg, wParam, lParam, &result))
    return result;
  if (msg == WM_COMMAND || msg == WM_NOTIFY)
    return form->Route(msg, wParam, lParam);
  return FALSE;
}

INT_PTR ModalForm::Route(UINT msg, WPARAM wParam, LPARAM lParam) {
  LRESULT answer = 0;
  if (controlCallbacks_.Route(msg, wParam, lParam, &answer)) {
    SetWindowLongPtrW(hwnd_, DWLP_MSGRESULT, answer);
    return TRUE;
  }
  if (msg != WM_COMMAND)
    return FALSE;
  const int id = LOWORD(wParam);
  for (const auto& [command, run] : commands_) {
    if (command == id) {
      const std::function<void()> running = run;  // it may set other commands
      running();
      return TRUE;
    }
  }
  if (id != IDCANCEL)
    return FALSE;
  EndModal(ModalResult::kCancel);
  return TRUE;
}

}  // namespace kelvane
