#include "options/options_form.h"

#include <algorithm>

#include "platform/registry.h"

namespace kelvane {

namespace {

std::vector<std::string> FirstEntries(const std::vector<std::string>& list, int32_t count) {
  const size_t n = count <= 0 ? 0 : std::min(list.size(), static_cast<size_t>(count));
  return std::vector<std::string>(list.begin(), list.begin() + static_cast<std::ptrdiff_t>(n));
}

}  // namespace

OptionsForm OptionsFormFromSettings(const TOptionsSetting& settings) {
  OptionsForm form;
  form.outputFolder = settings.OutputDirectory;
  form.restorePoint = settings.RestorePoint;
  form.deleteBackupFile = settings.DeleteBackupFile;
  form.includeRemoveMedia = settings.IncludeRemoveMedia;
  form.includeCDdrive = settings.IncludeCDdrive;
  form.showHint = settings.ShowHint;
  form.ignoreValues = FirstEntries(settings.IgnoreValues, settings.IgnoreValueCount);
  form.ignoreKeys = FirstEntries(settings.IgnoreKeys, settings.IgnoreKeyCount);
  return form;
}

bool BackupFolderExists(FileSystem& files, const std::string& folder) {
  return !folder.empty() && files.FolderExists(folder);
}

std::string MissingBackupFolderText(const std::string& folder, const std::string& tableText) {
  return folder + "," + tableText;
}

std::string InexactBackupFolderText(const std::string& folder) {
  return ShownText(folder) +
         ",The backup directory cannot be used: its name has characters outside the system's "
         "ANSI code page.";
}

std::string InexactIgnoreEntryText(const std::string& entry) {
  return "This entry cannot be used: it has characters outside the system's ANSI code "
         "page.\r\n" +
         ShownText(entry);
}

void StoreOptionsForm(const OptionsForm& form, TOptionsSetting& settings) {
  settings.OutputDirectory = form.outputFolder;
  settings.DeleteBackupFile = form.deleteBackupFile;
  settings.IncludeRemoveMedia = form.includeRemoveMedia;
  settings.IncludeCDdrive = form.includeCDdrive;
  settings.ShowHint = form.showHint;
  settings.RestorePoint = form.restorePoint;
  settings.IgnoreValues = form.ignoreValues;
  settings.IgnoreValueCount = static_cast<int32_t>(form.ignoreValues.size());
  settings.IgnoreKeys = form.ignoreKeys;
  settings.IgnoreKeyCount = static_cast<int32_t>(form.ignoreKeys.size());
}

bool IsIgnoreEntryAcceptable(std::string_view text) {
  return UpperAscii(text).find("HKEY_") != std::string::npos;
}

std::vector<std::string>& ActiveIgnoreList(OptionsForm& form, int innerPage) {
  return innerPage != 0 ? form.ignoreKeys : form.ignoreValues;
}

void RemoveTickedRows(std::vector<std::string>& rows, const std::vector<bool>& ticked) {
  for (size_t i = rows.size(); i-- > 0;) {
    if (i < ticked.size() && ticked[i])
      rows.erase(rows.begin() + static_cast<std::ptrdiff_t>(i));
  }
}

}  // namespace kelvane
