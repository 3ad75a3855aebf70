// What the main window does with the results list: the ignore-list filter after a
// scan, the status-bar counts, the selection commands and "Open in RegEdit". The
// list view only shows the rows of the model and forwards clicks.
#pragma once

#include <string>

#include "app/results_model.h"
#include "app/settings.h"
#include "platform/platform.h"

namespace kelvane {

// Removes the rows that the ignore lists cover (the first IgnoreValueCount entries of
// IgnoreValues and the first IgnoreKeyCount of IgnoreKeys). Rows naming a shortcut
// file and rows whose "Registry key" cell holds no "\" always stay; an empty entry
// covers nothing. Row order is kept.
void ApplyIgnoreLists(ResultsModel& model, const TOptionsSetting& settings);

// Status-bar texts: a blank, the number of rows (of ticked rows), then the
// string-table text, which begins with its own blank (" 12 problems found").
std::string StatusFoundText(const ResultsModel& model, const std::string& tableText);
std::string StatusSelectedText(const ResultsModel& model, const std::string& tableText);

// Ticks or unticks every row.
void SelectAll(ResultsModel& model, bool tick);
// Ticks or unticks every row whose "Problem" text equals the selected row's exactly
// (letter case counts). Nothing happens for a row index past the end.
void SelectOfType(ResultsModel& model, size_t selectedRow, bool tick);

// "Open in RegEdit" is offered for every row kind except shortcut files.
bool CanOpenInRegedit(const IssueRow& row);
// The key the registry editor is to show for the row.
std::string RegeditKeyText(const IssueRow& row);
// Writes the row's key as the editor's "LastKey" and starts the editor with "-m".
// Failures are not reported.
void OpenInRegedit(Platform& platform, const IssueRow& row);

}  // namespace kelvane
