#include "platform/platform.h"

#include <cstdio>

namespace kelvane {

// Without a way to tell why a path is neither, it counts as unknown: nothing below
// it is taken to be absent.
PathState FileSystem::Probe(const std::string& path) {
  if (FileExists(path))
    return PathState::kFile;
  if (FolderExists(path))
    return PathState::kFolder;
  return PathState::kUnknown;
}

bool FileSystem::MoveFileReplacing(const std::string& from, const std::string& to) {
  FilePtr in = OpenFile(from, "rb");
  if (!in)
    return false;
  FilePtr out = OpenFile(to, "wb");
  if (!out)
    return false;
  char buffer[65536];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, in.Get())) > 0) {
    if (std::fwrite(buffer, 1, n, out.Get()) != n)
      return false;
  }
  if (std::ferror(in.Get()) || !CloseFile(out))
    return false;
  in.Reset();
  return DeleteFileSilently(from);
}

std::optional<std::string> ReadToEnd(std::FILE* file) {
  std::string text;
  char buffer[65536];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0)
    text.append(buffer, n);
  if (std::ferror(file))
    return std::nullopt;
  return text;
}

std::optional<std::string> ReadFileText(FileSystem& files, const std::string& path) {
  FilePtr file = files.OpenFile(path, "rb");
  if (!file)
    return std::nullopt;
  return ReadToEnd(file.Get());
}

std::string RegistryEditorPath(Shell& shell) {
  return shell.WindowsFolder() + "\\regedit.exe";
}

}  // namespace kelvane
