// A modal form built in code: a dialog without template controls whose client area
// is given in design pixels (96 DPI), scaled by the DPI of the form's window, and
// centred on its owner; the form creates its own controls in design pixels too.
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
  // A child control in the design font, at a position and size in design pixels.
  HWND AddControl(const char* cls, const char* text, DWORD style, int x, int y, int w, int h,
                  int id, HFONT font = nullptr, DWORD exStyle = 0);
  // Design pixels at the form's DPI.
  int Scale(int designPixels) const;
  // A font of the form at its DPI, released with the form.
  HFONT DesignFont(int points, bool bold = false, const char* face = "MS Sans Serif",
                   bool underline = false);

  HWND hwnd_ = nullptr;
  HFONT font_ = nullptr;
  UINT dpi_ = 96;

 private:
  static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  void PlaceWindow();
  void FitTexts();

  HWND owner_ = nullptr;
  const char* caption_ = "";
  int clientWidth_ = 0;
  int clientHeight_ = 0;
  HFONT fonts_[4] = {};
};

}  // namespace kelvane
