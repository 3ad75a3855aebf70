#include "options/settings.h"

#include <algorithm>
#include <charconv>
#include <cstdio>

namespace kelvane {

TOptionsSetting OptionsSetting;

namespace {

constexpr const char* kOptions = "Options";
constexpr const char* kTree = "TreeViewNodeCheck";
constexpr const char* kIgnoreValue = "IgnoreValue";
constexpr const char* kIgnoreKey = "IgnoreKey";
constexpr const char* kWindow = "Window";
constexpr int kShowMaximized = 3;

// Decimal with an optional sign, or hexadecimal after "0x"/"0X" (eight digits at
// most, taken as the 32-bit pattern). Anything else is not a number.
std::optional<int32_t> ParseInteger(const std::string& text) {
  const char* first = text.data();
  const char* const last = first + text.size();
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    uint32_t pattern = 0;
    const auto [end, error] = std::from_chars(first + 2, last, pattern, 16);
    if (text.size() > 10 || error != std::errc() || end != last)
      return std::nullopt;
    return static_cast<int32_t>(pattern);
  }
  // from_chars reads a minus sign but no plus sign.
  if (text.starts_with('+') && !text.starts_with("+-"))
    ++first;
  int32_t value = 0;
  const auto [end, error] = std::from_chars(first, last, value);
  if (error != std::errc() || end != last)
    return std::nullopt;
  return value;
}

// One settings file, read and written entry by entry through the profile functions.
class OptionsFile {
 public:
  OptionsFile(ProfileStore& profile, std::string path)
      : profile_(profile), path_(std::move(path)) {}

  std::string Read(const char* section, const std::string& key, const std::string& fallback) {
    return profile_.GetString(section, key, fallback, path_);
  }
  int32_t ReadInteger(const char* section, const std::string& key, int32_t fallback) {
    return ParseInteger(Read(section, key, std::string())).value_or(fallback);
  }
  bool Read(const char* section, const std::string& key, bool fallback) {
    return ReadInteger(section, key, fallback ? 1 : 0) != 0;
  }

  // A line break would end the entry early and let the rest of the text stand as
  // entries of its own (a registry key name may hold one), so a text is written up
  // to its first line break: what a later load would read back in any case.
  void Write(const char* section, const std::string& key, const std::string& value) {
    const std::string text = value.substr(0, value.find_first_of("\r\n"));
    if (!profile_.WriteString(section, key, text, path_))
      throw SettingsWriteError(path_);
  }
  void WriteInteger(const char* section, const std::string& key, int32_t value) {
    Write(section, key, std::to_string(value));
  }
  void Write(const char* section, const std::string& key, bool value) {
    Write(section, key, std::string(value ? "1" : "0"));
  }
  // A text literal would take the bool overloads.
  std::string Read(const char*, const std::string&, const char*) = delete;
  void Write(const char*, const std::string&, const char*) = delete;

 private:
  ProfileStore& profile_;
  std::string path_;
};

// One category's tick, read and written like a switch.
struct TreeTick {
  CategorySelection& selection;
  int id;
  operator bool() const { return selection.Has(id); }
  TreeTick& operator=(bool ticked) {
    selection.Set(id, ticked);
    return *this;
  }
};

// The table of options.ini: every entry that holds one field, as (section, key, field,
// default), in the order the save writes them. The ignore lists and the window's
// placement are written between the ticks and the end of the file by code of their own;
// since a new key goes to the end of its section, the file comes out the same.
template <typename Visit>
void ForEachEntry(TOptionsSetting& s, const std::string& executableFolder, Visit visit) {
  visit(kOptions, "OutputDirectory", s.OutputDirectory, executableFolder + "Backup");
  visit(kOptions, "DeleteBackupFile", s.DeleteBackupFile, true);
  visit(kOptions, "IncludeRemoveMedia", s.IncludeRemoveMedia, false);
  visit(kOptions, "IncludeCDdrive", s.IncludeCDdrive, false);
  visit(kOptions, "ShowHint", s.ShowHint, true);
  visit(kOptions, "RestorePoint", s.RestorePoint, false);
  for (const Category& category : Categories()) {
    TreeTick tick{s.TreeViewNodeCheck, category.id};
    visit(kTree, std::to_string(category.id), tick, true);
  }
}

// Only numbered entries that are there and hold text join the list. A damaged count
// would otherwise fill the list with thousands of empty entries that cover nothing:
// the options dialog showed them as blank rows and every close wrote them back one by
// one (78 s under Wine for a count of 2^31 - 1). A count of 0 or below reads nothing.
void LoadList(OptionsFile& file, const char* section, const char* prefix,
              std::vector<std::string>& list) {
  list.clear();
  const int32_t last = std::min(file.ReadInteger(section, "Count", 0), kMaxIgnoreEntries);
  for (int32_t n = 1; n <= last; ++n) {
    std::string entry = file.Read(section, prefix + std::to_string(n), std::string());
    if (!entry.empty())
      list.push_back(std::move(entry));
  }
}

// The count is the list's length; an empty list keeps a count of 0 or below that the
// file holds. Numbered entries above the count stay in the file from earlier saves; the
// next load does not read them.
void SaveList(OptionsFile& file, const char* section, const char* prefix,
              const std::vector<std::string>& list) {
  const int32_t count = list.empty() ? std::min(file.ReadInteger(section, "Count", 0), 0)
                                     : static_cast<int32_t>(list.size());
  file.WriteInteger(section, "Count", count);
  for (size_t i = 0; i < list.size(); ++i)
    file.Write(section, prefix + std::to_string(i + 1), list[i]);
}

}  // namespace

