#include "backup/command_line.h"

#include "platform/registry.h"

namespace kelvane {

CommandLine ParseCommandLine(const std::vector<std::string>& arguments) {
  if (arguments.empty())
    return {};
  const std::string first = UpperAscii(arguments[0]);
  if (first == "/?" || first == "-?" || first == "-HELP")
    return {RunSwitch::kHelp, {}};
  if (first.empty() || (first[0] != '-' && first[0] != '/'))
    return {};
  if (first == "-CLEANONCE")
    return {RunSwitch::kCleanOnce, {}};
  if (first == "-SCAN" || first == "-RESTORE") {
    if (arguments.size() != 2 || arguments[1].empty())
      return {RunSwitch::kUnknown, {}};
    return {first == "-SCAN" ? RunSwitch::kScan : RunSwitch::kRestore, arguments[1]};
  }
  return {RunSwitch::kUnknown, {}};
}

bool IsUnattended(RunSwitch run) {
  return run == RunSwitch::kCleanOnce || run == RunSwitch::kScan || run == RunSwitch::kRestore;
}

const char* SwitchName(RunSwitch run) {
  switch (run) {
    case RunSwitch::kCleanOnce:
      return "-cleanonce";
    case RunSwitch::kScan:
      return "-scan";
    case RunSwitch::kRestore:
      return "-restore";
    case RunSwitch::kHelp:
      return "/?";
    case RunSwitch::kUnknown:
      return "(unknown)";
    case RunSwitch::kWindow:
      break;
  }
  return "";
}

std::string UsageText() {
  return "kelvane.exe [switch]\r\n"
         "\r\n"
         "Without a switch Kelvane opens its window.\r\n"
         "\r\n"
         "-cleanonce\tScan the categories ticked when Kelvane was last closed, back up\r\n"
         "\tand remove every entry found, then exit.\r\n"
         "-scan FILE\tScan the same categories and write the entries found to FILE\r\n"
         "\t(CSV, UTF-8); nothing is removed.\r\n"
         "-restore FILE\tImport the backup FILE with the system registry editor and\r\n"
         "\tverify it; the file is deleted afterwards only when verified and the\r\n"
         "\toption to delete restored backup files is on.\r\n"
         "/?, -?, -help\tShow this text.\r\n"
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
}

}  // namespace kelvane
