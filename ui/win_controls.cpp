#include "ui/win_controls.h"

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
  return MessageBoxA(owner, text.c_str(), "Varnok Kelvane", flags);
}

std::string ErrorBoxText(const std::string& text) {
  if (!text.empty() && static_cast<unsigned char>(text.back()) > '.')
    return text + ".";
  return text;
}

void ShowApplicationError(HWND owner, const std::string& text) {
  MessageBoxA(owner, ErrorBoxText(text).c_str(), "Varnok Kelvane", MB_OK | MB_ICONERROR);
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

std::string ControlText(HWND control) {
  const int length = GetWindowTextLengthA(control);
  std::string text(static_cast<size_t>(length) + 1, '\0');
  const int n = GetWindowTextA(control, text.data(), length + 1);
  text.resize(n > 0 ? static_cast<size_t>(n) : 0);
  return text;
}

}  // namespace kelvane
