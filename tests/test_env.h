// One test environment for both runs of the core tests: natively the portable
// platform with drive C: mapped to a temporary folder; under Wine the real registry,
// files and profile functions of the scratch prefix, with a temporary folder on C:.
#pragma once

#include <atomic>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/platform.h"
#include "results/results_model.h"
#ifdef _WIN32
#include "platform/win32/win32_platform.h"
#else
#include "platform/portable/portable_platform.h"
#endif

namespace kelvane::test {

// A row as a test writes it, by its cells; its target is read from the "Registry key"
// cell the way the cells are made (the last backslash of a value row's cell starts
// the value's name), so such a row never names a value holding a backslash.
inline IssueRow RowFromCells(std::string problem, std::string key, std::string value,
                             std::string reason, RowKind kind, bool ticked) {
  IssueRow row{std::move(problem), key, std::move(value), std::move(reason), kind, ticked, {}, 0};
  if (kind == RowKind::kShortcutFile) {
    row.target = FileTarget(key);
    return row;
  }
  const size_t first = key.find('\\');
  const auto root = RootFromName(key.substr(0, first));
  if (first == std::string::npos || !root)
    return row;
  const std::string rest = key.substr(first + 1);
  const size_t last = rest.rfind('\\');
  switch (kind) {
    case RowKind::kValueInPath:
      row.target = last == std::string::npos
                       ? ValueTarget(*root, "", rest)
                       : ValueTarget(*root, rest.substr(0, last), rest.substr(last + 1));
      break;
    case RowKind::kValueNamed:
      row.target = ValueTarget(*root, rest, row.value);
      break;
    case RowKind::kSubkeyNamed:
      row.target = SubkeyTarget(*root, rest, row.value);
      break;
    case RowKind::kDefaultValue:
      row.target = ValueTarget(*root, rest, "");
      break;
    default:
      row.target = KeyTarget(*root, rest);
      break;
  }
  return row;
}

class TestEnv {
 public:
  TestEnv();
  ~TestEnv();
  TestEnv(const TestEnv&) = delete;
  TestEnv& operator=(const TestEnv&) = delete;

  Platform Get() { return platform_.Get(); }
  RegistryBackend& Registry() { return platform_.registry; }
  FileSystem& Files() { return platform_.files; }
  // A fresh folder on C: for this test, as a Windows path without trailing "\",
  // removed with everything in it when the test ends.
  const std::string& TempDir() const { return tempDir_; }
  // Creates the file (and its folders) with the given content; the path is a Windows path.
  void WriteFile(const std::string& path, const std::string& content = "x");
  void MakeFolder(const std::string& path);
  bool IsNative() const;
#ifdef _WIN32
  Win32Platform& Native() {
    return platform_;
  }
#else
  PortablePlatform& Native() {
    return platform_;
  }
#endif

 private:
#ifdef _WIN32
  Win32Platform platform_;
#else
  PortablePlatform platform_;
  std::string hostRoot_;
#endif
  std::string tempDir_;
};

// A scratch key below HKEY_CURRENT_USER\Software\KelvaneTests, deleted by the destructor.
class ScratchKey {
 public:
  explicit ScratchKey(RegistryBackend& backend);
  ~ScratchKey();
  ScratchKey(const ScratchKey&) = delete;
  ScratchKey& operator=(const ScratchKey&) = delete;
  const std::string& Path() const { return path_; }  // below HKEY_CURRENT_USER
  std::string FullPath() const { return "HKEY_CURRENT_USER\\" + path_; }

 private:
  RegistryBackend& backend_;
  std::string path_;
};

// Sets a value through the backend, creating the key.
void PutValue(RegistryBackend& backend, RootKey root, const std::string& path,
              const std::string& name, const RegValue& value);
void PutString(RegistryBackend& backend, RootKey root, const std::string& path,
               const std::string& name, const std::string& text);
RegValue Sz(const std::string& text);
RegValue ExpandSz(const std::string& text);
RegValue Dword(uint32_t value);

// Names and texts the ANSI code page cannot carry (Greek, Chinese, an emoji), seeded as
// the system holds them: under Wine through the wide functions, natively in the
// program's own form (UTF-8 names and text, a host file name in UTF-8).
// What a listing gives for the text: its UTF-8 form.
std::string Listed(std::u16string_view text);
// A string value (or another text type) whose name or text may be such a one.
void PutWideString(RegistryBackend& backend, RootKey root, const std::string& path,
                   std::u16string_view name, std::u16string_view text, uint32_t type = kRegSz);
// A file of that name in the folder, and whether it is there.
void WriteWideFile(TestEnv& env, const std::string& folder, std::u16string_view name,
                   const std::string& content);
bool WideFileExists(TestEnv& env, const std::string& folder, std::u16string_view name);

// The whole content of a file; "<missing>" when it cannot be opened or read.
inline std::string ReadWholeFile(FileSystem& files, const std::string& path) {
  return kelvane::ReadFileText(files, path).value_or("<missing>");
}

// A key that passes every call on to the key it wraps.
class ForwardingKey : public BackendKey {
 public:
  explicit ForwardingKey(std::unique_ptr<BackendKey> inner) : inner_(std::move(inner)) {}
  std::unique_ptr<BackendKey> Open(const std::string& subPath, KeyAccess access,
                                   bool create) override {
    return inner_->Open(subPath, access, create);
  }
  bool EnumKey(uint32_t index, std::string* name) override { return inner_->EnumKey(index, name); }
  bool EnumValue(uint32_t index, std::string* name) override {
    return inner_->EnumValue(index, name);
  }
  std::optional<RegValue> Query(const std::string& name) override { return inner_->Query(name); }
  bool Set(const std::string& name, const RegValue& value) override {
    return inner_->Set(name, value);
  }
  bool DeleteLeaf(const std::string& name) override { return inner_->DeleteLeaf(name); }
  bool DeleteValue(const std::string& name) override { return inner_->DeleteValue(name); }
  std::optional<KeyInfo> Info() override { return inner_->Info(); }

 private:
  std::unique_ptr<BackendKey> inner_;
};

}  // namespace kelvane::test
