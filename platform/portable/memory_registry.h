// An in-memory registry: a tree of keys with typed values in insertion order and
// names matched without regard to case. Used by the native build and its tests.
#pragma once

#include <map>
#include <memory>
#include <mutex>

#include "platform/registry.h"

namespace kelvane {

class MemoryRegistry : public RegistryBackend {
 public:
  struct Node;
  MemoryRegistry();
  ~MemoryRegistry() override;
  std::unique_ptr<BackendKey> OpenRoot(RootKey root) override;

  // Convenience for tests and benchmarks: creates the key and sets a value.
  void Put(RootKey root, const std::string& path, const std::string& name, const RegValue& value);
  void PutString(RootKey root, const std::string& path, const std::string& name,
                 const std::string& text);
  // Makes `path` a link to the key `targetPath` (created when missing), as Windows
  // links keys that the 64-bit and 32-bit views share.
  void Link(RootKey root, const std::string& path, RootKey targetRoot,
            const std::string& targetPath);

 private:
  std::shared_ptr<std::mutex> mutex_;
  std::map<RootKey, std::shared_ptr<Node>> roots_;
};

}  // namespace kelvane
