#include "ui/win_clipboard.h"

#include "ui/win_text.h"

namespace kelvane {

bool CopyToClipboard(HWND owner, const std::string& text) {
  const std::wstring wide = Wide(text);
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, (wide.size() + 1) * sizeof(wchar_t));
  if (!memory)
    return false;
  auto* copy = static_cast<wchar_t*>(GlobalLock(memory));
  wide.copy(copy, wide.size());
  copy[wide.size()] = L'\0';
  GlobalUnlock(memory);
  if (!OpenClipboard(owner)) {
    GlobalFree(memory);
    return false;
  }
  EmptyClipboard();
  // Once set, the memory is the clipboard's.
  const bool copied = SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
  CloseClipboard();
  if (!copied)
    GlobalFree(memory);
  return copied;
}

}  // namespace kelvane
