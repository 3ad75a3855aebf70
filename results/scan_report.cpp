#include "results/scan_report.h"

#include <cstdio>
#include <string_view>

#include "platform/registry.h"

namespace kelvane {

namespace {

constexpr const char* kByteOrderMark = "\xEF\xBB\xBF";
constexpr const char* kHeader[] = {"Ticked", "Problem", "Registry key", "Value", "Reason"};

// One CSV field: quoted (its quotes doubled) when it holds a comma, a quote, CR or LF.
std::string CsvField(std::string_view text) {
  if (text.find_first_of(",\"\r\n") == std::string_view::npos)
    return std::string(text);
  std::string quoted = "\"";
  for (const char c : text) {
    if (c == '"')
      quoted += '"';
    quoted += c;
  }
  return quoted + '"';
}

std::string TextField(std::string text) {
  for (char& c : text) {
    if (c == '\t' || c == '\r' || c == '\n')
      c = ' ';
  }
  return text;
}

void AppendLine(std::string& out, const std::vector<std::string>& fields, ReportForm form) {
  for (size_t i = 0; i < fields.size(); ++i) {
    if (i > 0)
      out += form == ReportForm::kCsv ? ',' : '\t';
    out += form == ReportForm::kCsv ? CsvField(fields[i]) : TextField(fields[i]);
  }
  out += "\r\n";
}

}  // namespace

std::string ScanReportText(const std::vector<IssueRow>& rows, ReportForm form) {
  std::string out = kByteOrderMark;
  AppendLine(out, {std::begin(kHeader), std::end(kHeader)}, form);
  for (const IssueRow& row : rows) {
    AppendLine(out, {row.ticked ? "1" : "0", row.problem, row.key, row.value, row.reason}, form);
  }
  return out;
}

std::string RowsAsText(const std::vector<IssueRow>& rows) {
  std::string out;
  for (const IssueRow& row : rows)
    AppendLine(out, {row.problem, row.key, row.value, row.reason}, ReportForm::kText);
  return out;
}

std::optional<std::string> SaveScanReport(FileSystem& files, const std::string& path,
                                          const ResultsModel& model, ReportForm form) {
  const std::string failed = "The report could not be written: " + path;
  if (path.empty() || HoldsNul(path))
    return failed;
  const std::string text = ScanReportText(model.Rows(), form);
  FilePtr file = files.OpenFile(path, "wb");
  if (!file)
    return failed;
  const bool written = std::fwrite(text.data(), 1, text.size(), file.Get()) == text.size();
  if (!written || !CloseFile(file))
    return failed;
  return std::nullopt;
}

}  // namespace kelvane
