// GDI objects held for a scope: a font, brush, bitmap, memory DC or icon deleted with its
// holder, a window's DC released, an object selected into a DC until the guard goes.
#pragma once

#include <windows.h>

#include <functional>
#include <type_traits>
#include <utility>

namespace kelvane {

// Owns one GDI object (a memory DC and an icon too) and frees it with the right call.
template <class Handle>
class ScopedGdi {
 public:
  ScopedGdi() = default;
  explicit ScopedGdi(Handle handle) : handle_(handle) {}
  ScopedGdi(ScopedGdi&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
  ScopedGdi& operator=(ScopedGdi&& other) noexcept {
    Reset(std::exchange(other.handle_, nullptr));
    return *this;
  }
  ~ScopedGdi() { Reset(); }

  // Takes `handle` in place of the object held, which is freed.
  void Reset(Handle handle = nullptr) {
    if (handle_ && handle_ != handle) {
      if constexpr (std::is_same_v<Handle, HDC>)
        DeleteDC(handle_);
      else if constexpr (std::is_same_v<Handle, HICON>)
        DestroyIcon(handle_);
      else
        DeleteObject(handle_);
    }
    handle_ = handle;
  }
  Handle Get() const { return handle_; }
  operator Handle() const { return handle_; }

 private:
  Handle handle_ = nullptr;
};

// The DC of a window (of the screen for none), released with the guard.
class WindowDc {
 public:
  explicit WindowDc(HWND window = nullptr) : window_(window), dc_(GetDC(window)) {}
  ~WindowDc() { ReleaseDC(window_, dc_); }
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;
  operator HDC() const { return dc_; }

 private:
  HWND window_;
  HDC dc_;
};

// Selects objects into a DC; the guard selects the one that was there first back.
class SelectedObject {
 public:
  SelectedObject(HDC dc, HGDIOBJ object) : dc_(dc), old_(SelectObject(dc, object)) {}
  ~SelectedObject() { SelectObject(dc_, old_); }
  SelectedObject(const SelectedObject&) = delete;
  SelectedObject& operator=(const SelectedObject&) = delete;
  void Select(HGDIOBJ object) const { SelectObject(dc_, object); }

 private:
  HDC dc_;
  HGDIOBJ old_;
};

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
    SelectedObject selected(memory, bitmap);
    paint(memory);
  }
  return ScopedGdi<HBRUSH>(CreatePatternBrush(bitmap));  // the brush keeps its own copy
}

}  // namespace kelvane
