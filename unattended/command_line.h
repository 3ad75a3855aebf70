// The program's command line, read in one place: one table of switches, each with its
// lines in the usage, its name in kelvane.log, how it meets a run already going, and
// the function that runs it; the parser that finds the row the arguments ask for.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace kelvane {

// What a run needs of the system around it besides the platform; the program's is in
// unattended/win_unattended.h.
class RunHost {
 public:
  virtual ~RunHost() = default;
  virtual Platform GetPlatform() = 0;
  // A path as the system completes it against the current folder.
  virtual std::string FullPath(const std::string& path) = 0;
  // The screen's size, against which the settings place the window.
  virtual int ScreenWidth() = 0;
  virtual int ScreenHeight() = 0;
  // A short wait, between the looks at whether the registry editor has ended.
  virtual void Pause() = 0;
  // The usage text in a window of its own, until it is closed.
  virtual void ShowUsage(const std::string& text) = 0;
  // The main window until it closes: its exit code; none when it could not be created.
  virtual std::optional<int> RunWindow() = 0;
};

struct CommandLine;

struct Switch {
  // As typed ("-scan"), the first also as kelvane.log names the run; none: every
  // other switch, "(unknown)" in the log.
  std::vector<std::string> names;
  bool takesFile = false;            // followed by exactly one FILE, not empty
  std::vector<std::string> usage;    // its lines in the usage: the switch, a tab, the meaning
  bool unattended = false;           // never shows the main window and logs itself
  bool oneAtATime = false;           // waits for no other run: ends with 6 when one is going
  bool bringsWindowForward = false;  // a second start brings the running window forward
  int (*run)(RunHost& host, const CommandLine& command);  // returns the exit code
};

// Every switch, in the order the usage lists them; the last row, without names, stands
// for every switch not in the table and for a switch without its file.
const std::vector<Switch>& Switches();

struct CommandLine {
  const Switch* run = nullptr;  // none: the main window opens
  std::string file;             // the file of a switch that takes one
};

// Only the first argument can be a switch: it starts with "-" or "/" and its letter
// case does not count; the named switches are written with "-", the help also "/?". A first
// argument that is no switch opens the window, as does none. Arguments after -cleanonce and the
// help switches are not looked at.
CommandLine ParseCommandLine(const std::vector<std::string>& arguments);

// True when the arguments ask for -cleanonce.
bool IsCleanOnceRun(const std::vector<std::string>& arguments);

// The switch as the log names it (Switch::names); empty for the window.
std::string SwitchName(const CommandLine& command);

// The text of /? and of an unknown switch.
std::string UsageText();

}  // namespace kelvane
