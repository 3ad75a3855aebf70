// Files and Folders - HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER and HKEY_USERS: every text
// value of a whole registry part that names a missing file or folder, the keys other
// categories own (their table rows) left out.
#include "scan/categories.h"
#include "scan/scanners.h"
#include "scan/value_walker.h"

namespace kelvane {

constexpr const char* kFilesFoldersProblem = "Invalid File or Folder";

void ScanFilesFoldersLocalMachine(ScanContext& context) {
  WalkValues(context, "HKEY_LOCAL_MACHINE", "Software", kFilesFoldersProblem, "",
             {OwnedKeysBelow(RootKey::kLocalMachine)}, WalkThreads::kShared);
}

void ScanFilesFoldersCurrentUser(ScanContext& context) {
  WalkValues(context, "HKEY_CURRENT_USER", "", kFilesFoldersProblem, "",
             {OwnedKeysBelow(RootKey::kCurrentUser)}, WalkThreads::kShared);
}

void ScanFilesFoldersUsers(ScanContext& context) {
  WalkValues(context, "HKEY_USERS", "", kFilesFoldersProblem, "", {{}, true}, WalkThreads::kShared);
}

}  // namespace kelvane
