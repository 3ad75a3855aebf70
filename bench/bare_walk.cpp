// The floor for a registry walk: the least a program must ask of the registry to see
// every value of a tree. One RegOpenKeyExA per key (relative to its parent),
// RegEnumValueA returning name, type and data in one call, RegEnumKeyExA for the
// subkeys. No layer of the program's own is used.
//
//   bare_walk ROOT [PATH]   ROOT: HKCU, HKLM, HKU or HKCR
//
// Prints the keys and values seen and the time taken.
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct Counts {
  unsigned long long keys = 0;
  unsigned long long values = 0;
  unsigned long long textBytes = 0;
  unsigned long long calls = 0;  // registry calls, the closes included
};

void Walk(HKEY key, Counts& counts) {
  ++counts.keys;
  std::vector<char> name(16384);
  std::vector<BYTE> data(64 * 1024);
  for (DWORD i = 0;; ++i) {
    DWORD nameSize = static_cast<DWORD>(name.size());
    DWORD dataSize = static_cast<DWORD>(data.size());
    DWORD type = 0;
    LONG rc = RegEnumValueA(key, i, name.data(), &nameSize, nullptr, &type, data.data(), &dataSize);
    ++counts.calls;
    if (rc == ERROR_MORE_DATA) {
      ++counts.calls;
      data.resize(dataSize);
      nameSize = static_cast<DWORD>(name.size());
      rc = RegEnumValueA(key, i, name.data(), &nameSize, nullptr, &type, data.data(), &dataSize);
    }
    if (rc != ERROR_SUCCESS)
      break;
    ++counts.values;
    if (type == REG_SZ || type == REG_EXPAND_SZ)
      counts.textBytes += dataSize;
  }
  char subkey[1024];
  for (DWORD i = 0;; ++i) {
    DWORD size = sizeof subkey;
    ++counts.calls;
    if (RegEnumKeyExA(key, i, subkey, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
      break;
    HKEY child = nullptr;
    counts.calls += 2;  // the open and the close
    if (RegOpenKeyExA(key, subkey, 0, KEY_READ, &child) == ERROR_SUCCESS) {
      Walk(child, counts);
      RegCloseKey(child);
    }
  }
}

HKEY RootOf(const char* name) {
  if (!std::strcmp(name, "HKLM"))
    return HKEY_LOCAL_MACHINE;
  if (!std::strcmp(name, "HKU"))
    return HKEY_USERS;
  if (!std::strcmp(name, "HKCR"))
    return HKEY_CLASSES_ROOT;
  return HKEY_CURRENT_USER;
}

}  // namespace

int main(int argc, char** argv) {
  const HKEY root = RootOf(argc > 1 ? argv[1] : "HKCU");
  const char* path = argc > 2 ? argv[2] : "";
  const auto start = std::chrono::steady_clock::now();
  HKEY key = nullptr;
  if (RegOpenKeyExA(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS) {
    std::printf("cannot open %s\n", path);
    return 1;
  }
  Counts counts;
  Walk(key, counts);
  RegCloseKey(key);
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("bare walk: %llu keys, %llu values in %.2f s, %llu registry calls (%.2f per key)\n",
              counts.keys, counts.values, seconds, counts.calls,
              static_cast<double>(counts.calls) / static_cast<double>(counts.keys));
  return 0;
}
