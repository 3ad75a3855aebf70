#include "options/settings.h"

#include <algorithm>
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
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    const std::string digits = text.substr(2);
    if (digits.size() > 8 ||
        digits.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos) {
      return std::nullopt;
    }
    return static_cast<int32_t>(static_cast<uint32_t>(std::stoul(digits, nullptr, 16)));
  }
  size_t start = 0;
  const bool negative = !text.empty() && text[0] == '-';
  if (!text.empty() && (text[0] == '-' || text[0] == '+'))
    start = 1;
  if (start >= text.size() || text.find_first_not_of("0123456789", start) != std::string::npos) {
    return std::nullopt;
  }
  int64_t value = 0;
  for (size_t i = start; i < text.size(); ++i) {
    value = value * 10 + (text[i] - '0');
    if (value > int64_t{1} << 31)
      return std::nullopt;
  }
  if (negative)
    value = -value;
  if (value > INT32_MAX || value < INT32_MIN)
    return std::nullopt;
  return static_cast<int32_t>(value);
}

// One settings file, read and written entry by entry through the profile functions.
class OptionsFile {
 public:
  OptionsFile(ProfileStore& profile, std::string path)
      : profile_(profile), path_(std::move(path)) {}

  const std::string& Path() const { return path_; }

  std::string ReadString(const char* section, const std::string& key, const std::string& fallback) {
    return profile_.GetString(section, key, fallback, path_);
  }
  int32_t ReadInteger(const char* section, const std::string& key, int32_t fallback) {
    return ParseInteger(ReadString(section, key, "")).value_or(fallback);
  }
  bool ReadBool(const char* section, const std::string& key, bool fallback) {
    return ReadInteger(section, key, fallback ? 1 : 0) != 0;
  }

  // A line break would end the entry early and let the rest of the text stand as
  // entries of its own (a registry key name may hold one), so a text is written up
  // to its first line break: what a later load would read back in any case.
  void WriteString(const char* section, const std::string& key, const std::string& value) {
    const std::string text = value.substr(0, value.find_first_of("\r\n"));
    if (!profile_.WriteString(section, key, text, path_))
      throw SettingsWriteError(path_);
  }
  void WriteInteger(const char* section, const std::string& key, int32_t value) {
    WriteString(section, key, std::to_string(value));
  }
  void WriteBool(const char* section, const std::string& key, bool value) {
    WriteString(section, key, value ? "1" : "0");
  }

 private:
  ProfileStore& profile_;
  std::string path_;
};

// Only numbered entries that are there and hold text join the list, and the count
// follows the list. A damaged count would otherwise fill the list with thousands of
// empty entries that cover nothing: the options dialog showed them as blank rows and
// every close wrote them back one by one (78 s under Wine for a count of 2^31 - 1).
// A count of 0 or below reads nothing and stays as it is.
void LoadList(OptionsFile& file, const char* section, const char* prefix, int32_t& count,
              std::vector<std::string>& list) {
  list.clear();
  count = file.ReadInteger(section, "Count", 0);
  if (count <= 0)
    return;
  const int32_t last = std::min(count, kMaxIgnoreEntries);
  for (int32_t n = 1; n <= last; ++n) {
    std::string entry = file.ReadString(section, prefix + std::to_string(n), "");
    if (!entry.empty())
      list.push_back(std::move(entry));
  }
  count = static_cast<int32_t>(list.size());
}

void SaveList(OptionsFile& file, const char* section, const char* prefix, int32_t count,
              const std::vector<std::string>& list) {
  file.WriteInteger(section, "Count", count);
  for (int32_t n = 1; n <= count; ++n) {
    const size_t index = static_cast<size_t>(n - 1);
    file.WriteString(section, prefix + std::to_string(n), index < list.size() ? list[index] : "");
  }
}

LoadedPlacement Load(OptionsFile& file, const std::string& executableFolder,
                     const WindowBounds& current, int screenWidth, int screenHeight) {
  TOptionsSetting& s = OptionsSetting;
  s.OutputDirectory = file.ReadString(kOptions, "OutputDirectory", executableFolder + "Backup");
  s.DeleteBackupFile = file.ReadBool(kOptions, "DeleteBackupFile", true);
  s.IncludeRemoveMedia = file.ReadBool(kOptions, "IncludeRemoveMedia", false);
  s.IncludeCDdrive = file.ReadBool(kOptions, "IncludeCDdrive", false);
  for (const Category& category : Categories()) {
    s.TreeViewNodeCheck.Set(category.id, file.ReadBool(kTree, std::to_string(category.id), true));
  }
  LoadList(file, kIgnoreValue, "Value", s.IgnoreValueCount, s.IgnoreValues);
  LoadList(file, kIgnoreKey, "Key", s.IgnoreKeyCount, s.IgnoreKeys);

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

  s.ShowHint = file.ReadBool(kOptions, "ShowHint", true);
  s.RestorePoint = file.ReadBool(kOptions, "RestorePoint", false);
  return placement;
}

void Save(OptionsFile& file, const SavedPlacement& placement) {
  TOptionsSetting& s = OptionsSetting;
  file.WriteString(kOptions, "OutputDirectory", s.OutputDirectory);
  file.WriteBool(kOptions, "DeleteBackupFile", s.DeleteBackupFile);
  file.WriteBool(kOptions, "IncludeRemoveMedia", s.IncludeRemoveMedia);
  file.WriteBool(kOptions, "IncludeCDdrive", s.IncludeCDdrive);
  for (const Category& category : Categories())
    file.WriteBool(kTree, std::to_string(category.id), s.TreeViewNodeCheck.Has(category.id));
  // Numbered entries above the count stay in the file from earlier saves; the next
  // load does not read them.
  SaveList(file, kIgnoreValue, "Value", s.IgnoreValueCount, s.IgnoreValues);
  SaveList(file, kIgnoreKey, "Key", s.IgnoreKeyCount, s.IgnoreKeys);

  // Without a placement "State" keeps what the file held.
  if (placement.showCommand)
    file.WriteInteger(kWindow, "State", *placement.showCommand);
  const WindowBounds& bounds = placement.bounds;
  file.WriteInteger(kWindow, "Left", bounds.left);
  file.WriteInteger(kWindow, "Top", bounds.top);
  file.WriteInteger(kWindow, "Width", bounds.width);
  file.WriteInteger(kWindow, "Height", bounds.height);

  file.WriteBool(kOptions, "ShowHint", s.ShowHint);
  file.WriteBool(kOptions, "RestorePoint", s.RestorePoint);
}

}  // namespace

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

LoadedPlacement LoadOptions(Platform& platform, const WindowBounds& current, int screenWidth,
                            int screenHeight) {
  OptionsFile file(platform.profile, OptionsFilePath(platform.shell));
  return Load(file, platform.shell.ExecutableFolder(), current, screenWidth, screenHeight);
}

void SaveOptions(Platform& platform, const SavedPlacement& placement) {
  OptionsFile file(platform.profile, OptionsFilePath(platform.shell));
  Save(file, placement);
}

}  // namespace kelvane
