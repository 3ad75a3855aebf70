// How much a key and the keys below it hold (CountKeyEntries): what Add/Remove Programs
// and Obsolete Software judge a key empty by.
#include <cstddef>

#include "scan/registry_views.h"
#include "scan/scanners.h"

namespace kelvane {

// The count never goes deeper than keys nest (kMaxKeyDepth).
int CountKeyEntries(ScanContext& context, RootKey root, const std::string& keyPath, int limit,
                    bool subkeyRule, bool emptyDefaultRule, int depth) {
  if (depth > kMaxKeyDepth)
    return 0;
  Registry registry = context.NewRegistry(root);
  if (!registry.OpenKey(keyPath, false))
    return 0;
  const std::vector<std::string> values = registry.GetValueNames();
  int result = static_cast<int>(values.size());
  if (!emptyDefaultRule && values.size() == 1 && values[0].empty() && IsTextValue(registry, "") &&
      registry.ReadString("").empty()) {
    result = 0;  // a lone empty default value is no content
  }
  if (limit != 0 && result >= limit)
    return result;
  const std::vector<std::string> subkeys = registry.GetKeyNames();
  if (subkeyRule && limit != 0 && subkeys.size() > static_cast<size_t>(limit)) {
    return static_cast<int>(subkeys.size());
  }
  std::optional<std::string> identity;
  for (const std::string& name : subkeys) {
    const std::string childPath = keyPath + "\\" + name;
    // A subkey whose name holds a NUL cannot be looked into: what it holds is not
    // known, so it counts as an entry and the key is never called empty.
    const bool unknown = HoldsNul(name);
    if (unknown || BelowWow64Node(childPath)) {
      // A key the 32-bit view shares with the 64-bit one holds what its 64-bit self
      // holds; it counts as an entry, so that a key holding it is never called empty
      // (deleting through the link would reach the 64-bit key).
      Registry child = registry.OpenSubkey(name);
      if (unknown || IsLinkedSubkey(registry, identity, child, childPath, name)) {
        ++result;
        if (limit != 0 && result >= limit)
          return result;
        continue;
      }
    }
    result +=
        CountKeyEntries(context, root, childPath, limit, subkeyRule, emptyDefaultRule, depth + 1);
    if (limit != 0 && result >= limit)
      return result;
  }
  return result;
}

}  // namespace kelvane
