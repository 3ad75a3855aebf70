#include "app/win_command_line.h"

#include <commctrl.h>

#include "app/resource.h"
#include "backup/clean_once.h"
#include "backup/command_line.h"
#include "options/settings.h"
#include "platform/win32/ansi_text.h"
#include "restore/unattended_restore.h"
#include "results/results_list.h"
#include "scan/progress_window.h"
#include "ui/win_controls.h"

namespace kelvane {

namespace {

std::string Utf8FromAnsi(std::string_view text) {
  return Utf8FromWide(WideFromAnsi(text));
}

}  // namespace

std::vector<std::string> CategoryCaptions(const std::vector<Category>& categories) {
  std::vector<std::string> captions;
  for (const Category& category : categories)
    captions.push_back(category.caption);
  return captions;
}

std::string FullPath(const std::string& path) {
  if (path.empty() || HoldsNul(path))
    return path;
  const DWORD length = GetFullPathNameA(path.c_str(), 0, nullptr, nullptr);
  if (length == 0)
    return path;
  std::string full(length, '\0');
  const DWORD written = GetFullPathNameA(path.c_str(), length, full.data(), nullptr);
  if (written == 0 || written >= length)
    return path;
  full.resize(written);
  return full;
}

std::optional<std::string> SaveScanResults(FileSystem& files, const ResultsModel& model,
                                           ReportForm form, const std::string& path) {
  return SaveScanReport(files, path, model, form, Utf8FromAnsi);
}

ScanOptions ScanOptionsFromSettings(bool unattended) {
  return ScanOptions{unattended, OptionsSetting.IncludeRemoveMedia, OptionsSetting.IncludeCDdrive};
}

void LogUnattendedRun(Platform platform, RunLogEntry entry, const std::string& restorePoint) {
  entry.time = platform.system.Now();
  // The run's exit code tells the outcome already; a log that cannot be written
  // (a read-only program folder) does not change it.
  AppendRunLog(platform.files, RunLogPath(platform.shell),
               RunLogLine(entry) + (restorePoint.empty() ? "" : "\trestorepoint=" + restorePoint));
}

int RunScanSwitch(Platform platform, const std::string& file) {
  const std::string report = FullPath(file);
  OptionsSetting = TOptionsSetting{};
  LoadOptions(platform, WindowBounds{}, GetSystemMetrics(SM_CXSCREEN),
              GetSystemMetrics(SM_CYSCREEN));
  const std::vector<Category> categories = SelectedCategories(OptionsSetting.TreeViewNodeCheck);
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_PROGRESS_CLASS};
  InitCommonControlsEx(&controls);
  ResultsModel results;
  std::string failure;
  if (!categories.empty()) {
    const ModalResult result = ShowScanProgress(nullptr, platform, results, categories,
                                                ScanOptionsFromSettings(true), &failure);
    FinishScan(results, IgnoreListsOf(OptionsSetting));
  }
  const bool written =
      !SaveScanReport(platform.files, report, results, ReportForm::kCsv, Utf8FromAnsi);
  RunLogEntry entry;
  entry.switchName = SwitchName(RunSwitch::kScan);
  entry.categories = CategoryCaptions(categories);
  entry.found = results.Count();
  entry.repaired = 0;
  entry.file = report;
  entry.note = failure;
  entry.exitCode = ScanExitCode(failure, written, results.Count());
  LogUnattendedRun(platform, entry);
  return entry.exitCode;
}

int RunRestoreSwitch(Platform platform, const std::string& file) {
  const std::string path = FullPath(file);
  OptionsSetting = TOptionsSetting{};
  LoadOptions(platform, WindowBounds{}, GetSystemMetrics(SM_CXSCREEN),
              GetSystemMetrics(SM_CYSCREEN));
  const UnattendedRestore restore =
      RestoreBackupUnattended(platform, path, OptionsSetting.DeleteBackupFile, [] { Sleep(50); });
  RunLogEntry entry;
  entry.switchName = SwitchName(RunSwitch::kRestore);
  entry.file = path;
  entry.note = restore.message;
  entry.exitCode = restore.exitCode;
  LogUnattendedRun(platform, entry);
  return restore.exitCode;
}

int ShowUsage(int exitCode) {
  const std::string text = UsageText();
  MessageBoxA(nullptr, text.c_str(), LoadResString(IDS_APP_TITLE).c_str(),
              MB_OK | (exitCode == 0 ? MB_ICONINFORMATION : MB_ICONWARNING));
  return exitCode;
}

}  // namespace kelvane
