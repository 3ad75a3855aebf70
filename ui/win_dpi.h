// Screens above 96 DPI: the windows are laid out in design pixels (96 DPI) and scale
// them, their fonts included, by the DPI of the window they are in.
#pragma once

#include <windows.h>

#include <string>

namespace kelvane {

inline constexpr UINT kDesignDpi = 96;

// The DPI of the window's monitor (Windows 10 1607 on), else the system DPI.
UINT WindowDpi(HWND window);

// Design pixels at `dpi`.
inline int ScaleToDpi(int designPixels, UINT dpi) {
  return MulDiv(designPixels, static_cast<int>(dpi), static_cast<int>(kDesignDpi));
}

// Scales the width of every column of the list view `list` from `oldDpi` to `dpi`.
void ScaleListColumns(HWND list, UINT oldDpi, UINT dpi);

// A design font ("MS Sans Serif" 8 point unless told otherwise) at `dpi`.
HFONT CreateDesignFontAt(UINT dpi, int points = 8, bool bold = false,
                         const char* face = "MS Sans Serif", bool underline = false);

// The pixels a label or button of the window class `cls` with `style` needs beside its
// text at `dpi` (a check box's box, a push button's frame); -1 for a control whose
// text is not fitted (icons, group boxes, ellipsis labels, other classes).
int TextRoom(const char* cls, LONG_PTR style, UINT dpi);

// The width and height of a single-line text in a font, in pixels; "&" marks the
// next character as the mnemonic unless `prefix` is false.
SIZE MeasureText(HFONT font, const std::string& text, bool prefix = true);

}  // namespace kelvane
