#include "backup/export_writer.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string_view>
#include <vector>

#include "backup/reg_compare.h"
#include "backup/reg_reader.h"
#include "platform/text_codec.h"

namespace kelvane {

namespace {

constexpr const char* kLineEnd = "\r\n";
constexpr const char* kHeader = "REGEDIT4";
constexpr const char* kHeader5 = "Windows Registry Editor Version 5.00";
// Registry keys nest at most 512 levels; a deeper walk means the tree changed under us.
constexpr int kMaxDepth = 512;

bool HasLineBreak(std::string_view text) {
  return text.find_first_of("\r\n") != std::string_view::npos;
}

// Every "\" doubled.
std::string EscapeBackslashes(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (const char c : text) {
    if (c == '\\')
      out += '\\';
    out += c;
  }
  return out;
}

// Every double quote preceded by "\".
std::string EscapeQuotes(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (const char c : text) {
    if (c == '"')
      out += '\\';
    out += c;
  }
  return out;
}

std::string EscapeText(std::string_view text) {
  return EscapeQuotes(EscapeBackslashes(text));
}

// Regedit reads a quoted string up to the line end and adds one terminating zero, so
// only text without line breaks, ending at its first zero (or without one), comes back
// byte for byte from the quoted form.
bool QuotedFormKeepsString(const std::string& data) {
  const size_t nul = data.find('\0');
  const std::string_view text = std::string_view(data).substr(0, nul);
  if (HasLineBreak(text))
    return false;
  return nul == std::string::npos || nul + 1 == data.size();
}

std::string HexTypePrefix(uint32_t type) {
  char buffer[24];
  std::snprintf(buffer, sizeof buffer, "hex(%x):", static_cast<unsigned>(type));
  return buffer;
}

// "hex:" or "hex(N):" and the bytes, 25 to a continued line after the first 26.
std::string FormatHexData(std::string_view prefix, std::string_view bytes) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string out(prefix);
  out.reserve(prefix.size() + bytes.size() * 3 + bytes.size() / 25 * 3);
  for (size_t i = 0; i < bytes.size(); ++i) {
    const auto b = static_cast<unsigned char>(bytes[i]);
    out += kDigits[b >> 4];
    out += kDigits[b & 0xF];
    if (i + 1 == bytes.size())
      break;
    out += ',';
    if (i > 0 && i % 25 == 0) {
      out += '\\';
      out += kLineEnd;
    }
  }
  return out;
}

// The data part of a value line for a value as stored ("dword:0000001A", "hex:01,AB",
// "\"text\"", "hex(7):61,00,00"); `""` for a missing value. Version 4 gives ANSI text
// (nothing when the text has no exact ANSI form); version 5 UTF-8 text with the bytes
// of text data as UTF-16. Nothing for text data that is no whole UTF-16 text.
std::optional<std::string> FormatValueData(const std::optional<RegValue>& value, int version) {
  if (!value)
    return "\"\"";
  const std::string& data = value->data;
  const bool text = IsTextType(value->type);
  // Stored bytes that are no whole UTF-16 text: no file gives them back, since the
  // registry editor stores the hex data of text types as whole UTF-16 text (Wine's pads
  // an odd byte with zeros).
  if (text && !value->exact)
    return std::nullopt;
  // The bytes the registry editor stores for text data: ANSI in a REGEDIT4 file (it
  // converts them), UTF-16 in a Version 5.00 file.
  const auto textBytes = [&]() -> std::optional<std::string> {
    if (version == 4)
      return AnsiFromUtf8(data);
    return Utf16LeBytesFromUtf8(data);
  };
  switch (value->type) {
    case kRegSz:
      if (QuotedFormKeepsString(data)) {
        const std::string_view quoted = std::string_view(data).substr(0, data.find('\0'));
        if (version != 4)
          return "\"" + EscapeText(quoted) + "\"";
        const auto ansi = AnsiFromUtf8(quoted);
        if (!ansi)
          return std::nullopt;
        return "\"" + EscapeText(*ansi) + "\"";
      }
      break;
    case kRegDword:
      if (data.size() == 4) {
        uint32_t number = 0;
        for (int i = 3; i >= 0; --i) {
          number = (number << 8) | static_cast<unsigned char>(data[static_cast<size_t>(i)]);
        }
        char buffer[16];
        std::snprintf(buffer, sizeof buffer, "dword:%08X", static_cast<unsigned>(number));
        return buffer;
      }
      // An integer stored with another length keeps its bytes.
      return FormatHexData(HexTypePrefix(kRegDword), data);
    case kRegBinary:
      return FormatHexData("hex:", data);
    default:
      break;
  }
  if (!text)
    return FormatHexData(HexTypePrefix(value->type), data);
  const auto bytes = textBytes();
  if (!bytes)
    return std::nullopt;
  return FormatHexData(HexTypePrefix(value->type), *bytes);
}

// Reads the keys and values of one item; WriteKeyBlock walks the key tree depth first.
class ItemWriter {
 public:
  ItemWriter(RegistryBackend& backend, RootKey root, const std::string& valueName,
             ExportScope scope)
      : backend_(&backend), root_(root), valueName_(valueName), scope_(scope) {}
  // For a single value that the caller has read.
  ItemWriter(RootKey root, const std::string& valueName)
      : root_(root), valueName_(valueName), scope_(ExportScope::kSingleValue) {}

