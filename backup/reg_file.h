// A registry export file as plain data: the keys it names, in file order, each with
// the values its lines set. The reader fills it from a file's text; the backup writer
// fills it from the registry for the item it writes, so that the two can be compared.
// And the proofs that a registry item can be put back: the text appended to a backup
// file, read back, against what was read from the registry for it; and the registry
// after an import against the file that was imported.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/registry.h"

namespace kelvane {

struct RegFileValue {
  std::string name;               // empty for the default value ("@")
  std::optional<RegValue> value;  // nothing: the writer found no such value
  int line = 0;                   // where the value line starts (0 when not from a file)
};

struct RegFileKey {
  RootKey root = RootKey::kCurrentUser;
  std::string path;  // below the root, without leading or trailing "\"
  int line = 0;
  std::vector<RegFileValue> values;
};

// The first line of a file of each version.
inline constexpr std::string_view kHeader4 = "REGEDIT4";
inline constexpr std::string_view kHeader5 = "Windows Registry Editor Version 5.00";

struct RegFile {
  int version = 4;  // 4 for "REGEDIT4", 5 for "Windows Registry Editor Version 5.00"
  std::vector<RegFileKey> keys;
};

// "HKEY_CURRENT_USER\Software\Demo"
std::string KeyText(const RegFileKey& key);
// "Count", or "(Default)" for the default value.
std::string ValueNameText(const std::string& name);

// Whether a value read back after an import equals the value as it was stored. A
// string stored without its terminating zero comes back with one; nothing else may
// change.
bool SameAfterImport(const RegValue& stored, const RegValue& imported);

// The first difference between the keys written for an item and the keys read back
// from its text: every key in the same order, every value with the same type and
// bytes. Nothing when they agree.
std::optional<std::string> FirstItemDifference(const std::vector<RegFileKey>& written,
                                               const std::vector<RegFileKey>& readBack);

// The first key or value of the file that the registry does not hold as the file
// says (a value set twice counts as its last setting). Nothing when every key and
// value of the file is there with the same type and bytes.
std::optional<std::string> FirstRestoreDifference(RegistryBackend& backend, const RegFile& file);

}  // namespace kelvane
