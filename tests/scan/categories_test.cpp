// The category table and the selection of ticked categories: click propagation, the
// ids a scan runs.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "scan/categories.h"

namespace kelvane {
namespace {

using Ids = std::vector<int>;

Ids AllIds() {
  Ids ids;
  for (int id = 1; id <= 22; ++id)
    ids.push_back(id);
  return ids;
}

TEST(CategorySelection, ClicksSpreadToChildrenAndParents) {
  struct Case {
    int line;
    std::vector<int> clicks;
    Ids collected;
  };
  const Case cases[] = {
      {__LINE__, {}, AllIds()},
      // Unticking all three hives unticks "Files and Folders", not the root.
      {__LINE__, {3, 4, 5}, {1, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22}},
      // The root unticks every node; ticking it again ticks every node.
      {__LINE__, {1}, {}},
      {__LINE__, {1, 1}, AllIds()},
      // Only the hive HKEY_USERS: its group and the root follow.
      {__LINE__, {1, 5}, {1, 2, 5}},
      // The group gives its state to its hives.
      {__LINE__, {2}, {1, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22}},
      {__LINE__, {1, 2}, {1, 2, 3, 4, 5}},
      // Unticking every level-1 category unticks the root; one ticked ticks it again.
      {__LINE__, {2, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22}, {}},
      {__LINE__, {2, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 14}, {1, 14}},
      // A hive ticked while everything else is off ticks its group and the root.
      {__LINE__, {1, 4, 4, 3}, {1, 2, 3}},
      // Clicks on no node change nothing.
      {__LINE__, {0, 23, -1}, AllIds()},
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
  EXPECT_EQ(ids, AllIds());
  EXPECT_EQ(FindCategory(0), nullptr);
  EXPECT_EQ(FindCategory(23), nullptr);
}

TEST(CategorySelection, KeepsTicksAsSetAndOnlyForKnownIds) {
  CategorySelection saved;
  saved.Set(kCategoryRoot, true);  // a ticked root over no ticked category stays as set
  saved.Set(9, true);
  saved.Set(0, true);
  saved.Set(23, true);
  EXPECT_EQ(saved.Ids(), (Ids{1, 9}));
  EXPECT_FALSE(saved.Has(23));
  ClickCategory(saved, 9);  // the next click recomputes the root
  EXPECT_EQ(saved.Ids(), Ids{});

  CategorySelection all = CategorySelection::All();
  ClickCategory(all, 17);
  for (int id = 1; id <= 22; ++id)
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
