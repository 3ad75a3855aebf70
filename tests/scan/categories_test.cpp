// The category table and the selection of ticked categories: click propagation, the
// ids a scan runs.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "scan/categories.h"

namespace kelvane {
namespace {

using Ids = std::vector<int>;

// Every id of the table, in tree order.
Ids AllIds() {
  Ids ids;
  for (const Category& category : Categories())
    ids.push_back(category.id);
  return ids;
}

// The ids of the table's rows at `level`.
Ids LevelIds(int level) {
  Ids ids;
  for (const Category& category : Categories()) {
    if (category.level == level)
      ids.push_back(category.id);
  }
  return ids;
}

// `ids` without those of `left`.
Ids Without(Ids ids, const Ids& left) {
  std::erase_if(ids, [&](int id) { return std::find(left.begin(), left.end(), id) != left.end(); });
  return ids;
}

// An id past the table's last: no node has it.
int NoNode() {
  return Categories().back().id + 1;
}

TEST(CategorySelection, ClicksSpreadToChildrenAndParents) {
  struct Case {
    int line;
    std::vector<int> clicks;
    Ids collected;
  };
  const Ids hives = LevelIds(2);
  const Ids everyLevelOne = LevelIds(1);  // "Files and Folders" first
  Ids everyLevelOneAnd14 = everyLevelOne;
  everyLevelOneAnd14.push_back(14);
  const Case cases[] = {
      {__LINE__, {}, AllIds()},
      // Unticking all three hives unticks "Files and Folders", not the root.
      {__LINE__, hives, Without(AllIds(), {2, 3, 4, 5})},
      // The root unticks every node; ticking it again ticks every node.
      {__LINE__, {1}, {}},
      {__LINE__, {1, 1}, AllIds()},
      // Only the hive HKEY_USERS: its group and the root follow.
      {__LINE__, {1, 5}, {1, 2, 5}},
      // The group gives its state to its hives.
      {__LINE__, {2}, Without(AllIds(), {2, 3, 4, 5})},
      {__LINE__, {1, 2}, {1, 2, 3, 4, 5}},
      // Unticking every level-1 category unticks the root; one ticked ticks it again.
      {__LINE__, everyLevelOne, {}},
      {__LINE__, everyLevelOneAnd14, {1, 14}},
      // A hive ticked while everything else is off ticks its group and the root.
      {__LINE__, {1, 4, 4, 3}, {1, 2, 3}},
      // Clicks on no node change nothing.
      {__LINE__, {0, NoNode(), -1}, AllIds()},
  };
  for (const Case& c : cases) {
    CategorySelection tree = CategorySelection::All();
    for (int id : c.clicks)
      ClickCategory(tree, id);
    EXPECT_EQ(tree.Ids(), c.collected) << "case at line " << c.line;
  }
}

TEST(CategoryTable, OneRowPerNodeParentsFirstAndAScannerForEveryLeaf) {
  std::vector<int> ids;
  int previousLevel = -1;
  for (const Category& category : Categories()) {
    ids.push_back(category.id);
    // A node is at most one level below the node before it: parents come first.
    EXPECT_LE(category.level, previousLevel + 1) << category.id;
    previousLevel = category.level;
    const bool group = category.id == kCategoryRoot || category.id == kCategoryFilesAndFolders;
    EXPECT_EQ(category.scanner == nullptr, group) << category.id;
    EXPECT_EQ(FindCategory(category.id), &category);
  }
  // The ids count up from 1 in tree order.
  for (size_t i = 0; i < ids.size(); ++i)
    EXPECT_EQ(ids[i], static_cast<int>(i) + 1);
  EXPECT_EQ(FindCategory(0), nullptr);
  EXPECT_EQ(FindCategory(NoNode()), nullptr);
}

TEST(CategorySelection, KeepsTicksAsSetAndOnlyForKnownIds) {
  CategorySelection saved;
  saved.Set(kCategoryRoot, true);  // a ticked root over no ticked category stays as set
  saved.Set(9, true);
  saved.Set(0, true);
  saved.Set(NoNode(), true);
  EXPECT_EQ(saved.Ids(), (Ids{1, 9}));
  EXPECT_FALSE(saved.Has(NoNode()));
  ClickCategory(saved, 9);  // the next click recomputes the root
  EXPECT_EQ(saved.Ids(), Ids{});

  CategorySelection all = CategorySelection::All();
  ClickCategory(all, 17);
  for (int id : AllIds())
    EXPECT_EQ(all.Has(id), id != 17) << id;
  std::vector<int> selected;
  for (const Category& category : SelectedCategories(all))
    selected.push_back(category.id);
  EXPECT_EQ(selected, all.Ids());
}

// A repair looks again only with the rules whose part of the registry it emptied a
// key in: a vendor key below Software, a class key, an uninstall entry.
TEST(CategoryTable, TheLookAfterARepairTakesTheCategoriesOfTheKeysItEmptied) {
  const std::vector<Category> all = SelectedCategories(CategorySelection::All());
  const auto ids = [&](const std::vector<RowTarget>& emptied) {
    std::vector<int> found;
    for (const Category& category : CategoriesJudgingEmptyKeys(all, emptied))
      found.push_back(category.id);
    return found;
  };
  EXPECT_EQ(ids({KeyTarget(RootKey::kCurrentUser, "Software\\KvSlash\\App")}),
            (std::vector<int>{14}));
  EXPECT_EQ(ids({KeyTarget(RootKey::kClassesRoot, "CLSID\\{x}")}), (std::vector<int>{12}));
  EXPECT_EQ(ids({KeyTarget(RootKey::kLocalMachine,
                           "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall")}),
            (std::vector<int>{11, 14, 21}));
  EXPECT_TRUE(ids({KeyTarget(RootKey::kCurrentUser, "AppEvents\\Schemes")}).empty());
}

}  // namespace
}  // namespace kelvane
