// The results list as a report file: RFC 4180 quoting (a comma, a quote, a line break), the CSV and
// text forms, the code page's text converted cell by cell, and a save that says when it failed.
#include <gtest/gtest.h>

#include "results/scan_report.h"
#include "test_env.h"

namespace kelvane {
namespace {

// Stands in for the system's conversion: the Windows-1252 "é" becomes its UTF-8 form.
std::string ToUtf8(std::string_view text) {
  std::string out;
  for (const char c : text)
    out += c == '\xE9' ? std::string("\xC3\xA9") : std::string(1, c);
  return out;
}

TEST(ScanReport, BothFormsHoldTheHeaderAndEveryRowInUtf8) {
  const std::vector<IssueRow> rows = {
      {"Missing Startup Programs",
       "HKEY_CURRENT_USER\\Run\\Caf\xE9, \"x\"",
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
  EXPECT_EQ(ScanReportText(rows, ReportForm::kCsv, ToUtf8),
            "\xEF\xBB\xBF"
            "Ticked,Problem,Registry key,Value,Reason\r\n"
            "1,Missing Startup Programs,\"HKEY_CURRENT_USER\\Run\\Caf\xC3\xA9, \"\"x\"\"\","
            "\"C:\\a,b.exe \"\"q\"\"\r\nnext\",file missing\r\n"
            "0,Shared DLL,HKEY_LOCAL_MACHINE\\S,C:\\tab\there.dll,\r\n");
  EXPECT_EQ(ScanReportText(rows, ReportForm::kText, ToUtf8),
            "\xEF\xBB\xBF"
            "Ticked\tProblem\tRegistry key\tValue\tReason\r\n"
            "1\tMissing Startup Programs\tHKEY_CURRENT_USER\\Run\\Caf\xC3\xA9, \"x\"\t"
            "C:\\a,b.exe \"q\"  next\tfile missing\r\n"
            "0\tShared DLL\tHKEY_LOCAL_MACHINE\\S\tC:\\tab here.dll\t\r\n");
}

TEST(ScanReport, SaveWritesTheFileOrSaysWhyNot) {
  test::TestEnv env;
  ResultsModel model;
  model.Append(IssueRow{"p", "HKEY_CURRENT_USER\\k", "v", "r", RowKind::kKey, true, {}, 0});
  const std::string path = env.TempDir() + "\\report.csv";
  ASSERT_EQ(SaveScanReport(env.Files(), path, model, ReportForm::kCsv, ToUtf8), std::nullopt);
  EXPECT_EQ(ReadFileText(env.Files(), path),
            ScanReportText(model.Rows(), ReportForm::kCsv, ToUtf8));

  for (const std::string& bad :
       {env.TempDir() + "\\no such folder\\report.csv", std::string("C:\\r\0.csv", 9), {}}) {
    const auto error = SaveScanReport(env.Files(), bad, model, ReportForm::kCsv, ToUtf8);
    ASSERT_TRUE(error.has_value()) << bad;
    EXPECT_EQ(error->rfind("The report could not be written: ", 0), 0u) << *error;
  }
}

}  // namespace
}  // namespace kelvane
