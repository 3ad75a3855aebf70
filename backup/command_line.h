// The program's command line, read in one place: which run the arguments ask for, the
// usage text that lists every switch and the exit codes.
#pragma once

#include <string>
#include <vector>

namespace kelvane {

enum class RunSwitch {
  kWindow,     // no switch: the main window opens
  kCleanOnce,  // -cleanonce: scan, repair everything found, exit
  kScan,       // -scan FILE: scan, write the report, delete nothing
  kRestore,    // -restore FILE: the verified restore of one backup file
  kHelp,       // /?, -?, -help: the usage
  kUnknown,    // an unknown switch, or -scan or -restore without exactly one file
};

struct CommandLine {
  RunSwitch run = RunSwitch::kWindow;
  std::string file;  // the file of -scan and -restore
};

// Only the first argument can be a switch: it starts with "-" or "/" and its letter
// case does not count; the named switches are written with "-", the help also "/?". A first
// argument that is no switch opens the window, as does none. Arguments after -cleanonce and the
// help switches are not looked at.
CommandLine ParseCommandLine(const std::vector<std::string>& arguments);

// True when the arguments ask for -cleanonce.
inline bool IsCleanOnceRun(const std::vector<std::string>& arguments) {
  return ParseCommandLine(arguments).run == RunSwitch::kCleanOnce;
}

// True for the runs that never show the main window and log themselves.
bool IsUnattended(RunSwitch run);
// The switch as the log names it ("-scan"); empty for the window.
const char* SwitchName(RunSwitch run);

// The message box text of /? and of an unknown switch.
std::string UsageText();

}  // namespace kelvane
