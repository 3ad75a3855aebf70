// What the options dialog decides: the backup-folder check, the ignore-list entry check
// and the ignore list a button acts on. The dialog edits a copy of the settings record
// and hands it back whole on OK.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "options/settings.h"
#include "platform/platform.h"

namespace kelvane {

// True when the folder text, as typed, names an existing folder (an empty text does not).
bool BackupFolderExists(FileSystem& files, const std::string& folder);

// The refusal of a missing backup folder: the folder text as typed, ",", and the
// string-table text ("D:\Bak,The backup directory does not exist.").
std::string MissingBackupFolderText(const std::string& folder, const std::string& tableText);

// OK's check of the backup folder, `resolved` from the text `typed`: an existing folder
// passes; a missing one (a fresh unpack has no "Backup" beside the program yet) passes
// once created, when `askCreate` says so, as the repair asks. Otherwise OK is refused,
// with `message` to show (empty when the user declined: the question said it all).
struct BackupFolderCheck {
  bool accepted = false;
  std::string message;
};
BackupFolderCheck CheckBackupFolder(FileSystem& files, const std::string& typed,
                                    const std::string& resolved, const std::string& missingText,
                                    const std::function<bool()>& askCreate);

// An ignore-list entry can be confirmed when it holds "HKEY_" anywhere, in any case.
bool IsIgnoreEntryAcceptable(std::string_view text);

// The list of the active inner page: the keys when its index is not 0, else the values.
std::vector<std::string>& ActiveIgnoreList(TOptionsSetting& form, int innerPage);

// Removes the rows whose tick is set, keeping the order of the rest.
void RemoveTickedRows(std::vector<std::string>& rows, const std::vector<bool>& ticked);

}  // namespace kelvane
