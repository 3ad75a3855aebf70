// The backup file writer: appends registry keys (with everything below them) and
// single values to a text file in one of the registry editor's export formats, so that
// "Regedit /s" puts back exactly what a repair deleted. A file whose items all have an
// exact form in the ANSI code page is a "REGEDIT4" file (ANSI text, as every version of
// the program wrote); one that holds any other name or text is a "Windows Registry
// Editor Version 5.00" file (UTF-16LE with a byte order mark, text data as UTF-16).
#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
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

// Appends one item to the backup file: the whole key `keyPath` below `root`, or the
// single value `valueName` of that key (empty name: the default value). The file gets
// its header when it is new or empty; a REGEDIT4 file that is to take an item it cannot
// hold is made a Version 5.00 file first (ConvertToVersion5).
// Returns false, writing nothing, when a key or value name of the item holds a line
// break: no export line can carry it, so the item cannot be backed up.
// A file that cannot be opened, written or closed raises BackupError.
bool ExportRegistryItem(FileSystem& files, RegistryBackend& backend, const std::string& filePath,
                        RootKey root, std::string keyPath, const std::string& valueName,
                        ExportScope scope);

// One item as appended: where its text starts in the file, the text read back from
// there after it was written (when asked for), and the keys and values read from the
// registry for it, in the order the text holds them.
struct AppendedItem {
  uint64_t offset = 0;
  int version = 4;  // of the file: 4 (REGEDIT4) or 5 (Version 5.00)
  std::optional<std::string> readBack;
  std::vector<RegFileKey> keys;
};

// ExportRegistryItem that also tells what it appended; nothing when it wrote nothing.
// With `readBack` the file is opened for reading too, and once the text is written out
// to the system it is read back from the file through the same handle.
std::optional<AppendedItem> AppendRegistryItem(FileSystem& files, RegistryBackend& backend,
                                               const std::string& filePath, RootKey root,
                                               std::string keyPath, const std::string& valueName,
                                               ExportScope scope, bool readBack = false);

// The text of one item without the file's header, and the keys and values it was
// written from, in the order the text holds them. `text` is the REGEDIT4 text when
// every name and text of the item has an exact ANSI form (`ansi`), else empty: only a
// Version 5.00 file can hold the item (ItemText).
struct FormattedItem {
  std::string text;
  std::vector<RegFileKey> keys;
  bool ansi = true;
};

// The item's text in a file of `version` (4: ANSI bytes; 5: UTF-16LE bytes). Empty
// for version 4 when the item is not `ansi`.
std::string ItemText(const FormattedItem& item, int version);
// The text of keys and values in a file of `version`; nothing for version 4 when a
// name or text has no exact ANSI form.
std::optional<std::string> FormatKeysText(const std::vector<RegFileKey>& keys, int version);
// The header line of a file of `version`, with the byte order mark of version 5.
std::string FileHeader(int version);
// The version of the file as its first bytes say: 5 with the UTF-16 byte order mark,
// 4 otherwise; 0 for a file that is missing or empty.
int BackupFileVersion(FileSystem& files, const std::string& filePath);
// Writes the REGEDIT4 file anew as a Version 5.00 file with the same keys and values:
// the new text goes to a file beside it, is written through to the disk, read back
// and compared with the old file's keys and values, and only then moved over it, so
// that at any moment one of the two holds every item. Raises BackupError when any
// step fails; the old file then stays as it was.
void ConvertToVersion5(FileSystem& files, const std::string& filePath);

// The item's text as AppendRegistryItem would append it, read from the registry;
// nothing when it cannot be written exactly (the same rules).
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

// Reads the appended text (the text read back, or else the file from the item's
// offset) and compares it with the keys and values it was written from. Nothing when they agree;
// otherwise the first difference (or why the text could not be read).
std::optional<std::string> VerifyAppendedItem(FileSystem& files, const std::string& filePath,
                                              const AppendedItem& item);

// Cuts the file back to what it held before the item was appended (removes it when
// the item started it). False when that fails.
bool RemoveAppendedItem(FileSystem& files, const std::string& filePath, const AppendedItem& item);

// The data part of a value line for a value as stored ("dword:0000001A", "hex:01,AB",
// "\"text\"", "hex(7):61,00,00"); `""` for a missing value. Version 4 gives ANSI text
// (nothing when the text has no exact ANSI form); version 5 UTF-8 text with the bytes
// of text data as UTF-16. Nothing for text data that is no whole UTF-16 text.
std::optional<std::string> FormatValueData(const std::optional<RegValue>& value, int version = 4);

// "hex:" or "hex(N):" and the bytes, 25 to a continued line after the first 26.
std::string FormatHexData(std::string_view prefix, std::string_view bytes);

// Every "\" doubled.
std::string EscapeBackslashes(std::string_view text);
// Every double quote preceded by "\".
std::string EscapeQuotes(std::string_view text);

}  // namespace kelvane
