// The registry export file reader on any bytes, REGEDIT4 and Version 5.00 (UTF-16) alike:
// it must never crash, and whatever it accepts must come out of the backup writer's
// formats (both of them, where the ANSI one can carry it) and back in as it went out.
// With KELVANE_FUZZ_SEEDS set to a folder, it first writes the writer's own output for
// every kind of value into that folder, in both formats, as the corpus to start from.
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "backup/export_writer.h"
#include "backup/reg_reader.h"
#include "platform/portable/portable_platform.h"

namespace {

using namespace kelvane;

RegValue Value(uint32_t type, std::string data) {
  return RegValue{type, std::move(data)};
}

// Appends the item to the file as a repair backs it up.
void BackUp(PortablePlatform& platform, const std::string& file, const std::string& keyPath,
            const std::string& valueName, ExportScope scope) {
  const auto item =
      FormatRegistryItem(platform.registry, RootKey::kCurrentUser, keyPath, valueName, scope);
  if (item)
    AppendItemsToDisk(platform.files, file, {&*item}, true);
}

void WriteSeeds(const std::string& folder) {
  const std::string host = folder + "/host";
  std::filesystem::create_directories(host);
  PortablePlatform platform;
  platform.files.MapDrive('c', host);
  const std::pair<std::string, RegValue> values[] = {
      {"", Value(kRegSz, std::string("C:\\a \"b\"\0", 10))},
      {"Count", Value(kRegDword, std::string("\x1A\0\0\0", 4))},
      {"Bin", Value(kRegBinary, std::string(60, '\xAB'))},
      {"Expand", Value(kRegExpandSz, std::string("%TEMP%\0", 7))},
      {"Multi", Value(kRegMultiSz, std::string("a\0b\0\0", 5))},
      {"Break", Value(kRegSz, std::string("x\r\ny\0", 5))},
      {"Q\\\"uote", Value(kRegQword, std::string(8, '\x01'))},
      {"Empty", Value(kRegBinary, "")},
  };
  // Names and text the ANSI code page cannot carry: a Version 5.00 file.
  const std::pair<std::string, RegValue> wide[] = {
      {"\xCE\xA9mega", Value(kRegSz, std::string("\xD0\x96 \xF0\x9F\x98\x80\0", 8))},
      {"\xE6\x95\xB0", Value(kRegExpandSz, std::string("%\xCE\xA9%\0", 5))},
      {"m", Value(kRegMultiSz, std::string("\xE5\xB7\xA5\0\0", 5))},
  };
  Registry registry(platform.registry);
  registry.SetRoot(RootKey::kCurrentUser);
  registry.OpenKey("\\Software\\Demo\\Sub]x", true);
  for (const auto& [name, value] : values)
    registry.WriteRaw(name, value);
  registry.CloseKey();
  BackUp(platform, "C:\\whole.reg", "Software\\Demo", "", ExportScope::kWholeKey);
  registry.OpenKey("\\Software\\Wide\\\xD0\x96", true);
  for (const auto& [name, value] : wide)
    registry.WriteRaw(name, value);
  registry.CloseKey();
  BackUp(platform, "C:\\wide.reg", "Software\\Wide", "", ExportScope::kWholeKey);
  for (const auto& [name, value] : values) {
    BackUp(platform, "C:\\single.reg", "Software\\Demo\\Sub]x", name, ExportScope::kSingleValue);
  }
  for (const char* name : {"whole.reg", "single.reg", "wide.reg"})
    std::filesystem::rename(host + "/" + name, folder + "/seed-" + name);
  std::filesystem::remove_all(host);
}

bool Writable(std::string_view text) {
  return text.find_first_of("\r\n") == std::string_view::npos;
}

// The accepted file written again in the writer's format of `version`; nothing when
// that format cannot carry it.
std::optional<std::string> Rewrite(const RegFile& file, int version) {
  const auto body = FormatKeysText(file.keys, version);
  if (!body)
    return std::nullopt;
  return FileHeader(version) + *body;
}

bool HoldsBytesAsText(const RegFile& file) {
  for (const RegFileKey& key : file.keys) {
    for (const RegFileValue& value : key.values) {
      if (value.value && !value.value->exact)
        return true;
    }
  }
  return false;
}

bool AllWritable(const RegFile& file) {
  for (const RegFileKey& key : file.keys) {
    if (!Writable(key.path))
      return false;
    for (const RegFileValue& value : key.values) {
      if (!Writable(value.name))
        return false;
    }
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  if (const char* seeds = std::getenv("KELVANE_FUZZ_SEEDS"))
    WriteSeeds(seeds);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const RegReadResult first = ReadRegText(text);
  if (first.file.has_value() == !first.error.empty())
    std::abort();  // exactly one of a file and an error
  ReadRegItems(text, 1, 4);
  ReadRegItems(text, 1, 5);
  if (!first.file || !AllWritable(*first.file))
    return 0;
  for (const int version : {4, 5}) {
    const auto rewritten = Rewrite(*first.file, version);
    if (!rewritten) {
      if (version == 5 && !HoldsBytesAsText(*first.file))
        std::abort();  // only text data that is no whole UTF-16 text has no form
      continue;
    }
    const RegReadResult second = ReadRegText(*rewritten);
    if (!second.file || second.file->version != version ||
        second.file->keys.size() != first.file->keys.size())
      std::abort();
    for (size_t k = 0; k < first.file->keys.size(); ++k) {
      const RegFileKey& a = first.file->keys[k];
      const RegFileKey& b = second.file->keys[k];
      if (a.root != b.root || a.path != b.path || a.values.size() != b.values.size())
        std::abort();
      for (size_t v = 0; v < a.values.size(); ++v) {
        // A string without its terminating zero is written in the quoted form, which
        // comes back with one; nothing else may change.
        if (a.values[v].name != b.values[v].name || !a.values[v].value || !b.values[v].value ||
            !SameAfterImport(*a.values[v].value, *b.values[v].value)) {
          std::abort();
        }
      }
    }
  }
  return 0;
}
