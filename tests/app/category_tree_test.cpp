// The category tree's ticks: click propagation, collection for a scan, load and store.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/category_tree.h"

namespace kelvane {
namespace {

using Ids = std::vector<std::string>;

Ids AllIds() {
  Ids ids;
  for (int id = 1; id <= 22; ++id)
    ids.push_back(std::to_string(id));
  return ids;
}

TEST(CategoryTree, ClicksSpreadToChildrenAndParents) {
  struct Case {
    int line;
    std::vector<int> clicks;
    Ids collected;
  };
  const Case cases[] = {
      {__LINE__, {}, AllIds()},
      // Unticking all three hives unticks "Files and Folders", not the root.
      {__LINE__,
       {3, 4, 5},
       {"1", "6", "7", "8", "9", "10", "11", "12", "13", "14", "15", "16", "17", "18", "19", "20",
        "21", "22"}},
      // The root unticks every node; ticking it again ticks every node.
      {__LINE__, {1}, {}},
      {__LINE__, {1, 1}, AllIds()},
      // Only the hive HKEY_USERS: its group and the root follow.
      {__LINE__, {1, 5}, {"1", "2", "5"}},
      // The group gives its state to its hives.
      {__LINE__,
       {2},
       {"1", "6", "7", "8", "9", "10", "11", "12", "13", "14", "15", "16", "17", "18", "19", "20",
        "21", "22"}},
      {__LINE__, {1, 2}, {"1", "2", "3", "4", "5"}},
      // Unticking every level-1 category unticks the root; one ticked ticks it again.
      {__LINE__, {2, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22}, {}},
      {__LINE__,
       {2, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 14},
       {"1", "14"}},
      // A hive ticked while everything else is off ticks its group and the root.
      {__LINE__, {1, 4, 4, 3}, {"1", "2", "3"}},
      // Clicks on no node change nothing.
      {__LINE__, {0, 23, -1}, AllIds()},
  };
  for (const Case& c : cases) {
    CategoryTree tree;
    for (int id : c.clicks)
      tree.ClickStateImage(id);
    EXPECT_EQ(tree.Collect(), c.collected) << "case at line " << c.line;
  }
}

TEST(CategoryTree, LoadTakesTicksAsSavedAndStoreWritesByIndex) {
  std::array<bool, 23> saved{};
  saved[1] = true;  // a ticked root over no ticked category stays as saved
  saved[9] = true;
  CategoryTree tree;
  tree.Load(saved);
  EXPECT_EQ(tree.Collect(), (Ids{"1", "9"}));
  tree.ClickStateImage(9);  // the next click recomputes the root
  EXPECT_EQ(tree.Collect(), Ids{});

  tree.SetAll(true);
  tree.ClickStateImage(17);
  std::array<bool, 23> stored{};
  stored[0] = true;  // index 0 is no node and is left alone
  tree.Store(stored);
  EXPECT_TRUE(stored[0]);
  for (int id = 1; id <= 22; ++id)
    EXPECT_EQ(stored[id], id != 17) << id;
}

}  // namespace
}  // namespace kelvane
