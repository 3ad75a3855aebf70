#include "ui/win_form.h"

#include <cstring>

#include "ui/win_controls.h"

namespace kelvane {

INT_PTR ModalForm::ShowModal(HWND owner, const char* caption, DWORD style, int clientWidth,
                             int clientHeight) {
  owner_ = owner;
  caption_ = caption;
  clientWidth_ = clientWidth;
  clientHeight_ = clientHeight;
  // An empty template: no menu, the standard dialog class, no title (set on creation).
  // The template must start on a DWORD boundary.
  DWORD buffer[8] = {};
  DLGTEMPLATE tmpl{};
  tmpl.style = style | WS_VISIBLE;
  std::memcpy(buffer, &tmpl, sizeof tmpl);
  font_ = CreateDesignFont();
  const INT_PTR result =
      DialogBoxIndirectParamA(GetModuleHandleA(nullptr), reinterpret_cast<DLGTEMPLATE*>(buffer),
                              owner, &DialogProc, reinterpret_cast<LPARAM>(this));
  if (font_)
    DeleteObject(font_);
  font_ = nullptr;
  hwnd_ = nullptr;
  return result;
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
