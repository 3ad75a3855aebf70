#include <windows.h>

#include "platform/win32/win32_platform.h"

namespace kelvane {

namespace {

HKEY RootHandle(RootKey root) {
  switch (root) {
    case RootKey::kClassesRoot:
      return HKEY_CLASSES_ROOT;
    case RootKey::kCurrentUser:
      return HKEY_CURRENT_USER;
    case RootKey::kLocalMachine:
      return HKEY_LOCAL_MACHINE;
    case RootKey::kUsers:
      return HKEY_USERS;
    case RootKey::kCurrentConfig:
      return HKEY_CURRENT_CONFIG;
  }
  return HKEY_CURRENT_USER;
}

REGSAM Sam(KeyAccess access) {
  return access == KeyAccess::kRead ? KEY_READ : KEY_ALL_ACCESS;
}

// One open HKEY, closed by the destructor. The predefined roots are never closed.
class Win32Key : public BackendKey {
 public:
  Win32Key(HKEY key, bool owned) : key_(key), owned_(owned) {}
  ~Win32Key() override {
    if (owned_)
      RegCloseKey(key_);
  }
  Win32Key(const Win32Key&) = delete;
  Win32Key& operator=(const Win32Key&) = delete;

  std::unique_ptr<BackendKey> Open(const std::string& subPath, KeyAccess access,
                                   bool create) override {
    HKEY result = nullptr;
    LONG rc;
    if (create) {
      rc = RegCreateKeyExA(key_, subPath.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, Sam(access),
                           nullptr, &result, nullptr);
    } else {
      rc = RegOpenKeyExA(key_, subPath.c_str(), 0, Sam(access), &result);
    }
    if (rc != ERROR_SUCCESS)
      return nullptr;
    return std::make_unique<Win32Key>(result, true);
  }

  bool EnumKey(uint32_t index, std::string* name) override {
    // Key names hold up to 255 characters, which a multi-byte code page may need up to
    // three bytes each for: a short buffer would end the listing early.
    char buffer[1024];
    DWORD size = sizeof buffer;
    if (RegEnumKeyExA(key_, index, buffer, &size, nullptr, nullptr, nullptr, nullptr) !=
        ERROR_SUCCESS) {
      return false;
    }
    name->assign(buffer, size);
    return true;
  }

  bool EnumValue(uint32_t index, std::string* name) override {
    // Value names may be up to 16,383 characters; the buffer is kept between calls
    // because the walk enumerates every value of the registry.
    if (valueName_.empty())
      valueName_.resize(16384);
    DWORD size = static_cast<DWORD>(valueName_.size());
    if (RegEnumValueA(key_, index, valueName_.data(), &size, nullptr, nullptr, nullptr, nullptr) !=
        ERROR_SUCCESS) {
      return false;
    }
    name->assign(valueName_.data(), size);
    return true;
  }

  std::optional<RegValue> Query(const std::string& name) override {
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExA(key_, name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS) {
      return std::nullopt;
    }
    // The value may grow between the two calls: ask again until it fits.
    for (int attempt = 0; attempt < 4; ++attempt) {
      std::string data(size, '\0');
      DWORD got = size;
      const LONG rc = RegQueryValueExA(key_, name.c_str(), nullptr, &type,
                                       reinterpret_cast<BYTE*>(data.data()), &got);
      if (rc == ERROR_SUCCESS) {
        data.resize(got);
        return RegValue{type, data};
      }
      if (rc != ERROR_MORE_DATA)
        return std::nullopt;
      size = got;
    }
    return std::nullopt;
  }

  bool Set(const std::string& name, const RegValue& value) override {
    return RegSetValueExA(key_, name.c_str(), 0, value.type,
                          reinterpret_cast<const BYTE*>(value.data.data()),
                          static_cast<DWORD>(value.data.size())) == ERROR_SUCCESS;
  }

  bool DeleteLeaf(const std::string& name) override {
    return RegDeleteKeyA(key_, name.c_str()) == ERROR_SUCCESS;
  }

  bool DeleteValue(const std::string& name) override {
    return RegDeleteValueA(key_, name.c_str()) == ERROR_SUCCESS;
  }

  std::optional<KeyInfo> Info() override {
    DWORD subkeys = 0, values = 0;
    if (RegQueryInfoKeyA(key_, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values,
                         nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
      return std::nullopt;
    }
    return KeyInfo{subkeys, values};
  }

 private:
  HKEY key_;
  bool owned_;
  std::string valueName_;
};

}  // namespace

std::unique_ptr<BackendKey> Win32Registry::OpenRoot(RootKey root) {
  return std::make_unique<Win32Key>(RootHandle(root), false);
}

}  // namespace kelvane
