#include "platform/portable/memory_registry.h"

#include <algorithm>
#include <vector>

namespace kelvane {

struct MemoryRegistry::Node {
  std::string name;
  std::string upperName;
  std::string identity;        // root name and the names down to here, upper case
  std::shared_ptr<Node> link;  // set for a link: the key it leads to
  bool deleted = false;
  std::vector<std::shared_ptr<Node>> children;
  std::vector<std::pair<std::string, RegValue>> values;

  std::shared_ptr<Node> ChildPtr(const std::string& upper) {
    for (auto& child : children) {
      if (child->upperName == upper)
        return child;
    }
    return nullptr;
  }
  std::pair<std::string, RegValue>* FindValue(const std::string& name) {
    for (auto& entry : values) {
      if (EqualsNoCase(entry.first, name))
        return &entry;
    }
    return nullptr;
  }
};

namespace {

using Node = MemoryRegistry::Node;

std::vector<std::string> SplitPath(const std::string& path) {
  std::vector<std::string> parts;
  size_t start = 0;
  while (start <= path.size()) {
    const size_t end = path.find('\\', start);
    const std::string part = path.substr(start, end == std::string::npos ? end : end - start);
    if (!part.empty())
      parts.push_back(part);
    if (end == std::string::npos)
      break;
    start = end + 1;
  }
  return parts;
}

// A new key `name` below `parent`, the last of its subkeys.
std::shared_ptr<Node> AddChild(Node& parent, const std::string& name) {
  auto child = std::make_shared<Node>();
  child->name = name;
  child->upperName = UpperAscii(name);
  child->identity = parent.identity + "\\" + child->upperName;
  parent.children.push_back(child);
  return child;
}

class MemoryKey : public BackendKey {
 public:
  MemoryKey(std::shared_ptr<std::mutex> mutex, std::shared_ptr<Node> node)
      : mutex_(std::move(mutex)), node_(std::move(node)) {}

  std::unique_ptr<BackendKey> Open(const std::string& subPath, KeyAccess, bool create) override {
    std::lock_guard lock(*mutex_);
    if (node_->deleted)
      return nullptr;
    std::shared_ptr<Node> node = node_;
    for (const std::string& part : SplitPath(subPath)) {
      if (part.size() > 255)
        return nullptr;
      const std::string upper = UpperAscii(part);
      auto child = node->ChildPtr(upper);
      if (!child) {
        if (!create)
          return nullptr;
        child = AddChild(*node, part);
      }
      node = child->link ? child->link : child;
    }
    return std::make_unique<MemoryKey>(mutex_, node);
  }

  bool EnumKey(uint32_t index, std::string* name) override {
    std::lock_guard lock(*mutex_);
    if (node_->deleted || index >= node_->children.size())
      return false;
    *name = node_->children[index]->name;
    return true;
  }

  bool EnumValue(uint32_t index, std::string* name) override {
    std::lock_guard lock(*mutex_);
    if (node_->deleted || index >= node_->values.size())
      return false;
    *name = node_->values[index].first;
    return true;
  }

  std::optional<RegValue> Query(const std::string& name) override {
    std::lock_guard lock(*mutex_);
    if (node_->deleted)
      return std::nullopt;
    auto* entry = node_->FindValue(name);
    if (!entry)
      return std::nullopt;
    return entry->second;
  }

  bool Set(const std::string& name, const RegValue& value) override {
    std::lock_guard lock(*mutex_);
    if (node_->deleted)
      return false;
    if (auto* entry = node_->FindValue(name)) {
      entry->second = value;
    } else {
      node_->values.emplace_back(name, value);
    }
    return true;
  }

  bool DeleteLeaf(const std::string& name) override {
    std::lock_guard lock(*mutex_);
    const std::string upper = UpperAscii(name);
    auto& children = node_->children;
    auto it = std::find_if(children.begin(), children.end(),
                           [&](const auto& child) { return child->upperName == upper; });
    if (it == children.end() || !(*it)->children.empty())
      return false;
    (*it)->deleted = true;
    children.erase(it);
    return true;
  }

  bool DeleteValue(const std::string& name) override {
    std::lock_guard lock(*mutex_);
    auto& values = node_->values;
    auto it = std::find_if(values.begin(), values.end(),
                           [&](const auto& entry) { return EqualsNoCase(entry.first, name); });
    if (it == values.end())
      return false;
    values.erase(it);
    return true;
  }

  std::optional<std::string> Identity() override {
    std::lock_guard lock(*mutex_);
    return node_->identity;
  }

  std::optional<KeyInfo> Info() override {
    std::lock_guard lock(*mutex_);
    if (node_->deleted)
      return std::nullopt;
    return KeyInfo{static_cast<uint32_t>(node_->children.size()),
                   static_cast<uint32_t>(node_->values.size())};
  }

  const std::shared_ptr<Node>& NodePtr() const { return node_; }

 private:
  std::shared_ptr<std::mutex> mutex_;
  std::shared_ptr<Node> node_;
};

}  // namespace

MemoryRegistry::MemoryRegistry() : mutex_(std::make_shared<std::mutex>()) {
  for (RootKey root : {RootKey::kClassesRoot, RootKey::kCurrentUser, RootKey::kLocalMachine,
                       RootKey::kUsers, RootKey::kCurrentConfig}) {
    auto node = std::make_shared<Node>();
    node->name = RootName(root);
    node->upperName = node->name;
    node->identity = node->name;
    roots_[root] = node;
  }
}

MemoryRegistry::~MemoryRegistry() = default;

std::unique_ptr<BackendKey> MemoryRegistry::OpenRoot(RootKey root) {
  return std::make_unique<MemoryKey>(mutex_, roots_.at(root));
}

void MemoryRegistry::Link(RootKey root, const std::string& path, RootKey targetRoot,
                          const std::string& targetPath) {
  const std::string parentPath = path.substr(0, path.rfind('\\') + 1);
  const std::string name = path.substr(parentPath.size());
  auto parent = OpenRoot(root)->Open(parentPath, KeyAccess::kFull, true);
  auto target = OpenRoot(targetRoot)->Open(targetPath, KeyAccess::kFull, true);
  std::lock_guard lock(*mutex_);
  auto* parentNode = static_cast<MemoryKey&>(*parent).NodePtr().get();
  AddChild(*parentNode, name)->link = static_cast<MemoryKey&>(*target).NodePtr();
}

void MemoryRegistry::Put(RootKey root, const std::string& path, const std::string& name,
                         const RegValue& value) {
  OpenRoot(root)->Open(path, KeyAccess::kFull, true)->Set(name, value);
}

void MemoryRegistry::PutString(RootKey root, const std::string& path, const std::string& name,
                               const std::string& text) {
  Put(root, path, name, RegValue{kRegSz, text + std::string(1, '\0')});
}

}  // namespace kelvane
