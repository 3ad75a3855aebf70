#include "unattended/runs.h"

#include "backup/registry_editor.h"
#include "options/settings.h"
#include "results/results_list.h"
#include "restore/restore_list.h"
#include "scan/scan_task.h"
#include "unattended/exit_codes.h"
#include "unattended/run_log.h"

namespace kelvane {

namespace {

// The scan of `categories` into `results` on this thread; why a scanner ended it,
// empty when none did.
std::string ScanUnwatched(Platform platform, ResultsModel& results,
                          const std::vector<Category>& categories) {
  UnwatchedScan events;
  ScanTask task(platform, results, events, categories,
                BuildAllowedDrives(platform.files, OptionsSetting.IncludeRemoveMedia,
                                   OptionsSetting.IncludeCDdrive));
  task.Execute();
  return task.Failure();
}

}  // namespace

void LoadRunSettings(RunHost& host) {
  Platform platform = host.GetPlatform();
  OptionsSetting = TOptionsSetting{};
  LoadOptions(platform, WindowBounds{}, host.ScreenWidth(), host.ScreenHeight());
}

int RunCleanOnceSwitch(RunHost& host, const CommandLine& command) {
  if (const std::optional<int> exitCode = host.RunWindow())
    return *exitCode;
  LogUnattendedNote(host.GetPlatform(), SwitchName(command), kCleanOnceNoWindow, "No window.");
  return kCleanOnceNoWindow;
}

int RunScanSwitch(RunHost& host, const CommandLine& command) {
  const Platform platform = host.GetPlatform();
  const std::string report = host.FullPath(command.file);
  LoadRunSettings(host);
  const std::vector<Category> categories = SelectedCategories(OptionsSetting.TreeViewNodeCheck);
  ResultsModel results;
  std::string failure;
  if (!categories.empty()) {
    failure = ScanUnwatched(platform, results, categories);
    FinishScan(results, IgnoreListsOf(OptionsSetting));
  }
  // With nothing ticked the report is still written, empty, so that no older report
  // stands in its place.
  const auto notWritten = SaveScanReport(platform.files, report, results, ReportForm::kCsv);
  RunLogEntry entry;
  entry.switchName = SwitchName(command);
  entry.categories = CategoryCaptions(categories);
  entry.found = results.Count();
  entry.repaired = 0;
  entry.file = notWritten ? "" : report;
  entry.note = !failure.empty() ? failure : notWritten ? *notWritten : "";
  entry.exitCode = ScanExitCode(failure, !notWritten, results.Count());
  if (categories.empty() && !notWritten) {
    entry.exitCode = kNothingTicked;
    entry.note = kNothingTickedText;
  }
  LogUnattendedRun(platform, entry);
  return entry.exitCode;
}

UnattendedRestore RestoreBackupUnattended(Platform& platform, const std::string& path,
                                          bool deleteBackupFile,
                                          const std::function<void()>& pause) {
  if (!platform.files.FileExists(path))
    return {kRestoreFailed, "The backup file does not exist: " + path};
  RegFile file;
  if (auto refusal = RefuseDamagedBackup(platform.files, path, &file))
    return {kRestoreRefused, std::move(*refusal)};
  const std::string editor = RegistryEditorPath(platform.shell);
  std::optional<EditorRun> run =
      EditorRun::Start(platform.processes, editor, EditorCommandLine(editor, "/s", path));
  if (!run)
    return {kRestoreFailed, "The registry editor " + editor + " could not be started."};
  while (!run->HasEnded())
    pause();
  RestoreResult result =
      FinishRestore(platform.registry, file, EditorOutcome::kEnded, deleteBackupFile);
  if (!result.imported)
    return {kRestoreRefused, std::move(result.message)};
  UnattendedRestore restored{kRestoreDone, {}};
  if (result.deleteFile) {
    restored.fileDeleted = DeleteBackupFile(platform.files, path);
    if (!restored.fileDeleted)
      restored.message = DeleteFailedText(path);
  }
  return restored;
}

int RunRestoreSwitch(RunHost& host, const CommandLine& command) {
  Platform platform = host.GetPlatform();
  const std::string path = host.FullPath(command.file);
  LoadRunSettings(host);
  const UnattendedRestore restore = RestoreBackupUnattended(
      platform, path, OptionsSetting.DeleteBackupFile, [&host] { host.Pause(); });
  RunLogEntry entry;
  entry.switchName = SwitchName(command);
  entry.file = path;
  entry.note = restore.message;
  entry.exitCode = restore.exitCode;
  LogUnattendedRun(platform, entry);
  return restore.exitCode;
}

int RunHelpSwitch(RunHost& host, const CommandLine&) {
  host.ShowUsage(UsageText());
  return 0;
}

int RunUnknownSwitch(RunHost& host, const CommandLine& command) {
  // A tool that started a wrong command line learns from the log why nothing ran.
  LogUnattendedNote(host.GetPlatform(), SwitchName(command), kUsageShown,
                    "Unknown switch or missing file name: nothing was done.");
  host.ShowUsage(UsageText());
  return kUsageShown;
}

int RefuseSecondRun(Platform platform, const CommandLine& command) {
  // A scheduled task must not read that as a clean registry, nor may two runs share
  // a backup file.
  if (command.run && command.run->unattended)
    LogUnattendedNote(platform, SwitchName(command), kCleanOnceAlreadyRunning,
                      "Kelvane was already running.");
  return kCleanOnceAlreadyRunning;
}

}  // namespace kelvane
