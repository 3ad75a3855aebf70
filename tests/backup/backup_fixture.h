// Helpers of the backup and repair tests: a whole subtree of the registry as plain
// data, reading a backup file, and importing one with the registry editor under Wine.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "backup/export_writer.h"
#include "platform/platform.h"
#include "test_env.h"

namespace kelvane::test {

// Every key below a path (the path itself as ""), with its values exactly as stored.
using KeyDump = std::map<std::string, std::map<std::string, RegValue>>;

inline void DumpInto(RegistryBackend& backend, RootKey root, const std::string& base,
                     const std::string& rel, KeyDump& dump) {
  Registry registry(backend, KeyAccess::kRead);
  registry.SetRoot(root);
  if (!registry.OpenKey("\\" + base + (rel.empty() ? "" : "\\" + rel), false))
    return;
  auto& values = dump[rel];
  for (const std::string& name : registry.GetValueNames()) {
    if (auto value = registry.ReadRaw(name))
      values[name] = *value;
  }
  for (const std::string& name : registry.GetKeyNames()) {
    DumpInto(backend, root, base, rel.empty() ? name : rel + "\\" + name, dump);
  }
}

inline KeyDump Dump(RegistryBackend& backend, RootKey root, const std::string& path) {
  KeyDump dump;
  DumpInto(backend, root, path, "", dump);
  return dump;
}

inline std::string Describe(const std::optional<RegValue>& value) {
  if (!value)
    return "(none)";
  std::string out = "type " + std::to_string(value->type) + " [";
  char buffer[4];
  for (const char c : value->data) {
    std::snprintf(buffer, sizeof buffer, "%02X ", static_cast<unsigned char>(c));
    out += buffer;
  }
  return out + (value->exact ? "]" : "] bytes");
}

// Every key and value that differs between two dumps, one per line; empty when equal.
inline std::string DumpDifferences(const KeyDump& before, const KeyDump& after) {
  std::string out;
  std::map<std::string, bool> keys;
  for (const auto& [key, values] : before)
    keys[key] = true;
  for (const auto& [key, values] : after)
    keys[key] = true;
  for (const auto& [key, unused] : keys) {
    const auto b = before.find(key);
    const auto a = after.find(key);
    if (b == before.end() || a == after.end()) {
      out += "key '" + key + (b == before.end() ? "' appeared\n" : "' vanished\n");
      continue;
    }
    std::map<std::string, bool> names;
    for (const auto& [name, value] : b->second)
      names[name] = true;
    for (const auto& [name, value] : a->second)
      names[name] = true;
    for (const auto& [name, unused2] : names) {
      const auto bv = b->second.find(name);
      const auto av = a->second.find(name);
      const auto vb = bv == b->second.end() ? std::nullopt : std::optional<RegValue>(bv->second);
      const auto va = av == a->second.end() ? std::nullopt : std::optional<RegValue>(av->second);
      if (vb != va) {
        out += "'" + key + "' value '" + name + "': " + Describe(vb) + " -> " + Describe(va) + "\n";
      }
    }
  }
  return out;
}

// The lines of a file with CR LF line ends; a stray LF or CR shows up as "<LF>"/"<CR>".
inline std::vector<std::string> CrLfLines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find("\r\n", start);
    if (end == std::string::npos)
      end = text.size();
    std::string line = text.substr(start, end - start);
    for (size_t p; (p = line.find('\n')) != std::string::npos;)
      line.replace(p, 1, "<LF>");
    for (size_t p; (p = line.find('\r')) != std::string::npos;)
      line.replace(p, 1, "<CR>");
    lines.push_back(line);
    start = end + 2;
  }
  return lines;
}

inline RegValue Typed(uint32_t type, const std::string& data) {
  return RegValue{type, data};
}

// Bytes counting up from `first`.
inline std::string CountingBytes(size_t count, int first = 0) {
  std::string bytes;
  for (size_t i = 0; i < count; ++i)
    bytes.push_back(static_cast<char>(first + static_cast<int>(i)));
  return bytes;
}

// Values of every type and of the contents that need care in an export file.
inline std::vector<std::pair<std::string, RegValue>> EveryKindOfValue() {
  return {
      {"", Sz("default")},
      {"Quotes", Sz("say \"hi\" \\\\server\\share\\")},
      {"High", Sz("caf\xC3\xA9 \xC3\xBC\xC2\xA0~")},
      {"Break", Sz("line1\r\nline2\nline3")},
      {"AfterZero", Typed(kRegSz, std::string("ab\0cd\0", 6))},
      {"Empty", Sz("")},
      {"Expand", ExpandSz("%SystemRoot%\\x \xC3\xA9")},
      {"Multi", Typed(kRegMultiSz, std::string("one\0tw\xC3\xA9\0\0", 11))},
      {"Dword", Dword(26)},
      {"MinusOne", Dword(0xFFFFFFFFu)},
      {"ShortDword", Typed(kRegDword, "\x01\x02")},
      {"Qword", Typed(kRegQword, CountingBytes(8, 0xF8))},
      {"Bin0", Typed(kRegBinary, "")},
      {"Bin26", Typed(kRegBinary, CountingBytes(26, 200))},
      {"Bin27", Typed(kRegBinary, CountingBytes(27))},
      {"Bin51", Typed(kRegBinary, CountingBytes(51, 100))},
      {"None", Typed(kRegNone, std::string("\x01\x00\x02", 3))},
      {"NoneEmpty", Typed(kRegNone, "")},
      {"BigEndian", Typed(5, std::string("\x00\x00\x00\x1A", 4))},
      {"Name \"with\" \\ marks", Sz("n")},
      {"Tab\tand \xC3\xA9", Sz("t")},
      {"@", Sz("at")},
  };
}

// Appends the item below HKEY_CURRENT_USER to the backup file as a repair does: read
// whole from the registry first, then appended, proven to read back and written through
// to the disk. False, writing nothing, when the item cannot be backed up.
inline bool BackUpItem(FileSystem& files, RegistryBackend& backend, const std::string& file,
                       const std::string& keyPath, const std::string& valueName,
                       ExportScope scope) {
  const auto item = FormatRegistryItem(backend, RootKey::kCurrentUser, keyPath, valueName, scope);
  if (!item)
    return false;
  const auto left = AppendItemsToDisk(files, file, {&*item}, true);
  EXPECT_EQ(left.at(0), std::nullopt);
  return !left.at(0);
}

#ifdef _WIN32
// Runs the system registry editor's silent import on a file, waits for it and gives
// its exit code.
unsigned long ImportWithRegedit(const std::string& file);
#endif

}  // namespace kelvane::test
