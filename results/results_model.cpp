#include "results/results_model.h"

#include <algorithm>

namespace kelvane {

RowTarget KeyTarget(RootKey root, std::string keyPath) {
  return RowTarget{TargetKind::kKey, root, std::move(keyPath), {}, {}};
}

RowTarget ValueTarget(RootKey root, std::string keyPath, std::string valueName) {
  return RowTarget{TargetKind::kValue, root, std::move(keyPath), std::move(valueName), {}};
}

RowTarget SubkeyTarget(RootKey root, const std::string& parent, const std::string& name) {
  return RowTarget{
      name.empty() ? TargetKind::kNoSubkey : TargetKind::kKey, root, parent + "\\" + name, {}, {}};
}

RowTarget FileTarget(std::string file) {
  return RowTarget{TargetKind::kFile, RootKey::kCurrentUser, {}, {}, std::move(file)};
}

IssueRow MakeIssueRow(std::string problem, RowTarget target, RowKind kind, std::string value,
                      std::string reason) {
  std::string key;
  if (target.kind == TargetKind::kFile) {
    key = target.file;
  } else if (target.kind != TargetKind::kNone) {
    key = RootName(target.root);
    std::string_view path = target.keyPath;
    // A subkey row shows its parent; the subkey's name stands in "Value".
    if (kind == RowKind::kSubkeyNamed && path.size() > value.size())
      path.remove_suffix(value.size() + 1);
    key.reserve(key.size() + path.size() + target.valueName.size() + 2);
    if (!path.empty() || kind != RowKind::kValueInPath)
      key.append("\\").append(path);
    if (kind == RowKind::kValueInPath)
      key.append("\\").append(target.valueName);
  }
  return IssueRow{std::move(problem),
                  std::move(key),
                  std::move(value),
                  std::move(reason),
                  kind,
                  false,
                  std::move(target),
                  0};
}

std::string TargetKeyText(const RowTarget& target) {
  if (target.kind == TargetKind::kFile)
    return target.file;
  if (target.kind == TargetKind::kNone)
    return {};
  if (target.kind == TargetKind::kValue && target.keyPath.empty())
    return RootName(target.root);
  return std::string(RootName(target.root)) + "\\" + target.keyPath;
}

std::string TargetIdentity(const RowTarget& target) {
  if (target.kind == TargetKind::kFile)
    return "F" + UpperAscii(target.file);
  std::string identity = std::to_string(static_cast<int>(target.kind)) +
                         std::to_string(static_cast<int>(target.root)) + MatchPath(target.keyPath);
  if (target.kind == TargetKind::kValue)
    identity += '\n' + UpperAscii(target.valueName);
  return identity;
}

std::string MatchPath(const std::string& path) {
  const size_t begin = path.find_first_not_of('\\');
  if (begin == std::string::npos)
    return {};
  return UpperAscii(path.substr(begin, path.find_last_not_of('\\') + 1 - begin));
}

bool ResultsModel::AppendBatch(std::vector<IssueRow> rows, const std::atomic<bool>* stop) {
  std::lock_guard lock(mutex_);
  if (stop && stop->load())
    return false;
  rows_.insert(rows_.end(), std::make_move_iterator(rows.begin()),
               std::make_move_iterator(rows.end()));
  return true;
}

void ResultsModel::RaiseStop(std::atomic<bool>& stop) {
  std::lock_guard lock(mutex_);
  stop.store(true);
}

size_t ResultsModel::Count() const {
  std::lock_guard lock(mutex_);
  return rows_.size();
}

IssueRow ResultsModel::Row(size_t index) const {
  std::lock_guard lock(mutex_);
  return index < rows_.size() ? rows_[index] : IssueRow{};
}

std::vector<IssueRow> ResultsModel::Rows() const {
  std::lock_guard lock(mutex_);
  return rows_;
}

void ResultsModel::Clear() {
  std::lock_guard lock(mutex_);
  rows_.clear();
}

void ResultsModel::Remove(size_t index) {
  std::lock_guard lock(mutex_);
  if (index < rows_.size())
    rows_.erase(rows_.begin() + static_cast<std::ptrdiff_t>(index));
}

bool ResultsModel::Ticked(size_t index) const {
  std::lock_guard lock(mutex_);
  return index < rows_.size() && rows_[index].ticked;
}

void ResultsModel::SetTicked(size_t index, bool ticked) {
  std::lock_guard lock(mutex_);
  if (index < rows_.size())
    rows_[index].ticked = ticked;
}

void ResultsModel::SetAllTicked(bool ticked) {
  std::lock_guard lock(mutex_);
  for (auto& row : rows_)
    row.ticked = ticked;
}

size_t ResultsModel::TickedCount() const {
  std::lock_guard lock(mutex_);
  return static_cast<size_t>(
      std::count_if(rows_.begin(), rows_.end(), [](const IssueRow& row) { return row.ticked; }));
}

void ResultsModel::Edit(const std::function<void(std::vector<IssueRow>&)>& fn) {
  std::lock_guard lock(mutex_);
  fn(rows_);
}

}  // namespace kelvane
