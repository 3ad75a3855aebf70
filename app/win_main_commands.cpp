// The main window's commands that run the program's work: the scan, the repair, the
// unattended run, the selection commands and the status counts they refresh.
#include <windows.h>
#include <commdlg.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/win_main_callbacks.h"
#include "app/main_window.h"
#include "backup/repair_window.h"
#include "results/results_list.h"
#include "scan/progress_window.h"
#include "ui/texts_resource.h"
#include "ui/win_clipboard.h"
#include "ui/win_controls.h"
#include "ui/win_save_file.h"
#include "unattended/clean_once.h"
#include "unattended/exit_codes.h"
#include "unattended/win_unattended.h"

namespace kelvane {

ScanOptions ScanOptionsFromSettings(bool unattended) {
  return ScanOptions{unattended, OptionsSetting.IncludeRemoveMedia, OptionsSetting.IncludeCDdrive};
}

void TfrmKelvane::UpdateStatusCounts() {
  std::string found = StatusFoundText(results_, LoadResString(IDS_PROBLEMS_FOUND));
  if (scanStopped_)
    found = LoadResString(IDS_SCAN_STOPPED) +
            found.substr(std::min(found.find_first_not_of(' '), found.size()));
  const std::string selected = StatusSelectedText(results_, LoadResString(IDS_PROBLEMS_SELECTED));
  SendMessageW(statusBar1_, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(Wide(found).c_str()));
  SendMessageW(statusBar1_, SB_SETTEXTW, 1, reinterpret_cast<LPARAM>(Wide(selected).c_str()));
}

void TfrmKelvane::bScanRegistryClick() {
  try {
    const std::vector<Category> categories = SelectedCategories(categories_);
    if (results_.Count() == 0)
      lvRegistryData_.ResetColumnWidths();
    if (categories.empty()) {
      if (!unattended_)
        AppMessageBox(hwnd_, kNothingTickedText, MB_OK | MB_ICONINFORMATION);
      return;
    }
    results_.Clear();
    lvRegistryData_.Refresh(false);
    lastScan_ = categories;
    scanStopped_ = false;
    scanRunning_ = true;
    const ScanEnd end = ShowScanProgress(hwnd_, platform_, results_, categories,
                                         ScanOptionsFromSettings(unattended_));
    scanRunning_ = false;
    // After Stop the rows found stay; the category that was running may lack some.
    scanStopped_ = end.stopped;
    // The columns fit every row found, before the ignore lists act.
    FinishScan(results_, IgnoreListsOf(OptionsSetting), [this] { lvRegistryData_.Refresh(true); });
    lvRegistryData_.Refresh(false);
    UpdateStatusCounts();
    if (!end.failure.empty() && !unattended_)
      AppMessageBox(hwnd_, end.failure, MB_OK | MB_ICONERROR);
  } catch (...) {
    // The scan ends silently; the rows found so far stay.
    scanRunning_ = false;
    lvRegistryData_.Refresh(false);
  }
}

void TfrmKelvane::RefreshList() {
  lvRegistryData_.Refresh(false);
  UpdateStatusCounts();
}

RepairOutcome TfrmKelvane::RepairTicked() {
  MainRepairPrompts prompts(*this);
  const RepairSettings settings{OptionsSetting.OutputDirectory, OptionsSetting.RestorePoint,
                                OptionsSetting.ShowHint,        lastScan_,
                                OptionsSetting.IgnoreValues,    OptionsSetting.IgnoreKeys};
  const RepairOutcome outcome = RepairTickedRows(platform_, results_, settings, prompts);
  restorePointLog_ = prompts.RestorePointLog();
  RefreshList();  // the report speaks of the list as it now stands
  if (!unattended_)
    ShowRepairReport(hwnd_, outcome);
  return outcome;
}

// Select All/None, and of the selected row's type.
void TfrmKelvane::SelectRows(bool ofType, bool tick) {
  const int row = lvRegistryData_.SelectedRow();
  if (ofType && row < 0)
    return;
  if (ofType)
    SelectOfType(results_, static_cast<size_t>(row), tick);
  else
    results_.SetAllTicked(tick);
  lvRegistryData_.Redraw();
  UpdateStatusCounts();
}

// The selected rows, as tab-separated lines.
void TfrmKelvane::aCopyExecute() {
  std::vector<IssueRow> rows;
  for (const size_t row : lvRegistryData_.SelectedRows())
    rows.push_back(results_.Row(row));
  if (!rows.empty())
    CopyToClipboard(hwnd_, RowsAsText(rows));
}

// Every row of the list with its tick and reason, as CSV or as tab-separated text.
void TfrmKelvane::miSaveScanResultsClick() {
  static const char kFilter[] =
      "CSV, comma separated (*.csv)\0*.csv\0Text, tab separated (*.txt)\0*.txt\0";
  const auto file = AskSaveFile(hwnd_, kFilter, nullptr, OFN_OVERWRITEPROMPT);
  if (!file)
    return;
  const ReportForm form = file->filter == 2 ? ReportForm::kText : ReportForm::kCsv;
  const std::string path = file->path + (file->hasExtension          ? ""
                                         : form == ReportForm::kText ? ".txt"
                                                                     : ".csv");
  if (const auto problem = SaveScanReport(platform_.files, path, results_, form))
    AppMessageBox(hwnd_, *problem, MB_OK | MB_ICONINFORMATION);
}

void TfrmKelvane::aOpenRegeditExecute() {
  const int row = lvRegistryData_.SelectedRow();
  if (row < 0)
    return;
  const IssueRow issue = results_.Row(static_cast<size_t>(row));
  if (CanOpenInRegedit(issue) && !OpenInRegedit(platform_, issue)) {
    const std::string text = LoadResString(IDS_REGEDIT_NAMED) +
                             RegistryEditorPath(platform_.shell) +
                             LoadResString(IDS_REGEDIT_NOT_STARTED);
    AppMessageBox(hwnd_, text, MB_OK | MB_ICONERROR);
  }
}

void TfrmKelvane::CleanOnce() {
  ShowWindow(hwnd_, SW_HIDE);
  MainCleanOnceSteps steps(*this);
  exitCode_ = CleanUnattended(platform_, steps, PhaseTimesFile());
  PostMessageW(hwnd_, WM_CLOSE, 0, 0);
}

}  // namespace kelvane
