// The results list as a report file: RFC 4180 quoting (a comma, a quote, a line break), the CSV and
// text forms, every cell in UTF-8 as the program carries it, and a save that says when it failed.
#include <gtest/gtest.h>

#include "results/results_list.h"
#include "test_env.h"

namespace kelvane {
namespace {

TEST(ScanReport, BothFormsHoldTheHeaderAndEveryRowInUtf8) {
  const std::vector<IssueRow> rows = {
      {"Missing Startup Programs",
       "HKEY_CURRENT_USER\\Run\\Caf\xC3\xA9 \xCE\xA9\xF0\x9F\x9A\x80, \"x\"",
       "C:\\a,b.exe \"q\"\r\nnext",
       "file missing",
       RowKind::kValueInPath,
       true,
       {},
       0},
      {"Shared DLL",
       "HKEY_LOCAL_MACHINE\\S",
       "C:\\tab\there.dll",
       "",
       RowKind::kValueNamed,
       false,
       {},
       0},
  };
  EXPECT_EQ(ScanReportText(rows, ReportForm::kCsv),
            "\xEF\xBB\xBF"
            "Ticked,Problem,Registry key,Value,Reason\r\n"
            "1,Missing Startup Programs,\"HKEY_CURRENT_USER\\Run\\Caf\xC3\xA9 "
            "\xCE\xA9\xF0\x9F\x9A\x80, \"\"x\"\"\","
            "\"C:\\a,b.exe \"\"q\"\"\r\nnext\",file missing\r\n"
            "0,Shared DLL,HKEY_LOCAL_MACHINE\\S,C:\\tab\there.dll,\r\n");
  EXPECT_EQ(ScanReportText(rows, ReportForm::kText),
            "\xEF\xBB\xBF"
            "Ticked\tProblem\tRegistry key\tValue\tReason\r\n"
            "1\tMissing Startup Programs\tHKEY_CURRENT_USER\\Run\\Caf\xC3\xA9 "
            "\xCE\xA9\xF0\x9F\x9A\x80, \"x\"\t"
            "C:\\a,b.exe \"q\"  next\tfile missing\r\n"
            "0\tShared DLL\tHKEY_LOCAL_MACHINE\\S\tC:\\tab here.dll\t\r\n");
}

TEST(ScanReport, SaveWritesTheFileOrSaysWhyNot) {
  test::TestEnv env;
  ResultsModel model;
  model.AppendBatch({IssueRow{"p", "HKEY_CURRENT_USER\\k", "v", "r", RowKind::kKey, true, {}, 0}});
  const std::string path = env.TempDir() + "\\report.csv";
  ASSERT_EQ(SaveScanReport(env.Files(), path, model, ReportForm::kCsv), std::nullopt);
  EXPECT_EQ(ReadFileText(env.Files(), path), ScanReportText(model.Rows(), ReportForm::kCsv));

  for (const std::string& bad :
       {env.TempDir() + "\\no such folder\\report.csv", std::string("C:\\r\0.csv", 9), {}}) {
    const auto error = SaveScanReport(env.Files(), bad, model, ReportForm::kCsv);
    ASSERT_TRUE(error.has_value()) << bad;
    EXPECT_EQ(error->rfind("The report could not be written: ", 0), 0u) << *error;
  }
}

}  // namespace
}  // namespace kelvane
