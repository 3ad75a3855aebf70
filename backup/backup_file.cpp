#include "backup/backup_file.h"

namespace kelvane {

std::string FormatTwoDigits(int n) {
  std::string text = std::to_string(n);
  if (n < 10)
    text.insert(0, 1, '0');
  return text;
}

bool ShellDeleteFile(FileSystem& files, const std::string& path) {
  // The shell's delete takes a folder with everything in it, and wildcards, as
  // readily as one file; this helper removes one existing file and nothing else.
  if (!files.FileExists(path))
    return false;
  return files.DeleteFileSilently(path);
}

}  // namespace kelvane
