// The main window's commands that run the program's work: the scan, the repair, the
// unattended run, the selection commands and the status counts they refresh.
#include <windows.h>
#include <commdlg.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "app/win_main_callbacks.h"
#include "app/main_window.h"
#include "app/resource.h"
#include "app/win_command_line.h"
#include "backup/clean_once.h"
#include "backup/command_line.h"
#include "backup/repair_window.h"
#include "platform/counted_registry.h"
#include "results/results_list.h"
#include "scan/progress_window.h"
#include "results/scan_report.h"
#include "ui/win_clipboard.h"
#include "ui/win_controls.h"
#include "ui/win_save_file.h"

namespace kelvane {

void TfrmKelvane::UpdateStatusCounts() {
  std::string found = StatusFoundText(results_, LoadResString(IDS_PROBLEMS_FOUND));
  if (scanStopped_)
    found = "Scan stopped: " + found.substr(std::min(found.find_first_not_of(' '), found.size()));
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
      ShowMessageBox(hwnd_, end.failure, LoadResString(IDS_APP_TITLE), MB_OK | MB_ICONERROR);
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
                                OptionsSetting.ShowHint};
  const RepairOutcome outcome = RepairTickedRows(platform_, results_, settings, prompts);
  restorePointLog_ = prompts.RestorePointLog();
  RefreshList();  // the report speaks of the list as it now stands
  if (!unattended_)
    ShowRepairReport(hwnd_, outcome);
  exitCode_ = unattended_ ? CleanOnceExitCode(outcome) : 0;
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
    SelectAll(results_, tick);
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
  if (const auto problem = SaveScanResults(platform_.files, results_, form, path))
    AppMessageBox(hwnd_, *problem, MB_OK | MB_ICONINFORMATION);
}

void TfrmKelvane::aOpenRegeditExecute() {
  const int row = lvRegistryData_.SelectedRow();
  if (row < 0)
    return;
  const IssueRow issue = results_.Row(static_cast<size_t>(row));
  if (CanOpenInRegedit(issue) && !OpenInRegedit(platform_, issue)) {
    const std::string text =
        "The registry editor " + RegistryEditorPath(platform_.shell) + " could not be started.";
    ShowMessageBox(hwnd_, text, LoadResString(IDS_APP_TITLE), MB_OK | MB_ICONERROR);
  }
}

void TfrmKelvane::CleanOnce() {
  ShowWindow(hwnd_, SW_HIDE);
  using Clock = std::chrono::steady_clock;
  const auto start = Clock::now();
  if (SelectedCategories(categories_).empty()) {
    RunLogEntry entry;
    entry.switchName = SwitchName(RunSwitch::kCleanOnce);
    entry.found = 0;
    entry.repaired = 0;
    entry.exitCode = exitCode_ = kNothingTicked;
    entry.note = kNothingTickedText;
    LogUnattendedRun(platform_, entry);
    PostMessageW(hwnd_, WM_CLOSE, 0, 0);
    return;
  }
  const auto* counted = dynamic_cast<const CountedRegistry*>(&platform_.registry);
  const uint64_t callsBefore = counted ? counted->Calls() : 0;
  bScanRegistryClick();
  const size_t found = results_.Count();
  const auto scanned = Clock::now();
  const uint64_t callsScanned = counted ? counted->Calls() : 0;
  const RepairOutcome outcome = RepairTicked();
  const auto repaired = Clock::now();
  const uint64_t callsRepaired = counted ? counted->Calls() : 0;
  RunLogEntry entry;
  entry.switchName = SwitchName(RunSwitch::kCleanOnce);
  entry.categories = CategoryCaptions(lastScan_);
  // The entries the repair left broken and took in a further pass were found too.
  entry.found = found + (outcome.followUpRepaired ? outcome.followUpFound : 0);
  entry.repaired = outcome.removedCount;
  entry.file = outcome.backupWritten ? outcome.backupFile : "";
  entry.exitCode = exitCode_;
  entry.note = RepairLogNote(outcome);
  LogUnattendedRun(platform_, entry, restorePointLog_);
  // The benchmarks ask where the time of an unattended run goes: the file named by
  // KELVANE_PHASE_TIMES gets a line "scan S repair R (...)" (seconds), the repair's
  // parts in the brackets.
  wchar_t file[MAX_PATH] = {};
  const DWORD length = GetEnvironmentVariableW(L"KELVANE_PHASE_TIMES", file, MAX_PATH);
  if (length > 0 && length < MAX_PATH) {
    if (FilePtr times = platform_.files.OpenFile(Utf8(file), "ab")) {
      const RepairTimes& t = outcome.times;
      const uint64_t repairCalls = callsRepaired - callsScanned;
      std::fprintf(times.Get(),
                   "scan %.3f repair %.3f (%zu items: read %.3f, write %.3f, proof %.3f, "
                   "flush %.3f, deletes %.3f, look %.3f; registry calls: scan %llu for %zu "
                   "rows, repair %llu, %.2f per item)\r\n",
                   std::chrono::duration<double>(scanned - start).count(),
                   std::chrono::duration<double>(repaired - scanned).count(), t.items, t.read,
                   t.backup.write, t.backup.proof, t.backup.flush, t.deletes, t.look,
                   static_cast<unsigned long long>(callsScanned - callsBefore), found,
                   static_cast<unsigned long long>(repairCalls),
                   t.items ? static_cast<double>(repairCalls) / t.items : 0.0);
    }
  }
  PostMessageW(hwnd_, WM_CLOSE, 0, 0);
}

}  // namespace kelvane
