#include "ui/win_form.h"

#include <cstring>

#include "ui/win_controls.h"

namespace kelvane {

namespace {

// A dialog class of the given name: the system's dialog class under another name, so
// that other programs (and the tests) can find the window by its class.
bool RegisterDialogClass(HINSTANCE instance, const char* name) {
  WNDCLASSEXA existing{};
  existing.cbSize = sizeof existing;
  if (GetClassInfoExA(instance, name, &existing))
    return true;
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof wc;
  if (!GetClassInfoExA(nullptr, MAKEINTATOM(32770), &wc))
    return false;
  wc.hInstance = instance;
  wc.lpszClassName = name;
  return RegisterClassExA(&wc) != 0;
}

}  // namespace

INT_PTR ModalForm::ShowModal(HWND owner, const char* caption, DWORD style, int clientWidth,
                             int clientHeight) {
  owner_ = owner;
  caption_ = caption;
  clientWidth_ = clientWidth;
  clientHeight_ = clientHeight;
  ended_ = false;
  result_ = IDCANCEL;
  HINSTANCE instance = GetModuleHandleA(nullptr);
  // An empty template: no menu, the standard dialog class or the form's own, no title
  // (set on creation). The template must start on a DWORD boundary.
  DWORD buffer[64] = {};
  DLGTEMPLATE tmpl{};
  tmpl.style = style | (hidden_ ? 0 : WS_VISIBLE);
  std::memcpy(buffer, &tmpl, sizeof tmpl);
  auto* words = reinterpret_cast<WORD*>(reinterpret_cast<char*>(buffer) + sizeof tmpl);
  *words++ = 0;  // no menu
  if (className_ && RegisterDialogClass(instance, className_)) {
    for (const char* c = className_; *c && words < reinterpret_cast<WORD*>(buffer + 60); ++c)
      *words++ = static_cast<WORD>(static_cast<unsigned char>(*c));
  }
  *words++ = 0;  // end of the class name (or the standard class)
  *words = 0;    // no title
  font_ = CreateDesignFont();
  hwnd_ = CreateDialogIndirectParamA(instance, reinterpret_cast<DLGTEMPLATE*>(buffer), owner,
                                     &DialogProc, reinterpret_cast<LPARAM>(this));
  if (!hwnd_) {
    DeleteObject(font_);
    font_ = nullptr;
    return -1;
  }
  const bool ownerEnabled = owner && IsWindowEnabled(owner);
  if (ownerEnabled)
    EnableWindow(owner, FALSE);
  MSG msg{};
  bool quit = false;
  while (!ended_) {
    if (GetMessageA(&msg, nullptr, 0, 0) <= 0) {
      quit = true;
      EndModal(IDCANCEL);
      break;
    }
    if (!IsDialogMessageA(hwnd_, &msg)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
  }
  FormClose();
  // The owner comes back before the form goes, so that it is the window activated.
  if (ownerEnabled)
    EnableWindow(owner, TRUE);
  DestroyWindow(hwnd_);
  if (font_)
    DeleteObject(font_);
  font_ = nullptr;
  hwnd_ = nullptr;
  if (owner && IsWindowVisible(owner))
    SetForegroundWindow(owner);
  if (quit)
    PostQuitMessage(static_cast<int>(msg.wParam));
  return result_;
}

void ModalForm::EndModal(INT_PTR result) {
  if (ended_)
    return;
  ended_ = true;
  result_ = result;
}

void ModalForm::PlaceWindow() {
  RECT rect{0, 0, clientWidth_, clientHeight_};
  AdjustWindowRectEx(&rect, static_cast<DWORD>(GetWindowLongPtrA(hwnd_, GWL_STYLE)), FALSE,
                     static_cast<DWORD>(GetWindowLongPtrA(hwnd_, GWL_EXSTYLE)));
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  RECT around{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  if (owner_ && IsWindowVisible(owner_))
    GetWindowRect(owner_, &around);
  const int x = around.left + (around.right - around.left - width) / 2;
  const int y = around.top + (around.bottom - around.top - height) / 2;
  SetWindowPos(hwnd_, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

HWND ModalForm::AddControl(const char* cls, const char* text, DWORD style, int x, int y, int w,
                           int h, int id, HFONT font, DWORD exStyle) {
  return CreateChild(hwnd_, cls, text, style, x, y, w, h, id, font ? font : font_, exStyle);
}

INT_PTR CALLBACK ModalForm::DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_INITDIALOG) {
    auto* form = reinterpret_cast<ModalForm*>(lParam);
    SetWindowLongPtrA(hwnd, DWLP_USER, lParam);
    form->hwnd_ = hwnd;
    SetWindowTextA(hwnd, form->caption_);
    form->PlaceWindow();
    form->FormCreate();
    return TRUE;
  }
  auto* form = reinterpret_cast<ModalForm*>(GetWindowLongPtrA(hwnd, DWLP_USER));
  if (!form)
    return FALSE;
  INT_PTR result = FALSE;
  if (!form->HandleMessage(msg, wParam, lParam, &result))
    return FALSE;
  return result;
}

}  // namespace kelvane
