#include <windows.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "platform/win32/ansi_text.h"
#include "platform/win32/win32_handles.h"
#include "platform/win32/win32_platform.h"

namespace kelvane {

namespace {

HKEY RootHandle(RootKey root) {
  static const HKEY kRoots[] = {HKEY_CLASSES_ROOT, HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE,
                                HKEY_USERS, HKEY_CURRENT_CONFIG};  // in the order of RootKey
  return kRoots[static_cast<size_t>(root)];
}

// Only 64-bit Windows has two views; the first 32-bit versions do not know the flag.
REGSAM ViewFlag() {
  static const REGSAM flag = Win32SystemInfo().Is64BitWindows() ? KEY_WOW64_64KEY : 0;
  return flag;
}

// Every key is opened in the 64-bit view, so that the 32-bit build sees what the
// 64-bit build sees: both views, the 32-bit one below its Wow6432Node keys. A 64-bit
// program is in that view already and names none: with a view named, Wine opens a new
// handle to HKEY_CLASSES_ROOT for every key opened below it, one more server request
// per key of a class-registration walk.
REGSAM Sam(KeyAccess access) {
  const REGSAM rights = access == KeyAccess::kRead ? KEY_READ : KEY_ALL_ACCESS;
#ifdef _WIN64
  return rights;
#else
  return rights | ViewFlag();
#endif
}

// RegDeleteKeyExW names the view to delete in; 32-bit Windows (where XP does not have
// the call) has one view, and there RegDeleteKeyW is the same thing.
LONG DeleteSubkey(HKEY key, const wchar_t* name) {
  using DeleteKeyExFn = LONG(WINAPI*)(HKEY, LPCWSTR, REGSAM, DWORD);
  static const auto deleteKeyEx = reinterpret_cast<DeleteKeyExFn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("advapi32.dll"), "RegDeleteKeyExW")));
  if (deleteKeyEx && ViewFlag())
    return deleteKeyEx(key, name, ViewFlag(), 0);
  return RegDeleteKeyW(key, name);
}

// The program's form of a value as the wide functions return it: text types in UTF-8
// (kept as stored, `exact` false, when the data is no whole UTF-16 text), other types
// with their bytes.
RegValue FromStored(DWORD type, const BYTE* data, DWORD size) {
  if (!IsTextType(type) || size % sizeof(wchar_t) != 0)
    return RegValue{type, std::string(reinterpret_cast<const char*>(data), size),
                    !IsTextType(type)};
  return RegValue{type, Utf8FromWide(std::wstring_view(reinterpret_cast<const wchar_t*>(data),
                                                       size / sizeof(wchar_t)))};
}

// The key's name as the registry keeps it (NtQueryKey, KeyNameInformation), which
// names the target when the key was reached through a link.
std::optional<std::string> KernelName(HKEY key) {
  using NtQueryKeyFn = LONG(WINAPI*)(HANDLE, int, void*, ULONG, ULONG*);
  static const auto ntQueryKey = reinterpret_cast<NtQueryKeyFn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQueryKey")));
  if (!ntQueryKey)
    return std::nullopt;
  constexpr int kKeyNameInformation = 3;
  std::vector<ULONG> buffer(1024);  // ULONG length, then the UTF-16 name
  ULONG size = 0;
  if (ntQueryKey(key, kKeyNameInformation, buffer.data(),
                 static_cast<ULONG>(buffer.size() * sizeof(ULONG)), &size) != 0) {
    return std::nullopt;
  }
  const ULONG bytes = std::min<ULONG>(buffer[0], (buffer.size() - 1) * sizeof(ULONG));
  const auto* name = reinterpret_cast<const wchar_t*>(buffer.data() + 1);
  std::string text;
  for (size_t i = 0; i < bytes / sizeof(wchar_t); ++i) {
    const wchar_t c = name[i];
    // Only compared for equality: letters upper-cased, anything else kept as a code.
    if (c >= L'a' && c <= L'z')
      text.push_back(static_cast<char>(c - L'a' + 'A'));
    else if (c < 0x80)
      text.push_back(static_cast<char>(c));
    else
      text += "&#" + std::to_string(static_cast<unsigned>(c)) + ";";
  }
  return text;
}

// One open HKEY, closed by the destructor. The predefined roots are never closed.
class Win32Key : public BackendKey {
 public:
  Win32Key(HKEY key, bool owned) : key_(key), owned_(owned ? key : nullptr) {}
  Win32Key(const Win32Key&) = delete;
  Win32Key& operator=(const Win32Key&) = delete;

