#include "restore/restore_list.h"

#include <algorithm>

#include "backup/reg_reader.h"

namespace kelvane {

std::string FormatSizeKB(uint64_t bytes) {
  const uint64_t kb = bytes / 1024 + (bytes % 1024 != 0 ? 1 : 0);
  const std::string digits = std::to_string(kb);
  std::string out;
  for (size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0)
      out += ',';
    out += digits[i];
  }
  return out + " KB";
}

std::string BackupDateText(LocalTime time, const DateTimeTexts& texts) {
  time.second -= time.second % 2;
  std::string text = texts.shortDate(time);
  if (time.hour != 0 || time.minute != 0 || time.second != 0)
    text += " " + texts.longTime(time);
  return text;
}

std::optional<std::vector<BackupFileRow>> ListBackupFiles(FileSystem& files,
                                                          const std::string& folder,
                                                          const DateTimeTexts& texts) {
  if (!files.FolderExists(folder))
    return std::nullopt;
  std::vector<BackupFileRow> rows;
  for (const FileEntry& entry : files.ListFolder(folder)) {
    if (entry.IsFolder())
      continue;
    const size_t dot = entry.name.rfind('.');
    if (dot == std::string::npos || UpperAscii(entry.name.substr(dot)) != ".REG")
      continue;
    rows.push_back(
        BackupFileRow{entry.name, BackupDateText(entry.modified, texts), FormatSizeKB(entry.size)});
  }
  // Descending by name, ASCII letter case ignored.
  std::stable_sort(rows.begin(), rows.end(), [](const BackupFileRow& a, const BackupFileRow& b) {
    return UpperAscii(b.name) < UpperAscii(a.name);
  });
  return rows;
}

std::string BackupFilePath(const std::string& folder, const std::string& name) {
  if (!folder.empty() && folder.back() == '\\')
    return folder + name;
  return folder + "\\" + name;
}

int SelectionAfterRemoval(int removed, int count) {
  if (count <= 0)
    return -1;
  return std::min(removed, count - 1);
}

bool DeleteBackupFile(FileSystem& files, const std::string& path) {
  if (HoldsNul(path))
    return false;  // no file system question could tell whether it is gone
  if (files.FileExists(path))
    files.DeleteFileSilently(path);
  return !files.FileExists(path);
}

std::string DeleteFailedText(const std::string& path, const std::string& reason) {
  std::string text = "The backup file could not be deleted: " + path;
  if (!reason.empty())
    text += "\r\n" + reason;
  return text + "\r\nThe file is kept.";
}

std::string DeleteQuestionText(const std::string& path) {
  return "Delete the backup file " + path +
         "?\r\nThe entries it holds can then no longer be restored.";
}

std::string RestoredText(const std::string& path, bool deleted) {
  return "Restored " + path + ": the registry holds every key and value of it again." +
         (deleted ? "\r\nThe backup file was deleted, as the options ask." : "");
}

std::optional<std::string> RefuseDamagedBackup(FileSystem& files, const std::string& path,
                                               RegFile* file) {
  RegReadResult read = ReadRegFile(files, path);
  if (!read.file) {
    return "The backup file cannot be restored, it is damaged: " + path + "\r\n" + read.error +
           "\r\nThe file is kept.";
  }
  *file = std::move(*read.file);
  return std::nullopt;
}

RestoreResult FinishRestore(RegistryBackend& registry, const RegFile& file, EditorOutcome outcome,
                            bool deleteBackupFile) {
  RestoreResult result;
  switch (outcome) {
    case EditorOutcome::kNotStarted:
      return result;  // the start failure has been reported already
    case EditorOutcome::kStopped:
    case EditorOutcome::kClosed:
      result.message = "The restore was interrupted. The backup file is kept.";
      return result;
    case EditorOutcome::kEnded:
      break;
  }
  if (const auto difference = FirstRestoreDifference(registry, file)) {
    result.message =
        "The restore could not be verified: " + *difference + ".\r\nThe backup file is kept.";
    return result;
  }
  result.imported = true;
  result.deleteFile = deleteBackupFile;
  return result;
}

}  // namespace kelvane
