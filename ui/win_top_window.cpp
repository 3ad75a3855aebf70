#include "ui/win_top_window.h"

#include <exception>

#include "ui/win_controls.h"

namespace kelvane {

HWND TopWindow::CreateTopWindow(WNDCLASSEXA windowClass, const char* title, DWORD style, int x,
                                int y, int width, int height, HMENU menu) {
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = &WndProc;
  if (!RegisterClassExA(&windowClass))
    return nullptr;
  return CreateWindowExA(0, windowClass.lpszClassName, title, style, x, y, width, height, nullptr,
                         menu, windowClass.hInstance, this);
}

LRESULT CALLBACK TopWindow::WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
    auto* self = static_cast<TopWindow*>(create->lpCreateParams);
    self->hwnd_ = hwnd;
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<TopWindow*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  if (!self)
    return DefWindowProcA(hwnd, msg, wParam, lParam);
  try {
    return self->HandleMessage(msg, wParam, lParam);
  } catch (const std::exception& error) {
    ShowApplicationError(hwnd, error.what());
  } catch (...) {
    ShowApplicationError(hwnd, "Unexpected error");
  }
  return 0;
}

}  // namespace kelvane
