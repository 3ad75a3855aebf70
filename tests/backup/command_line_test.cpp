// The command line: which run the arguments ask for, and the exit codes of the
// unattended runs.
#include <gtest/gtest.h>

#include "backup/clean_once.h"
#include "backup/command_line.h"

namespace kelvane {
namespace {

TEST(CommandLine, OnlyTheFirstArgumentInAnyCaseIsTheSwitch) {
  struct Case {
    std::vector<std::string> arguments;
    RunSwitch run;
    std::string file;
  };
  const Case cases[] = {
      {{}, RunSwitch::kWindow, ""},
      {{"-cleanonce"}, RunSwitch::kCleanOnce, ""},
      {{"-CleanOnce", "x"}, RunSwitch::kCleanOnce, ""},
      {{"x", "-cleanonce"}, RunSwitch::kWindow, ""},
      {{"cleanonce"}, RunSwitch::kWindow, ""},
      {{"-cleanonce "}, RunSwitch::kUnknown, ""},
      {{"/cleanonce"}, RunSwitch::kUnknown, ""},
      {{"-scan", "C:\\r.csv"}, RunSwitch::kScan, "C:\\r.csv"},
      {{"-SCAN", "r, \"1\".csv"}, RunSwitch::kScan, "r, \"1\".csv"},
      {{"-scan"}, RunSwitch::kUnknown, ""},
      {{"-scan", "a", "b"}, RunSwitch::kUnknown, ""},
      {{"-Restore", "C:\\B\\Backup1.reg"}, RunSwitch::kRestore, "C:\\B\\Backup1.reg"},
      {{"/?"}, RunSwitch::kHelp, ""},
      {{"-?", "x"}, RunSwitch::kHelp, ""},
      {{"--help"}, RunSwitch::kUnknown, ""},
      {{"-x"}, RunSwitch::kUnknown, ""},
  };
  for (const Case& c : cases) {
    const std::string shown = c.arguments.empty() ? "(none)" : c.arguments[0];
    const CommandLine command = ParseCommandLine(c.arguments);
    EXPECT_EQ(command.run, c.run) << shown;
    EXPECT_EQ(command.file, c.file) << shown;
    EXPECT_EQ(IsCleanOnceRun(c.arguments), c.run == RunSwitch::kCleanOnce) << shown;
  }
}

TEST(CommandLine, TheUsageNamesEverySwitchAndEveryExitCode) {
  const std::string usage = UsageText();
  for (const char* text : {"-cleanonce", "-scan FILE", "-restore FILE", "/?", "kelvane.log"})
    EXPECT_NE(usage.find(text), std::string::npos) << text;
  for (int code = 0; code <= kNothingTicked; ++code)
    EXPECT_NE(usage.find("\r\n" + std::to_string(code) + "\t"), std::string::npos) << code;
}

TEST(CleanOnce, ExitCodeFollowsWhatStoppedTheRepair) {
  struct Case {
    RepairStop stop;
    size_t notBackedUp;
    size_t refused;
    int expected;
  };
  const Case cases[] = {
      {RepairStop::kNone, 0, 0, 0},
      {RepairStop::kNoBackupFolder, 0, 0, 2},
      {RepairStop::kBackupFailed, 0, 0, 3},
      {RepairStop::kNone, 1, 0, 3},
      {RepairStop::kNone, 0, 1, 4},
      {RepairStop::kRestorePointCancelled, 0, 0, 5},
      {RepairStop::kError, 0, 0, 7},
      // A stop outranks what was counted before it.
      {RepairStop::kBackupFailed, 0, 3, 3},
      {RepairStop::kError, 1, 1, 7},
  };
  for (const Case& c : cases) {
    RepairOutcome outcome;
    outcome.stop = c.stop;
    outcome.notBackedUp = c.notBackedUp;
    outcome.refused = c.refused;
    EXPECT_EQ(CleanOnceExitCode(outcome), c.expected)
        << static_cast<int>(c.stop) << " " << c.notBackedUp << " " << c.refused;
  }
}

TEST(ScanSwitch, ExitCodeSaysFoundFailedOrNotWritten) {
  struct Case {
    const char* failure;
    bool written;
    size_t found;
    int expected;
  };
  const Case cases[] = {
      {"", true, 0, 0},
      {"", true, 3, 8},
      {"", false, 3, 9},
      {"Out of memory", false, 3, 10},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ScanExitCode(c.failure, c.written, c.found), c.expected)
        << c.failure << " " << c.written << " " << c.found;
  }
}

}  // namespace
}  // namespace kelvane
