#include "shortcut_files.h"

#ifdef _WIN32
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include <filesystem>
#endif

namespace kelvane::test {

#ifdef _WIN32

namespace {

template <typename T>
struct Released {
  T* p = nullptr;
  ~Released() {
    if (p)
      p->Release();
  }
};

}  // namespace

bool CreateShortcutFile(TestEnv&, const std::string& path, const std::string& target) {
  const HRESULT init = CoInitialize(nullptr);
  bool saved = false;
  {
    Released<IShellLinkA> link;
    Released<IPersistFile> file;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                   reinterpret_cast<void**>(&link.p))) &&
        SUCCEEDED(link.p->SetPath(target.c_str())) &&
        SUCCEEDED(link.p->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file.p)))) {
      const std::wstring wide(path.begin(), path.end());
      saved = SUCCEEDED(file.p->Save(wide.c_str(), TRUE));
    }
  }
  if (SUCCEEDED(init))
    CoUninitialize();
  return saved;
}

void HideFolder(const std::string& path) {
  SetFileAttributesA(path.c_str(),
                     FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DIRECTORY);
}

void RemoveFolderTree(const std::string& path) {
  SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  std::error_code ec;
  std::filesystem::remove_all(path, ec);
}

#else

bool CreateShortcutFile(TestEnv& env, const std::string& path, const std::string& target) {
  return env.Native().shell.CreateShortcut(path, target);
}

void HideFolder(const std::string&) {}

void RemoveFolderTree(const std::string&) {}

#endif

}  // namespace kelvane::test
