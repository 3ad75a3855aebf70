// The results list's rows: one per finding, owned here and shown by the list view.
// The scan worker appends while the user-interface thread reads, so every access
// takes the model's lock.
#pragma once

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

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

struct IssueRow {
  std::string problem;  // column "Problem"
  std::string key;      // column "Registry key"
  std::string value;    // column "Value"
  std::string reason;   // why the row is reported, naming what its check found
  RowKind kind = RowKind::kKey;
  bool ticked = false;
  bool operator==(const IssueRow&) const = default;
};

class ResultsModel {
 public:
  // Appends a row unless `stop` is raised. The flag is read under the model's lock,
  // so once Stop has taken the lock and raised it no row can follow.
  bool Append(IssueRow row, const std::atomic<bool>* stop = nullptr);
  // Appends the rows together, all or none, on the same terms.
  bool AppendBatch(std::vector<IssueRow> rows, const std::atomic<bool>* stop = nullptr);
  // Raises `stop` under the model's lock: an append running now finishes first,
  // none starts after.
  void RaiseStop(std::atomic<bool>& stop);

  size_t Count() const;
  IssueRow Row(size_t index) const;
  std::vector<IssueRow> Rows() const;
  void Clear();
  void RemoveLast();
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