LoadedPlacement LoadOptions(Platform& platform, const WindowBounds& current, int screenWidth,
                            int screenHeight) {
  OptionsFile file(platform.profile, OptionsFilePath(platform.shell));
  TOptionsSetting& s = OptionsSetting;
  ForEachEntry(s, platform.shell.ExecutableFolder(),
               [&](const char* section, const std::string& key, auto& field, const auto& fallback) {
                 field = file.Read(section, key, fallback);
               });
  LoadList(file, kIgnoreValue, "Value", s.IgnoreValues);
  LoadList(file, kIgnoreKey, "Key", s.IgnoreKeys);

  // A window saved maximised opens maximised at its designed bounds; one saved
  // minimised opens normally.
  LoadedPlacement placement{false, current};
  if (file.ReadInteger(kWindow, "State", 1) == kShowMaximized) {
    s.WindowState = 2;
    placement.maximised = true;
  } else {
    s.WindowState = 0;
    WindowBounds& b = placement.bounds;
    b.left = file.ReadInteger(kWindow, "Left", (screenWidth - current.width) / 2);
    b.top = file.ReadInteger(kWindow, "Top", (screenHeight - current.height) / 2);
    b.width = file.ReadInteger(kWindow, "Width", current.width);
    b.height = file.ReadInteger(kWindow, "Height", current.height);
  }
  return placement;
}

void SaveOptions(Platform& platform, const SavedPlacement& placement) {
  OptionsFile file(platform.profile, OptionsFilePath(platform.shell));
  TOptionsSetting& s = OptionsSetting;
  ForEachEntry(s, "",
               [&](const char* section, const std::string& key, const auto& field, const auto&) {
                 file.Write(section, key, field);
               });
  SaveList(file, kIgnoreValue, "Value", s.IgnoreValues);
  SaveList(file, kIgnoreKey, "Key", s.IgnoreKeys);

  // Without a placement "State" keeps what the file held.
  if (placement.showCommand)
    file.WriteInteger(kWindow, "State", *placement.showCommand);
  const WindowBounds& bounds = placement.bounds;
  file.WriteInteger(kWindow, "Left", bounds.left);
  file.WriteInteger(kWindow, "Top", bounds.top);
  file.WriteInteger(kWindow, "Width", bounds.width);
  file.WriteInteger(kWindow, "Height", bounds.height);
}

std::string ResolveFolder(const std::string& folder, const std::string& executableFolder) {
  const bool hasDrive = folder.size() >= 2 && folder[1] == ':';
  if (folder.empty() || hasDrive || folder.rfind("\\\\", 0) == 0)
    return folder;
  if (folder[0] == '\\')
    return executableFolder.substr(0, std::min<size_t>(2, executableFolder.size())) + folder;
  return executableFolder + folder;
}

std::string OptionsFilePath(Shell& shell) {
  return shell.ExecutableFolder() + "options.ini";
}

}  // namespace kelvane
