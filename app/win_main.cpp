// Program entry: one instance per desktop. A second start hands over to the running
// window and ends; the first creates the main window and runs the message loop.
#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "backup/clean_once.h"
#include "app/main_window.h"
#include "ui/messages.h"
#include "platform/win32/win32_platform.h"

namespace {

std::vector<std::string> Arguments() {
  std::vector<std::string> arguments;
  int count = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &count);
  if (!argv)
    return arguments;
  for (int i = 1; i < count; ++i) {
    const int n = WideCharToMultiByte(CP_ACP, 0, argv[i], -1, nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<size_t>(n > 0 ? n - 1 : 0), '\0');
    WideCharToMultiByte(CP_ACP, 0, argv[i], -1, text.data(), n, nullptr, nullptr);
    arguments.push_back(text);
  }
  LocalFree(argv);
  return arguments;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
  const std::vector<std::string> arguments = Arguments();
  if (HWND running = FindWindowA(kelvane::kMainWindowClass, nullptr)) {
    PostMessageA(running, kelvane::WM_ACTIVATE_INSTANCE, 0, 0);
    SetForegroundWindow(running);
    // An unattended run that only woke the running window scanned nothing: a scheduled
    // task must not read that as a clean registry.
    return kelvane::IsCleanOnceSwitch(arguments) ? kelvane::kCleanOnceAlreadyRunning : 0;
  }
  kelvane::Win32Platform platform;
  kelvane::TfrmKelvane window(platform.Get(), arguments);
  if (!window.Create(instance, showCommand))
    return kelvane::kCleanOnceNoWindow;
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    if (TranslateAcceleratorA(window.Handle(), window.Accelerators(), &msg))
      continue;
    // Tab and Shift+Tab move the focus between the tree, the list and the task
    // buttons, as in a dialog.
    if (IsDialogMessageA(window.Handle(), &msg))
      continue;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return static_cast<int>(msg.wParam);
}
