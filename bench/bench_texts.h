// The values of the benchmarks' generated registry trees. The differential test of
// the file-answer cache runs the same texts through the path check.
#pragma once

#include <cstdint>
#include <string>

#include "platform/registry.h"

namespace kelvane::bench {

// A small deterministic generator, so that every run sees the same tree.
class Mix {
 public:
  uint32_t Next() {
    state_ = state_ * 1664525u + 1013904223u;
    return state_ >> 8;
  }

 private:
  uint32_t state_ = 12345;
};

struct MixedValue {
  RegValue value;
  bool text = false;
  bool namesMissingFile = false;  // on an allowed drive
};

// One value of the value walker's mix: most values are not paths at all; some name
// files of `folder` that exist (f0.dll to f<fileCount - 1>.dll, with and without
// arguments), some name missing files, some lie on a drive that is never judged.
inline MixedValue NextMixedValue(Mix& mix, uint64_t serial, const std::string& folder,
                                 int fileCount) {
  const uint32_t r = mix.Next() % 100;
  auto text = [](const std::string& s, bool missing = false) {
    return MixedValue{RegValue{kRegSz, s + std::string(1, '\0')}, true, missing};
  };
  const std::string file = folder + "\\f" + std::to_string(serial % fileCount) + ".dll";
  if (r < 25)
    return MixedValue{RegValue{kRegDword, std::string(4, static_cast<char>(serial))}};
  if (r < 30)
    return MixedValue{RegValue{kRegBinary, std::string(16, static_cast<char>(serial))}};
  if (r < 45)
    return text("Version " + std::to_string(serial % 17) + "." + std::to_string(serial % 5));
  if (r < 55)
    return text("{8856F961-340A-11D0-A96B-00C04FD" + std::to_string(100000 + serial % 900000) +
                "}");
  if (r < 60)
    return text("http://www.example.com/product/" + std::to_string(serial));
  if (r < 65)
    return text("notepad.exe");
  if (r < 80)
    return text(file);
  if (r < 85)
    return text("\"" + file + "\" /s /v" + std::to_string(serial % 3));
  if (r < 92)
    return text(folder + "\\gone\\missing" + std::to_string(serial) + ".exe", true);
  if (r < 95)
    return text(folder + "\\missing" + std::to_string(serial) + ".exe -k", true);
  return text("Q:\\Program Files\\Absent\\x" + std::to_string(serial) + ".dll");
}

// The three texts of key `index` of the -cleanonce benchmark's tree (a word, an
// existing file of `folder`, and on every 50th key a missing file); empty when the
// key has no such value.
inline std::string CleanTreeText(int index, int which, const std::string& folder, int fileCount) {
  switch (which) {
    case 0:
      return "Component" + std::to_string(index);
    case 1:
      return folder + "\\f" + std::to_string(index % fileCount) + ".dll";
    default:
      return index % 50 == 0 ? folder + "\\gone\\missing" + std::to_string(index) + ".exe" : "";
  }
}

}  // namespace kelvane::bench
