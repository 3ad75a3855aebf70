#include "results/row_target.h"

namespace kelvane {

RowTarget ResolveRow(const IssueRow& row) {
  RowTarget target;
  if (row.kind == RowKind::kShortcutFile) {
    target.kind = TargetKind::kFile;
    target.file = row.key;
    return target;
  }
  const size_t first = row.key.find('\\');
  if (first == std::string::npos) {
    // Nothing to act on; the editor is given the cell, or for a value row the part
    // before the value's name, which is nothing.
    if (row.kind != RowKind::kValueInPath)
      target.rootName = row.key;
    return target;
  }
  target.rootName = row.key.substr(0, first);
  const std::string rest = row.key.substr(first + 1);
  switch (row.kind) {
    case RowKind::kValueInPath: {
      target.kind = TargetKind::kValue;
      const size_t last = rest.rfind('\\');
      if (last == std::string::npos) {
        target.valueName = rest;
      } else {
        target.keyPath = rest.substr(0, last);
        target.valueName = rest.substr(last + 1);
      }
      break;
    }
    case RowKind::kValueNamed:
      target.kind = TargetKind::kValue;
      target.keyPath = rest;
      target.valueName = row.value;
      break;
    case RowKind::kSubkeyNamed:
      target.kind = row.value.empty() ? TargetKind::kNoSubkey : TargetKind::kKey;
      target.keyPath = rest + "\\" + row.value;
      break;
    case RowKind::kDefaultValue:
      target.kind = TargetKind::kValue;
      target.keyPath = rest;
      break;
    case RowKind::kKey:
    default:
      target.kind = TargetKind::kKey;
      target.keyPath = rest;
      break;
  }
  return target;
}

std::string TargetKeyText(const RowTarget& target) {
  if (target.kind == TargetKind::kFile)
    return target.file;
  if (target.kind == TargetKind::kNone)
    return target.rootName;
  if (target.kind == TargetKind::kValue && target.keyPath.empty())
    return target.rootName;
  return target.rootName + "\\" + target.keyPath;
}

}  // namespace kelvane
