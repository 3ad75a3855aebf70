// Whether a text found in the registry names a missing file: the lenient test every
// scanner uses. It only reads the file system and the environment.
#pragma once

#include <string>

#include "platform/platform.h"

namespace kelvane {

// What a missing path was judged as: the thing a row's reason says is not there.
enum class MissingKind {
  kFile,          // a file, or a program with one of its extensions added
  kFileOrFolder,  // the same, an existing folder of that name counting too
  kFolder,        // a text that ends in "\"
};

// The path check's answer. `path` is set only when the text names a missing path: the
// reading of it that was probed (environment expanded, quotes and arguments dropped),
// so that a reason can name it without another probe.
struct PathVerdict {
  bool missing = false;
  MissingKind kind = MissingKind::kFile;
  std::string path;
};

// The path check. `endMarker` (may be empty) ends the path right after its first
// occurrence; `acceptFolder` lets an existing folder count as existing; only paths on
// `allowedDrives` are judged.
PathVerdict CheckPath(FileSystem& files, const std::string& text, const std::string& endMarker,
                      bool acceptFolder, const std::string& allowedDrives);

// Whether the path starts with one of the `allowedDrives` letters, in either case.
bool OnAllowedDrive(const std::string& path, const std::string& allowedDrives);

// A row's reason for a missing path: "File not found: C:\Old\app.exe" and the like.
std::string MissingPathReason(const PathVerdict& verdict);

// The text with its environment references expanded when that names an existing
// folder; otherwise the text unchanged.
std::string ExpandFolderVariable(FileSystem& files, const std::string& text);

}  // namespace kelvane
