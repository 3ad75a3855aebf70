// The value walker: checks every text value below a start key for a missing file or
// folder. The Files and Folders, MRU and Installer categories are built on it, and so
// is Invalid ActiveX.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "scan/scanners.h"

namespace kelvane {

// What a walk leaves out: `keys` (below the walk's root), each with everything below
// it, in both registry views, matched whole without regard to case; and with
// `currentUser`, in a walk from the root (of HKEY_USERS), the current user's hive and
// classes, which are below HKEY_CURRENT_USER already.
struct WalkSkip {
  std::vector<const char*> keys;
  bool currentUser = false;
};

// Whether a walk shares its subtrees with a second thread (the whole-root walks).
enum class WalkThreads { kOne, kShared };

// Walks `keyPath` below the root named `rootName` (empty: the root itself) with
// read-only handles, one open key per level: all values of a key are judged before
// its first subkey is entered. Each text value that the path check reports missing
// (with `endMarker`, folders accepted) becomes a row of kind kValueInPath.
void WalkValues(ScanContext& context, std::string_view rootName, const std::string& keyPath,
                const std::string& problem, const std::string& endMarker, const WalkSkip& skip = {},
                WalkThreads threads = WalkThreads::kOne);

// The registry text of a value: root, key path (when not empty) and value name; the
// default value's path ends in "\".
std::string ValuePathText(std::string_view rootName, const std::string& keyPath,
                          const std::string& valueName);

}  // namespace kelvane
