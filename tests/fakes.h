// The stand-ins the tests share for parts of the platform: a clock and Windows version
// that answer what the test set, a registry that refuses what the test names, and
// files whose appends can be lost and whose text read back can be damaged.
#pragma once

#include <cstdio>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>

#include "platform/platform.h"
#include "test_env.h"

namespace kelvane::test {

// The Windows version, the local time and the bitness of Windows the test set.
class FixedSystem : public SystemInfo {
 public:
  FixedSystem() = default;
  FixedSystem(std::optional<VersionRecord> version, LocalTime now) : version(version), now(now) {}
  std::optional<VersionRecord> version = VersionRecord{2, 5, 0};
  LocalTime now{2007, 3, 15, 9, 30, 5};
  bool is64Bit = false;
  std::optional<VersionRecord> Version() override { return version; }
  LocalTime Now() override { return now; }
  bool Is64BitWindows() override { return is64Bit; }
};

// Refuses to open the keys whose paths (below any root, any case) are listed, and
// everything below them; or every open asking for more than read access; and to delete
// the keys and values named in `refusedDeletes`, as the registry does for entries the
// user has no rights to. Everything else passes through.
class RefusingRegistry : public RegistryBackend {
 public:
  explicit RefusingRegistry(RegistryBackend& inner) : inner_(inner) {}
  void Refuse(const std::string& path) { refused_.insert(UpperAscii(path)); }
  // Refuses every open that asks for more than read access, or would create a key.
  void RefuseFullAccess() { readOnly_ = true; }
  std::set<std::string> refusedDeletes;
  std::unique_ptr<BackendKey> OpenRoot(RootKey root) override {
    auto key = inner_.OpenRoot(root);
    return key ? std::make_unique<Key>(*this, std::move(key), "") : nullptr;
  }

 private:
  class Key : public ForwardingKey {
   public:
    Key(RefusingRegistry& owner, std::unique_ptr<BackendKey> inner, std::string path)
        : ForwardingKey(std::move(inner)), owner_(owner), path_(std::move(path)) {}
    std::unique_ptr<BackendKey> Open(const std::string& subPath, KeyAccess access,
                                     bool create) override {
      if (owner_.readOnly_ && (access != KeyAccess::kRead || create))
        return nullptr;
      std::string full = path_;
      std::string part;
      for (size_t i = 0; i <= subPath.size(); ++i) {
        if (i == subPath.size() || subPath[i] == '\\') {
          if (!part.empty()) {
            full = full.empty() ? part : full + "\\" + part;
            if (owner_.refused_.contains(UpperAscii(full)))
              return nullptr;
          }
          part.clear();
        } else {
          part.push_back(subPath[i]);
        }
      }
      auto key = ForwardingKey::Open(subPath, access, create);
      return key ? std::make_unique<Key>(owner_, std::move(key), full) : nullptr;
    }
    bool DeleteLeaf(const std::string& name) override {
      return !owner_.refusedDeletes.contains(name) && ForwardingKey::DeleteLeaf(name);
    }
    bool DeleteValue(const std::string& name) override {
      return !owner_.refusedDeletes.contains(name) && ForwardingKey::DeleteValue(name);
    }

   private:
    RefusingRegistry& owner_;
    std::string path_;
  };

  RegistryBackend& inner_;
  std::set<std::string> refused_;
  bool readOnly_ = false;
};

// Passes everything through, except that appends can be lost and what is read back
// can be damaged.
class UnreliableFiles : public ForwardingFileSystem {
 public:
  UnreliableFiles(FileSystem& inner, std::string lostPath)
      : ForwardingFileSystem(inner), lostPath_(std::move(lostPath)) {}
  bool loseAppends = false;
  std::function<std::string(std::string)> damage;

  FilePtr OpenFile(const std::string& path, const char* mode) override {
    std::string m = mode;
    // The repair reads an item back through its append handle; a handle that cannot
    // read sends it to the file once more, where the faults below lie in wait.
    if (m == "a+b" && (loseAppends || damage))
      m = "ab";
    if (m == "ab" && loseAppends) {
      // The writer sees the file as it is, but what it adds never reaches it.
      const std::string text = ReadWholeFile(inner_, path);
      FilePtr copy = inner_.OpenFile(lostPath_, "wb");
      if (text != "<missing>")
        std::fwrite(text.data(), 1, text.size(), copy.Get());
      return copy;
    }
    if (m != "rb" || !damage)
      return inner_.OpenFile(path, m.c_str());
    const std::string text = ReadWholeFile(inner_, path);
    if (text == "<missing>")
      return nullptr;
    const std::string damaged = damage(text);
    FilePtr copy(std::tmpfile());
    std::fwrite(damaged.data(), 1, damaged.size(), copy.Get());
    std::rewind(copy.Get());
    return copy;
  }

 private:
  std::string lostPath_;
};

}  // namespace kelvane::test
