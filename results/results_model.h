// The results list's rows: one per finding, owned here and shown by the list view.
// The scan worker appends while the user-interface thread reads, so every access
// takes the model's lock.
#pragma once

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "platform/registry.h"

namespace kelvane {

// What a row denotes, and so what a repair removes.
enum class RowKind : int {
  kKey = 0,           // the key in "Registry key", with everything below it
  kValueInPath = 1,   // "Registry key" is key path + "\" + value name
  kValueNamed = 2,    // the value named in "Value", of the key in "Registry key"
  kSubkeyNamed = 3,   // the subkey named in "Value", of the key in "Registry key"
  kShortcutFile = 4,  // "Registry key" is the full path of a shortcut file
  kDefaultValue = 5,  // the default value of the key in "Registry key"
};

enum class TargetKind {
  kNone,      // nothing to act on
  kKey,       // the key `keyPath` below `root`, with everything below it
  kValue,     // the value `valueName` of that key (empty: the default value)
  kFile,      // the file `file` (a shortcut)
  kNoSubkey,  // a subkey row without a subkey name: `keyPath` ends in "\" and names
              // the parent, which a repair must never take
};

// What a row points at, as the scanner found it: the ignore filter matches it, the
// registry editor opens it and the repair removes it. The cells are made from it for
// showing and are never read back, since a value's name may hold backslashes.
struct RowTarget {
  TargetKind kind = TargetKind::kNone;
  RootKey root = RootKey::kCurrentUser;
  std::string keyPath;    // below the root, without a leading "\"
  std::string valueName;  // kValue only
  std::string file;       // kFile only
  bool operator==(const RowTarget&) const = default;
};

struct IssueRow {
  std::string problem;  // column "Problem"
  std::string key;      // column "Registry key"
  std::string value;    // column "Value"
  std::string reason;   // column "Reason": why the row was reported
  RowKind kind = RowKind::kKey;
  bool ticked = false;
  RowTarget target;  // what the row stands for
  int category = 0;  // the id of the category that reported it
  // Two rows are equal when they show the same: texts, kind and tick.
  bool operator==(const IssueRow& other) const {
    return problem == other.problem && key == other.key && value == other.value &&
           reason == other.reason && kind == other.kind && ticked == other.ticked;
  }
};

// Targets as the scanners name them.
RowTarget KeyTarget(RootKey root, std::string keyPath);
RowTarget ValueTarget(RootKey root, std::string keyPath, std::string valueName);
// The subkey `name` of `parent`; kNoSubkey for an empty name.
RowTarget SubkeyTarget(RootKey root, const std::string& parent, const std::string& name);
RowTarget FileTarget(std::string file);

// A row from its target: the "Registry key" cell is made from the target as the row
// kind shows it (a value row's cell ends with its name; a subkey row's names the parent
// and `value` the subkey); `value` is the "Value" cell.
IssueRow MakeIssueRow(std::string problem, RowTarget target, RowKind kind, std::string value,
                      std::string reason);

// The key as the registry editor shows it: root, "\" and path (the root alone for a
// value directly below it); the file of a file row; nothing for a row without a target.
std::string TargetKeyText(const RowTarget& target);

// Whether the two rows stand for one entry: the same key, value or file, letter case
// and outer separators aside.
std::string TargetIdentity(const RowTarget& target);

// A key path as entries are matched: without outer separators, in upper case.
std::string MatchPath(const std::string& path);

class ResultsModel {
 public:
  // Appends the rows together, all or none, unless `stop` is raised. The flag is read
  // under the model's lock, so once Stop has taken the lock and raised it no row can
  // follow.
  bool AppendBatch(std::vector<IssueRow> rows, const std::atomic<bool>* stop = nullptr);
  // Raises `stop` under the model's lock: an append running now finishes first,
  // none starts after.
  void RaiseStop(std::atomic<bool>& stop);

  size_t Count() const;
  IssueRow Row(size_t index) const;
  std::vector<IssueRow> Rows() const;
  void Clear();
  void Remove(size_t index);
  bool Ticked(size_t index) const;
  void SetTicked(size_t index, bool ticked);
  void SetAllTicked(bool ticked);
  size_t TickedCount() const;
  // Runs `fn` with the rows under the lock (for filters that edit in place).
  void Edit(const std::function<void(std::vector<IssueRow>&)>& fn);

 private:
  mutable std::mutex mutex_;
  std::vector<IssueRow> rows_;
};

}  // namespace kelvane
