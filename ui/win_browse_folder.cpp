#include "ui/win_browse_folder.h"

#include <shlobj.h>

#include <vector>

#include "platform/win32/win32_handles.h"
#include "ui/win_text.h"

namespace kelvane {

namespace {

// Moves the dialog to the middle of the screen once it is up; keeps its size,
// place in the z-order and activation.
int CALLBACK BrowseCallback(HWND dialog, UINT message, LPARAM, LPARAM) {
  if (message == BFFM_INITIALIZED) {
    RECT client{};
    int x = 0;
    int y = 0;
    if (GetClientRect(dialog, &client)) {
      x = (GetSystemMetrics(SM_CXSCREEN) - client.right) / 2;
      y = (GetSystemMetrics(SM_CYSCREEN) - client.bottom) / 2;
    }
    SetWindowPos(dialog, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  return 0;
}

// Every other enabled window of this thread is disabled while the picker is open
// and enabled again when it closes, whatever happens in between.
class DisabledWindows {
 public:
  DisabledWindows() {
    EnumThreadWindows(GetCurrentThreadId(), &Disable, reinterpret_cast<LPARAM>(this));
  }
  ~DisabledWindows() {
    for (HWND window : windows_)
      EnableWindow(window, TRUE);
  }
  DisabledWindows(const DisabledWindows&) = delete;
  DisabledWindows& operator=(const DisabledWindows&) = delete;

 private:
  static BOOL CALLBACK Disable(HWND window, LPARAM self) {
    if (IsWindowVisible(window) && IsWindowEnabled(window)) {
      EnableWindow(window, FALSE);
      reinterpret_cast<DisabledWindows*>(self)->windows_.push_back(window);
    }
    return TRUE;
  }
  std::vector<HWND> windows_;
};

// No "insert a disk" boxes while the picker probes drives.
class QuietErrorMode {
 public:
  QuietErrorMode() : previous_(SetErrorMode(SEM_FAILCRITICALERRORS)) {}
  ~QuietErrorMode() { SetErrorMode(previous_); }
  QuietErrorMode(const QuietErrorMode&) = delete;
  QuietErrorMode& operator=(const QuietErrorMode&) = delete;

 private:
  UINT previous_;
};

// The item of a folder named by its display name, or null.
LPITEMIDLIST ParseFolder(HWND owner, const std::wstring& name) {
  ComPtr<IShellFolder> desktop;
  if (FAILED(SHGetDesktopFolder(desktop.Put())) || !desktop)
    return nullptr;
  std::wstring text = name;  // the parser wants a writable string
  LPITEMIDLIST item = nullptr;
  ULONG eaten = 0;
  const HRESULT parsed =
      desktop->ParseDisplayName(owner, nullptr, text.data(), &eaten, &item, nullptr);
  return SUCCEEDED(parsed) ? item : nullptr;
}

}  // namespace

bool BrowseForFolder(HWND owner, const std::string& caption, const std::wstring& root,
                     std::string& directory) {
  const DWORD attributes = GetFileAttributesW(Wide(directory).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY))
    directory.clear();

  // The shell's items come from the COM task allocator and go back to it.
  const UniqueCoTaskMemory<LPITEMIDLIST> rootItem(root.empty() ? nullptr
                                                               : ParseFolder(owner, root));
  const std::wstring title = Wide(caption);
  wchar_t name[MAX_PATH] = {};
  // The wide picker: a folder in any script comes back as it is, never as a
  // look-alike path.
  BROWSEINFOW info{};
  info.hwndOwner = owner;
  info.pidlRoot = rootItem.Get();
  info.pszDisplayName = name;
  info.lpszTitle = title.c_str();
  info.ulFlags = BIF_RETURNONLYFSDIRS;
  info.lpfn = &BrowseCallback;
  UniqueCoTaskMemory<LPITEMIDLIST> picked;
  {
    DisabledWindows disabled;
    QuietErrorMode quiet;
    picked.Reset(SHBrowseForFolderW(&info));
  }
  wchar_t path[MAX_PATH] = {};
  if (!picked || !SHGetPathFromIDListW(picked.Get(), path))
    return false;
  directory = Utf8(path);
  return true;
}

}  // namespace kelvane
