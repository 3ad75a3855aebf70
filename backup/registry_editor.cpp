#include "backup/registry_editor.h"

#include <algorithm>
#include <utility>

namespace kelvane {

std::string EditorCommandLine(const std::string& editorPath, const std::string& switchText,
                              const std::string& file) {
  return "\"" + editorPath + "\" " + switchText + " \"" + file + "\"";
}

std::optional<EditorRun> EditorRun::Start(Processes& processes, const std::string& editorPath,
                                          const std::string& commandLine) {
  const std::optional<Processes::Id> id = processes.StartProgram(editorPath, commandLine, true);
  if (!id)
    return std::nullopt;
  return EditorRun(processes, *id);
}

EditorRun::EditorRun(EditorRun&& other) noexcept : processes_(other.processes_), id_(other.id_) {
  other.processes_ = nullptr;
}

EditorRun::~EditorRun() {
  if (processes_)
    processes_->Release(id_);
}

int NextBackupHintBarPosition(int position) {
  // The step from a position up to each bound.
  static constexpr std::pair<int, int> kSteps[] = {
      {300, 10}, {400, 5}, {450, 3}, {490, 2}, {kBackupHintBarMax, 1}};
  const auto* bound = std::find_if(std::begin(kSteps), std::end(kSteps),
                                   [position](const auto& s) { return position <= s.first; });
  const int step = bound == std::end(kSteps) ? 0 : bound->second;
  return std::min(position + step, std::max(position, kBackupHintBarMax));
}

std::string WithRegExtension(const std::string& path) {
  const size_t dot = path.rfind('.');
  const size_t slash = path.rfind('\\');
  const bool hasReg = dot != std::string::npos && (slash == std::string::npos || dot > slash) &&
                      EqualsNoCase(path.substr(dot), ".REG");
  return hasReg ? path : path + ".reg";
}

std::string ExportTemporaryPath(FileSystem& files, const std::string& target) {
  const size_t slash = target.rfind('\\');
  const std::string folder = slash == std::string::npos ? "" : target.substr(0, slash + 1);
  const std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
  for (int n = 1;; ++n) {
    const std::string candidate = folder + "~" + name + "." + std::to_string(n) + ".tmp";
    if (!files.FileExists(candidate) && !files.FolderExists(candidate))
      return candidate;
  }
}

ExportResult FinishFullExport(FileSystem& files, EditorOutcome outcome,
                              const std::string& temporary, const std::string& target) {
  switch (outcome) {
    case EditorOutcome::kNotStarted:
      return ExportResult::kNotStarted;
    case EditorOutcome::kStopped:
    case EditorOutcome::kClosed:
      // A stopped editor has written part of the registry at most; an editor left
      // running still holds the file open, and this try is all it gets.
      if (files.FileExists(temporary))
        files.DeleteFileSilently(temporary);
      return files.FileExists(temporary) ? ExportResult::kLeftBehind : ExportResult::kStopped;
    case EditorOutcome::kEnded:
      break;
  }
  if (!files.FileExists(temporary))
    return ExportResult::kNoFile;
  return files.MoveFileReplacing(temporary, target) ? ExportResult::kSaved
                                                    : ExportResult::kCannotMove;
}

std::string ExportResultText(ExportResult result, const std::string& temporary,
                             const std::string& target) {
  switch (result) {
    case ExportResult::kNoFile:
      return "The registry editor ended without writing " + target + ".";
    case ExportResult::kLeftBehind:
      return "The export was not saved as " + target +
             ". The registry editor may still be writing " + temporary +
             "; that file can be deleted once it has ended.";
    case ExportResult::kCannotMove:
      return "The export could not be saved as " + target + ". It is kept as " + temporary + ".";
    default:
      return "";
  }
}

std::optional<std::string> WindowsBackupToolPath(Shell& shell, FileSystem& files) {
  const std::string folder = shell.SystemFolder();
  for (const char* tool : {"\\sdclt.exe", "\\ntbackup.exe"}) {
    if (files.FileExists(folder + tool))
      return folder + tool;
  }
  return std::nullopt;
}

std::string WindowsBackupMissingText(const std::string& systemFolder) {
  return "The Windows backup tool was not found.\r\nNeither of these exists:\r\n" + systemFolder +
         "\\sdclt.exe\r\n" + systemFolder + "\\ntbackup.exe";
}

}  // namespace kelvane
