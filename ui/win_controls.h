// Small helpers shared by the program's windows: fonts, string-table texts, the
// program's message boxes and its error box.
#pragma once

#include <windows.h>

#include <string>

namespace kelvane {

// The windows' design font ("MS Sans Serif" 8 point unless told otherwise).
HFONT CreateDesignFont(int points = 8, bool bold = false, const char* face = "MS Sans Serif");

// A text of the program's string table.
std::string LoadResString(UINT id);

// A message box with the program's caption "Varnok Kelvane". The text may name
// inexact names, each closed for the window (ShownText); they show as they are.
int AppMessageBox(HWND owner, const std::string& text, UINT flags);

// The application's error box: the error's text, with a full stop appended when its
// last character comes after "." in character order; error icon, OK button.
void ShowApplicationError(HWND owner, const std::string& text);
std::string ErrorBoxText(const std::string& text);

// The whole text of a control, however long.
std::string ControlText(HWND control);
// The same, read wide: a text the ANSI code page cannot carry comes marked
// (IsInexactName) instead of with "?" or look-alike letters in its place.
std::string ListedControlText(HWND control);
// Sets a control's text from a listed one (an inexact one shows as it is).
void SetListedText(HWND control, const std::string& text);

// Creates a child control with the given font.
HWND CreateChild(HWND parent, const char* cls, const char* text, DWORD style, int x, int y, int w,
                 int h, int id, HFONT font, DWORD exStyle = 0);

// The body of a tab control as a brush, for the labels and boxes of a page, which are
// the form's children drawn over it: with visual styles the body is not the form's
// colour. The tab control paints it once into a bitmap (again when its size changes).
class TabBodyBrush {
 public:
  TabBodyBrush() = default;
  ~TabBodyBrush();
  TabBodyBrush(const TabBodyBrush&) = delete;
  TabBodyBrush& operator=(const TabBodyBrush&) = delete;
  // The answer to WM_CTLCOLORSTATIC or WM_CTLCOLORBTN of `control`, which lies over
  // `tabs`: the brush, aligned to the control, with a transparent text background.
  HBRUSH ForControl(HWND tabs, HWND control, HDC dc);

 private:
  HBRUSH brush_ = nullptr;
  SIZE size_{};
};

}  // namespace kelvane
