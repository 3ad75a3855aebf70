#include "backup/export_writer.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <numeric>
#include <optional>
#include <string_view>
#include <vector>

#include "backup/reg_reader.h"
#include "platform/text_codec.h"

namespace kelvane {

namespace {

constexpr const char* kLineEnd = "\r\n";

bool HasLineBreak(std::string_view text) {
  return text.find_first_of("\r\n") != std::string_view::npos;
}

// Every "\" and double quote preceded by "\".
std::string EscapeText(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (const char c : text) {
    if (c == '\\' || c == '"')
      out += '\\';
    out += c;
  }
  return out;
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

// A part of a line in a file of `version`: in a REGEDIT4 file its ANSI form, escaped in
// that form (nothing when it has none); in a Version 5.00 file the UTF-8 text.
std::optional<std::string> LinePart(std::string_view utf8, int version) {
  if (version == 4)
    return AnsiFromUtf8(utf8);
  return std::string(utf8);
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
  switch (value->type) {
    case kRegSz:
      if (QuotedFormKeepsString(data)) {
        const auto quoted = LinePart(std::string_view(data).substr(0, data.find('\0')), version);
        if (!quoted)
          return std::nullopt;
        return "\"" + EscapeText(*quoted) + "\"";
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
  // The bytes the registry editor stores for text data: ANSI in a REGEDIT4 file (it
  // converts them), UTF-16 in a Version 5.00 file.
  const std::optional<std::string> bytes =
      version == 4 ? AnsiFromUtf8(data) : Utf16LeBytesFromUtf8(data);
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
    if (depth > kMaxKeyDepth)
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
    std::optional<std::string> text = FormatKeysText(keys_, 4);
    return FormattedItem{text.value_or(std::string()), std::move(keys_), text.has_value()};
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

// Compares an appended item's text (from `offset` in the file; a new file's first item
// with its header) with the keys and values it was written from: nothing when they
// agree, else the first difference or why the text does not read back.
std::optional<std::string> VerifyAppendedText(std::string_view text, uint64_t offset, int version,
                                              const std::vector<RegFileKey>& keys) {
  const RegReadResult read = offset == 0 ? ReadRegText(text) : ReadRegItems(text, 1, version);
  if (!read.file) {
    return "the item appended at byte " + std::to_string(offset) +
           " does not read back: " + read.error;
  }
  return FirstItemDifference(keys, read.file->keys);
}

// The version of the file the items go into: a REGEDIT4 file that is to take an item
// that is not `ansi` is made a Version 5.00 file first; a new file is one when any item
// is not `ansi`.
int AppendVersion(FileSystem& files, const std::string& filePath,
                  const std::vector<const FormattedItem*>& items) {
  const bool wide = std::any_of(items.begin(), items.end(),
                                [](const FormattedItem* item) { return !item->ansi; });
  const int version = BackupFileVersion(files, filePath);
  if (version == 4 && wide) {
    ConvertToVersion5(files, filePath);
    return 5;
  }
  if (version == 0)
    return wide ? 5 : 4;
  return version;
}

// One append of items to the backup file, in rounds: the items still pending are
// written and read back, and when any of them fails the proof the file is cut back to
// where the append began, until those left all read back.
class ItemAppender {
 public:
  ItemAppender(FileSystem& files, const std::string& filePath,
               const std::vector<const FormattedItem*>& items, AppendTimes* times)
      : files_(files), filePath_(filePath), items_(items), times_(times), left_(items.size()) {}

  std::vector<std::optional<std::string>> Run(bool verify) {
    std::vector<size_t> pending(items_.size());
    std::iota(pending.begin(), pending.end(), size_t{0});
    version_ = AppendVersion(files_, filePath_, items_);
    OpenAtEnd(verify);
    // Each round drops at least one item, so the rounds end.
    while (!pending.empty()) {
      std::vector<size_t> starts;
      const std::string text = RoundText(pending, starts);
      mark_ = std::chrono::steady_clock::now();
      if (std::fwrite(text.data(), 1, text.size(), file_.Get()) != text.size() ||
          std::fflush(file_.Get()) != 0) {
        throw BackupError("Cannot write " + filePath_);
      }
      Lap(&AppendTimes::write);
      if (!verify)
        break;
      std::vector<size_t> kept = ProveRound(pending, starts, text.size());
      Lap(&AppendTimes::proof);
      if (kept.size() == pending.size())
        break;
      // A restore of the file would write the unproven text over the items that stay.
      pending = std::move(kept);
      if (pending.empty() && offset_ == 0) {
        file_.Reset();
        if (files_.FileExists(filePath_) && !files_.DeleteFileSilently(filePath_))
          throw BackupError("Cannot take an unverified item out of " + filePath_);
        return std::move(left_);
      }
      if (!files_.TruncateFile(file_.Get(), offset_))
        throw BackupError("Cannot take an unverified item out of " + filePath_);
    }
    mark_ = std::chrono::steady_clock::now();
    if (!files_.FlushToDisk(file_.Get()) || !CloseFile(file_))
      throw BackupError("Cannot write " + filePath_);
    Lap(&AppendTimes::flush);
    return std::move(left_);
  }

 private:
  void OpenAtEnd(bool verify) {
    file_ = files_.OpenFile(filePath_, verify ? "a+b" : "ab");
    if (!file_)
      throw BackupError("Cannot open " + filePath_);
    if (std::fseek(file_.Get(), 0, SEEK_END) != 0)
      throw BackupError("Cannot write " + filePath_);
    const long end = std::ftell(file_.Get());
    if (end < 0)
      throw BackupError("Cannot write " + filePath_);
    offset_ = static_cast<uint64_t>(end);
  }

  // The header for a new file, then each pending item's text, its start in `starts`.
  std::string RoundText(const std::vector<size_t>& pending, std::vector<size_t>& starts) const {
    std::string text = offset_ == 0 ? FileHeader(version_) : std::string();
    for (const size_t i : pending) {
      starts.push_back(text.size());
      text += ItemText(*items_[i], version_);
    }
    return text;
  }

  // Adds the seconds since `mark_` to a part of the times.
  void Lap(double AppendTimes::*part) {
    const auto now = std::chrono::steady_clock::now();
    if (times_)
      times_->*part += std::chrono::duration<double>(now - mark_).count();
    mark_ = now;
  }

  // The pending items that read back as written; the others' differences go to `left_`.
  // Only the appended text is read, so that a long repair does not read its growing
  // file again and again.
  std::vector<size_t> ProveRound(const std::vector<size_t>& pending,
                                 const std::vector<size_t>& starts, size_t written) {
    std::optional<std::string> back;
    if (std::fseek(file_.Get(), static_cast<long>(offset_), SEEK_SET) == 0)
      back = ReadToEnd(file_.Get());
    // A handle that cannot read (or reads less than it wrote) sends the proof to the
    // file itself.
    if (!back || back->size() < written)
      back = ReadFrom(files_, filePath_, offset_);
    std::vector<size_t> kept;
    for (size_t k = 0; k < pending.size(); ++k) {
      if (!back) {
        left_[pending[k]] = "the backup file cannot be read back";
        continue;
      }
      // Each item is read from where it was written to the next item's start; the
      // first one of a new file with the header, the last one to the file's end.
      const size_t start = k == 0 ? 0 : starts[k];
      const size_t from = std::min(start, back->size());
      const size_t to =
          k + 1 < pending.size() ? std::min(starts[k + 1], back->size()) : back->size();
      std::optional<std::string> difference =
          VerifyAppendedText(std::string_view(*back).substr(from, to - from), offset_ + start,
                             version_, items_[pending[k]]->keys);
      if (difference)
        left_[pending[k]] = std::move(difference);
      else
        kept.push_back(pending[k]);
    }
    return kept;
  }

  FileSystem& files_;
  const std::string& filePath_;
  const std::vector<const FormattedItem*>& items_;
  AppendTimes* times_;
  std::vector<std::optional<std::string>> left_;  // for each item: why it was left out
  FilePtr file_;
  uint64_t offset_ = 0;  // where the append began
  int version_ = 4;      // of the file: 4 (REGEDIT4) or 5 (Version 5.00)
  std::chrono::steady_clock::time_point mark_;
};

}  // namespace

std::optional<std::string> FormatKeysText(const std::vector<RegFileKey>& keys, int version) {
  std::string text;
  for (const RegFileKey& key : keys) {
    const auto path = LinePart(key.path, version);
    if (!path)
      return std::nullopt;
    text += std::string(kLineEnd) + "[" + RootName(key.root) +
            (key.path.empty() ? "" : "\\" + *path) + "]" + kLineEnd;
    for (const RegFileValue& value : key.values) {
      const auto name = LinePart(value.name, version);
      const auto data = FormatValueData(value.value, version);
      if (!name || !data)
        return std::nullopt;
      text += (value.name.empty() ? std::string("@") : "\"" + EscapeText(*name) + "\"") + "=" +
              *data + kLineEnd;
    }
  }
  if (version != 4)
    return Utf16LeBytesFromUtf8(text);
  return text;
}

std::string FileHeader(int version) {
  if (version == 4)
    return std::string(kHeader4) + kLineEnd;
  return std::string("\xFF\xFE") + Utf16LeBytesFromUtf8(std::string(kHeader5) + kLineEnd);
}

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
  if (items.empty())
    return {};
  return ItemAppender(files, filePath, items, times).Run(verify);
}

}  // namespace kelvane