  // False when the item cannot be written whole: a name on the way holds a line break
  // or a NUL (no export line carries it, and no call names it), or a value or subkey
  // that the key lists cannot be read back. Such an item must not be deleted.
  bool WriteKeyBlock(const std::string& path, int depth) {
    if (depth > kMaxDepth)
      throw BackupError("Key tree too deep to back up: " + path);
    if (!WriteKeyLine(path))
      return false;
    Registry registry(*backend_, KeyAccess::kRead);
    registry.SetRoot(root_);
    const bool opened = registry.OpenKey("\\" + path, false);
    if (scope_ == ExportScope::kSingleValue)
      return WriteValue(opened ? registry.ReadRaw(valueName_) : std::nullopt);
    if (!opened)
      return depth == 0;  // the item itself may be gone; a listed subkey may not
    const std::vector<std::string> valueNames = registry.GetValueNames();
    const std::vector<std::string> keyNames = registry.GetKeyNames();
    for (const std::string& name : keyNames) {
      if (HoldsNul(name))
        return false;
    }
    for (const std::string& name : valueNames) {
      if (HasLineBreak(name) || HoldsNul(name))
        return false;
      const std::optional<RegValue> value = registry.ReadRaw(name);
      if (!value)
        return false;
      keys_.back().values.push_back(RegFileValue{name, value, 0});
    }
    registry.CloseKey();
    for (const std::string& name : keyNames) {
      if (!WriteKeyBlock(path.empty() ? name : path + "\\" + name, depth + 1))
        return false;
    }
    return true;
  }

  // The single value's block from a value the caller has read.
  bool WriteValueBlock(const std::string& path, const std::optional<RegValue>& value) {
    return WriteKeyLine(path) && WriteValue(value);
  }

  std::optional<FormattedItem> Finish() {
    FormattedItem item;
    auto text = FormatKeysText(keys_, 4);
    item.ansi = text.has_value();
    if (text)
      item.text = std::move(*text);
    item.keys = std::move(keys_);
    return item;
  }

 private:
  bool WriteKeyLine(const std::string& path) {
    if (HasLineBreak(path) || HoldsNul(path))
      return false;
    keys_.push_back(RegFileKey{root_, path, 0, {}});
    return true;
  }

  bool WriteValue(const std::optional<RegValue>& value) {
    if (HasLineBreak(valueName_) || HoldsNul(valueName_))
      return false;
    keys_.back().values.push_back(RegFileValue{valueName_, value, 0});
    return true;
  }

  RegistryBackend* backend_ = nullptr;
  RootKey root_;
  const std::string& valueName_;
  ExportScope scope_;
  std::vector<RegFileKey> keys_;
};

// The file's bytes from `offset` to its end.
std::optional<std::string> ReadFrom(FileSystem& files, const std::string& path, uint64_t offset) {
  FilePtr file = files.OpenFile(path, "rb");
  if (!file)
    return std::nullopt;
  if (std::fseek(file.Get(), static_cast<long>(offset), SEEK_SET) != 0)
    return std::nullopt;
  return ReadToEnd(file.Get());
}

}  // namespace

std::optional<std::string> FormatKeysText(const std::vector<RegFileKey>& keys, int version) {
  const bool ansi = version == 4;
  // A REGEDIT4 line is built from the ANSI form of each part, escaped in that form.
  const auto part = [&](std::string_view utf8) -> std::optional<std::string> {
    if (!ansi)
      return std::string(utf8);
    return AnsiFromUtf8(utf8);
  };
  std::string text;
  for (const RegFileKey& key : keys) {
    const auto path = part(key.path);
    if (!path)
      return std::nullopt;
    text += kLineEnd;
    text += "[";
    text += RootName(key.root);
    if (!key.path.empty())
      text += "\\" + *path;
    text += "]";
    text += kLineEnd;
    for (const RegFileValue& value : key.values) {
      const auto name = part(value.name);
      const auto data = FormatValueData(value.value, version);
      if (!name || !data)
        return std::nullopt;
      text += value.name.empty() ? std::string("@") : "\"" + EscapeText(*name) + "\"";
      text += "=";
      text += *data;
      text += kLineEnd;
    }
  }
  if (!ansi)
    return Utf16LeBytesFromUtf8(text);
  return text;
}

