// The scan categories: one table row per node of the category tree (id, caption,
// tree level, the progress window's status text, the scanner, the keys it owns, where
// it judges keys by what is left in them), and the selection of ticked categories that the tree,
// the settings and the scan share. Adding a category is one row here plus its scanner, in a file
// named after its caption (scan/scanners.h lists them).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <span>
#include <vector>

#include "results/results_model.h"

namespace kelvane {

class ScanContext;
using ScannerFn = void (*)(ScanContext&);

// A key named by a table row, below its root; matched without regard to case.
struct TableKey {
  RootKey root;
  const char* keyPath;
};

// The keys of one table column, at most five.
class TableKeys {
 public:
  constexpr TableKeys() = default;
  constexpr TableKeys(std::initializer_list<TableKey> keys) {
    for (const TableKey& key : keys)
      keys_.at(size_++) = key;  // more than five keys: the table does not compile
  }
  constexpr const TableKey* begin() const { return keys_.data(); }
  constexpr const TableKey* end() const { return keys_.data() + size_; }

 private:
  std::array<TableKey, 5> keys_{};
  size_t size_ = 0;
};

struct Category {
  int id;  // the tree node's id and its key in the settings file
  const char* caption;
  int level;           // 0 the root, 1 its children, 2 the hives under "Files and Folders"
  const char* status;  // the progress window's text while it runs; empty for groups
  ScannerFn scanner;   // nothing for the root and the group
  // The keys it judges on its own, with everything below them: the Files and Folders
  // walk of their root leaves them out, in both registry views (matched whole).
  TableKeys owns = {};
  // Where its rules judge a key by what is left in it (a vendor key, an uninstall
  // entry, a class key with nothing in them; a cache entry without its uninstall
  // entry): each key with everything below it, "" for a whole root.
  TableKeys judgesEmptyIn = {};
};

inline constexpr int kCategoryRoot = 1;
inline constexpr int kCategoryFilesAndFolders = 2;

// Every category in tree order (parents before their children).
std::span<const Category> Categories();
// The table row of an id; nothing for an id that no row has.
const Category* FindCategory(int id);

// The keys below `root` that the categories own, in table order, each once: what the
// Files and Folders walk of that root leaves out.
std::vector<const char*> OwnedKeysBelow(RootKey root);

// Which categories are ticked, by id. Ids outside the table are never ticked.
class CategorySelection {
 public:
  static CategorySelection All();
  bool Has(int id) const;
  void Set(int id, bool ticked);
  void SetAll(bool ticked);
  // The ticked ids in tree order.
  std::vector<int> Ids() const;
  bool operator==(const CategorySelection&) const = default;

 private:
  uint64_t bits_ = 0;
};

// A click on a node's tick in the tree: toggles it, then gives the root's new state
// to every node, a group's to its children, and recomputes the parents (ticked when
// any child is ticked). A click on no node changes nothing.
void ClickCategory(CategorySelection& selection, int id);

// The table rows of the ticked categories, in tree order: what a scan runs.
std::vector<Category> SelectedCategories(const CategorySelection& selection);

// Of `scanned`, the categories whose table row's judgesEmptyIn holds one of the
// `emptied` keys: what a repair looks at again once it has emptied keys.
std::vector<Category> CategoriesJudgingEmptyKeys(const std::vector<Category>& scanned,
                                                 const std::vector<RowTarget>& emptied);

}  // namespace kelvane
