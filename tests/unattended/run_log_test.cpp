// kelvane.log: one line for each unattended run, and a file that never grows past its
// limit, the older half of its lines dropped first.
#include <gtest/gtest.h>

#include <optional>
#include <string_view>

#include "unattended/run_log.h"
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
  const std::string mark = "\xEF\xBB\xBF";  // the file is UTF-8
  // As the ANSI code page 1252 reads its bytes from 0xA0 up.
  const auto fromAnsi = [](std::string_view text) {
    std::string out;
    for (const char c : text) {
      const auto byte = static_cast<unsigned char>(c);
      if (byte < 0x80) {
        out += c;
      } else {
        out += static_cast<char>(0xC0 | (byte >> 6));
        out += static_cast<char>(0x80 | (byte & 0x3F));
      }
    }
    return out;
  };
  struct Step {
    std::string line;
    std::string expected;               // the whole file afterwards
    std::optional<std::string> before;  // the file before, when not the one of the step above
  };
  const std::string greek = "file=C:\\\xCE\xA9\xCE\xBC\xCE\xAD\xCE\xB3\xCE\xB1.reg";
  // Each line with its CRLF takes 11 bytes, the mark 3; the limit is 48.
  const Step steps[] = {
      {"line 0001", mark + "line 0001\r\n", {}},
      {"line 0002", mark + "line 0001\r\nline 0002\r\n", {}},
      {"line 0003", mark + "line 0001\r\nline 0002\r\nline 0003\r\n", {}},
      {"line 0004", mark + "line 0001\r\nline 0002\r\nline 0003\r\nline 0004\r\n", {}},
      // 58 bytes would pass the limit: lines 1 and 2 go.
      {"line 0005", mark + "line 0003\r\nline 0004\r\nline 0005\r\n", {}},
      {"line 0006", mark + "line 0003\r\nline 0004\r\nline 0005\r\nline 0006\r\n", {}},
      // A line longer than the limit leaves only itself.
      {std::string(50, 'x'), mark + std::string(50, 'x') + "\r\n", {}},
      {"line 0008", mark + "line 0008\r\n", {}},
      // A name in any script stands as it is.
      {greek, mark + "line 0008\r\n" + greek + "\r\n", {}},
      // An older version's ANSI log becomes UTF-8 as a whole: its ANSI lines are
      // converted, a line that is UTF-8 already stays.
      {"new", mark + "Jos\xC3\xA9\r\n\xCE\xA9\r\nnew\r\n", "Jos\xE9\r\n\xCE\xA9\r\n"},
      {"x", mark + "x\r\n", ""},
  };
  for (const Step& step : steps) {
    if (step.before)
      env.WriteFile(path, *step.before);
    ASSERT_TRUE(AppendRunLog(env.Files(), path, step.line, fromAnsi, 48));
    EXPECT_EQ(ReadFileText(env.Files(), path).value_or(""), step.expected) << step.line;
  }
  EXPECT_FALSE(env.Files().FileExists(path + ".tmp"));
  EXPECT_FALSE(AppendRunLog(env.Files(), env.TempDir() + "\\none\\kelvane.log", "x", fromAnsi));
}

}  // namespace
}  // namespace kelvane
