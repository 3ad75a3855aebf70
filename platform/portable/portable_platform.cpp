#include "platform/portable/portable_platform.h"

#include <chrono>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace kelvane {

namespace fs = std::filesystem;

namespace {

char LowerLetter(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// Windows drops trailing blanks and dots from the last name of a path.
std::string TrimTrailingDotsAndBlanks(std::string name) {
  while (!name.empty() && (name.back() == ' ' || name.back() == '.'))
    name.pop_back();
  return name;
}

// From a name followed by a separator Windows drops one trailing dot ("App.\x" is
// "App\x"), but not two, and no blanks.
std::string DropSingleTrailingDot(std::string name) {
  if (name.size() >= 2 && name.back() == '.' && name[name.size() - 2] != '.')
    name.pop_back();
  return name;
}

// A path that ends with a separator (once trailing blanks and dots are dropped) can
// only name a folder.
bool NamesFolderOnly(const std::string& path) {
  const std::string trimmed = TrimTrailingDotsAndBlanks(path);
  return !trimmed.empty() && (trimmed.back() == '\\' || trimmed.back() == '/');
}

LocalTime FromTimeT(std::time_t t) {
  std::tm tm{};
  localtime_r(&t, &tm);
  return LocalTime{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
}

}  // namespace

void PortableFileSystem::MapDrive(char letter, const std::string& hostFolder, DriveType type) {
  drives_[LowerLetter(letter)] = Drive{hostFolder, type};
}

void PortableFileSystem::SetEnvironment(const std::string& name, const std::string& value) {
  environment_[UpperAscii(name)] = {name, value};
}

std::optional<std::string> PortableFileSystem::HostPath(const std::string& path) const {
  if (path.size() < 2 || path[1] != ':')
    return std::nullopt;
  const auto drive = drives_.find(LowerLetter(path[0]));
  if (drive == drives_.end() || drive->second.host.empty())
    return std::nullopt;
  std::vector<std::string> parts;
  std::string part;
  for (size_t i = 2; i <= path.size(); ++i) {
    const char c = i < path.size() ? path[i] : '\\';
    if (c == '\\' || c == '/') {
      if (!part.empty())
        parts.push_back(part);
      part.clear();
      continue;
    }
    if (c == ':' || c == '*' || c == '?' || c == '<' || c == '>' || c == '|' || c == '"' ||
        static_cast<unsigned char>(c) < 32) {
      return std::nullopt;
    }
    part.push_back(c);
  }
  const bool endsWithSeparator = path.back() == '\\' || path.back() == '/';
  for (size_t i = 0; i < parts.size(); ++i) {
    if (parts[i] == "." || parts[i] == "..")
      continue;
    const bool last = i + 1 == parts.size() && !endsWithSeparator;
    parts[i] = last ? TrimTrailingDotsAndBlanks(parts[i]) : DropSingleTrailingDot(parts[i]);
  }
  if (!parts.empty() && parts.back().empty())
    parts.pop_back();
  fs::path host(drive->second.host);
  for (const std::string& name : parts) {
    if (name == ".")
      continue;
    if (name == "..") {
      if (host != fs::path(drive->second.host))
        host = host.parent_path();
      continue;
    }
    fs::path exact = host / name;
    std::error_code ec;
    if (fs::symlink_status(exact, ec).type() != fs::file_type::not_found && !ec) {
      host = exact;
      continue;
    }
    // Letter case does not matter on Windows: look for the name in any case.
    const std::string upper = UpperAscii(name);
    fs::path match;
    for (fs::directory_iterator it(host, ec), end; !ec && it != end; it.increment(ec)) {
      if (UpperAscii(it->path().filename().string()) == upper) {
        match = it->path();
        break;
      }
    }
    host = match.empty() ? exact : match;
  }
  return host.string();
}

bool PortableFileSystem::FileExists(const std::string& path) {
  return Probe(path) == PathState::kFile;
}

bool PortableFileSystem::FolderExists(const std::string& path) {
  return Probe(path) == PathState::kFolder;
}

PathState PortableFileSystem::Probe(const std::string& path) {
  const auto host = HostPath(path);
  if (!host)
    return PathState::kUnknown;  // no such drive, or a name Windows cannot hold
  std::error_code ec;
  const fs::file_status status = fs::status(*host, ec);
  if (status.type() == fs::file_type::not_found)
    return PathState::kAbsent;
  if (fs::is_directory(status))
    return PathState::kFolder;
  if (fs::is_regular_file(status) && !NamesFolderOnly(path))
    return PathState::kFile;
  return PathState::kUnknown;
}

std::vector<FileEntry> PortableFileSystem::ListFolder(const std::string& folder) {
  std::vector<FileEntry> entries;
  const auto host = HostPath(folder);
  if (!host)
    return entries;
  std::error_code ec;
  for (fs::directory_iterator it(*host, ec), end; !ec && it != end; it.increment(ec)) {
    FileEntry entry;
    entry.name = it->path().filename().string();
    struct stat st {};
    if (::stat(it->path().c_str(), &st) != 0)
      continue;
    if (S_ISDIR(st.st_mode))
      entry.attributes |= kAttrDirectory;
    if (!(st.st_mode & S_IWUSR))
      entry.attributes |= kAttrReadOnly;
    if (!entry.name.empty() && entry.name[0] == '.')
      entry.attributes |= kAttrHidden;
    entry.size = S_ISDIR(st.st_mode) ? 0 : static_cast<uint64_t>(st.st_size);
    entry.modified = FromTimeT(st.st_mtime);
    entries.push_back(entry);
  }
  return entries;
}

DriveType PortableFileSystem::GetDriveType(const std::string& root) {
  if (root.empty())
    return DriveType::kNoRootDir;
  const auto drive = drives_.find(LowerLetter(root[0]));
  return drive == drives_.end() ? DriveType::kNoRootDir : drive->second.type;
}

std::optional<uint32_t> PortableFileSystem::DrivesInUse() {
  uint32_t mask = 0;
  for (const auto& [letter, drive] : drives_) {
    if (letter >= 'a' && letter <= 'z')
      mask |= uint32_t{1} << (letter - 'a');
  }
  return mask;
}

std::optional<std::string> PortableFileSystem::ExpandEnvironment(const std::string& text) {
  // As on Windows: a defined %NAME% is replaced, anything else stays as written.
  std::string out;
  size_t i = 0;
  while (i < text.size()) {
    if (text[i] == '%') {
      const size_t close = text.find('%', i + 1);
      if (close != std::string::npos) {
        const auto var = environment_.find(UpperAscii(text.substr(i + 1, close - i - 1)));
        if (var != environment_.end()) {
          out += var->second.second;
          i = close + 1;
          continue;
        }
        out += text.substr(i, close - i);
        i = close;
        continue;
      }
    }
    out.push_back(text[i++]);
  }
  return out;
}

bool PortableFileSystem::CreateFolders(const std::string& path) {
  const auto host = HostPath(path);
  if (!host)
    return false;
  std::error_code ec;
  fs::create_directories(*host, ec);
  return fs::is_directory(*host, ec);
}

bool PortableFileSystem::DeleteFileSilently(const std::string& path) {
  const auto host = HostPath(path);
  std::error_code ec;
  return host && fs::is_regular_file(*host, ec) && fs::remove(*host, ec);
}

bool PortableFileSystem::MoveFileReplacing(const std::string& from, const std::string& to) {
  const auto hostFrom = HostPath(from);
  const auto hostTo = HostPath(to);
  std::error_code ec;
  if (!hostFrom || !hostTo || !fs::is_regular_file(*hostFrom, ec))
    return false;
  fs::rename(*hostFrom, *hostTo, ec);
  return !ec;
}

FilePtr PortableFileSystem::OpenFile(const std::string& path, const char* mode) {
  const auto host = HostPath(path);
  if (!host)
    return nullptr;
  return FilePtr(std::fopen(host->c_str(), mode));
}

bool PortableFileSystem::FlushToDisk(std::FILE* file) {
  return std::fflush(file) == 0 && fsync(fileno(file)) == 0;
}

bool PortableFileSystem::TruncateFile(std::FILE* file, uint64_t size) {
  return std::fflush(file) == 0 && ftruncate(fileno(file), static_cast<off_t>(size)) == 0 &&
         std::fseek(file, 0, SEEK_END) == 0;
}

bool PortableShell::CreateShortcut(const std::string& path, const std::string& target) {
  FilePtr file = files_.OpenFile(path, "wb");
  if (!file)
    return false;
  std::fprintf(file.Get(), "%s\n%s\n", kShortcutMagic, target.c_str());
  return true;
}

std::optional<std::string> PortableShell::SpecialFolder(int csidl) {
  const auto it = special_.find(csidl);
  if (it == special_.end())
    return std::nullopt;
  return it->second;
}

std::optional<std::string> PortableShell::ResolveShortcut(const std::string& path) {
  const std::optional<std::string> host = HoldsNul(path) ? std::nullopt : files_.HostPath(path);
  if (!host)
    return std::nullopt;
  FilePtr file(std::fopen(host->c_str(), "rb"));
  if (!file)
    return std::nullopt;
  char line[1024];
  if (!std::fgets(line, sizeof line, file.Get()))
    return std::nullopt;
  if (std::string(line) != std::string(kShortcutMagic) + "\n")
    return std::nullopt;
  if (!std::fgets(line, sizeof line, file.Get()))
    return std::string();
  std::string target(line);
  if (!target.empty() && target.back() == '\n')
    target.pop_back();
  return target;
}

bool PortableShell::MoveToRecycleBin(const std::string& path) {
  const auto host = files_.HostPath(path);
  std::error_code ec;
  if (!host || !fs::is_regular_file(*host, ec))
    return false;
  const auto bin = files_.HostPath(path.substr(0, 2) + "\\RECYCLER");
  if (!bin)
    return false;
  fs::create_directories(*bin, ec);
  // Files of the same name stay apart, as in the real bin.
  const fs::path name = fs::path(*host).filename();
  fs::path target = fs::path(*bin) / name;
  for (int n = 1; fs::exists(target, ec); ++n)
    target = fs::path(*bin) / (name.string() + "." + std::to_string(n));
  fs::rename(*host, target, ec);
  if (ec)
    return false;
  recycled_.push_back(path);
  return true;
}

LocalTime PortableSystemInfo::Now() {
  return FromTimeT(std::chrono::system_clock::to_time_t(std::chrono::system_clock::now()));
}

std::optional<Processes::Id> PortableProcesses::Start(const std::string& commandLine, bool) {
  started_.push_back(commandLine);
  return started_.size();
}

std::optional<Processes::Id> PortableProcesses::StartProgram(const std::string& application,
                                                             const std::string& commandLine, bool) {
  for (const std::string& name : missing) {
    if (EqualsNoCase(name, application))
      return std::nullopt;
  }
  started_.push_back(commandLine);
  programs_.push_back(Program{application, commandLine});
  const Id id = started_.size();
  if (keepRunning_)
    running_.insert(id);
  if (onStart)
    onStart(programs_.back());
  return id;
}

void PortableProcesses::Terminate(Id id) {
  terminated_.push_back(id);
  running_.erase(id);
}

}  // namespace kelvane
