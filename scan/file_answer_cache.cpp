#include "scan/file_answer_cache.h"

#include <array>

#include "platform/text_codec.h"

namespace kelvane {

namespace {

// Letter case does not matter to the file system. Outside ASCII the bytes are kept
// as they are: in a multi-byte code page a second byte may look like a letter.
std::string CacheKey(std::string_view path) {
  return IsAscii(path) ? UpperAscii(path) : std::string(path);
}

// Names that Windows reads as devices wherever they stand ("C:\gone\nul.txt" is the
// null device), so a folder's absence says nothing about them.
bool IsDeviceName(std::string_view name) {
  const size_t dot = name.find('.');
  std::string base = UpperAscii(name.substr(0, dot));
  while (!base.empty() && base.back() == ' ')
    base.pop_back();
  static constexpr std::array<std::string_view, 6> kDevices = {"CON", "PRN",    "AUX",
                                                               "NUL", "CONIN$", "CONOUT$"};
  for (std::string_view device : kDevices) {
    if (base == device)
      return true;
  }
  return base.size() == 4 && (base.starts_with("COM") || base.starts_with("LPT")) &&
         base[3] >= '0' && base[3] <= '9';
}

bool IsPlainName(std::string_view name) {
  if (name.empty() || name.back() == '.' || name.back() == ' ')
    return false;  // also "." and ".."
  return !IsDeviceName(name);
}

}  // namespace

bool FileAnswerCache::IsPlainPath(std::string_view path) {
  if (path.size() < 4 || path[1] != ':' || path[2] != '\\' || !IsAscii(path))
    return false;
  const char drive = path[0];
  if (!((drive >= 'A' && drive <= 'Z') || (drive >= 'a' && drive <= 'z')))
    return false;
  size_t start = 3;
  for (size_t i = 3; i <= path.size(); ++i) {
    if (i < path.size()) {
      const char c = path[i];
      if (c == '/' || c == ':' || c == '~')
        return false;
      if (c != '\\')
        continue;
    }
    const std::string_view name = path.substr(start, i - start);
    // One trailing "\" is allowed: "C:\gone\" is read as the folder "C:\gone".
    if (!(name.empty() && i == path.size() && i > 3) && !IsPlainName(name))
      return false;
    start = i + 1;
  }
  return true;
}

bool FileAnswerCache::AbsentAbove(std::string_view key) const {
  if (absentFolders_.empty())
    return false;
  for (size_t i = 3; i < key.size(); ++i) {
    if (key[i] == '\\' && absentFolders_.find(key.substr(0, i)) != absentFolders_.end())
      return true;
  }
  return false;
}

void FileAnswerCache::Remember(std::string key, PathState state, bool plain) {
  if (answers_.size() >= kMaxAnswers)
    Clear();
  if (state == PathState::kAbsent && plain && key.back() != '\\')
    absentFolders_.insert(key);
  answers_.emplace(std::move(key), state);
}

bool FileAnswerCache::IsInItsFolder(std::string_view path) {
  if (IsPlainPath(path))
    return true;
  // The system reads a last name without its trailing dots and blanks ("gone." is
  // "gone"), and so in the same folder, unless nothing else is left of it ("..").
  size_t end = path.size();
  while (end > 0 && (path[end - 1] == '.' || path[end - 1] == ' '))
    --end;
  return end < path.size() && end > 0 && path[end - 1] != '\\' && IsPlainPath(path.substr(0, end));
}

PathState FileAnswerCache::Probe(const std::string& path) {
  std::string key = CacheKey(path);
  if (const auto it = answers_.find(key); it != answers_.end())
    return it->second;
  const bool plain = IsPlainPath(path);
  // Every prefix of a text is asked for where its folder is missing, "C:\Oldpp."
  // among them.
  if (IsInItsFolder(path) && AbsentAbove(key))
    return PathState::kAbsent;
  ++asked_;
  const PathState state = inner_.Probe(path);
  Remember(std::move(key), state, plain);
  return state;
}

bool FileAnswerCache::FileExists(const std::string& path) {
  return Probe(path) == PathState::kFile;
}

bool FileAnswerCache::FolderExists(const std::string& path) {
  return Probe(path) == PathState::kFolder;
}

void FileAnswerCache::Clear() {
  answers_.clear();
  absentFolders_.clear();
}

FilePtr FileAnswerCache::OpenFile(const std::string& path, const char* mode) {
  if (std::string_view(mode).find_first_of("wa+") != std::string_view::npos)
    Clear();
  return inner_.OpenFile(path, mode);
}

}  // namespace kelvane
