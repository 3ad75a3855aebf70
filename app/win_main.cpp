// Program entry: one run at a time. A second start, with or without a switch, hands
// over to the running window and ends with 6; the first creates the main window and
// runs the message loop, or runs its switch.
#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "app/main_window.h"
#include "app/win_command_line.h"
#include "backup/clean_once.h"
#include "backup/command_line.h"
#include "platform/counted_registry.h"
#include "platform/win32/win32_platform.h"
#include "platform/win32/win32_restore_point.h"
#include "ui/messages.h"
#include "ui/win_text.h"

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

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
  using namespace kelvane;
  const std::vector<std::string> arguments = Arguments();
  const CommandLine command = ParseCommandLine(arguments);
  if (command.run == RunSwitch::kHelp)
    return ShowUsage(0);
  if (command.run == RunSwitch::kUnknown) {
    // A tool that started a wrong command line learns from the log why nothing ran.
    Win32Platform platform;
    LogUnattendedRun(platform.Get(), RunLogEntry{{},
                                                 SwitchName(command.run),
                                                 {},
                                                 {},
                                                 {},
                                                 {},
                                                 kUsageShown,
                                                 "Unknown switch or missing file name: nothing "
                                                 "was done."});
    return ShowUsage(kUsageShown);
  }
  // Decided before anything else is looked at or written, and in one step: the mutex
  // is created, or found made by a run that still holds it. The system lets go of it
  // when the process ends, however it ends, so it is never closed here.
  HANDLE runs = CreateMutexW(nullptr, FALSE, Wide(kInstanceMutexName).c_str());
  const bool alone = runs != nullptr && GetLastError() != ERROR_ALREADY_EXISTS;
  Win32Platform platform;
  if (!alone) {
    // Only the window and the clean bring the running window forward; a report or a
    // restore asked for by a tool leaves the desktop as it is.
    HWND running = FindWindowW(Wide(kMainWindowClass).c_str(), nullptr);
    if (running && (command.run == RunSwitch::kWindow || command.run == RunSwitch::kCleanOnce)) {
      PostMessageW(running, WM_ACTIVATE_INSTANCE, 0, 0);
      SetForegroundWindow(running);
    }
    // A run that met another did nothing: a scheduled task must not read that as a
    // clean registry, nor may two runs share a backup file.
    if (IsUnattended(command.run)) {
      LogUnattendedRun(platform.Get(), RunLogEntry{{},
                                                   SwitchName(command.run),
                                                   {},
                                                   {},
                                                   {},
                                                   {},
                                                   kCleanOnceAlreadyRunning,
                                                   "Kelvane was already running."});
    }
    return kCleanOnceAlreadyRunning;
  }
  if (command.run == RunSwitch::kScan)
    return RunScanSwitch(platform.Get(), command.file);
  if (command.run == RunSwitch::kRestore)
    return RunRestoreSwitch(platform.Get(), command.file);
  InitializeComSecurityForSystemRestore();  // before any COM call leaves the process
  // A benchmark that asks where an unattended run's time goes (KELVANE_PHASE_TIMES)
  // also learns how many registry calls it made.
  CountedRegistry counted(platform.registry);
  const Platform plain = platform.Get();
  const bool counting = GetEnvironmentVariableA("KELVANE_PHASE_TIMES", nullptr, 0) > 0;
  TfrmKelvane window(counting ? Platform{counted, plain.files, plain.shell, plain.system,
                                         plain.profile, plain.processes}
                              : plain,
                     arguments);
  if (!window.Create(instance, showCommand)) {
    if (command.run == RunSwitch::kCleanOnce) {
      LogUnattendedRun(
          platform.Get(),
          RunLogEntry{
              {}, SwitchName(command.run), {}, {}, {}, {}, kCleanOnceNoWindow, "No window."});
    }
    return kCleanOnceNoWindow;
  }
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
