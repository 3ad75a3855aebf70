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

bool SaveShortcut(const std::wstring& path, const std::wstring& target) {
  const HRESULT init = CoInitialize(nullptr);
  bool saved = false;
  {
    Released<IShellLinkW> link;
    Released<IPersistFile> file;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                   reinterpret_cast<void**>(&link.p))) &&
        SUCCEEDED(link.p->SetPath(target.c_str())) &&
        SUCCEEDED(link.p->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file.p)))) {
      saved = SUCCEEDED(file.p->Save(path.c_str(), TRUE));
    }
  }
  if (SUCCEEDED(init))
    CoUninitialize();
  return saved;
}

}  // namespace

bool CreateShortcutFile(TestEnv&, const std::string& path, const std::string& target) {
  const auto widen = [](const std::string& text) {
    std::wstring wide(static_cast<size_t>(MultiByteToWideChar(
                          CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0)),
                      L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(),
                        static_cast<int>(wide.size()));
    return wide;
  };
  return SaveShortcut(widen(path), widen(target));
}

bool CreateWideShortcut(TestEnv&, const std::string& folder, std::u16string_view name,
                        std::u16string_view target) {
  return SaveShortcut(
      std::wstring(folder.begin(), folder.end()) + L"\\" + std::wstring(name.begin(), name.end()),
      std::wstring(target.begin(), target.end()));
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

// The portable shell's form, written straight to the host name in UTF-8.
bool CreateWideShortcut(TestEnv& env, const std::string& folder, std::u16string_view name,
                        std::u16string_view target) {
  WriteWideFile(env, folder, name,
                std::string(PortableShell::kShortcutMagic) + "\n" + Listed(target) + "\n");
  return WideFileExists(env, folder, name);
}

void HideFolder(const std::string&) {}

void RemoveFolderTree(const std::string&) {}

#endif

}  // namespace kelvane::test
