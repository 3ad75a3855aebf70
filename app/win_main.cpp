// Program entry: one run at a time. A second start, with or without a switch, hands
// over to the running window and ends with 6; the first creates the main window and
// runs the message loop, or runs its switch's row (unattended/command_line.h).
#include <windows.h>
#include <shellapi.h>

#include <optional>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "platform/counted_calls.h"
#include "platform/win32/win32_platform.h"
#include "platform/win32/win32_restore_point.h"
#include "ui/messages.h"
#include "ui/win_text.h"
#include "unattended/command_line.h"
#include "unattended/exit_codes.h"
#include "unattended/runs.h"
#include "unattended/win_unattended.h"

namespace {

std::vector<std::string> Arguments() {
  std::vector<std::string> arguments;
  int count = 0;
  const kelvane::UniqueLocalMemory<LPWSTR*> argv(CommandLineToArgvW(GetCommandLineW(), &count));
  if (!argv)
    return arguments;
  // Read wide and kept in UTF-8: a file name in any script names that file, never the
  // look-alike its ANSI form would be.
  for (int i = 1; i < count; ++i)
    arguments.push_back(kelvane::Utf8(argv.Get()[i]));
  return arguments;
}

// Decided before anything else is looked at or written, and in one step: the mutex
// is created, or found made by a run that still holds it. The system lets go of it
// when the process ends, however it ends, so it is never closed here.
bool FirstRun() {
  HANDLE runs = CreateMutexW(nullptr, FALSE, kelvane::Wide(kelvane::kInstanceMutexName).c_str());
  return runs != nullptr && GetLastError() != ERROR_ALREADY_EXISTS;
}

void BringRunningWindowForward() {
  HWND running = FindWindowW(kelvane::Wide(kelvane::kMainWindowClass).c_str(), nullptr);
  if (running) {
    PostMessageW(running, kelvane::WM_ACTIVATE_INSTANCE, 0, 0);
    SetForegroundWindow(running);
  }
}

// The main window and its message loop: the exit code, none when the window could
// not be created.
std::optional<int> RunMainWindow(HINSTANCE instance, int showCommand,
                                 kelvane::Win32Platform& platform,
                                 const std::vector<std::string>& arguments) {
  using namespace kelvane;
  InitializeComSecurityForSystemRestore();  // before any COM call leaves the process
  // A benchmark that asks where an unattended run's time goes (KELVANE_PHASE_TIMES)
  // also learns how many registry calls and file questions it made, and their time.
  const Platform plain = platform.Get();
  CountedRegistry countedRegistry(plain.registry);
  CountedFiles countedFiles(plain.files);
  const bool counting = GetEnvironmentVariableA("KELVANE_PHASE_TIMES", nullptr, 0) > 0;
  TfrmKelvane window(counting ? Platform{countedRegistry, countedFiles, plain.shell, plain.system,
                                         plain.profile, plain.processes}
                              : plain,
                     arguments);
  if (!window.Create(instance, showCommand))
    return std::nullopt;
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (TranslateAcceleratorW(window.Handle(), window.Accelerators(), &msg))
      continue;
    // Tab and Shift+Tab move the focus between the tree, the list and the task
    // buttons, as in a dialog.
    if (IsDialogMessageW(window.Handle(), &msg))
      continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return static_cast<int>(msg.wParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
  using namespace kelvane;
  const std::vector<std::string> arguments = Arguments();
  const CommandLine command = ParseCommandLine(arguments);
  const Switch* row = command.run;  // none: the main window
  if (row && !row->oneAtATime) {
    Win32Platform platform;
    WindowsRunHost host(platform.Get(), nullptr);
    return row->run(host, command);
  }
  if (!FirstRun()) {
    // Only the window and the clean bring the running window forward; a report or a
    // restore asked for by a tool leaves the desktop as it is.
    Win32Platform platform;
    if (!row || row->bringsWindowForward)
      BringRunningWindowForward();
    return RefuseSecondRun(platform.Get(), command);
  }
  Win32Platform platform;
  const auto window = [&] { return RunMainWindow(instance, showCommand, platform, arguments); };
  if (!row)
    return window().value_or(kCleanOnceNoWindow);
  WindowsRunHost host(platform.Get(), window);
  return row->run(host, command);
}
