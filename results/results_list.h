// What the main window does with the results list: the ignore-list filter after a
// scan, the status-bar counts, the selection commands, "Open in RegEdit" and the
// report. The list view only shows the rows of the model and forwards clicks.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "results/results_model.h"
#include "platform/platform.h"

namespace kelvane {

// The ignore lists of the settings.
struct IgnoreLists {
  const std::vector<std::string>& values;
  const std::vector<std::string>& keys;
};

// Removes the rows that the ignore lists cover. Rows naming a shortcut
// file and rows whose "Registry key" cell holds no "\" always stay; an empty entry
// covers nothing. Row order is kept.
void ApplyIgnoreLists(ResultsModel& model, const IgnoreLists& lists);

// What the list holds after a scan: every row, and the ticked rows.
struct ResultCounts {
  size_t found = 0;
  size_t selected = 0;
  bool operator==(const ResultCounts&) const = default;
};

// The rules that run once the progress window has closed: rows that repeat an entry go
// (one entry, one row), every row is ticked, `everyRowFound` sees the list before the
// ignore lists act (the columns are fitted to every row found), then the ignore lists
// remove what they cover. After Stop every row found stays: rows go into the list
// whole, in batches, so none is half-built.
ResultCounts FinishScan(ResultsModel& model, const IgnoreLists& lists,
                        const std::function<void()>& everyRowFound = {});

// Before a repair: the ticked rows that a scan made just now (`current`) no longer
// reports in the same words leave the list, so that only entries still as the first
// scan saw them, and still broken by the rule that reported them, are repaired.
// Unticked rows stay. Returns how many rows left.
size_t DropRowsNoLongerReported(ResultsModel& model, const std::vector<IssueRow>& current);

// Status-bar texts: a blank, the number of rows (of ticked rows), then the
// string-table text, which begins with its own blank (" 12 problems found").
std::string StatusFoundText(const ResultsModel& model, const std::string& tableText);
std::string StatusSelectedText(const ResultsModel& model, const std::string& tableText);

// Ticks or unticks every row whose "Problem" text equals the selected row's exactly
// (letter case counts). Nothing happens for a row index past the end.
void SelectOfType(ResultsModel& model, size_t selectedRow, bool tick);

// "Open in RegEdit" is offered for every row kind except shortcut files.
bool CanOpenInRegedit(const IssueRow& row);
// The key the registry editor is to show for the row.
std::string RegeditKeyText(const IssueRow& row);
// Opens (creating when missing) `key` under HKEY_CURRENT_USER and writes the string
// value. Nothing happens when the key can neither be opened nor created; a failed
// value write raises RegistryError.
void WriteCurrentUserString(RegistryBackend& registry, const std::string& key,
                            const std::string& name, const std::string& data);
// Writes the row's key as the editor's "LastKey" and starts the editor of the Windows
// folder. False when the editor could not be started.
bool OpenInRegedit(Platform& platform, const IssueRow& row);

// The results list as a report file, for administrators and their tools: CSV
// (RFC 4180: quoted where needed, CRLF line ends) or text with one row a line, tab
// separated; both in UTF-8 with a byte order mark, so that spreadsheets and editors
// read every character as the list showed it.
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
