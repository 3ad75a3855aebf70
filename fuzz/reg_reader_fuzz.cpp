// The registry export file reader on any bytes: it must never crash, and whatever it
// accepts must come out of the backup writer's formats and back in as it went out. With
// KELVANE_FUZZ_SEEDS set to a folder, it first writes the writer's own output for
// every kind of value into that folder, as the corpus to start from.
#include <cstdint>
#include <cstdlib>
#include <filesystem>
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
  Registry registry(platform.registry);
  registry.SetRoot(RootKey::kCurrentUser);
  registry.OpenKey("\\Software\\Demo\\Sub]x", true);
  for (const auto& [name, value] : values)
    registry.WriteRaw(name, value);
  registry.CloseKey();
  ExportRegistryItem(platform.files, platform.registry, "C:\\whole.reg", RootKey::kCurrentUser,
                     "Software\\Demo", "", ExportScope::kWholeKey);
  for (const auto& [name, value] : values) {
    ExportRegistryItem(platform.files, platform.registry, "C:\\single.reg", RootKey::kCurrentUser,
                       "Software\\Demo\\Sub]x", name, ExportScope::kSingleValue);
  }
  for (const char* name : {"whole.reg", "single.reg"})
    std::filesystem::rename(host + "/" + name, folder + "/seed-" + name);
  std::filesystem::remove_all(host);
}

bool Writable(std::string_view text) {
  return text.find_first_of("\r\n") == std::string_view::npos;
}

// The accepted file written again in the writer's formats.
std::string Rewrite(const RegFile& file) {
  std::string text = "REGEDIT4\r\n";
  for (const RegFileKey& key : file.keys) {
    text += "\r\n[" + KeyText(key) + "]\r\n";
    for (const RegFileValue& value : key.values) {
      text += value.name.empty() ? std::string("@")
                                 : "\"" + EscapeQuotes(EscapeBackslashes(value.name)) + "\"";
      text += "=" + FormatValueData(value.value) + "\r\n";
    }
  }
  return text;
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
  ReadRegItems(text, 1);
  if (!first.file || !AllWritable(*first.file))
    return 0;
  const RegReadResult second = ReadRegText(Rewrite(*first.file));
  if (!second.file || second.file->keys.size() != first.file->keys.size())
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
  return 0;
}
