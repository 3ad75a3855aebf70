// GDI drawing helpers. The holders of GDI objects (ScopedGdi, WindowDc, SelectedObject)
// are the GDI kinds of the program's handle family, in platform/win32/win32_handles.h.
#pragma once

#include <windows.h>

#include <functional>

#include "platform/win32/win32_handles.h"

namespace kelvane {

// A `width` by `height` bitmap compatible with the DC of `window` (of the screen for
// none), that `paint` draws; none when it cannot be made.
inline ScopedGdi<HBITMAP> PaintedBitmap(HWND window, int width, int height,
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
  return bitmap;
}

// A pattern brush of such a bitmap; none when the bitmap cannot be made.
inline ScopedGdi<HBRUSH> PaintedBrush(HWND window, int width, int height,
                                      const std::function<void(HDC)>& paint) {
  const ScopedGdi<HBITMAP> bitmap = PaintedBitmap(window, width, height, paint);
  if (!bitmap)
    return {};
  return ScopedGdi<HBRUSH>(CreatePatternBrush(bitmap.Get()));  // the brush keeps its own copy
}

// Where `control` lies in the client area of `window`.
inline RECT PlaceIn(HWND window, HWND control) {
  RECT place;
  GetWindowRect(control, &place);
  MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&place), 2);
  return place;
}

}  // namespace kelvane
