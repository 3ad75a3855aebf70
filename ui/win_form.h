// A modal form built in code: a dialog without template controls whose client area
// is sized in pixels and centred on its owner; the form creates its own controls.
#pragma once

#include <windows.h>

namespace kelvane {

class ModalForm {
 public:
  virtual ~ModalForm() = default;
  // Shows the form modally over `owner` and returns its modal result.
  INT_PTR ShowModal(HWND owner, const char* caption, DWORD style, int clientWidth,
                    int clientHeight);

 protected:
  // Creates the controls; the window exists, is sized and centred, not yet shown.
  virtual void FormCreate() = 0;
  // A message for the form: true when handled, with `result` as the dialog's answer.
  virtual bool HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam, INT_PTR* result) = 0;
  void EndModal(INT_PTR result) { EndDialog(hwnd_, result); }
  // A child control in the design font at a position in pixels.
  HWND AddControl(const char* cls, const char* text, DWORD style, int x, int y, int w, int h,
                  int id, HFONT font = nullptr, DWORD exStyle = 0);

  HWND hwnd_ = nullptr;
  HFONT font_ = nullptr;

 private:
  static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  void PlaceWindow();

  HWND owner_ = nullptr;
  const char* caption_ = "";
  int clientWidth_ = 0;
  int clientHeight_ = 0;
};

}  // namespace kelvane
