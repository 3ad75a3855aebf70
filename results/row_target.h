// Where a results row points: the registry key or value, or the file, that the
// ignore filter matches, the registry editor opens and the repair removes. Worked
// out in this one place so that the three always agree.
#pragma once

#include <string>

#include "results/results_model.h"

namespace kelvane {

enum class TargetKind {
  kNone,      // the "Registry key" cell names no root and path: nothing to act on
  kKey,       // the key `keyPath` below `rootName`, with everything below it
  kValue,     // the value `valueName` of that key (empty: the default value)
  kFile,      // the file `file` (a shortcut)
  kNoSubkey,  // a subkey row without a subkey name: `keyPath` ends in "\" and
              // names the parent, which a repair must never take
};

struct RowTarget {
  TargetKind kind = TargetKind::kNone;
  std::string rootName;   // as written in the row ("HKEY_CURRENT_USER")
  std::string keyPath;    // below the root, without a leading "\"
  std::string valueName;  // kValue only
  std::string file;       // kFile only
  bool operator==(const RowTarget&) const = default;
};

RowTarget ResolveRow(const IssueRow& row);

// The key as the registry editor shows it: root, "\" and path (the root alone for a
// value directly below it); the whole cell for a row without a root and path.
std::string TargetKeyText(const RowTarget& target);

}  // namespace kelvane
