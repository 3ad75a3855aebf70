// Runs of the system registry editor: always the one in the Windows folder, started by
// its full path; the progress bar of the backup hint window that waits for it; and the
// full-registry export and the Windows backup tool of the File menu.
#pragma once

#include <optional>
#include <string>

#include "platform/platform.h"

namespace kelvane {

// The editor's command line: its quoted path, the switch and the quoted file
// ("\"C:\windows\regedit.exe\" /s \"C:\Backup\Backup1.reg\"").
std::string EditorCommandLine(const std::string& editorPath, const std::string& switchText,
                              const std::string& file);

// How a run of the editor inside the backup hint window ended.
enum class EditorOutcome {
  kNotStarted,  // the editor could not be started
  kEnded,       // it ended by itself while the window was open
  kStopped,     // "Stop": it was terminated
  kClosed,      // the window was closed by its close box: it was left running
};

// One started editor process, released by the destructor.
class EditorRun {
 public:
  // Nothing when the program cannot be started.
  static std::optional<EditorRun> Start(Processes& processes, const std::string& editorPath,
                                        const std::string& commandLine);
  EditorRun(EditorRun&& other) noexcept;
  EditorRun& operator=(EditorRun&&) = delete;
  ~EditorRun();

  bool HasEnded() { return !processes_->IsRunning(id_); }
  void Stop() { processes_->Terminate(id_); }  // terminates the process

 private:
  EditorRun(Processes& processes, Processes::Id id) : processes_(&processes), id_(id) {}
  Processes* processes_;
  Processes::Id id_;
};

// The backup hint window's bar runs from 0 to this.
inline constexpr int kBackupHintBarMax = 500;
// The bar's next position at a timer tick: fast at first, slower as it fills, and
// never past its maximum.
int NextBackupHintBarPosition(int position);

// The full-registry export's file name: ".reg" appended unless the name already ends
// in ".reg" (any letter case).
std::string WithRegExtension(const std::string& path);

// A file name in the target's folder for the editor to export into, free at the time
// of the call ("C:\Backups\~Full.reg.1.tmp").
std::string ExportTemporaryPath(FileSystem& files, const std::string& target);

enum class ExportResult {
  kSaved,       // the export is in place under the chosen name
  kStopped,     // stopped or closed: nothing under the chosen name changed
  kLeftBehind,  // closed while the editor still writes: its file could not be removed
  kNoFile,      // the editor ended without writing a file
  kCannotMove,  // written, but it could not be moved into place; it is kept
  kNotStarted,  // the editor could not be started
};

// After the editor's run: the export moves into place only when the editor ended by
// itself; otherwise the temporary file is removed, so no cut-short export remains.
ExportResult FinishFullExport(FileSystem& files, EditorOutcome outcome,
                              const std::string& temporary, const std::string& target);
// What the user is told; empty when nothing needs to be said.
std::string ExportResultText(ExportResult result, const std::string& temporary,
                             const std::string& target);

// The backup tool of the running system, in the system folder: "sdclt.exe" (Backup
// and Restore, Windows 7 to 11), else "ntbackup.exe" where the system has that;
// nothing when neither is there.
std::optional<std::string> WindowsBackupToolPath(Shell& shell, FileSystem& files);
// That neither tool is there, with both paths.
std::string WindowsBackupMissingText(const std::string& systemFolder);

}  // namespace kelvane
