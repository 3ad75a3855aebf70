#include "unattended/command_line.h"

#include "platform/registry.h"
#include "unattended/clean_once.h"
#include "unattended/runs.h"

namespace kelvane {

namespace {

const char kUsageHead[] =
    "kelvane.exe [switch]\r\n"
    "\r\n"
    "Without a switch Kelvane opens its window.\r\n"
    "\r\n";

const char kUsageTail[] =
    "\r\n"
    "Switches may be written in any letter case. Each run with -cleanonce, -scan\r\n"
    "or -restore adds a line to kelvane.log beside options.ini.\r\n"
    "\r\n"
    "Exit codes:\r\n"
    "0\tDone: everything found was repaired (-cleanonce), nothing was found\r\n"
    "\t(-scan), the backup was restored and verified (-restore).\r\n"
    "1\tThe window could not be created; nothing was scanned.\r\n"
    "2\tNo backup folder: nothing was repaired.\r\n"
    "3\tA backup failed; that entry and those after it were kept.\r\n"
    "4\tWindows refused to delete an entry that was backed up.\r\n"
    "5\tThe restore point was cancelled: nothing was repaired.\r\n"
    "6\tKelvane was already running: nothing was done.\r\n"
    "7\tThe repair stopped on another error.\r\n"
    "8\t-scan: entries were found; the report lists them.\r\n"
    "9\t-scan: the report could not be written.\r\n"
    "10\t-scan: the scan failed; the report holds what was found before.\r\n"
    "11\t-restore: the file is damaged or the restore could not be\r\n"
    "\tverified; the file is kept.\r\n"
    "12\t-restore: the file does not exist or the registry editor did not run.\r\n"
    "13\tUnknown switch or missing file name: nothing was done.\r\n"
    "14\t-scan, -cleanonce: no category is ticked; nothing was scanned.";

}  // namespace

const std::vector<Switch>& Switches() {
  static const std::vector<Switch> kSwitches = {
      {.names = {kCleanOnceSwitch},
       .usage = {"-cleanonce\tScan the categories ticked when Kelvane was last closed, back up",
                 "\tand remove every entry found, then exit."},
       .unattended = true,
       .oneAtATime = true,
       .bringsWindowForward = true,
       .run = RunCleanOnceSwitch},
      {.names = {"-scan"},
       .takesFile = true,
       .usage = {"-scan FILE\tScan the same categories and write the entries found to FILE",
                 "\t(CSV, UTF-8); nothing is removed."},
       .unattended = true,
       .oneAtATime = true,
       .run = RunScanSwitch},
      {.names = {"-restore"},
       .takesFile = true,
       .usage = {"-restore FILE\tImport the backup FILE with the system registry editor and",
                 "\tverify it; the file is deleted afterwards only when verified and the",
                 "\toption to delete restored backup files is on."},
       .unattended = true,
       .oneAtATime = true,
       .run = RunRestoreSwitch},
      {.names = {"/?", "-?", "-help"},
       .usage = {"/?, -?, -help\tShow this text."},
       .run = RunHelpSwitch},
      {.names = {}, .usage = {}, .run = RunUnknownSwitch},
  };
  return kSwitches;
}

CommandLine ParseCommandLine(const std::vector<std::string>& arguments) {
  if (arguments.empty())
    return {};
  const std::string first = UpperAscii(arguments[0]);
  for (const Switch& row : Switches()) {
    for (const std::string& name : row.names) {
      if (UpperAscii(name) != first)
        continue;
      if (!row.takesFile)
        return {&row, {}};
      if (arguments.size() != 2 || arguments[1].empty())
        return {&Switches().back(), {}};
      return {&row, arguments[1]};
    }
  }
  if (first.empty() || (first[0] != '-' && first[0] != '/'))
    return {};
  return {&Switches().back(), {}};
}

bool IsCleanOnceRun(const std::vector<std::string>& arguments) {
  const CommandLine command = ParseCommandLine(arguments);
  return command.run && command.run->run == RunCleanOnceSwitch;
}

std::string SwitchName(const CommandLine& command) {
  if (!command.run)
    return "";
  return command.run->names.empty() ? "(unknown)" : command.run->names.front();
}

std::string UsageText() {
  std::string text = kUsageHead;
  for (const Switch& row : Switches()) {
    for (const std::string& line : row.usage)
      text += line + "\r\n";
  }
  return text + kUsageTail;
}

}  // namespace kelvane
