// The unattended run's switch and its exit codes.
#include <gtest/gtest.h>

#include "backup/clean_once.h"

namespace kelvane {
namespace {

TEST(CleanOnce, OnlyTheFirstArgumentInAnyCaseIsTheSwitch) {
  struct Case {
    std::vector<std::string> arguments;
    bool expected;
  };
  const Case cases[] = {
      {{}, false},
      {{"-cleanonce"}, true},
      {{"-CLEANONCE"}, true},
      {{"-CleanOnce", "x"}, true},
      {{"x", "-cleanonce"}, false},
      {{"/cleanonce"}, false},
      {{"-cleanonce "}, false},
      {{"cleanonce"}, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(IsCleanOnceSwitch(c.arguments), c.expected)
        << (c.arguments.empty() ? "(none)" : c.arguments[0]);
  }
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
      {RepairStop::kNone, 2, 5, 3},
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

}  // namespace
}  // namespace kelvane