  std::unique_ptr<BackendKey> Open(const std::string& subPath, KeyAccess access,
                                   bool create) override {
    if (HoldsNul(subPath))
      return nullptr;  // the wide form would end at the NUL and name another key
    const std::wstring path = WideFromUtf8(subPath);
    HKEY result = nullptr;
    LONG rc;
    if (create) {
      rc = RegCreateKeyExW(key_, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, Sam(access),
                           nullptr, &result, nullptr);
    } else {
      rc = RegOpenKeyExW(key_, path.c_str(), 0, Sam(access), &result);
    }
    if (rc != ERROR_SUCCESS)
      return nullptr;
    return std::make_unique<Win32Key>(result, true);
  }

  bool EnumKey(uint32_t index, std::string* name) override {
    wchar_t buffer[kMaxKeyName + 1];
    DWORD size = kMaxKeyName + 1;
    if (RegEnumKeyExW(key_, index, buffer, &size, nullptr, nullptr, nullptr, nullptr) !=
        ERROR_SUCCESS) {
      return false;
    }
    *name = Utf8FromWide(std::wstring_view(buffer, size));
    return true;
  }

  bool EnumValue(uint32_t index, std::string* name) override {
    // Value names may be up to 16,383 characters; the buffer is kept between calls
    // because the walk enumerates every value of the registry.
    if (valueName_.empty())
      valueName_.resize(16384);
    DWORD size = static_cast<DWORD>(valueName_.size());
    if (RegEnumValueW(key_, index, valueName_.data(), &size, nullptr, nullptr, nullptr, nullptr) !=
        ERROR_SUCCESS) {
      return false;
    }
    *name = Utf8FromWide(std::wstring_view(valueName_.data(), size));
    return true;
  }

  std::optional<RegValue> Query(const std::string& name) override {
    if (HoldsNul(name))
      return std::nullopt;
    const std::wstring wideName = WideFromUtf8(name);
    // Most values are short: one call with a buffer of this size reads them; a longer
    // one (or one that grew meanwhile) is asked for again at the size the call named.
    DWORD type = 0;
    std::string data(512, '\0');
    for (int attempt = 0; attempt < kRetries; ++attempt) {
      DWORD got = static_cast<DWORD>(data.size());
      const LONG rc = RegQueryValueExW(key_, wideName.c_str(), nullptr, &type,
                                       reinterpret_cast<BYTE*>(data.data()), &got);
      if (rc == ERROR_SUCCESS)
        return FromStored(type, reinterpret_cast<const BYTE*>(data.data()), got);
      if (rc != ERROR_MORE_DATA)
        return std::nullopt;
      data.assign(std::max<size_t>(got, data.size() * 2), '\0');
    }
    return std::nullopt;
  }

