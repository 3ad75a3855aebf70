// Proofs that a registry item can be put back: the text appended to a backup file,
// read back, against what was read from the registry for it; and the registry after
// an import against the file that was imported.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "backup/reg_file.h"
#include "platform/registry.h"

namespace kelvane {

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