std::string FileHeader(int version) {
  if (version == 4)
    return std::string(kHeader) + kLineEnd;
  return std::string("\xFF\xFE") + Utf16LeBytesFromUtf8(std::string(kHeader5) + kLineEnd);
}

namespace {

// The item's text in a file of `version` (4: ANSI bytes; 5: UTF-16LE bytes). Empty
// for version 4 when the item is not `ansi`.
std::string ItemText(const FormattedItem& item, int version) {
  if (version == 4)
    return item.ansi ? item.text : std::string();
  return FormatKeysText(item.keys, version).value_or(std::string());
}

// The version of the file as its first bytes say: 5 with the UTF-16 byte order mark,
// 4 otherwise; 0 for a file that is missing or empty.
int BackupFileVersion(FileSystem& files, const std::string& filePath) {
  FilePtr file = files.OpenFile(filePath, "rb");
  if (!file)
    return 0;
  unsigned char head[2] = {};
  const size_t got = std::fread(head, 1, 2, file.Get());
  if (got == 0)
    return 0;
  return got == 2 && head[0] == 0xFF && head[1] == 0xFE ? 5 : 4;
}

// Writes the REGEDIT4 file anew as a Version 5.00 file with the same keys and values:
// the new text goes to a file beside it, is written through to the disk, read back
// and compared with the old file's keys and values, and only then moved over it, so
// that at any moment one of the two holds every item. Raises BackupError when any
// step fails; the old file then stays as it was.
void ConvertToVersion5(FileSystem& files, const std::string& filePath) {
  const std::optional<std::string> old = ReadFrom(files, filePath, 0);
  if (!old)
    throw BackupError("Cannot read " + filePath);
  const RegReadResult read = ReadRegText(*old);
  if (!read.file)
    throw BackupError("Cannot read " + filePath + ": " + read.error);
  if (read.file->version == 5)
    return;
  const auto body = FormatKeysText(read.file->keys, 5);
  const std::string text = FileHeader(5) + body.value_or(std::string());
  const std::string next = filePath + ".new";
  {
    FilePtr file = files.OpenFile(next, "wb");
    if (!file)
      throw BackupError("Cannot open " + next);
    if (std::fwrite(text.data(), 1, text.size(), file.Get()) != text.size() ||
        !files.FlushToDisk(file.Get()) || !CloseFile(file)) {
      files.DeleteFileSilently(next);
      throw BackupError("Cannot write " + next);
    }
  }
  const std::optional<std::string> back = ReadFrom(files, next, 0);
  const RegReadResult again = back ? ReadRegText(*back) : RegReadResult{};
  std::optional<std::string> difference = std::string("it cannot be read back");
  if (again.file && again.file->version == 5)
    difference = FirstItemDifference(read.file->keys, again.file->keys);
  if (difference || !files.MoveFileReplacing(next, filePath)) {
    files.DeleteFileSilently(next);
    throw BackupError("Cannot make " + filePath + " a Unicode backup file" +
                      (difference ? ": " + *difference : std::string()));
  }
}

// One item as appended: where its text starts in the file, the text read back from
// there after it was written (if it could be), and the keys and values read from the
// registry for it, in the order the text holds them.
struct AppendedItem {
  uint64_t offset = 0;
  int version = 4;  // of the file: 4 (REGEDIT4) or 5 (Version 5.00)
  std::optional<std::string> readBack;
  std::vector<RegFileKey> keys;
};

// Reads the appended text (the text read back, or else the file from the item's
// offset) and compares it with the keys and values it was written from. Nothing when
// they agree; otherwise the first difference (or why the text could not be read).
std::optional<std::string> VerifyAppendedItem(FileSystem& files, const std::string& filePath,
                                              const AppendedItem& item) {
  // Only the appended text is read, so that a long repair does not read its growing
  // file again and again. A new file is read with its header.
  const std::optional<std::string> text =
      item.readBack ? item.readBack : ReadFrom(files, filePath, item.offset);
  if (!text)
    return "the backup file cannot be read back";
  const RegReadResult read =
      item.offset == 0 ? ReadRegText(*text) : ReadRegItems(*text, 1, item.version);
  if (!read.file) {
    return "the item appended at byte " + std::to_string(item.offset) +
           " does not read back: " + read.error;
  }
  return FirstItemDifference(item.keys, read.file->keys);
}

}  // namespace

std::optional<FormattedItem> FormatRegistryItem(RegistryBackend& backend, RootKey root,
                                                std::string keyPath, const std::string& valueName,
                                                ExportScope scope) {
  if (!keyPath.empty() && keyPath.back() == '\\')
    keyPath.pop_back();
  ItemWriter writer(backend, root, valueName, scope);
  if (!writer.WriteKeyBlock(keyPath, 0))
    return std::nullopt;
  return writer.Finish();
}

