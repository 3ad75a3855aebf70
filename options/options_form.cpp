#include "options/options_form.h"

#include "platform/registry.h"

namespace kelvane {

bool BackupFolderExists(FileSystem& files, const std::string& folder) {
  return !folder.empty() && files.FolderExists(folder);
}

std::string MissingBackupFolderText(const std::string& folder, const std::string& tableText) {
  return folder + "," + tableText;
}

BackupFolderCheck CheckBackupFolder(FileSystem& files, const std::string& typed,
                                    const std::string& resolved, const std::string& missingText,
                                    const std::function<bool()>& askCreate) {
  if (BackupFolderExists(files, resolved))
    return {true, {}};
  // Nothing to create for an empty text, or where a file stands.
  if (typed.empty() || resolved.empty() || files.FileExists(resolved))
    return {false, MissingBackupFolderText(typed, missingText)};
  if (!askCreate())
    return {false, {}};
  if (!files.CreateFolders(resolved) || !files.FolderExists(resolved))
    return {false, "Cannot create " + resolved + "."};
  return {true, {}};
}

bool IsIgnoreEntryAcceptable(std::string_view text) {
  return UpperAscii(text).find("HKEY_") != std::string::npos;
}

std::vector<std::string>& ActiveIgnoreList(TOptionsSetting& form, int innerPage) {
  return innerPage != 0 ? form.IgnoreKeys : form.IgnoreValues;
}

void RemoveTickedRows(std::vector<std::string>& rows, const std::vector<bool>& ticked) {
  for (size_t i = rows.size(); i-- > 0;) {
    if (i < ticked.size() && ticked[i])
      rows.erase(rows.begin() + static_cast<std::ptrdiff_t>(i));
  }
}

}  // namespace kelvane
