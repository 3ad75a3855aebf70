// Shared by the scanner tests: environment variables on both platforms, seeded
// registry entries that are removed again (under Wine they live in the real HKLM of
// the run's prefix), and one category run through the real dispatch table.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "scan/scan_task.h"
#include "test_env.h"

namespace kelvane::test {

inline void SetVariable(TestEnv& env, const std::string& name, const std::string& value) {
#ifdef _WIN32
  (void)env;
  _putenv_s(name.c_str(), value.c_str());
#else
  env.Native().files.SetEnvironment(name, value);
#endif
}

// Records what a scan tells its window, in order.
class RecordingEvents : public ScanEvents {
 public:
  void BeginCategory() override { log.push_back("begin"); }
  void EndCategory() override { log.push_back("end"); }
  void SetStatusText(const std::string& text) override { log.push_back("status:" + text); }
  void SetKeyText(const std::string& text) override { keys.push_back(text); }
  void RowAdded() override {}
  void CloseRequest() override { log.push_back("close"); }
  std::vector<std::string> log;
  std::vector<std::string> keys;
};

inline std::string UniqueToken() {
  static int counter = 0;
  return "kt" + std::to_string(std::rand() % 100000) + "x" + std::to_string(counter++);
}

class ScannerTest : public ::testing::Test {
 protected:
  ~ScannerTest() override {
    Registry registry(env.Registry());
    for (auto it = cleanup_.rbegin(); it != cleanup_.rend(); ++it) {
      registry.SetRoot(it->root);
      if (it->value) {
        if (registry.OpenKey("\\" + it->path, false))
          registry.DeleteValue(*it->value);
      } else {
        registry.DeleteKey("\\" + it->path);
      }
    }
  }

  // A key this test creates; it is deleted with everything below it afterwards.
  void OwnKey(RootKey root, const std::string& path) { cleanup_.push_back({root, path, {}}); }
  void MakeKey(RootKey root, const std::string& path) {
    env.Registry().OpenRoot(root)->Open(path, KeyAccess::kFull, true);
  }
  // A value this test sets in a key that may be shared; only the value is removed.
  void PutOwnValue(RootKey root, const std::string& path, const std::string& name,
                   const RegValue& value) {
    PutValue(env.Registry(), root, path, name, value);
    cleanup_.push_back({root, path, name});
  }
  void Put(RootKey root, const std::string& path, const std::string& name, const RegValue& value) {
    PutValue(env.Registry(), root, path, name, value);
  }

  // Runs the categories through the dispatch table and returns the rows that
  // mention this test's token (the Wine prefix holds entries of its own).
  std::vector<IssueRow> Scan(std::vector<std::string> ids, const std::string& drives = "c") {
    ScanTask task(env.Get(), results, events, std::move(ids), drives);
    task.Execute();
    return Mine();
  }
  std::vector<IssueRow> Mine() const {
    std::vector<IssueRow> mine;
    for (const IssueRow& row : results.Rows()) {
      if (UpperAscii(row.key + "|" + row.value).find(UpperAscii(token)) != std::string::npos) {
        mine.push_back(row);
      }
    }
    return mine;
  }
  bool ShownKey(const std::string& text) const {
    for (const std::string& key : events.keys) {
      if (key == FormatScanKey(text))
        return true;
    }
    return false;
  }

  TestEnv env;
  ResultsModel results;
  RecordingEvents events;
  const std::string token = UniqueToken();
  const std::string dir = env.TempDir();

 private:
  struct Owned {
    RootKey root;
    std::string path;
    std::optional<std::string> value;
  };
  std::vector<Owned> cleanup_;
};

// A backend that keeps count of the keys open at any one time (roots not counted)
// and tells `onOpen` of every key opened.
class WatchingBackend : public RegistryBackend {
 public:
  explicit WatchingBackend(RegistryBackend& inner) : inner_(inner) {}
  std::unique_ptr<BackendKey> OpenRoot(RootKey root) override {
    auto key = inner_.OpenRoot(root);
    return key ? std::make_unique<Key>(*this, std::move(key), false) : nullptr;
  }
  std::function<void(const std::string& subPath)> onOpen;
  int open = 0;
  int maxOpen = 0;

 private:
  class Key : public BackendKey {
   public:
    Key(WatchingBackend& owner, std::unique_ptr<BackendKey> inner, bool counted)
        : owner_(owner), inner_(std::move(inner)), counted_(counted) {
      if (counted_)
        owner_.maxOpen = std::max(owner_.maxOpen, ++owner_.open);
    }
    ~Key() override {
      if (counted_)
        --owner_.open;
    }
    std::unique_ptr<BackendKey> Open(const std::string& subPath, KeyAccess access,
                                     bool create) override {
      if (owner_.onOpen)
        owner_.onOpen(subPath);
      auto key = inner_->Open(subPath, access, create);
      return key ? std::make_unique<Key>(owner_, std::move(key), true) : nullptr;
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
    WatchingBackend& owner_;
    std::unique_ptr<BackendKey> inner_;
    bool counted_;
  };
  RegistryBackend& inner_;
};

inline IssueRow Row(const std::string& problem, const std::string& key, const std::string& value,
                    RowKind kind) {
  return IssueRow{problem, key, value, kind, false};
}

}  // namespace kelvane::test
