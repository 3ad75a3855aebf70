// Where a results row points: the registry key or value, or the file, that the
// ignore filter matches, the registry editor opens and the repair removes. The scanner
// hands it over with the row (IssueRow::target), so that the three always agree and
// none of them reads a shown text back.
#pragma once

#include <string>

#include "results/results_model.h"

namespace kelvane {

inline const RowTarget& ResolveRow(const IssueRow& row) {
  return row.target;
}

// The key as the registry editor shows it: root, "\" and path (the root alone for a
// value directly below it); the file of a file row; nothing for a row without a target.
std::string TargetKeyText(const RowTarget& target);

// Whether the two rows stand for one entry: the same key, value or file, letter case
// and outer separators aside.
std::string TargetIdentity(const RowTarget& target);

}  // namespace kelvane
