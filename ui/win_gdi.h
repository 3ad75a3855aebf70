// GDI drawing helpers. The holders of GDI objects (ScopedGdi, WindowDc, SelectedObject)
// are the GDI kinds of the program's handle family, in platform/win32/win32_handles.h.
#pragma once

#include <windows.h>

#include <functional>

#include "platform/win32/win32_handles.h"

namespace kelvane {

// A pattern brush of a `width` by `height` bitmap, compatible with the DC of `window`
// (of the screen for none), that `paint` draws; none when the bitmap cannot be made.
inline ScopedGdi<HBRUSH> PaintedBrush(HWND window, int width, int height,
                                      const std::function<void(HDC)>& paint) {
  WindowDc screen(window);
  ScopedGdi<HDC> memory(CreateCompatibleDC(screen));
  ScopedGdi<HBITMAP> bitmap(CreateCompatibleBitmap(screen, width, height));
  if (!memory || !bitmap)
    return {};
  {
    SelectedObject selected(memory.Get(), bitmap.Get());
    paint(memory.Get());
  }
  return ScopedGdi<HBRUSH>(CreatePatternBrush(bitmap.Get()));  // the brush keeps its own copy
}

}  // namespace kelvane
