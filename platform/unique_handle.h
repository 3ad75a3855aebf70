// One owner for a handle of any kind (a C runtime file, a registry key, a GDI object, a
// COM interface...): it closes the handle with the kind's own function when it goes,
// unless it holds the kind's "none" value. Portable; the Windows kinds are named in
// platform/win32/win32_handles.h.
#pragma once

#include <cstddef>
#include <utility>

namespace kelvane {

// The "none" value of most kinds: a null handle.
template <class T>
constexpr T NullHandle() {
  return T{};
}

// Owns one `T`, closed by `Close(handle)`; `None()` is the value that holds nothing
// (INVALID_HANDLE_VALUE for a few kinds). Moves, never copies.
template <class T, auto Close, T (*None)() = &NullHandle<T>>
class UniqueHandle {
 public:
  UniqueHandle() = default;
  UniqueHandle(std::nullptr_t) {}  // "nothing", as a function returns it
  explicit UniqueHandle(T handle) : handle_(handle) {}
  UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.Release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    Reset(other.Release());
    return *this;
  }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  ~UniqueHandle() { Reset(); }

  T Get() const { return handle_; }
  explicit operator bool() const { return handle_ != None(); }

  // Gives the handle up, unclosed: the caller (or the system) owns it now.
  T Release() { return std::exchange(handle_, None()); }
  // Takes `handle` in place of the one held, which is closed.
  void Reset(T handle = None()) {
    const T old = std::exchange(handle_, handle);
    if (old != None() && old != handle)
      Close(old);
  }
  // Where a creating call puts the handle, the one held closed first.
  T* Put() {
    Reset();
    return &handle_;
  }

 private:
  T handle_ = None();
};

}  // namespace kelvane
