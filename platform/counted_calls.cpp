#include "platform/counted_calls.h"

#include <chrono>

namespace kelvane {

namespace {

// Adds the time from its making to its end to a tally.
class Timed {
 public:
  explicit Timed(std::atomic<uint64_t>& total)
      : total_(total), start_(std::chrono::steady_clock::now()) {}
  // Counts one call too.
  explicit Timed(CallTally& tally) : Timed(tally.nanoseconds) {
    tally.calls.fetch_add(1, std::memory_order_relaxed);
  }
  ~Timed() {
    const auto spent = std::chrono::steady_clock::now() - start_;
    total_.fetch_add(
        static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::nanoseconds>(spent).count()),
        std::memory_order_relaxed);
  }
  Timed(const Timed&) = delete;
  Timed& operator=(const Timed&) = delete;

 private:
  std::atomic<uint64_t>& total_;
  std::chrono::steady_clock::time_point start_;
};

class CountedKey : public BackendKey {
 public:
  // `owned`: a key the program opened, which costs a call to close.
  CountedKey(std::unique_ptr<BackendKey> inner, CallTally& tally, bool owned)
      : inner_(std::move(inner)), tally_(tally), owned_(owned) {}
  ~CountedKey() override {
    if (!owned_)
      return;
    Count();
    Timed timed(tally_.nanoseconds);
    inner_.reset();
  }
  CountedKey(const CountedKey&) = delete;
  CountedKey& operator=(const CountedKey&) = delete;

  std::unique_ptr<BackendKey> Open(const std::string& subPath, KeyAccess access,
                                   bool create) override {
    Count();
    Timed timed(tally_.nanoseconds);
    std::unique_ptr<BackendKey> key = inner_->Open(subPath, access, create);
    if (!key)
      return nullptr;
    return std::make_unique<CountedKey>(std::move(key), tally_, true);
  }
  bool EnumKey(uint32_t index, std::string* name) override {
    Count();
    Timed timed(tally_.nanoseconds);
    return inner_->EnumKey(index, name);
  }
  bool EnumValue(uint32_t index, std::string* name) override {
    Count();
    Timed timed(tally_.nanoseconds);
    return inner_->EnumValue(index, name);
  }
  std::optional<RegValue> Query(const std::string& name) override {
    Count();
    Timed timed(tally_.nanoseconds);
    return inner_->Query(name);
  }
  bool Set(const std::string& name, const RegValue& value) override {
    Count();
    Timed timed(tally_.nanoseconds);
    return inner_->Set(name, value);
  }
  bool DeleteLeaf(const std::string& name) override {
    Count();
    Timed timed(tally_.nanoseconds);
    return inner_->DeleteLeaf(name);
  }
  bool DeleteValue(const std::string& name) override {
    Count();
    Timed timed(tally_.nanoseconds);
    return inner_->DeleteValue(name);
  }
  std::optional<KeyInfo> Info() override {
    Count();
    Timed timed(tally_.nanoseconds);
    return inner_->Info();
  }
  std::vector<std::string> KeyNames() override {
    Timed timed(tally_.nanoseconds);
    return Listed(inner_->KeyNames());
  }
  std::vector<std::string> ValueNames() override {
    Timed timed(tally_.nanoseconds);
    return Listed(inner_->ValueNames());
  }
  std::vector<NamedValue> Values() override {
    Timed timed(tally_.nanoseconds);
    return Listed(inner_->Values());
  }
  std::optional<std::string> Identity() override {
    Count();
    Timed timed(tally_.nanoseconds);
    return inner_->Identity();
  }

 private:
  void Count(uint64_t n = 1) { tally_.calls.fetch_add(n, std::memory_order_relaxed); }
  // A key's first list also asks for its sizes, which the next list of the same
  // key reuses.
  template <typename List>
  List Listed(List list) {
    Count(list.size() + (sized_ ? 0 : 1));
    sized_ = true;
    return list;
  }

  std::unique_ptr<BackendKey> inner_;
  CallTally& tally_;
  bool owned_;
  bool sized_ = false;
};

}  // namespace

std::unique_ptr<BackendKey> CountedRegistry::OpenRoot(RootKey root) {
  std::unique_ptr<BackendKey> key = inner_.OpenRoot(root);
  if (!key)
    return nullptr;
  return std::make_unique<CountedKey>(std::move(key), tally_, false);
}

bool CountedFiles::FileExists(const std::string& path) {
  Timed timed(tally_);
  return inner_.FileExists(path);
}

bool CountedFiles::FolderExists(const std::string& path) {
  Timed timed(tally_);
  return inner_.FolderExists(path);
}

PathState CountedFiles::Probe(const std::string& path) {
  Timed timed(tally_);
  return inner_.Probe(path);
}

std::vector<FileEntry> CountedFiles::ListFolder(const std::string& folder) {
  Timed timed(tally_);
  return inner_.ListFolder(folder);
}

std::optional<std::string> CountedFiles::ExpandEnvironment(const std::string& text) {
  Timed timed(tally_);
  return inner_.ExpandEnvironment(text);
}

}  // namespace kelvane
