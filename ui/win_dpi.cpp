#include "ui/win_dpi.h"

#include <commctrl.h>

#include "ui/win_gdi.h"
#include "ui/win_text.h"

namespace kelvane {

UINT WindowDpi(HWND window) {
  // GetDpiForWindow is newer than the oldest supported Windows: looked up, not imported.
  using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
  static const auto getDpiForWindow = reinterpret_cast<GetDpiForWindowFn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
  if (getDpiForWindow && window) {
    if (const UINT dpi = getDpiForWindow(window))
      return dpi;
  }
  const int dpi = GetDeviceCaps(WindowDc(), LOGPIXELSY);
  return dpi > 0 ? static_cast<UINT>(dpi) : kDesignDpi;
}

HFONT CreateDesignFontAt(UINT dpi, int points, bool bold, const char* face, bool underline) {
  const int height = -MulDiv(points, static_cast<int>(dpi), 72);
  return CreateFontW(height, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, underline, FALSE,
                     DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                     DEFAULT_PITCH | FF_DONTCARE, Wide(face).c_str());
}

SIZE MeasureText(HFONT font, const std::string& text, bool prefix) {
  const WindowDc screen;
  const SelectedObject selected(screen, font);
  RECT rect{0, 0, 0, 0};
  const std::wstring wide = Wide(text);
  DrawTextW(screen, wide.c_str(), static_cast<int>(wide.size()), &rect,
            DT_CALCRECT | DT_SINGLELINE | (prefix ? 0 : DT_NOPREFIX));
  return SIZE{rect.right - rect.left, rect.bottom - rect.top};
}

int TextRoom(const char* cls, LONG_PTR style, UINT dpi) {
  if (lstrcmpiA(cls, "Static") == 0) {
    const LONG_PTR type = style & SS_TYPEMASK;
    if (style & SS_ELLIPSISMASK)
      return -1;
    return type == SS_LEFT || type == SS_LEFTNOWORDWRAP || type == SS_CENTER || type == SS_RIGHT ||
                   type == SS_SIMPLE
               ? 0
               : -1;
  }
  if (lstrcmpiA(cls, "Button") != 0)
    return -1;
  switch (style & BS_TYPEMASK) {
    case BS_PUSHBUTTON:
    case BS_DEFPUSHBUTTON:
      return ScaleToDpi(12, dpi);
    case BS_CHECKBOX:
    case BS_AUTOCHECKBOX:
    case BS_RADIOBUTTON:
    case BS_AUTORADIOBUTTON:
    case BS_3STATE:
    case BS_AUTO3STATE:
      return ScaleToDpi(13 + 8, dpi);
    case BS_OWNERDRAW:
      return ScaleToDpi(8, dpi);
    default:
      return -1;
  }
}

void ScaleListColumns(HWND list, UINT oldDpi, UINT dpi) {
  const auto header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
  const int columns = header ? static_cast<int>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
  for (int column = 0; column < columns; ++column) {
    const auto width = static_cast<int>(SendMessageW(list, LVM_GETCOLUMNWIDTH, column, 0));
    SendMessageW(list, LVM_SETCOLUMNWIDTH, column,
                 MulDiv(width, static_cast<int>(dpi), static_cast<int>(oldDpi)));
  }
}

}  // namespace kelvane
