#include "platform/registry.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace kelvane {

namespace {

// In the order of RootKey.
constexpr std::array<std::pair<RootKey, const char*>, 5> kRootNames{{
    {RootKey::kClassesRoot, "HKEY_CLASSES_ROOT"},
    {RootKey::kCurrentUser, "HKEY_CURRENT_USER"},
    {RootKey::kLocalMachine, "HKEY_LOCAL_MACHINE"},
    {RootKey::kUsers, "HKEY_USERS"},
    {RootKey::kCurrentConfig, "HKEY_CURRENT_CONFIG"},
}};

char UpperLetter(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

std::string TrimSeparators(const std::string& path) {
  size_t begin = 0;
  size_t end = path.size();
  while (begin < end && path[begin] == '\\')
    ++begin;
  while (end > begin && path[end - 1] == '\\')
    --end;
  return path.substr(begin, end - begin);
}

// The names `enumerate` gives for the indexes from 0 up to the first it has no name for.
std::vector<std::string> NamesByIndex(BackendKey& key,
                                      bool (BackendKey::*enumerate)(uint32_t, std::string*)) {
  std::vector<std::string> names;
  std::string name;
  for (uint32_t i = 0; (key.*enumerate)(i, &name); ++i)
    names.push_back(name);
  return names;
}

}  // namespace

std::string UpperAscii(std::string_view text) {
  std::string out(text);
  for (char& c : out)
    c = UpperLetter(c);
  return out;
}

std::string_view TrimLeft(std::string_view text, std::string_view blanks) {
  text.remove_prefix(std::min(text.find_first_not_of(blanks), text.size()));
  return text;
}

std::string_view TrimRight(std::string_view text, std::string_view blanks) {
  return text.substr(0, text.find_last_not_of(blanks) + 1);
}

std::string_view Trim(std::string_view text, std::string_view blanks) {
  return TrimRight(TrimLeft(text, blanks), blanks);
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                    [](char x, char y) { return UpperLetter(x) == UpperLetter(y); });
}

std::optional<RootKey> RootFromName(std::string_view name) {
  const std::string upper = UpperAscii(name);
  for (const auto& [root, text] : kRootNames) {
    if (upper == text)
      return root;
  }
  return std::nullopt;
}

const char* RootName(RootKey root) {
  return kRootNames[static_cast<size_t>(root)].second;
}

std::vector<std::string> BackendKey::KeyNames() {
  return NamesByIndex(*this, &BackendKey::EnumKey);
}

std::vector<std::string> BackendKey::ValueNames() {
  return NamesByIndex(*this, &BackendKey::EnumValue);
}

std::vector<NamedValue> BackendKey::Values() {
  std::vector<NamedValue> values;
  for (std::string& name : ValueNames()) {
    if (auto value = Query(name))
      values.push_back(NamedValue{std::move(name), std::move(*value)});
  }
  return values;
}

Registry::Registry(RegistryBackend& backend, KeyAccess access, const std::atomic<bool>* cancel)
    : backend_(backend), access_(access), cancel_(cancel) {}

void Registry::CheckCancel() const {
  if (cancel_ && cancel_->load(std::memory_order_relaxed))
    throw OperationCancelled();
}

void Registry::SetRoot(RootKey root) {
  CloseKey();
  if (root != root_)
    rootKey_.reset();
  root_ = root;
}

BackendKey& Registry::Current() {
  if (key_)
    return *key_;
  if (!rootKey_) {
    rootKey_ = backend_.OpenRoot(root_);
    if (!rootKey_)
      throw RegistryError(std::string("Unable to open ") + RootName(root_));
  }
  return *rootKey_;
}

std::unique_ptr<BackendKey> Registry::OpenRelative(const std::string& path, KeyAccess access,
                                                   bool create, std::string* fullPath) {
  CheckCancel();
  if (HoldsNul(path))
    return nullptr;  // the system would see another name
  const bool absolute = !path.empty() && path[0] == '\\';
  const std::string sub = TrimSeparators(path);
  std::string full;
  BackendKey* base = nullptr;
  if (absolute || !key_) {
    if (!rootKey_)
      rootKey_ = backend_.OpenRoot(root_);
    if (!rootKey_)
      return nullptr;
    base = rootKey_.get();
    full = sub;
  } else {
    base = key_.get();
    full = sub.empty() ? currentPath_ : (currentPath_.empty() ? sub : currentPath_ + "\\" + sub);
  }
  auto key = base->Open(sub, access, create);
  if (key && fullPath)
    *fullPath = full;
  return key;
}

bool Registry::OpenKey(const std::string& path, bool create) {
  std::string full;
  auto key = OpenRelative(path, access_, create, &full);
  if (!key)
    return false;
  key_ = std::move(key);
  currentPath_ = full;
  return true;
}

void Registry::CloseKey() {
  key_.reset();
  currentPath_.clear();
}

bool Registry::KeyExists(const std::string& path) {
  return OpenRelative(path, KeyAccess::kRead, false, nullptr) != nullptr;
}

bool Registry::ValueExists(const std::string& name) {
  CheckCancel();
  return !HoldsNul(name) && Current().Query(name).has_value();
}

std::vector<std::string> Registry::GetKeyNames() {
  CheckCancel();
  return Current().KeyNames();
}

std::vector<std::string> Registry::GetValueNames() {
  CheckCancel();
  return Current().ValueNames();
}

std::vector<NamedValue> Registry::GetValues() {
  CheckCancel();
  std::vector<NamedValue> values = Current().Values();
  std::erase_if(values, [](const NamedValue& entry) { return !entry.value.exact; });
  return values;
}

