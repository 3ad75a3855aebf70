// The command line: which run the arguments ask for, and the exit codes of the
// unattended runs.
#include <gtest/gtest.h>

#include "unattended/command_line.h"
#include "unattended/exit_codes.h"

namespace kelvane {
namespace {

TEST(CommandLine, OnlyTheFirstArgumentInAnyCaseIsTheSwitch) {
  struct Case {
    std::vector<std::string> arguments;
    std::string run;  // the switch as the log names it; empty: the window
    std::string file;
  };
  const Case cases[] = {
      {{}, "", ""},
      {{"-cleanonce"}, "-cleanonce", ""},
      {{"-CleanOnce", "x"}, "-cleanonce", ""},
      {{"x", "-cleanonce"}, "", ""},
      {{"cleanonce"}, "", ""},
      {{"-cleanonce "}, "(unknown)", ""},
      {{"/cleanonce"}, "(unknown)", ""},
      {{"-scan", "C:\\r.csv"}, "-scan", "C:\\r.csv"},
      {{"-SCAN", "r, \"1\".csv"}, "-scan", "r, \"1\".csv"},
      {{"-scan"}, "(unknown)", ""},
      {{"-scan", "a", "b"}, "(unknown)", ""},
      {{"-Restore", "C:\\B\\Backup1.reg"}, "-restore", "C:\\B\\Backup1.reg"},
      {{"/?"}, "/?", ""},
      {{"-?", "x"}, "/?", ""},
      {{"--help"}, "(unknown)", ""},
      {{"-x"}, "(unknown)", ""},
  };
  for (const Case& c : cases) {
    const std::string shown = c.arguments.empty() ? "(none)" : c.arguments[0];
    const CommandLine command = ParseCommandLine(c.arguments);
    EXPECT_EQ(SwitchName(command), c.run) << shown;
    EXPECT_EQ(command.file, c.file) << shown;
    EXPECT_EQ(IsCleanOnceRun(c.arguments), c.run == "-cleanonce") << shown;
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
