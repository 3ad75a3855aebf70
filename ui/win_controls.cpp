#include "ui/win_controls.h"

#include <algorithm>

#include "platform/program_texts.h"
#include "platform/win32/ansi_text.h"

namespace kelvane {

HFONT CreateDesignFont(int points, bool bold, const char* face) {
  HDC screen = GetDC(nullptr);
  const int height = -MulDiv(points, GetDeviceCaps(screen, LOGPIXELSY), 72);
  ReleaseDC(nullptr, screen);
  return CreateFontA(height, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE,
                     DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                     DEFAULT_PITCH | FF_DONTCARE, face);
}

std::string LoadResString(UINT id) {
  char buffer[1024] = {};
  const int n = LoadStringA(GetModuleHandleA(nullptr), id, buffer, sizeof buffer);
  return std::string(buffer, n > 0 ? static_cast<size_t>(n) : 0);
}

int AppMessageBox(HWND owner, const std::string& text, UINT flags) {
  return MessageBoxW(owner, WideFromShown(text).c_str(), kApplicationTitleWide, flags);
}

std::string ErrorBoxText(const std::string& text) {
  if (!text.empty() && static_cast<unsigned char>(text.back()) > '.')
    return text + ".";
  return text;
}

void ShowApplicationError(HWND owner, const std::string& text) {
  MessageBoxA(owner, ErrorBoxText(text).c_str(), kApplicationTitle, MB_OK | MB_ICONERROR);
}

HWND CreateChild(HWND parent, const char* cls, const char* text, DWORD style, int x, int y, int w,
                 int h, int id, HFONT font, DWORD exStyle) {
  HWND control = CreateWindowExA(exStyle, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h,
                                 parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                 GetModuleHandleA(nullptr), nullptr);
  if (control && font)
    SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  return control;
}

std::string ListedControlText(HWND control) {
  const int length = GetWindowTextLengthW(control);
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  const int n = GetWindowTextW(control, text.data(), length + 1);
  text.resize(n > 0 ? static_cast<size_t>(n) : 0);
  return ListedName(text);
}

void SetListedText(HWND control, const std::string& text) {
  SetWindowTextW(control, WideFromListed(text).c_str());
}

std::string ControlText(HWND control) {
  const int length = GetWindowTextLengthA(control);
  std::string text(static_cast<size_t>(length) + 1, '\0');
  const int n = GetWindowTextA(control, text.data(), length + 1);
  text.resize(n > 0 ? static_cast<size_t>(n) : 0);
  return text;
}

TabBodyBrush::~TabBodyBrush() {
  if (brush_)
    DeleteObject(brush_);
}

HBRUSH TabBodyBrush::ForControl(HWND tabs, HWND control, HDC dc) {
  RECT body;
  GetClientRect(tabs, &body);
  if (!brush_ || body.right != size_.cx || body.bottom != size_.cy) {
    if (brush_)
      DeleteObject(brush_);
    brush_ = nullptr;
    size_ = SIZE{body.right, body.bottom};
    HDC screen = GetDC(tabs);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, std::max<LONG>(body.right, 1),
                                            std::max<LONG>(body.bottom, 1));
    ReleaseDC(tabs, screen);
    if (memory && bitmap) {
      HGDIOBJ old = SelectObject(memory, bitmap);
      FillRect(memory, &body, GetSysColorBrush(COLOR_BTNFACE));
      SendMessageA(tabs, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(memory),
                   PRF_CLIENT | PRF_ERASEBKGND);
      SelectObject(memory, old);
      brush_ = CreatePatternBrush(bitmap);
    }
    if (bitmap)
      DeleteObject(bitmap);  // the brush keeps its own copy
    if (memory)
      DeleteDC(memory);
  }
  if (!brush_)
    return nullptr;
  RECT place;
  GetWindowRect(control, &place);
  MapWindowPoints(nullptr, tabs, reinterpret_cast<POINT*>(&place), 2);
  SetBrushOrgEx(dc, -place.left, -place.top, nullptr);
  SetBkMode(dc, TRANSPARENT);
  return brush_;
}

}  // namespace kelvane
