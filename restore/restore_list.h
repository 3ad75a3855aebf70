// What the restore window shows and decides: the backup files of a folder, newest
// first, with their date and size texts; the restore that deletes a backup only once
// the registry is proven to hold all of it; the delete that keeps a row whose file
// stays.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "backup/reg_file.h"
#include "backup/registry_editor.h"
#include "platform/platform.h"

namespace kelvane {

// "1,954 KB": kilobytes rounded up, digits grouped by three.
std::string FormatSizeKB(uint64_t bytes);

// The locale's short date and long time of a local time (the window asks the system).
struct DateTimeTexts {
  std::function<std::string(const LocalTime&)> shortDate;
  std::function<std::string(const LocalTime&)> longTime;
};

// A file's last-write time at the two-second resolution of file dates, as the short
// date, a blank and the long time; the date alone at exactly midnight.
std::string BackupDateText(LocalTime time, const DateTimeTexts& texts);

struct BackupFileRow {
  std::string name;  // with extension, without folder
  std::string date;
  std::string size;
};

// The ".reg" files of the folder (extension in any case; folders skipped), in list
// order. Nothing when the folder does not exist.
std::optional<std::vector<BackupFileRow>> ListBackupFiles(FileSystem& files,
                                                          const std::string& folder,
                                                          const DateTimeTexts& texts);

// Folder and file name joined with one separator.
std::string BackupFilePath(const std::string& folder, const std::string& name);

// The row to select after the row at `removed` left a list that now has `count` rows:
// the row now at that index, else the last one, else none (-1).
int SelectionAfterRemoval(int removed, int count);

// Deletes the backup file, whatever the script of its name. False when it is still
// there afterwards (the row stays).
bool DeleteBackupFile(FileSystem& files, const std::string& path);
// Why the file stays: it could not be deleted (`reason`, the system's words, when
// known).
std::string DeleteFailedText(const std::string& path, const std::string& reason = {});
// The question before "Delete" removes a backup file.
std::string DeleteQuestionText(const std::string& path);
// What a restore that worked did: the file restored and proven, and whether it went.
std::string RestoredText(const std::string& path, bool deleted);

// The registry editor's silent import of a backup file, proven afterwards.
struct RestoreResult {
  bool imported = false;    // the editor ended by itself and the registry holds the file
  bool deleteFile = false;  // the caller deletes the file (and its row)
  std::string message;      // for the user; empty when all went as asked
};

// Before the import: reads the whole file; nothing when it can be restored, else the
// message that refuses it. Both formats (REGEDIT4 and Version 5.00) are read; a
// damaged file is refused with the line the reader stopped at.
std::optional<std::string> RefuseDamagedBackup(FileSystem& files, const std::string& path,
                                               RegFile* file);

// After the editor's run: the file may go only when the editor ended by itself and
// every key and value of the file is in the registry with the same type and bytes.
RestoreResult FinishRestore(RegistryBackend& registry, const RegFile& file, EditorOutcome outcome,
                            bool deleteBackupFile);

}  // namespace kelvane
