#include "unattended/unattended_restore.h"

#include "backup/registry_editor.h"
#include "restore/restore_list.h"
#include "unattended/exit_codes.h"

namespace kelvane {

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

}  // namespace kelvane
