// Whether a text found in the registry names a missing file: the lenient test every
// scanner uses. It only reads the file system and the environment.
#pragma once

#include <string>

#include "platform/platform.h"

namespace kelvane {

// True when the scanner reports `text` as naming a missing file. `endMarker` (may be
// empty) ends the path right after its first occurrence; `acceptFolder` lets an
// existing folder count as existing; only paths on `allowedDrives` are judged.
bool IsPathMissing(FileSystem& files, const std::string& text, const std::string& endMarker,
                   bool acceptFolder, const std::string& allowedDrives);

// The text with its environment references expanded when that names an existing
// folder; otherwise the text unchanged.
std::string ExpandFolderVariable(FileSystem& files, const std::string& text);

}  // namespace kelvane
