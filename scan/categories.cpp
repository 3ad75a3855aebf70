#include "scan/categories.h"

#include <algorithm>
#include <array>

#include "platform/registry_locations.h"
#include "scan/registry_views.h"
#include "scan/scanners.h"

namespace kelvane {

namespace {

constexpr TableKey Machine(const char* keyPath) {
  return {RootKey::kLocalMachine, keyPath};
}
constexpr TableKey User(const char* keyPath) {
  return {RootKey::kCurrentUser, keyPath};
}
constexpr TableKey WholeClassesRoot() {
  return {RootKey::kClassesRoot, ""};
}
template <typename... Key>
constexpr TableKeys Keys(Key... keys) {
  return {keys...};
}

constexpr const char* kUninstall32Key =
    "Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

// Each scanner lives in the file named after its caption (scan/scanners.h).
constexpr std::array<Category, 22> kCategories = {{
    {1, "My Computers", 0, "", nullptr},
    {2, "Files and Folders", 1, "", nullptr},
    {3, "HKEY_LOCAL_MACHINE", 2, "Scanning Files and Folders - HKEY_LOCAL_MACHINE...",
     &ScanFilesFoldersLocalMachine},
    {4, "HKEY_CURRENT_USER", 2, "Scanning Files and Folders - HKEY_CURRENT_USER...",
     &ScanFilesFoldersCurrentUser},
    {5, "HKEY_USERS", 2, "Scanning Files and Folders - HKEY_USERS...", &ScanFilesFoldersUsers},
    {6, "Software Locations", 1, "Scanning Software Locations...", &ScanSoftwareLocations,
     Keys(Machine(kAppPathsKey))},
    {7, "Windows Fonts", 1, "Scanning Windows Fonts...", &ScanWindowsFonts},
    {8, "Invalid Help Files", 1, "Scanning Invalid Help Files...", &ScanHelpFiles,
     Keys(Machine(kHelpKey), Machine(kHtmlHelpKey))},
    {9, "Shared DLLs", 1, "Scanning Shared DLLs...", &ScanSharedDlls,
     Keys(Machine(kSharedDllsKey))},
    // The entries kept for disabled startup programs are walked by Files and Folders too.
    {10, "Startup Programs", 1, "Scanning Startup Programs...", &ScanStartupPrograms,
     Keys(Machine(kRunKey), Machine(kRunOnceKey), User(kRunKey), User(kRunOnceKey))},
    {11, "Add/Remove Programs", 1, "Scanning Add/Remove Programs...", &ScanAddRemovePrograms,
     Keys(Machine(kUninstallKey)), Keys(Machine(kUninstallKey), Machine(kUninstall32Key))},
    {12, "File Extensions", 1, "Scanning File Extensions...", &ScanFileExtensions, Keys(),
     Keys(Machine(kClassesKey), Machine("Software\\Wow6432Node\\Classes"), WholeClassesRoot(),
          User(kClassesKey), User(kFileExtsKey))},
    {13, "Custom Controls", 1, "Scanning Custom Controls...", &ScanCustomControls,
     Keys(Machine("SOFTWARE\\Classes\\CLSID"))},
    // The obsolete-software walk shows the software-locations text.
    {14, "Obsolete Software", 1, "Scanning Software Locations...", &ScanObsoleteSoftware, Keys(),
     Keys(Machine("Software"), User("Software"))},
    {15, "Windows Services", 1, "Scanning Windows Services...", &ScanServices},
    {16, "Start Menu", 1, "Scanning Start Menu...", &ScanStartMenu},
    {17, "Shortcuts", 1, "Scanning Shortcuts...", &ScanShortcuts},
    {18, "Sound and Appevents", 1, "Scanning Sound and Appevents...", &ScanSoundEvents,
     Keys(User(kSoundSchemesKey))},
    {19, "Invalid ActiveX", 1, "Scanning Invalid ActiveX...", &ScanActiveX,
     Keys(Machine("SOFTWARE\\Classes\\TypeLib"))},
    {20, "MRU and History Lists", 1, "Scanning MRU and History Lists...", &ScanMruLists,
     Keys(User(kMruKey))},
    // Installer judges its cache entries by the uninstall entries left.
    {21, "Installer", 1, "Scanning Installer...", &ScanInstaller,
     Keys(Machine(kInstallerUninstallKey), Machine(kInstallerFoldersKey), Machine(kArpCacheKey)),
     Keys(Machine(kUninstallKey), Machine(kUninstall32Key))},
    // Applications shows no status text of its own.
    {22, "Applications", 1, "", &ScanApplications, Keys(Machine(kApplicationsKey))},
}};

// Position of an id in the table, or -1.
int IndexOf(int id) {
  for (size_t i = 0; i < kCategories.size(); ++i) {
    if (kCategories[i].id == id)
      return static_cast<int>(i);
  }
  return -1;
}

}  // namespace

std::span<const Category> Categories() {
  return kCategories;
}

const Category* FindCategory(int id) {
  const int index = IndexOf(id);
  return index < 0 ? nullptr : &kCategories[static_cast<size_t>(index)];
}

std::vector<const char*> OwnedKeysBelow(RootKey root) {
  std::vector<const char*> keys;
  for (const Category& category : kCategories) {
    for (const TableKey& owned : category.owns) {
      const auto same = [&](const char* key) { return EqualsNoCase(key, owned.keyPath); };
      if (owned.root == root && std::none_of(keys.begin(), keys.end(), same))
        keys.push_back(owned.keyPath);
    }
  }
  return keys;
}

CategorySelection CategorySelection::All() {
  CategorySelection selection;
  selection.SetAll(true);
  return selection;
}

bool CategorySelection::Has(int id) const {
  return IndexOf(id) >= 0 && (bits_ >> id & 1) != 0;
}

void CategorySelection::Set(int id, bool ticked) {
  if (IndexOf(id) < 0)
    return;
  const uint64_t bit = uint64_t{1} << id;
  bits_ = ticked ? bits_ | bit : bits_ & ~bit;
}

void CategorySelection::SetAll(bool ticked) {
  for (const Category& category : kCategories)
    Set(category.id, ticked);
}

std::vector<int> CategorySelection::Ids() const {
  std::vector<int> ids;
  for (const Category& category : kCategories) {
    if (Has(category.id))
      ids.push_back(category.id);
  }
  return ids;
}

void ClickCategory(CategorySelection& selection, int id) {
  const int index = IndexOf(id);
  if (index < 0)
    return;
  const auto at = static_cast<size_t>(index);
  const bool ticked = !selection.Has(id);
  const int level = kCategories[at].level;
  // The node and everything below it (the rows after it with a deeper level).
  selection.Set(id, ticked);
  for (size_t i = at + 1; i < kCategories.size() && kCategories[i].level > level; ++i)
    selection.Set(kCategories[i].id, ticked);
  // Each parent, innermost first: ticked when any of its direct children is.
  for (int parentLevel = level - 1; parentLevel >= 0; --parentLevel) {
    size_t parent = at;
    while (parent > 0 && kCategories[parent].level > parentLevel)
      --parent;
    bool any = false;
    for (size_t i = parent + 1; i < kCategories.size() && kCategories[i].level > parentLevel; ++i) {
      if (kCategories[i].level == parentLevel + 1 && selection.Has(kCategories[i].id))
        any = true;
    }
    selection.Set(kCategories[parent].id, any);
  }
}

std::vector<Category> SelectedCategories(const CategorySelection& selection) {
  std::vector<Category> selected;
  for (const Category& category : kCategories) {
    if (selection.Has(category.id))
      selected.push_back(category);
  }
  return selected;
}

std::vector<Category> CategoriesJudgingEmptyKeys(const std::vector<Category>& scanned,
                                                 const std::vector<RowTarget>& emptied) {
  const auto holdsEmptied = [&](const TableKey& key) {
    return std::any_of(emptied.begin(), emptied.end(), [&](const RowTarget& target) {
      return target.root == key.root && (!*key.keyPath || IsAtOrBelow(target.keyPath, key.keyPath));
    });
  };
  std::vector<Category> judging;
  for (const Category& category : scanned) {
    const Category* row = FindCategory(category.id);
    if (row && std::any_of(row->judgesEmptyIn.begin(), row->judgesEmptyIn.end(), holdsEmptied))
      judging.push_back(category);
  }
  return judging;
}

}  // namespace kelvane
