// kelvane.log: one line for each unattended run, and a file that never grows past its
// limit, the older half of its lines dropped first.
#include <gtest/gtest.h>

#include "backup/run_log.h"
#include "test_env.h"

namespace kelvane {
namespace {

TEST(RunLog, OneLineWithEveryField) {
  RunLogEntry entry{{2026, 12, 8, 3, 0, 5},
                    "-cleanonce",
                    {"Shared DLLs", "Startup"},
                    4,
                    3,
                    "C:\\Kelvane\\Backup\\Backup20261208030005.reg",
                    4,
                    ""};
  EXPECT_EQ(RunLogLine(entry),
            "2026-12-08 03:00:05\t-cleanonce\tcategories=Shared DLLs; Startup\tfound=4\t"
            "repaired=3\tfile=C:\\Kelvane\\Backup\\Backup20261208030005.reg\texit=4");
  entry = RunLogEntry{{2027, 1, 2, 13, 4, 9}, "-restore", {}, {}, {}, "C:\\b\tx.reg", 11,
                      "damaged\r\nkept"};
  EXPECT_EQ(RunLogLine(entry),
            "2027-01-02 13:04:09\t-restore\tcategories=\tfound=-\trepaired=-\tfile=C:\\b x.reg\t"
            "exit=11\tnote=damaged  kept");
}

TEST(RunLog, LinesAreAppendedAndTheOlderHalfGoesAtTheLimit) {
  test::TestEnv env;
  const std::string path = env.TempDir() + "\\kelvane.log";
  struct Step {
    std::string line;
    std::string expected;  // the whole file afterwards
  };
  // Each line with its CRLF takes 11 bytes; the limit is 45.
  const Step steps[] = {
      {"line 0001", "line 0001\r\n"},
      {"line 0002", "line 0001\r\nline 0002\r\n"},
      {"line 0003", "line 0001\r\nline 0002\r\nline 0003\r\n"},
      {"line 0004", "line 0001\r\nline 0002\r\nline 0003\r\nline 0004\r\n"},
      // 55 bytes would pass the limit: lines 1 and 2 go.
      {"line 0005", "line 0003\r\nline 0004\r\nline 0005\r\n"},
      {"line 0006", "line 0003\r\nline 0004\r\nline 0005\r\nline 0006\r\n"},
      // A line longer than the limit leaves only itself.
      {std::string(50, 'x'), std::string(50, 'x') + "\r\n"},
      {"line 0008", "line 0008\r\n"},
  };
  for (const Step& step : steps) {
    ASSERT_TRUE(AppendRunLog(env.Files(), path, step.line, 45));
    EXPECT_EQ(ReadFileText(env.Files(), path).value_or(""), step.expected) << step.line;
  }
  EXPECT_FALSE(env.Files().FileExists(path + ".tmp"));
  EXPECT_FALSE(AppendRunLog(env.Files(), env.TempDir() + "\\none\\kelvane.log", "x"));
}

}  // namespace
}  // namespace kelvane
