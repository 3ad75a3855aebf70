#include "test_env.h"

#include "platform/text_codec.h"

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>

#ifdef _WIN32
#include <windows.h>

#include "platform/win32/ansi_text.h"
#endif

namespace kelvane::test {

namespace {

std::string UniqueName() {
  static std::atomic<int> counter{0};
  std::random_device device;
  return std::to_string(device() % 1000000) + "_" + std::to_string(counter++);
}

#ifdef _WIN32
std::wstring Wide(std::u16string_view text) {
  return std::wstring(text.begin(), text.end());
}

std::wstring Wide(const std::string& ascii) {
  return std::wstring(ascii.begin(), ascii.end());
}

// Wide, so that names the ANSI code page cannot carry go too.
void RemoveTree(const std::wstring& path) {
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW((path + L"\\*").c_str(), &data);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring name = data.cFileName;
      if (name == L"." || name == L"..")
        continue;
      const std::wstring child = path + L"\\" + name;
      SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
      if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(child);
      } else {
        DeleteFileW(child.c_str());
      }
    } while (FindNextFileW(find, &data));
    FindClose(find);
  }
  RemoveDirectoryW(path.c_str());
}

HKEY RootHandle(RootKey root) {
  switch (root) {
    case RootKey::kClassesRoot:
      return HKEY_CLASSES_ROOT;
    case RootKey::kLocalMachine:
      return HKEY_LOCAL_MACHINE;
    case RootKey::kUsers:
      return HKEY_USERS;
    case RootKey::kCurrentConfig:
      return HKEY_CURRENT_CONFIG;
    case RootKey::kCurrentUser:
      break;
  }
  return HKEY_CURRENT_USER;
}
#endif

}  // namespace

TestEnv::TestEnv() {
#ifdef _WIN32
  tempDir_ = "C:\\kelvane-tests\\t" + UniqueName();
  platform_.files.CreateFolders(tempDir_);
#else
  namespace fs = std::filesystem;
  hostRoot_ = (fs::temp_directory_path() / ("kelvane-c-" + UniqueName())).string();
  fs::create_directories(hostRoot_);
  platform_.files.MapDrive('c', hostRoot_, DriveType::kFixed);
  platform_.shell.SetExecutableFolder("C:\\Kelvane\\");
  tempDir_ = "C:\\kelvane-tests\\t" + UniqueName();
  platform_.files.CreateFolders(tempDir_);
#endif
}

TestEnv::~TestEnv() {
#ifdef _WIN32
  RemoveTree(Wide(tempDir_));
#else
  std::error_code ec;
  std::filesystem::remove_all(hostRoot_, ec);
#endif
}

bool TestEnv::IsNative() const {
#ifdef _WIN32
  return false;
#else
  return true;
#endif
}

void TestEnv::WriteFile(const std::string& path, const std::string& content) {
  const size_t slash = path.rfind('\\');
  if (slash != std::string::npos)
    platform_.files.CreateFolders(path.substr(0, slash));
  FilePtr file = platform_.files.OpenFile(path, "wb");
  if (file)
    std::fwrite(content.data(), 1, content.size(), file.Get());
}

void TestEnv::MakeFolder(const std::string& path) {
  platform_.files.CreateFolders(path);
}

ScratchKey::ScratchKey(RegistryBackend& backend)
    : backend_(backend), path_("Software\\KelvaneTests\\k" + UniqueName()) {
  backend_.OpenRoot(RootKey::kCurrentUser)->Open(path_, KeyAccess::kFull, true);
}

ScratchKey::~ScratchKey() {
  Registry registry(backend_);
  registry.SetRoot(RootKey::kCurrentUser);
  registry.DeleteKey("\\" + path_);
}

void PutValue(RegistryBackend& backend, RootKey root, const std::string& path,
              const std::string& name, const RegValue& value) {
  auto key = backend.OpenRoot(root)->Open(path, KeyAccess::kFull, true);
  if (key)
    key->Set(name, value);
}

void PutString(RegistryBackend& backend, RootKey root, const std::string& path,
               const std::string& name, const std::string& text) {
  PutValue(backend, root, path, name, Sz(text));
}

#ifdef _WIN32
std::string Listed(std::u16string_view text) {
  return Utf8FromWide(Wide(text));
}

void PutWideString(RegistryBackend&, RootKey root, const std::string& path,
                   std::u16string_view name, std::u16string_view text, uint32_t type) {
  HKEY key = nullptr;
  if (RegCreateKeyExW(RootHandle(root), Wide(path).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                      &key, nullptr) != ERROR_SUCCESS) {
    return;
  }
  const std::wstring data = Wide(text);
  RegSetValueExW(key, Wide(name).c_str(), 0, type, reinterpret_cast<const BYTE*>(data.c_str()),
                 static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(key);
}

void WriteWideFile(TestEnv&, const std::string& folder, std::u16string_view name,
                   const std::string& content) {
  const std::wstring path = Wide(folder) + L"\\" + Wide(name);
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE)
    return;
  DWORD written = 0;
  WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
  CloseHandle(file);
}

bool WideFileExists(TestEnv&, const std::string& folder, std::u16string_view name) {
  const std::wstring path = Wide(folder) + L"\\" + Wide(name);
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}
#else
std::string Listed(std::u16string_view text) {
  return Utf8FromUtf16(text);
}

void PutWideString(RegistryBackend& backend, RootKey root, const std::string& path,
                   std::u16string_view name, std::u16string_view text, uint32_t type) {
  PutValue(backend, root, path, Listed(name), RegValue{type, Listed(text) + '\0'});
}

void WriteWideFile(TestEnv& env, const std::string& folder, std::u16string_view name,
                   const std::string& content) {
  const auto host = env.Native().files.HostPath(folder);
  if (!host)
    return;
  std::ofstream((std::filesystem::path(*host) / Listed(name)).string(), std::ios::binary)
      << content;
}

bool WideFileExists(TestEnv& env, const std::string& folder, std::u16string_view name) {
  const auto host = env.Native().files.HostPath(folder);
  std::error_code ec;
  return host && std::filesystem::exists(std::filesystem::path(*host) / Listed(name), ec);
}
#endif

RegValue Sz(const std::string& text) {
  return RegValue{kRegSz, text + std::string(1, '\0')};
}
RegValue ExpandSz(const std::string& text) {
  return RegValue{kRegExpandSz, text + std::string(1, '\0')};
}
RegValue Dword(uint32_t value) {
  std::string data(4, '\0');
  for (int i = 0; i < 4; ++i)
    data[static_cast<size_t>(i)] = static_cast<char>(value >> (8 * i));
  return RegValue{kRegDword, data};
}

}  // namespace kelvane::test
