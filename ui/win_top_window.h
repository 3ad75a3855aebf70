// The base of the program's top-level (non-modal) window: registers its class, creates
// it with the object attached, and routes every message to HandleMessage. An error
// that escapes a message is shown in the application's error box, never let through
// the system's message dispatch.
#pragma once

#include <windows.h>

namespace kelvane {

class TopWindow {
 public:
  virtual ~TopWindow() = default;
  HWND Handle() const { return hwnd_; }

 protected:
  // Registers `windowClass` (its procedure is set here) and creates the window, a
  // Unicode one with the program text `title`; the window's WM_CREATE already reaches
  // HandleMessage. Null when either fails.
  HWND CreateTopWindow(WNDCLASSEXW windowClass, const char* title, DWORD style, int x, int y,
                       int width, int height, HMENU menu);
  virtual LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) = 0;

  HWND hwnd_ = nullptr;

 private:
  static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
};

}  // namespace kelvane
