#include "app/category_tree.h"

namespace kelvane {

namespace {

constexpr int kFirstHive = 3;
constexpr int kLastHive = 5;
constexpr int kLastId = 22;

bool IsKnown(int id) {
  return id >= kCategoryRoot && id <= kLastId;
}

}  // namespace

const std::array<CategoryNode, 22>& CategoryNodes() {
  static const std::array<CategoryNode, 22> nodes = {{
      {1, "My Computers", 0},         {2, "Files and Folders", 1},
      {3, "HKEY_LOCAL_MACHINE", 2},   {4, "HKEY_CURRENT_USER", 2},
      {5, "HKEY_USERS", 2},           {6, "Software Locations", 1},
      {7, "Windows Fonts", 1},        {8, "Invalid Help Files", 1},
      {9, "Shared DLLs", 1},          {10, "Startup Programs", 1},
      {11, "Add/Remove Programs", 1}, {12, "File Extensions", 1},
      {13, "Custom Controls", 1},     {14, "Obsolete Software", 1},
      {15, "Windows Services", 1},    {16, "Start Menu", 1},
      {17, "Shortcuts", 1},           {18, "Sound and Appevents", 1},
      {19, "Invalid ActiveX", 1},     {20, "MRU and History Lists", 1},
      {21, "Installer", 1},           {22, "Applications", 1},
  }};
  return nodes;
}

CategoryTree::CategoryTree() {
  SetAll(true);
}

bool CategoryTree::Ticked(int id) const {
  return IsKnown(id) && ticked_[static_cast<size_t>(id)];
}

void CategoryTree::SetAll(bool ticked) {
  for (const CategoryNode& node : CategoryNodes())
    ticked_[static_cast<size_t>(node.id)] = ticked;
}

bool CategoryTree::AnyTicked(int firstId, int lastId, int level) const {
  for (const CategoryNode& node : CategoryNodes()) {
    if (node.id >= firstId && node.id <= lastId && node.level == level && Ticked(node.id)) {
      return true;
    }
  }
  return false;
}

void CategoryTree::ClickStateImage(int id) {
  if (!IsKnown(id))
    return;
  const bool ticked = !Ticked(id);
  ticked_[static_cast<size_t>(id)] = ticked;
  const int level = CategoryNodes()[static_cast<size_t>(id - 1)].level;
  if (level == 0) {
    SetAll(ticked);
    return;
  }
  if (level == 1 && id == kCategoryFilesAndFolders) {
    for (int hive = kFirstHive; hive <= kLastHive; ++hive)
      ticked_[static_cast<size_t>(hive)] = ticked;
  }
  if (level == 2) {
    ticked_[kCategoryFilesAndFolders] = AnyTicked(kFirstHive, kLastHive, 2);
  }
  ticked_[kCategoryRoot] = AnyTicked(kCategoryRoot, kLastId, 1);
}

std::vector<std::string> CategoryTree::Collect() const {
  std::vector<std::string> ids;
  for (const CategoryNode& node : CategoryNodes()) {
    if (Ticked(node.id))
      ids.push_back(std::to_string(node.id));
  }
  return ids;
}

void CategoryTree::Load(const std::array<bool, 23>& saved) {
  for (const CategoryNode& node : CategoryNodes()) {
    ticked_[static_cast<size_t>(node.id)] = saved[static_cast<size_t>(node.id)];
  }
}

void CategoryTree::Store(std::array<bool, 23>& saved) const {
  for (const CategoryNode& node : CategoryNodes()) {
    saved[static_cast<size_t>(node.id)] = ticked_[static_cast<size_t>(node.id)];
  }
}

}  // namespace kelvane
