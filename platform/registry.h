// Registry access. A backend (the real registry or an in-memory tree) offers keys
// and typed values; the registry handle `Registry` is what the rest of the program
// uses: one selected root, at most one open key, paths in the program's text form.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace kelvane {

enum class RootKey { kClassesRoot, kCurrentUser, kLocalMachine, kUsers, kCurrentConfig };

// "HKEY_LOCAL_MACHINE" and the four other full names, in any letter case.
// Abbreviations such as "HKLM" resolve to nothing.
std::optional<RootKey> RootFromName(std::string_view name);
const char* RootName(RootKey root);

// Value type numbers as the registry stores them.
inline constexpr uint32_t kRegNone = 0;
inline constexpr uint32_t kRegSz = 1;
inline constexpr uint32_t kRegExpandSz = 2;
inline constexpr uint32_t kRegBinary = 3;
inline constexpr uint32_t kRegDword = 4;
inline constexpr uint32_t kRegMultiSz = 7;
inline constexpr uint32_t kRegQword = 11;

// A value exactly as stored: its type number and its bytes, text (types 1, 2 and 7)
// in UTF-8 as the program carries all text. `exact` is false for text whose stored
// bytes are no whole UTF-16 text (an odd count): its data is then those bytes, which
// no reader may take for text and no backup file gives back.
struct RegValue {
  uint32_t type = kRegNone;
  std::string data;
  bool exact = true;
  bool operator==(const RegValue&) const = default;
};

// Whether a value's text is one of the types the system stores as UTF-16.
inline bool IsTextType(uint32_t type) {
  return type == 1 || type == 2 || type == 7;
}

// Whether a path or name holds a NUL anywhere. No registry or file name holds one, and
// the system's calls would see only the text before it, another name: nothing is
// opened, read, written or deleted through such a text.
inline bool HoldsNul(std::string_view text) {
  return text.find('\0') != std::string_view::npos;
}

struct KeyInfo {
  uint32_t subkeyCount = 0;
  uint32_t valueCount = 0;
};

// One value of a key as enumerated: its name with its type and data.
struct NamedValue {
  std::string name;
  RegValue value;
};

enum class KeyAccess { kRead, kFull };

// Registry keys nest at most 512 levels; no walk goes deeper, so a broken or looping
// backend, or a tree that changes under a walk, cannot exhaust the stack.
inline constexpr int kMaxKeyDepth = 512;

// Thrown by a registry handle whose cancellation flag was raised (the scan's Stop).
class OperationCancelled : public std::exception {
 public:
  const char* what() const noexcept override { return "operation cancelled"; }
};

// Read and write errors that the registry handle passes to its caller.
class RegistryError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// One open key of a backend. Names are matched without regard to case;
// enumeration follows the backend's order (insertion order for the in-memory tree).
class BackendKey {
 public:
  virtual ~BackendKey() = default;
  // Opens a key below this one ("a\b"); an empty path opens this key again.
  virtual std::unique_ptr<BackendKey> Open(const std::string& subPath, KeyAccess access,
                                           bool create) = 0;
  virtual bool EnumKey(uint32_t index, std::string* name) = 0;
  virtual bool EnumValue(uint32_t index, std::string* name) = 0;
  virtual std::optional<RegValue> Query(const std::string& name) = 0;
  virtual bool Set(const std::string& name, const RegValue& value) = 0;
  // Deletes a direct subkey that has no subkeys of its own.
  virtual bool DeleteLeaf(const std::string& name) = 0;
  virtual bool DeleteValue(const std::string& name) = 0;
  virtual std::optional<KeyInfo> Info() = 0;

  // Whole lists in enumeration order. A backend that can list more cheaply than
  // index by index (the real registry: one call per name, data included) overrides them.
  virtual std::vector<std::string> KeyNames();
  virtual std::vector<std::string> ValueNames();
  virtual std::vector<NamedValue> Values();
  // The key's full name as the registry itself knows it, after any link that led to
  // it ("\REGISTRY\MACHINE\SOFTWARE\..."); two paths with the same identity are one
  // key. Nothing when the backend cannot tell.
  virtual std::optional<std::string> Identity() { return std::nullopt; }
};

class RegistryBackend {
 public:
  virtual ~RegistryBackend() = default;
  virtual std::unique_ptr<BackendKey> OpenRoot(RootKey root) = 0;
};

// What GetDataType reports.
// Text data that is no whole UTF-16 text is kUnknown: no scanner judges it.
enum class DataType { kUnknown, kString, kExpandString, kInteger, kBinary };

// The registry handle: one per operation (recursive walks hold one per level).
// A path with a leading "\" is taken from the root; without it, from the open key.
class Registry {
 public:
  explicit Registry(RegistryBackend& backend, KeyAccess access = KeyAccess::kFull,
                    const std::atomic<bool>* cancel = nullptr);

  void SetRoot(RootKey root);  // closes the open key

  bool OpenKey(const std::string& path, bool create);
  void CloseKey();
  bool HasOpenKey() const { return key_ != nullptr; }
  // Path of the open key below the root, without a leading "\".
  const std::string& CurrentPath() const { return currentPath_; }

  bool KeyExists(const std::string& path);
  bool ValueExists(const std::string& name);
  // Every name, in enumeration order, whatever its script.
  std::vector<std::string> GetKeyNames();
  std::vector<std::string> GetValueNames();
  // The values of the open key with their type and data, in enumeration order, but
  // for text data that is no whole UTF-16 text (`exact` false).
  std::vector<NamedValue> GetValues();
  // A handle of its own on the subkey `name` of the open key (or of the root), opened
  // with one call relative to it; check HasOpenKey on the result.
  Registry OpenSubkey(const std::string& name);
  // Identity (see BackendKey) of the open key.
  std::optional<std::string> KeyIdentity();
  DataType GetDataType(const std::string& name);
  // String or expandable data, unexpanded, cut at the first NUL; empty when missing.
  // Any other type, and text that is no whole UTF-16 text, raise RegistryError.
  std::string ReadString(const std::string& name);
  int32_t ReadInteger(const std::string& name);
  // The value exactly as stored, for the backup writer.
  std::optional<RegValue> ReadRaw(const std::string& name);
  void WriteString(const std::string& name, const std::string& text);
  void WriteRaw(const std::string& name, const RegValue& value);
  // Deletes the key with everything below it, depth first, highest index first.
  bool DeleteKey(const std::string& path);
  bool DeleteValue(const std::string& name);
  std::optional<KeyInfo> GetKeyInfo();

 private:
  void CheckCancel() const;
  BackendKey& Current();  // the open key, or the root itself
  std::unique_ptr<BackendKey> OpenRelative(const std::string& path, KeyAccess access, bool create,
                                           std::string* fullPath);
  bool DeleteTree(BackendKey& parent, const std::string& name, int depth);

  RegistryBackend& backend_;
  KeyAccess access_;
  const std::atomic<bool>* cancel_;
  RootKey root_ = RootKey::kCurrentUser;
  std::unique_ptr<BackendKey> rootKey_;
  std::unique_ptr<BackendKey> key_;
  std::string currentPath_;
};

// Upper-cases ASCII letters only, as registry name comparisons do.
std::string UpperAscii(std::string_view text);
bool EqualsNoCase(std::string_view a, std::string_view b);

// `text` without the characters of `blanks` at its start, its end, or both.
std::string_view TrimLeft(std::string_view text, std::string_view blanks);
std::string_view TrimRight(std::string_view text, std::string_view blanks);
std::string_view Trim(std::string_view text, std::string_view blanks);

}  // namespace kelvane
