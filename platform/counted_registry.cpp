#include "platform/counted_registry.h"

namespace kelvane {

namespace {

class CountedKey : public BackendKey {
 public:
  // `owned`: a key the program opened, which costs a call to close.
  CountedKey(std::unique_ptr<BackendKey> inner, std::atomic<uint64_t>& calls, bool owned)
      : inner_(std::move(inner)), calls_(calls), owned_(owned) {}
  ~CountedKey() override {
    if (owned_)
      Count();
  }
  CountedKey(const CountedKey&) = delete;
  CountedKey& operator=(const CountedKey&) = delete;

  std::unique_ptr<BackendKey> Open(const std::string& subPath, KeyAccess access,
                                   bool create) override {
    Count();
    std::unique_ptr<BackendKey> key = inner_->Open(subPath, access, create);
    if (!key)
      return nullptr;
    return std::make_unique<CountedKey>(std::move(key), calls_, true);
  }
  bool EnumKey(uint32_t index, std::string* name) override {
    Count();
    return inner_->EnumKey(index, name);
  }
  bool EnumValue(uint32_t index, std::string* name) override {
    Count();
    return inner_->EnumValue(index, name);
  }
  std::optional<RegValue> Query(const std::string& name) override {
    Count();
    return inner_->Query(name);
  }
  bool Set(const std::string& name, const RegValue& value) override {
    Count();
    return inner_->Set(name, value);
  }
  bool DeleteLeaf(const std::string& name) override {
    Count();
    return inner_->DeleteLeaf(name);
  }
  bool DeleteValue(const std::string& name) override {
    Count();
    return inner_->DeleteValue(name);
  }
  std::optional<KeyInfo> Info() override {
    Count();
    return inner_->Info();
  }
  std::vector<std::string> KeyNames() override { return Listed(inner_->KeyNames()); }
  std::vector<std::string> ValueNames() override { return Listed(inner_->ValueNames()); }
  std::vector<NamedValue> Values() override { return Listed(inner_->Values()); }
  std::optional<std::string> Identity() override {
    Count();
    return inner_->Identity();
  }

 private:
  void Count(uint64_t n = 1) { calls_.fetch_add(n, std::memory_order_relaxed); }
  // A key's first list also asks for its sizes, which the next list of the same
  // key reuses.
  template <typename List>
  List Listed(List list) {
    Count(list.size() + (sized_ ? 0 : 1));
    sized_ = true;
    return list;
  }

  std::unique_ptr<BackendKey> inner_;
  std::atomic<uint64_t>& calls_;
  bool owned_;
  bool sized_ = false;
};

}  // namespace

std::unique_ptr<BackendKey> CountedRegistry::OpenRoot(RootKey root) {
  std::unique_ptr<BackendKey> key = inner_.OpenRoot(root);
  if (!key)
    return nullptr;
  return std::make_unique<CountedKey>(std::move(key), calls_, false);
}

}  // namespace kelvane