  bool Set(const std::string& name, const RegValue& value) override {
    if (HoldsNul(name))
      return false;
    listSizes_.reset();
    std::string bytes = value.data;
    if (IsTextType(value.type) && value.exact) {
      const std::wstring text = WideFromUtf8(value.data);
      bytes.assign(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
    }
    return RegSetValueExW(key_, WideFromUtf8(name).c_str(), 0, value.type,
                          reinterpret_cast<const BYTE*>(bytes.data()),
                          static_cast<DWORD>(bytes.size())) == ERROR_SUCCESS;
  }

  bool DeleteLeaf(const std::string& name) override {
    if (HoldsNul(name))
      return false;
    listSizes_.reset();
    return DeleteSubkey(key_, WideFromUtf8(name).c_str()) == ERROR_SUCCESS;
  }

  std::optional<std::string> Identity() override {
    if (!owned_)
      return std::nullopt;  // a predefined root handle
    return KernelName(key_);
  }

  bool DeleteValue(const std::string& name) override {
    if (HoldsNul(name))
      return false;
    listSizes_.reset();
    return RegDeleteValueW(key_, WideFromUtf8(name).c_str()) == ERROR_SUCCESS;
  }

  std::optional<KeyInfo> Info() override {
    const auto sizes = QuerySizes();
    if (!sizes)
      return std::nullopt;
    return KeyInfo{sizes->subkeys, sizes->values};
  }

  // A list is read to the count the key reports, with buffers sized from its longest
  // name and data, so that each name (with its data) costs one call; a buffer that
  // proves short (the key changed meanwhile) is grown and the call repeated. The
  // counts are asked once for a key's two lists (values, then subkeys, as a walk
  // reads them). Names and text come through the wide functions, in any script.
  std::vector<std::string> KeyNames() override {
    const auto sizes = ListSizes();
    if (!sizes)
      return {};
    return ListNames(RegEnumKeyExW, sizes->subkeys, sizes->maxSubkeyName);
  }

  std::vector<std::string> ValueNames() override {
    const auto sizes = ListSizes();
    if (!sizes)
      return {};
    return ListNames(RegEnumValueW, sizes->values, sizes->maxValueName);
  }

  std::vector<NamedValue> Values() override {
    std::vector<NamedValue> values;
    const auto sizes = ListSizes();
    if (!sizes)
      return values;
    values.reserve(sizes->values);
    std::wstring name(sizes->maxValueName + 1, L'\0');
    std::string data(std::max<DWORD>(sizes->maxData, 16), '\0');
    for (DWORD i = 0; i < sizes->values; ++i) {
      DWORD type = 0;
      DWORD nameSize = static_cast<DWORD>(name.size());
      DWORD dataSize = static_cast<DWORD>(data.size());
      LONG rc = RegEnumValueW(key_, i, name.data(), &nameSize, nullptr, &type,
                              reinterpret_cast<BYTE*>(data.data()), &dataSize);
      for (int attempt = 0; rc == ERROR_MORE_DATA && attempt < kRetries; ++attempt) {
        // Which of the two was short is not said: grow the name buffer and make the
        // data buffer as large as the call asked for.
        name.resize(name.size() * 2);
        data.resize(std::max<size_t>(data.size() * 2, dataSize));
        nameSize = static_cast<DWORD>(name.size());
        dataSize = static_cast<DWORD>(data.size());
        rc = RegEnumValueW(key_, i, name.data(), &nameSize, nullptr, &type,
                           reinterpret_cast<BYTE*>(data.data()), &dataSize);
      }
      if (rc != ERROR_SUCCESS)
        break;
      values.push_back(
          NamedValue{Utf8FromWide(std::wstring_view(name.data(), nameSize)),
                     FromStored(type, reinterpret_cast<const BYTE*>(data.data()), dataSize)});
    }
    return values;
  }

 private:
  static constexpr int kRetries = 8;

  struct KeySizes {
    DWORD subkeys = 0;
    DWORD maxSubkeyName = 0;
    DWORD values = 0;
    DWORD maxValueName = 0;
    DWORD maxData = 0;
  };

  static constexpr DWORD kMaxKeyName = 255;  // characters

  // The `count` names of one list, read by `enumerate` (RegEnumKeyExW or RegEnumValueW,
  // which take the same arguments up to the name's size) from a buffer of `longest`.
  template <class EnumerateFn>
  std::vector<std::string> ListNames(EnumerateFn enumerate, DWORD count, DWORD longest) {
    std::vector<std::string> names;
    names.reserve(count);
    std::wstring buffer(longest + 1, L'\0');
    for (DWORD i = 0; i < count; ++i) {
      DWORD size = static_cast<DWORD>(buffer.size());
      LONG rc = enumerate(key_, i, buffer.data(), &size, nullptr, nullptr, nullptr, nullptr);
      for (int attempt = 0; rc == ERROR_MORE_DATA && attempt < kRetries; ++attempt) {
        buffer.resize(buffer.size() * 2);
        size = static_cast<DWORD>(buffer.size());
        rc = enumerate(key_, i, buffer.data(), &size, nullptr, nullptr, nullptr, nullptr);
      }
      if (rc != ERROR_SUCCESS)
        break;
      names.push_back(Utf8FromWide(std::wstring_view(buffer.data(), size)));
    }
    return names;
  }

  // The sizes the previous list of this key asked for, else asked now and kept for
  // the next list. A change made through this key forgets them.
  std::optional<KeySizes> ListSizes() {
    if (listSizes_) {
      const KeySizes sizes = *listSizes_;
      listSizes_.reset();
      return sizes;
    }
    listSizes_ = QuerySizes();
    return listSizes_;
  }

  std::optional<KeySizes> QuerySizes() {
    KeySizes sizes;
    if (RegQueryInfoKeyW(key_, nullptr, nullptr, nullptr, &sizes.subkeys, &sizes.maxSubkeyName,
                         nullptr, &sizes.values, &sizes.maxValueName, &sizes.maxData, nullptr,
                         nullptr) != ERROR_SUCCESS) {
      return std::nullopt;
    }
    return sizes;
  }

  HKEY key_;
  UniqueKey owned_;  // key_ when it is closed here; none for a predefined root
  std::wstring valueName_;
  std::optional<KeySizes> listSizes_;
};

}  // namespace

std::unique_ptr<BackendKey> Win32Registry::OpenRoot(RootKey root) {
  return std::make_unique<Win32Key>(RootHandle(root), false);
}

}  // namespace kelvane
