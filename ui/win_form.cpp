#include "ui/win_form.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "ui/win_controls.h"
#include "ui/win_dpi.h"

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
  const INT_PTR result =
      DialogBoxIndirectParamA(GetModuleHandleA(nullptr), reinterpret_cast<DLGTEMPLATE*>(buffer),
                              owner, &DialogProc, reinterpret_cast<LPARAM>(this));
  for (HFONT& font : fonts_) {
    if (font)
      DeleteObject(font);
    font = nullptr;
  }
  font_ = nullptr;
  hwnd_ = nullptr;
  return result;
}

int ModalForm::Scale(int designPixels) const {
  return ScaleToDpi(designPixels, dpi_);
}

HFONT ModalForm::DesignFont(int points, bool bold, const char* face, bool underline) {
  for (HFONT& slot : fonts_) {
    if (!slot) {
      slot = CreateDesignFontAt(dpi_, points, bold, face, underline);
      return slot;
    }
  }
  return font_;
}

void ModalForm::PlaceWindow() {
  RECT rect{0, 0, Scale(clientWidth_), Scale(clientHeight_)};
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
  return CreateChild(hwnd_, cls, text, style, Scale(x), Scale(y), Scale(w), Scale(h), id,
                     font ? font : font_, exStyle);
}

// Widens every label and button whose text (as set by then) needs more room than its
// design width gave it, in whatever font stands in for the design font here; the
// form grows to keep its margin to the right of the widest.
void ModalForm::FitTexts() {
  RECT client;
  GetClientRect(hwnd_, &client);
  const int margin = Scale(8);
  int right = client.right;
  for (HWND child = GetWindow(hwnd_, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    char cls[16] = {};
    GetClassNameA(child, cls, sizeof cls);
    const LONG_PTR style = GetWindowLongPtrA(child, GWL_STYLE);
    const int room = TextRoom(cls, style, dpi_);
    if (room < 0)
      continue;
    char text[512] = {};
    GetWindowTextA(child, text, sizeof text);
    if (!text[0])
      continue;
    const auto font = reinterpret_cast<HFONT>(SendMessageA(child, WM_GETFONT, 0, 0));
    const SIZE size = MeasureText(font, text, !(style & SS_NOPREFIX) || std::strcmp(cls, "Static"));
    RECT place;
    GetWindowRect(child, &place);
    MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&place), 2);
    const int width = std::max<int>(place.right - place.left, size.cx + room);
    const int height = std::max<int>(place.bottom - place.top, size.cy);
    if (width != place.right - place.left || height != place.bottom - place.top) {
      SetWindowPos(child, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    right = std::max<int>(right, place.left + width + margin);
  }
  if (right > client.right) {
    clientWidth_ = MulDiv(right, kDesignDpi, static_cast<int>(dpi_)) + 1;
    PlaceWindow();
  }
}

INT_PTR CALLBACK ModalForm::DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_INITDIALOG) {
    auto* form = reinterpret_cast<ModalForm*>(lParam);
    SetWindowLongPtrA(hwnd, DWLP_USER, lParam);
    form->hwnd_ = hwnd;
    form->dpi_ = WindowDpi(hwnd);
    form->font_ = form->DesignFont(8);
    SetWindowTextA(hwnd, form->caption_);
    form->PlaceWindow();
    form->FormCreate();
    form->FitTexts();
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
