#include "ui/win_top_window.h"

#include <exception>

#include "ui/texts_resource.h"
#include "ui/win_controls.h"
#include "ui/win_text.h"

namespace kelvane {

HWND TopWindow::CreateTopWindow(WNDCLASSEXW windowClass, const char* title, DWORD style, int x,
                                int y, int width, int height, HMENU menu) {
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = &WndProc;
  if (!RegisterClassExW(&windowClass))
    return nullptr;
  return CreateWindowExW(0, windowClass.lpszClassName, Wide(title).c_str(), style, x, y, width,
                         height, nullptr, menu, windowClass.hInstance, this);
}

LRESULT CALLBACK TopWindow::WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
    auto* self = static_cast<TopWindow*>(create->lpCreateParams);
    self->hwnd_ = hwnd;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<TopWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (!self)
    return DefWindowProcW(hwnd, msg, wParam, lParam);
  try {
    return self->HandleMessage(msg, wParam, lParam);
  } catch (const std::exception& error) {
    ShowApplicationError(hwnd, error.what());
  } catch (...) {
    ShowApplicationError(hwnd, LoadResString(IDS_UNEXPECTED_ERROR));
  }
  return 0;
}

}  // namespace kelvane
