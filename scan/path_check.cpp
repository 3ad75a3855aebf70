#include "scan/path_check.h"

#include <array>
#include <optional>
#include <string_view>

namespace kelvane {

namespace {

// Where an argument could begin inside a command line.
bool IsSeparator(char c) {
  return std::string_view(" *,/:<>?|").find(c) != std::string_view::npos;
}

// A program named without extension is started with the first of these that exists.
constexpr std::array<std::string_view, 3> kProgramExtensions = {".exe", ".com", ".bat"};

bool ProgramFileExists(FileSystem& files, const std::string& candidate) {
  for (std::string_view extension : kProgramExtensions) {
    if (files.FileExists(candidate + std::string(extension)))
      return true;
  }
  return false;
}

bool IsBlankOrControl(char c) {
  return static_cast<unsigned char>(c) <= ' ';
}

std::string TrimBlanksAndControls(const std::string& text) {
  size_t begin = 0;
  size_t end = text.size();
  while (begin < end && IsBlankOrControl(text[begin]))
    ++begin;
  while (end > begin && IsBlankOrControl(text[end - 1]))
    --end;
  return text.substr(begin, end - begin);
}

// "X:\" at the very start, and only there.
bool StartsWithDriveRoot(const std::string& path) {
  return path.find(":\\") == 1;
}

// One candidate of the file-name walk: the name itself (or, when folders count, a
// folder of that name), then the name with a program extension added.
bool CandidateExists(FileSystem& files, const std::string& candidate, bool acceptFolder) {
  if (files.FileExists(candidate))
    return true;
  if (acceptFolder && files.FolderExists(candidate))
    return true;
  return ProgramFileExists(files, candidate);
}

// The folder part exists: try every point inside the last name where arguments
// could begin, then the whole text, then the text without trailing semicolons.
bool FileNameWalkMissing(FileSystem& files, const std::string& path, size_t folderLength,
                         bool acceptFolder) {
  std::string candidate = path.substr(0, folderLength);
  for (size_t i = folderLength; i < path.size(); ++i) {
    const char c = path[i];
    if (IsSeparator(c) && CandidateExists(files, candidate, acceptFolder))
      return false;
    candidate.push_back(c);
  }
  for (;;) {
    if (CandidateExists(files, candidate, acceptFolder))
      return false;
    if (candidate.empty() || candidate.back() != ';')
      return true;
    candidate.pop_back();
  }
}

// The folder part does not exist (arguments may hold backslashes): try every prefix.
bool PrefixWalkMissing(FileSystem& files, const std::string& path) {
  std::string candidate;
  candidate.reserve(path.size());
  for (const char c : path) {
    if (IsSeparator(c) && ProgramFileExists(files, candidate))
      return false;
    candidate.push_back(c);
    if (files.FileExists(candidate))
      return false;
  }
  return true;
}

PathVerdict Missing(MissingKind kind, std::string path) {
  return PathVerdict{true, kind, std::move(path)};
}

// The reading of a text that a reason names once every reading was found missing: up
// to the first place past `from` where arguments could begin after a name with an
// extension ("C:\Old\app.exe /s" names "C:\Old\app.exe"), else the whole text
// without trailing semicolons. Both walks probed that reading; this only cuts text.
std::string ProbedReading(const std::string& path, size_t from) {
  bool extension = false;
  for (size_t i = from; i < path.size(); ++i) {
    const char c = path[i];
    if (extension && IsSeparator(c))
      return path.substr(0, i);
    if (c == '\\')
      extension = false;
    else if (c == '.')
      extension = true;
  }
  size_t end = path.size();
  while (end > 0 && path[end - 1] == ';')
    --end;
  return path.substr(0, end);
}

// The verdict on a walked path found missing: a text ending in "\\" names a folder.
PathVerdict MissingReading(std::string path, size_t from, bool acceptFolder) {
  if (path.back() == '\\')
    return Missing(MissingKind::kFolder, std::move(path));
  return Missing(acceptFolder ? MissingKind::kFileOrFolder : MissingKind::kFile,
                 ProbedReading(path, from));
}

// A path starting with "%", its variable expanded. Nothing when such a text cannot be
// judged: its "%" is never closed (it names no variable), or the variable names no
// existing folder.
std::optional<std::string> ExpandLeadingVariable(FileSystem& files, const std::string& path) {
  const std::string rest = path.substr(1);
  if (rest.empty())
    return std::nullopt;
  const size_t close = rest.find('%');
  if (close == std::string::npos)
    return std::nullopt;
  const std::string variable = "%" + rest.substr(0, close + 1);
  const std::string folder = ExpandFolderVariable(files, variable);
  if (!folder.empty() && folder[0] == '%')
    return std::nullopt;
  return folder + path.substr(close + 2);
}

// With an end marker the path ends right after its first occurrence, and only that
// file is looked for.
PathVerdict CheckUpToMarker(FileSystem& files, std::string path, const std::string& endMarker,
                            const std::string& allowedDrives) {
  const size_t marker = UpperAscii(path).find(UpperAscii(endMarker));
  if (marker == std::string::npos)
    return {};
  path = path.substr(0, marker) + endMarker;
  if (!OnAllowedDrive(path, allowedDrives) || !StartsWithDriveRoot(path) || files.FileExists(path))
    return {};
  return Missing(MissingKind::kFile, std::move(path));
}

}  // namespace

bool OnAllowedDrive(const std::string& path, const std::string& allowedDrives) {
  if (path.empty())
    return false;
  const char drive = UpperAscii(std::string_view(&path[0], 1))[0];
  return UpperAscii(allowedDrives).find(drive) != std::string::npos;
}

std::string ExpandFolderVariable(FileSystem& files, const std::string& text) {
  const auto expanded = files.ExpandEnvironment(text);
  if (!expanded)
    return text;
  const std::string folder = TrimBlanksAndControls(*expanded);
  if (!files.FolderExists(folder))
    return text;
  return folder;
}

PathVerdict CheckPath(FileSystem& files, const std::string& text, const std::string& endMarker,
                      bool acceptFolder, const std::string& allowedDrives) {
  if (text.empty())
    return {};
  // Texts holding "\hp" anywhere (HP's program folders among them) are never judged.
  if (UpperAscii(text).find("\\HP") != std::string::npos)
    return {};

  std::string path = text;
  if (text[0] == '"') {
    // A quoted program: whatever follows the closing quote is arguments.
    path = text.substr(1);
    if (path.empty())
      return {};
    const size_t quote = path.find('"');
    if (quote != std::string::npos)
      path.resize(quote);
  }

  if (!path.empty() && path[0] == '%') {
    auto expanded = ExpandLeadingVariable(files, path);
    if (!expanded)
      return {};
    path = std::move(*expanded);
  }

  if (!endMarker.empty())
    return CheckUpToMarker(files, std::move(path), endMarker, allowedDrives);

  if (!OnAllowedDrive(path, allowedDrives) || !StartsWithDriveRoot(path))
    return {};
  // A second absolute path, as in a program followed by a file argument.
  if (path.find(":\\", 3) != std::string::npos)
    return {};

  const size_t folderLength = path.rfind('\\') + 1;
  if (folderLength == path.size() && files.FolderExists(path))
    return {};
  if (files.FolderExists(path.substr(0, folderLength))) {
    if (!FileNameWalkMissing(files, path, folderLength, acceptFolder))
      return {};
    return MissingReading(std::move(path), folderLength, acceptFolder);
  }
  if (!PrefixWalkMissing(files, path))
    return {};
  return MissingReading(std::move(path), 0, acceptFolder);
}

std::string MissingPathReason(const PathVerdict& verdict) {
  switch (verdict.kind) {
    case MissingKind::kFolder:
      return "Folder not found: " + verdict.path;
    case MissingKind::kFileOrFolder:
      return "File or folder not found: " + verdict.path;
    case MissingKind::kFile:
      break;
  }
  return "File not found: " + verdict.path;
}

}  // namespace kelvane
