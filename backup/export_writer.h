// The backup file writer: appends registry keys (with everything below them) and
// single values to a text file in one of the registry editor's export formats, so that
// "Regedit /s" puts back exactly what a repair deleted. A file whose items all have an
// exact form in the ANSI code page is a "REGEDIT4" file (ANSI text, as every version of
// the program wrote); one that holds any other name or text is a "Windows Registry
// Editor Version 5.00" file (UTF-16LE with a byte order mark, text data as UTF-16).
#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "backup/reg_file.h"
#include "platform/platform.h"

namespace kelvane {

// The backup file could not be opened, written or closed.
class BackupError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

enum class ExportScope { kSingleValue, kWholeKey };

// The text of one item without the file's header, and the keys and values it was
// written from, in the order the text holds them. `text` is the REGEDIT4 text when
// every name and text of the item has an exact ANSI form (`ansi`), else empty: only a
// Version 5.00 file can hold the item, written from `keys`.
struct FormattedItem {
  std::string text;
  std::vector<RegFileKey> keys;
  bool ansi = true;
};

// The text of keys and values in a file of `version`; nothing for version 4 when a
// name or text has no exact ANSI form.
std::optional<std::string> FormatKeysText(const std::vector<RegFileKey>& keys, int version);
// The header line of a file of `version`, with the byte order mark of version 5.
std::string FileHeader(int version);

// The item read from the registry: the whole key `keyPath` below `root`, or the single
// value `valueName` of that key (empty name: the default value). Nothing when a key or
// value name of the item holds a line break or a NUL (no export line can carry it), or
// a value or subkey the key lists cannot be read back: the item cannot be backed up.
std::optional<FormattedItem> FormatRegistryItem(RegistryBackend& backend, RootKey root,
                                                std::string keyPath, const std::string& valueName,
                                                ExportScope scope);
// The text of a single value as read by the caller (`value` nothing: a missing value);
// nothing when its names or text cannot be written exactly.
std::optional<FormattedItem> FormatValueItem(RootKey root, std::string keyPath,
                                             const std::string& valueName,
                                             const std::optional<RegValue>& value);

// Appends the items to the backup file in one write (the header first when the file
// is new or empty; a Version 5.00 file when any item is not `ansi`, a REGEDIT4 file
// that holds items already made one first), and with `verify` reads them back through the same
// handle and compares each with the keys it was written from. The items that do not read back are
// cut out of the file again and the others written anew, until those left all read back; then the
// file is written through to the disk. For each item: nothing when it is in the file on the disk,
// or why it was left out. A file that cannot be opened, written, flushed to the disk or cut back
// raises BackupError; the items are then not proven to be on the disk. Where an append's time went,
// in seconds, added up over the calls given it.
struct AppendTimes {
  double write = 0;  // the text written and handed to the system
  double proof = 0;  // read back and compared with the registry's items
  double flush = 0;  // written through to the disk
};

std::vector<std::optional<std::string>> AppendItemsToDisk(
    FileSystem& files, const std::string& filePath, const std::vector<const FormattedItem*>& items,
    bool verify, AppendTimes* times = nullptr);

}  // namespace kelvane
