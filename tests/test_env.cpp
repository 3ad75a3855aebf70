#include "test_env.h"

#include <atomic>
#include <chrono>
#include <filesystem>
#include <random>

#ifdef _WIN32
#include <windows.h>
#endif

namespace kelvane::test {

namespace {

std::string UniqueName() {
  static std::atomic<int> counter{0};
  std::random_device device;
  return std::to_string(device() % 1000000) + "_" + std::to_string(counter++);
}

#ifdef _WIN32
void RemoveTree(const std::string& path) {
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA((path + "\\*").c_str(), &data);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      const std::string name = data.cFileName;
      if (name == "." || name == "..")
        continue;
      const std::string child = path + "\\" + name;
      SetFileAttributesA(child.c_str(), FILE_ATTRIBUTE_NORMAL);
      if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(child);
      } else {
        DeleteFileA(child.c_str());
      }
    } while (FindNextFileA(find, &data));
    FindClose(find);
  }
  RemoveDirectoryA(path.c_str());
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
  RemoveTree(tempDir_);
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
    std::fwrite(content.data(), 1, content.size(), file.get());
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
