// The program's side of the runs of the command line: the host they run in (full
// paths, the screen, the usage window, the main window WinMain brings), and the
// environment's KELVANE_PHASE_TIMES.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>

#include "platform/platform.h"
#include "unattended/command_line.h"

namespace kelvane {

class WindowsRunHost : public RunHost {
 public:
  // `runWindow` creates the main window and runs its message loop (app/win_main.cpp).
  WindowsRunHost(Platform platform, std::function<std::optional<int>()> runWindow)
      : platform_(platform), runWindow_(std::move(runWindow)) {}
  Platform GetPlatform() override { return platform_; }
  std::string FullPath(const std::string& path) override;
  int ScreenWidth() override;
  int ScreenHeight() override;
  void Pause() override;
  // The usage laid out in a form of its own: a message box would wrap its lines.
  void ShowUsage(const std::string& text) override;
  std::optional<int> RunWindow() override;

 private:
  Platform platform_;
  std::function<std::optional<int>()> runWindow_;
};

// A path as the system completes it against the current folder; a path whose name
// has no exact ANSI form stays as it is (nothing opens it).
std::string FullPath(const std::string& path);

// The file named by KELVANE_PHASE_TIMES, where the benchmarks ask an unattended clean
// to note where its time went; empty when none is named.
std::string PhaseTimesFile();

}  // namespace kelvane
