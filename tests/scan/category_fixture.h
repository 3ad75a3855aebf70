// What the category tests share: one scanner run directly with a recording window,
// seeded registry entries that are removed again (under Wine they live in the real
// registry of the run's prefix, beside the prefix's own entries), and a registry
// that refuses to open chosen keys, as access rights would.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "scan/scan_task.h"
#include "test_env.h"

namespace kelvane::test {

// Records what a scanner tells its window.
class ScanTrail : public ScanEvents {
 public:
  void BeginCategory() override { steps.push_back("begin"); }
  void EndCategory() override { steps.push_back("end"); }
  void SetStatusText(const std::string& text) override { statuses.push_back(text); }
  void SetKeyText(const std::string& text) override { keys.push_back(text); }
  void RowAdded() override {}
  void CloseRequest() override { steps.push_back("close"); }
  std::vector<std::string> steps;
  std::vector<std::string> statuses;
  std::vector<std::string> keys;
};

// Refuses to open the keys whose paths (below any root, any case) are listed, and
// everything below them; or every open asking for more than read access.
class RefusingRegistry : public RegistryBackend {
 public:
  explicit RefusingRegistry(RegistryBackend& inner) : inner_(inner) {}
  void Refuse(const std::string& path) { refused_.insert(UpperAscii(path)); }
  // Refuses every open that asks for more than read access.
  void RefuseFullAccess() { readOnly_ = true; }
  std::unique_ptr<BackendKey> OpenRoot(RootKey root) override {
    auto key = inner_.OpenRoot(root);
    if (!key)
      return nullptr;
    return std::make_unique<Key>(*this, std::move(key), "");
  }

 private:
  class Key : public BackendKey {
   public:
    Key(RefusingRegistry& owner, std::unique_ptr<BackendKey> inner, std::string path)
        : owner_(owner), inner_(std::move(inner)), path_(std::move(path)) {}
    std::unique_ptr<BackendKey> Open(const std::string& subPath, KeyAccess access,
                                     bool create) override {
      if (owner_.readOnly_ && access != KeyAccess::kRead)
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
      auto key = inner_->Open(subPath, access, create);
      if (!key)
        return nullptr;
      return std::make_unique<Key>(owner_, std::move(key), full);
    }
    bool EnumKey(uint32_t index, std::string* name) override {
      return inner_->EnumKey(index, name);
    }
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
    RefusingRegistry& owner_;
    std::unique_ptr<BackendKey> inner_;
    std::string path_;
  };

  RegistryBackend& inner_;
  std::set<std::string> refused_;
  bool readOnly_ = false;
};

inline std::string NewToken() {
  static int counter = 0;
  return "kv" + std::to_string(std::rand() % 100000) + "t" + std::to_string(counter++);
}

inline IssueRow Issue(const std::string& problem, const std::string& key, const std::string& value,
                      RowKind kind) {
  return IssueRow{problem, key, value, kind, false};
}

class CategoryTest : public ::testing::Test {
 protected:
  ~CategoryTest() override {
    Registry registry(env.Registry());
    for (auto it = owned_.rbegin(); it != owned_.rend(); ++it) {
      registry.SetRoot(it->root);
      if (it->value) {
        if (registry.OpenKey("\\" + it->path, false))
          registry.DeleteValue(*it->value);
        registry.CloseKey();
      } else {
        registry.DeleteKey("\\" + it->path);
      }
    }
  }

  // A key this test makes; it goes with everything below it when the test ends.
  void OwnKey(RootKey root, const std::string& path) { owned_.push_back({root, path, {}}); }
  void MakeKey(RootKey root, const std::string& path) {
    env.Registry().OpenRoot(root)->Open(path, KeyAccess::kFull, true);
  }
  void Put(RootKey root, const std::string& path, const std::string& name, const RegValue& value) {
    PutValue(env.Registry(), root, path, name, value);
  }
  // A value set in a key that may be shared: only the value goes afterwards.
  void PutOwnValue(RootKey root, const std::string& path, const std::string& name,
                   const RegValue& value) {
    Put(root, path, name, value);
    owned_.push_back({root, path, name});
  }

  // Runs one scanner with its own context; returns the rows that name this test's
  // token or folder, in the order found.
  std::vector<IssueRow> Run(const std::function<void(ScanContext&)>& scanner,
                            RegistryBackend* registry = nullptr) {
    const Platform base = env.Get();
    const Platform platform{registry ? *registry : base.registry,
                            base.files,
                            base.shell,
                            base.system,
                            base.profile,
                            base.processes};
    std::atomic<bool> stop{false};
    ScanContext context(platform, results, trail, drives, stop);
    scanner(context);
    return Mine();
  }
  std::vector<IssueRow> Mine() const {
    std::vector<IssueRow> mine;
    for (const IssueRow& row : results.Rows()) {
      const std::string text = UpperAscii(row.key + "|" + row.value);
      if (text.find(UpperAscii(token)) != std::string::npos ||
          text.find(UpperAscii(dir)) != std::string::npos) {
        mine.push_back(row);
      }
    }
    return mine;
  }
  bool Shown(const std::string& path) const {
    return std::find(trail.keys.begin(), trail.keys.end(), FormatScanKey(path)) != trail.keys.end();
  }

  TestEnv env;
  ResultsModel results;
  ScanTrail trail;
  std::string drives = "c";
  const std::string token = NewToken();
  const std::string dir = env.TempDir();

 private:
  struct Owned {
    RootKey root;
    std::string path;
    std::optional<std::string> value;
  };
  std::vector<Owned> owned_;
};

}  // namespace kelvane::test