Registry Registry::OpenSubkey(const std::string& name) {
  CheckCancel();
  Registry child(backend_, access_, cancel_);
  child.root_ = root_;
  const std::string sub = TrimSeparators(name);
  if (sub.empty() || HoldsNul(sub))
    return child;
  auto key = Current().Open(sub, access_, false);
  if (key) {
    child.key_ = std::move(key);
    child.currentPath_ = currentPath_.empty() || !key_ ? sub : currentPath_ + "\\" + sub;
  }
  return child;
}

DataType Registry::GetDataType(const std::string& name) {
  const auto value = ReadRaw(name);
  if (!value || !value->exact)
    return DataType::kUnknown;
  switch (value->type) {
    case kRegSz:
      return DataType::kString;
    case kRegExpandSz:
      return DataType::kExpandString;
    case kRegDword:
      return DataType::kInteger;
    case kRegBinary:
      return DataType::kBinary;
    default:
      return DataType::kUnknown;
  }
}

std::string Registry::ReadString(const std::string& name) {
  const auto value = ReadRaw(name);
  if (!value)
    return {};
  if ((value->type != kRegSz && value->type != kRegExpandSz) || !value->exact) {
    throw RegistryError("Invalid data type for '" + name + "'");
  }
  const size_t nul = value->data.find('\0');
  return nul == std::string::npos ? value->data : value->data.substr(0, nul);
}

int32_t Registry::ReadInteger(const std::string& name) {
  const auto value = ReadRaw(name);
  if (!value || value->type != kRegDword || value->data.size() < 4) {
    throw RegistryError("Invalid data type for '" + name + "'");
  }
  int32_t result = 0;
  std::memcpy(&result, value->data.data(), 4);
  return result;
}

std::optional<RegValue> Registry::ReadRaw(const std::string& name) {
  CheckCancel();
  if (HoldsNul(name))
    return std::nullopt;
  return Current().Query(name);
}

void Registry::WriteString(const std::string& name, const std::string& text) {
  std::string data = text;
  data.push_back('\0');
  WriteRaw(name, RegValue{kRegSz, data});
}

void Registry::WriteRaw(const std::string& name, const RegValue& value) {
  CheckCancel();
  if (HoldsNul(name) || !Current().Set(name, value))
    throw RegistryError("Failed to set data for '" + name + "'");
}

namespace {

// Whether the key `name` below `parent` (whose identity is `parentIdentity`), or any key
// below it, is a link to a key elsewhere, as the 32-bit view links the keys both views
// share, or has a name that holds a NUL. Deleting through a link would delete the key
// it leads to, in the other view; a name holding a NUL cannot be deleted by name, and
// the deletion would stop half done.
bool HoldsLink(BackendKey& parent, const std::optional<std::string>& parentIdentity,
               const std::string& name, int depth) {
  if (depth > kMaxKeyDepth)
    return false;
  if (HoldsNul(name))
    return true;
  auto key = parent.Open(name, KeyAccess::kRead, false);
  if (!key)
    return false;
  const auto identity = key->Identity();
  // The system's own name of a key outside ASCII may come back in another spelling, so
  // such a name is not judged.
  const bool ascii = std::all_of(name.begin(), name.end(),
                                 [](char c) { return static_cast<unsigned char>(c) < 0x80; });
  if (ascii && parentIdentity && !parentIdentity->empty() && identity &&
      !EqualsNoCase(*identity, *parentIdentity + "\\" + name)) {
    return true;
  }
  const auto info = key->Info();
  std::string child;
  for (uint32_t i = 0; info && i < info->subkeyCount; ++i) {
    if (key->EnumKey(i, &child) && HoldsLink(*key, identity, child, depth + 1))
      return true;
  }
  return false;
}

}  // namespace

bool Registry::DeleteTree(BackendKey& parent, const std::string& name, int depth) {
  CheckCancel();
  if (depth > kMaxKeyDepth)
    return false;
  auto key = parent.Open(name, KeyAccess::kFull, false);
  if (!key)
    return false;
  const auto info = key->Info();
  if (info && info->subkeyCount > 0) {
    std::string child;
    for (uint32_t i = info->subkeyCount; i-- > 0;) {
      if (key->EnumKey(i, &child) && !HoldsNul(child))
        DeleteTree(*key, child, depth + 1);
    }
  }
  key.reset();
  return parent.DeleteLeaf(name);
}

bool Registry::DeleteKey(const std::string& path) {
  CheckCancel();
  const bool absolute = !path.empty() && path[0] == '\\';
  const std::string sub = TrimSeparators(path);
  if (sub.empty() || HoldsNul(sub))
    return false;  // never the open key or a whole root
  const size_t last = sub.rfind('\\');
  const std::string parentPath = last == std::string::npos ? "" : sub.substr(0, last);
  const std::string leaf = last == std::string::npos ? sub : sub.substr(last + 1);
  std::unique_ptr<BackendKey> parent =
      OpenRelative((absolute ? "\\" : "") + parentPath, KeyAccess::kFull, false, nullptr);
  if (!parent || HoldsLink(*parent, parent->Identity(), leaf, 0))
    return false;
  return DeleteTree(*parent, leaf, 0);
}

bool Registry::DeleteValue(const std::string& name) {
  CheckCancel();
  return !HoldsNul(name) && Current().DeleteValue(name);
}

std::optional<std::string> Registry::KeyIdentity() {
  CheckCancel();
  return key_ ? key_->Identity() : std::nullopt;
}

std::optional<KeyInfo> Registry::GetKeyInfo() {
  CheckCancel();
  return Current().Info();
}

}  // namespace kelvane
