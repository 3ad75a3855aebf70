// The category tree's model: the 22 fixed nodes, their ticks, how a click on a tick
// spreads to the parents and children, and the ids collected for a scan. The tree
// view only shows these ticks and forwards clicks on state images.
#pragma once

#include <array>
#include <string>
#include <vector>

namespace kelvane {

// A node's id is its image index and the category id the scan dispatches on.
struct CategoryNode {
  int id;
  const char* caption;
  int level;  // 0 the root, 1 its children, 2 the hives under "Files and Folders"
};

inline constexpr int kCategoryRoot = 1;
inline constexpr int kCategoryFilesAndFolders = 2;

// The 22 nodes in tree order (parents before their children).
const std::array<CategoryNode, 22>& CategoryNodes();

class CategoryTree {
 public:
  CategoryTree();  // all ticked
  bool Ticked(int id) const;
  void SetAll(bool ticked);
  // A click on the node's state image: toggles it, then gives the root's new state
  // to every node, a group's to its children, and recomputes the parents (ticked
  // when any child is ticked).
  void ClickStateImage(int id);
  // Ids of the ticked nodes in tree order, as decimal text.
  std::vector<std::string> Collect() const;
  // Ticks exactly as saved (index by id; a saved root is not recomputed).
  void Load(const std::array<bool, 23>& saved);
  void Store(std::array<bool, 23>& saved) const;

 private:
  bool AnyTicked(int firstId, int lastId, int level) const;
  std::array<bool, 23> ticked_{};
};

}  // namespace kelvane
