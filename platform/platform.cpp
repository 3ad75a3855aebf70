#include "platform/platform.h"

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

}  // namespace kelvane
