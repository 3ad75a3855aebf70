#include "ui/win_clipboard.h"

#include "platform/win32/win32_handles.h"
#include "ui/win_text.h"

namespace kelvane {

bool CopyToClipboard(HWND owner, const std::string& text) {
  const std::wstring wide = Wide(text);
  UniqueGlobalMemory<HGLOBAL> memory(
      GlobalAlloc(GMEM_MOVEABLE, (wide.size() + 1) * sizeof(wchar_t)));
  if (!memory)
    return false;
  auto* copy = static_cast<wchar_t*>(GlobalLock(memory.Get()));
  wide.copy(copy, wide.size());
  copy[wide.size()] = L'\0';
  GlobalUnlock(memory.Get());
  if (!OpenClipboard(owner))
    return false;
  EmptyClipboard();
  // Once set, the memory is the clipboard's: it is given up, never freed here.
  const bool copied = SetClipboardData(CF_UNICODETEXT, memory.Get()) != nullptr;
  if (copied)
    memory.Release();
  CloseClipboard();
  return copied;
}

}  // namespace kelvane