std::optional<FormattedItem> FormatValueItem(RootKey root, std::string keyPath,
                                             const std::string& valueName,
                                             const std::optional<RegValue>& value) {
  if (!keyPath.empty() && keyPath.back() == '\\')
    keyPath.pop_back();
  ItemWriter writer(root, valueName);
  if (!writer.WriteValueBlock(keyPath, value))
    return std::nullopt;
  return writer.Finish();
}

std::vector<std::optional<std::string>> AppendItemsToDisk(
    FileSystem& files, const std::string& filePath, const std::vector<const FormattedItem*>& items,
    bool verify, AppendTimes* times) {
  std::vector<std::optional<std::string>> left(items.size());
  std::vector<size_t> pending(items.size());
  for (size_t i = 0; i < items.size(); ++i)
    pending[i] = i;
  if (items.empty())
    return left;
  const bool wide = std::any_of(items.begin(), items.end(),
                                [](const FormattedItem* item) { return !item->ansi; });
  int version = BackupFileVersion(files, filePath);
  if (version == 4 && wide) {
    ConvertToVersion5(files, filePath);
    version = 5;
  }
  if (version == 0)
    version = wide ? 5 : 4;
  FilePtr file = files.OpenFile(filePath, verify ? "a+b" : "ab");
  if (!file)
    throw BackupError("Cannot open " + filePath);
  if (std::fseek(file.Get(), 0, SEEK_END) != 0)
    throw BackupError("Cannot write " + filePath);
  const long end = std::ftell(file.Get());
  if (end < 0)
    throw BackupError("Cannot write " + filePath);
  const auto offset = static_cast<uint64_t>(end);
  // Each round drops at least one item, so the rounds end.
  while (!pending.empty()) {
    std::string text = offset == 0 ? FileHeader(version) : std::string();
    std::vector<size_t> starts;
    for (const size_t i : pending) {
      starts.push_back(text.size());
      text += version == 4 ? items[i]->text : ItemText(*items[i], version);
    }
    auto mark = std::chrono::steady_clock::now();
    const auto lap = [&](double AppendTimes::*part) {
      const auto now = std::chrono::steady_clock::now();
      if (times)
        times->*part += std::chrono::duration<double>(now - mark).count();
      mark = now;
    };
    if (std::fwrite(text.data(), 1, text.size(), file.Get()) != text.size() ||
        std::fflush(file.Get()) != 0) {
      throw BackupError("Cannot write " + filePath);
    }
    lap(&AppendTimes::write);
    if (!verify)
      break;

    std::optional<std::string> back;
    if (std::fseek(file.Get(), static_cast<long>(offset), SEEK_SET) == 0)
      back = ReadToEnd(file.Get());
    // A handle that cannot read (or reads less than it wrote) sends the proof to the
    // file itself.
    if (!back || back->size() < text.size())
      back = ReadFrom(files, filePath, offset);
    std::vector<size_t> kept;
    for (size_t k = 0; k < pending.size(); ++k) {
      // Each item is read from where it was written to the next item's start; the
      // first one of a new file with the header, the last one to the file's end.
      const size_t from = k == 0 ? 0 : starts[k];
      AppendedItem item;
      item.offset = offset + from;
      item.version = version;
      item.keys = items[pending[k]]->keys;
      if (back && back->size() >= from) {
        const size_t to = k + 1 < pending.size() ? starts[k + 1] : back->size();
        item.readBack = back->substr(from, std::min(to, back->size()) - from);
      } else if (back) {
        item.readBack = std::string();
      }
      std::optional<std::string> difference =
          back ? VerifyAppendedItem(files, filePath, item)
               : std::optional<std::string>("the backup file cannot be read back");
      if (difference)
        left[pending[k]] = std::move(difference);
      else
        kept.push_back(pending[k]);
    }
    lap(&AppendTimes::proof);
    if (kept.size() == pending.size())
      break;
    // A restore of the file would write the unproven text over the items that stay.
    pending = std::move(kept);
    if (pending.empty() && offset == 0) {
      file.Reset();
      if (files.FileExists(filePath) && !files.DeleteFileSilently(filePath))
        throw BackupError("Cannot take an unverified item out of " + filePath);
      return left;
    }
    if (!files.TruncateFile(file.Get(), offset))
      throw BackupError("Cannot take an unverified item out of " + filePath);
  }
  const auto flushStart = std::chrono::steady_clock::now();
  if (!files.FlushToDisk(file.Get()) || !CloseFile(file))
    throw BackupError("Cannot write " + filePath);
  if (times) {
    times->flush +=
        std::chrono::duration<double>(std::chrono::steady_clock::now() - flushStart).count();
  }
  return left;
}

}  // namespace kelvane
