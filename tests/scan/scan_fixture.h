// Shared by the scanner tests: environment variables on both platforms, seeded
// registry entries that are removed again (under Wine they live in the real registry
// of the run's prefix, beside the prefix's own entries), categories run through the
// real dispatch table or one scanner run directly, and registries that watch or
// refuse the opens a scanner makes.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "scan/scan_task.h"
#include "fakes.h"
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

// Records what a scan tells its window: `log` in order, status and key texts apart.
class RecordingEvents : public ScanEvents {
 public:
  void BeginCategory() override { log.push_back("begin"); }
  void EndCategory() override { log.push_back("end"); }
  void SetStatusText(const std::string& text) override {
    log.push_back("status:" + text);
    statuses.push_back(text);
  }
  void SetKeyText(const std::string& text) override { keys.push_back(text); }
  void RowAdded() override {}
  void CloseRequest() override { log.push_back("close"); }
  std::vector<std::string> log;
  std::vector<std::string> statuses;
  std::vector<std::string> keys;
};

inline std::string UniqueToken() {
  static int counter = 0;
  return "kt" + std::to_string(std::rand() % 100000) + "x" + std::to_string(counter++);
}

inline IssueRow Row(const std::string& problem, const std::string& key, const std::string& value,
                    RowKind kind) {
  return IssueRow{problem, key, value, "", kind, false, {}, 0};
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
        registry.CloseKey();
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

  // Runs the categories of the table and returns this test's rows.
  std::vector<IssueRow> Scan(const std::vector<int>& ids, const std::string& drives = "c") {
    std::vector<Category> categories;
    for (int id : ids)
      categories.push_back(*FindCategory(id));
    ScanTask task(env.Get(), results, events, std::move(categories), drives);
    task.Execute();
    return Mine();
  }
  // Runs one scanner with its own context, over `registry` when given, and returns
  // this test's rows.
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
    ScanContext context(platform, results, events, drives, stop);
    scanner(context);
    context.FlushRows();
    return Mine();
  }
  // The rows that name this test's token or folder, in the order found (the Wine
  // prefix holds entries of its own).
  std::vector<IssueRow> MineWithReasons() const {
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
  // The same rows, each of which must give a reason, with the reason left out: these
  // tests judge which rows a scanner reports, reasons_test.cpp the reasons' wording.
  std::vector<IssueRow> Mine() const {
    std::vector<IssueRow> mine = MineWithReasons();
    for (IssueRow& row : mine) {
      EXPECT_FALSE(row.reason.empty()) << row.key << " | " << row.value;
      row.reason.clear();
    }
    return mine;
  }
  bool ShownKey(const std::string& path) const {
    return std::find(events.keys.begin(), events.keys.end(), FormatScanKey(path)) !=
           events.keys.end();
  }

  TestEnv env;
  ResultsModel results;
  RecordingEvents events;
  std::string drives = "c";
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

// Keeps count of the keys open at any one time (roots not counted) and tells
// `onOpen` of every key opened.
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
  class Key : public ForwardingKey {
   public:
    Key(WatchingBackend& owner, std::unique_ptr<BackendKey> inner, bool counted)
        : ForwardingKey(std::move(inner)), owner_(owner), counted_(counted) {
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
      auto key = ForwardingKey::Open(subPath, access, create);
      return key ? std::make_unique<Key>(owner_, std::move(key), true) : nullptr;
    }

   private:
    WatchingBackend& owner_;
    bool counted_;
  };
  RegistryBackend& inner_;
};

}  // namespace kelvane::test
