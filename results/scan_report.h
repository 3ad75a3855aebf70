// The results list as a report file, for administrators and their tools: CSV
// (RFC 4180: quoted where needed, CRLF line ends) or text with one row a line, tab
// separated; both in UTF-8 with a byte order mark, so that spreadsheets and editors
// read every character as the list showed it.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "results/results_model.h"

namespace kelvane {

enum class ReportForm { kCsv, kText };

// The whole report: the byte order mark, a header line, then each row's tick ("1" or
// "0"), problem, key, value and reason. In the text form a tab, CR or LF inside a
// cell becomes a blank, since nothing can quote it there.
std::string ScanReportText(const std::vector<IssueRow>& rows, ReportForm form);

// The rows as text to paste: one line each, its problem, key, value and reason
// separated by tabs as in the text form, without the byte order mark, the header and
// the tick.
std::string RowsAsText(const std::vector<IssueRow>& rows);

// Writes the report of the model's rows to `path`, replacing the file. Nothing when
// it was written; otherwise the text that says it was not.
std::optional<std::string> SaveScanReport(FileSystem& files, const std::string& path,
                                          const ResultsModel& model, ReportForm form);

}  // namespace kelvane
