// The Windows kinds of UniqueHandle, each closed by its own call: kernel and find
// handles, registry keys, loaded libraries, menus, accelerator tables, image lists, GDI
// objects, memory of the local, global and COM allocators, COM texts and interfaces; beside
// them the scope guards whose undoing takes more than the handle (a window's DC, an
// object selected into a DC, COM on the calling thread).
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <objbase.h>
#include <oleauto.h>

#include <type_traits>

#include "platform/unique_handle.h"

namespace kelvane {

// The "none" value of file, find and snapshot handles.
inline HANDLE InvalidHandleValue() {
  return INVALID_HANDLE_VALUE;
}

using UniqueKernelHandle = UniqueHandle<HANDLE, &CloseHandle>;  // a process, thread, event...
using UniqueFileHandle = UniqueHandle<HANDLE, &CloseHandle, &InvalidHandleValue>;
using UniqueFindHandle = UniqueHandle<HANDLE, &FindClose, &InvalidHandleValue>;
using UniqueKey = UniqueHandle<HKEY, &RegCloseKey>;
using UniqueLibrary = UniqueHandle<HMODULE, &FreeLibrary>;
using UniqueMenu = UniqueHandle<HMENU, &DestroyMenu>;
using UniqueAcceleratorTable = UniqueHandle<HACCEL, &DestroyAcceleratorTable>;
using UniqueImageList = UniqueHandle<HIMAGELIST, &ImageList_Destroy>;

// Memory that a system call allocated, as the pointer type `T` it is read through.
template <class T>
using UniqueLocalMemory = UniqueHandle<T, &LocalFree>;
template <class T>
using UniqueGlobalMemory = UniqueHandle<T, &GlobalFree>;
template <class T>
using UniqueCoTaskMemory = UniqueHandle<T, &CoTaskMemFree>;
using UniqueBstr = UniqueHandle<BSTR, &SysFreeString>;  // a COM text

// GDI: fonts, brushes and bitmaps are deleted as objects, a memory DC and an icon by
// calls of their own. ScopedGdi<H> is the one for the handle type H.
template <class Handle>
using UniqueGdiObject = UniqueHandle<Handle, &DeleteObject>;
using UniqueFont = UniqueGdiObject<HFONT>;
using UniqueBrush = UniqueGdiObject<HBRUSH>;
using UniqueBitmap = UniqueGdiObject<HBITMAP>;
using UniqueMemoryDc = UniqueHandle<HDC, &DeleteDC>;
using UniqueIcon = UniqueHandle<HICON, &DestroyIcon>;
template <class Handle>
using ScopedGdi = std::conditional_t<
    std::is_same_v<Handle, HDC>, UniqueMemoryDc,
    std::conditional_t<std::is_same_v<Handle, HICON>, UniqueIcon, UniqueGdiObject<Handle>>>;

template <class Interface>
void ReleaseInterface(Interface* pointer) {
  pointer->Release();
}

// One reference to a COM interface, released with its holder. Release() gives the
// reference up unreleased, as for every handle of the family.
template <class Interface>
class ComPtr : public UniqueHandle<Interface*, &ReleaseInterface<Interface>> {
 public:
  using UniqueHandle<Interface*, &ReleaseInterface<Interface>>::UniqueHandle;
  Interface* operator->() const { return this->Get(); }
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

// COM for the calling thread (multithreaded), for as long as the guard lives.
class ComThread {
 public:
  ComThread() : ok_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED))) {}
  ~ComThread() {
    if (ok_)
      CoUninitialize();
  }
  ComThread(const ComThread&) = delete;
  ComThread& operator=(const ComThread&) = delete;

 private:
  bool ok_;
};

}  // namespace kelvane
