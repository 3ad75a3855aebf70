#include "e2e/e2e_support.h"

#include <commctrl.h>
#include <objbase.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <gtest/gtest.h>

#include "scan/categories.h"

namespace kelvane::e2e {

Process::Process(const std::string& commandLine) {
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  std::string line = commandLine;
  if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, kFolder, &startup,
                      &info_)) {
    info_ = PROCESS_INFORMATION{};
  }
}

Process::~Process() {
  if (!info_.hProcess)
    return;
  if (WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT) {
    TerminateProcess(info_.hProcess, 99);
    WaitForSingleObject(info_.hProcess, 5000);
  }
  CloseHandle(info_.hThread);
  CloseHandle(info_.hProcess);
}

bool Process::WaitExit(DWORD milliseconds, DWORD* exitCode) {
  if (!info_.hProcess || WaitForSingleObject(info_.hProcess, milliseconds) != WAIT_OBJECT_0) {
    return false;
  }
  if (exitCode)
    GetExitCodeProcess(info_.hProcess, exitCode);
  return true;
}

bool WaitUntil(const std::function<bool()>& condition, DWORD milliseconds) {
  const ULONGLONG end = GetTickCount64() + milliseconds;
  while (!condition()) {
    if (GetTickCount64() > end)
      return false;
    Sleep(50);
  }
  return true;
}

namespace {
struct FindArgs {
  const char* className;
  DWORD pid;
  std::vector<HWND> found;
};
BOOL CALLBACK CollectWindow(HWND window, LPARAM param) {
  auto* args = reinterpret_cast<FindArgs*>(param);
  char name[256] = {};
  GetClassNameA(window, name, sizeof name);
  if (std::string(name) != args->className)
    return TRUE;
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  if (args->pid == 0 || pid == args->pid)
    args->found.push_back(window);
  return TRUE;
}
}  // namespace

std::vector<HWND> TopWindows(const char* className, DWORD pid) {
  FindArgs args{className, pid, {}};
  EnumWindows(&CollectWindow, reinterpret_cast<LPARAM>(&args));
  return args.found;
}

HWND WaitForWindow(const char* className, DWORD milliseconds, DWORD pid) {
  HWND found = nullptr;
  WaitUntil(
      [&] {
        const auto windows = TopWindows(className, pid);
        found = windows.empty() ? nullptr : windows.front();
        return found != nullptr;
      },
      milliseconds);
  return found;
}

std::string WindowText(HWND window) {
  char text[1024] = {};
  DWORD_PTR got = 0;
  SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text),
                      SMTO_ABORTIFHUNG, 5000, &got);
  return text;
}

namespace {

// Sends `msg` to a window of another process with lParam pointing at a buffer of
// `size` bytes in that process; returns the buffer's bytes afterwards.
std::string SendWithRemoteBuffer(HWND window, UINT msg, WPARAM wParam, size_t size) {
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  HANDLE process =
      OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
  if (!process)
    return std::string();
  std::string bytes(size, '\0');
  void* remote = VirtualAllocEx(process, nullptr, size, MEM_COMMIT, PAGE_READWRITE);
  if (remote) {
    DWORD_PTR got = 0;
    SendMessageTimeoutA(window, msg, wParam, reinterpret_cast<LPARAM>(remote), SMTO_ABORTIFHUNG,
                        5000, &got);
    SIZE_T read = 0;
    ReadProcessMemory(process, remote, bytes.data(), size, &read);
    VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  }
  CloseHandle(process);
  return bytes;
}

}  // namespace

std::string StatusPartText(HWND statusBar, int part) {
  const std::string bytes = SendWithRemoteBuffer(statusBar, SB_GETTEXTA, part, 1024);
  return bytes.substr(0, bytes.find('\0'));
}

int StatusPartRight(HWND statusBar, int part) {
  constexpr int kParts = 8;
  const std::string bytes =
      SendWithRemoteBuffer(statusBar, SB_GETPARTS, kParts, kParts * sizeof(int));
  int edges[kParts] = {};
  std::memcpy(edges, bytes.data(), std::min(bytes.size(), sizeof edges));
  return part >= 0 && part < kParts ? edges[part] : 0;
}

namespace {

std::string Narrow(const wchar_t* text, UINT codePage) {
  const int n = WideCharToMultiByte(codePage, 0, text, -1, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(n > 0 ? n : 1), '\0');
  if (n > 0)
    WideCharToMultiByte(codePage, 0, text, -1, out.data(), n, nullptr, nullptr);
  out.resize(out.size() - 1);
  return out;
}

std::string Utf8(const wchar_t* text) {
  return Narrow(text, CP_UTF8);
}

// The cells of every row, read wide and given in the code page.
std::vector<ListRow> ReadListRows(HWND listView, UINT codePage) {
  std::vector<ListRow> rows;
  DWORD pid = 0;
  GetWindowThreadProcessId(listView, &pid);
  HANDLE process =
      OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
  if (!process)
    return rows;
  constexpr size_t kText = 1024;
  auto* remote = static_cast<char*>(VirtualAllocEx(
      process, nullptr, sizeof(LVITEMW) + kText * sizeof(wchar_t), MEM_COMMIT, PAGE_READWRITE));
  if (remote) {
    const int count = static_cast<int>(SendMessageW(listView, LVM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
      ListRow row;
      for (int column = 0; column < 3; ++column) {
        LVITEMW item{};
        item.iSubItem = column;
        item.pszText = reinterpret_cast<wchar_t*>(remote + sizeof(LVITEMW));
        item.cchTextMax = kText;
        SIZE_T done = 0;
        WriteProcessMemory(process, remote, &item, sizeof item, &done);
        DWORD_PTR got = 0;
        SendMessageTimeoutW(listView, LVM_GETITEMTEXTW, i, reinterpret_cast<LPARAM>(remote),
                            SMTO_ABORTIFHUNG, 5000, &got);
        wchar_t buffer[kText] = {};
        ReadProcessMemory(process, remote + sizeof(LVITEMW), buffer, (kText - 1) * sizeof(wchar_t),
                          &done);
        (column == 0 ? row.problem : column == 1 ? row.key : row.value) = Narrow(buffer, codePage);
      }
      rows.push_back(row);
    }
    VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  }
  CloseHandle(process);
  return rows;
}

}  // namespace

std::string WindowTextUtf8(HWND window) {
  wchar_t text[1024] = {};
  DWORD_PTR got = 0;
  SendMessageTimeoutW(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG,
                      5000, &got);
  return Utf8(text);
}

std::vector<ListRow> ListRows(HWND listView) {
  return ReadListRows(listView, CP_ACP);
}

std::vector<ListRow> ListRowsUtf8(HWND listView) {
  return ReadListRows(listView, CP_UTF8);
}

int RunAndWait(const std::string& commandLine, DWORD milliseconds) {
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  std::string line = commandLine;
  if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &info)) {
    return -1;
  }
  int result = -1;
  if (WaitForSingleObject(info.hProcess, milliseconds) == WAIT_OBJECT_0) {
    DWORD code = 0;
    GetExitCodeProcess(info.hProcess, &code);
    result = static_cast<int>(code);
  } else {
    TerminateProcess(info.hProcess, 1);
  }
  CloseHandle(info.hThread);
  CloseHandle(info.hProcess);
  return result;
}

std::string ReadTextFile(const std::string& path) {
  std::string content;
  FILE* file = std::fopen(path.c_str(), "rb");
  if (!file)
    return content;
  char buffer[4096];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0)
    content.append(buffer, n);
  std::fclose(file);
  return content;
}

bool FileExists(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::vector<std::string> ListFiles(const std::string& pattern) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA(pattern.c_str(), &data);
  if (find == INVALID_HANDLE_VALUE)
    return names;
  do {
    if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
      names.push_back(data.cFileName);
  } while (FindNextFileA(find, &data));
  FindClose(find);
  return names;
}

bool ImportReg(const std::string& text) {
  const std::string path = std::string(kFolder) + "seed.reg";
  FILE* file = std::fopen(path.c_str(), "wb");
  if (!file)
    return false;
  std::fwrite(text.data(), 1, text.size(), file);
  std::fclose(file);
  char windows[MAX_PATH] = {};
  GetWindowsDirectoryA(windows, MAX_PATH);
  return RunAndWait(std::string(windows) + "\\regedit.exe /s \"" + path + "\"", 60000) == 0;
}

HWND WaitForDialog(const std::string& caption, DWORD pid, DWORD milliseconds) {
  HWND found = nullptr;
  WaitUntil(
      [&] {
        for (HWND window : TopWindows("#32770", pid)) {
          if (IsWindowVisible(window) && WindowText(window) == caption)
            found = window;
        }
        return found != nullptr;
      },
      milliseconds);
  return found;
}

std::string ControlTexts(HWND window) {
  std::string texts;
  for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    texts += WindowText(child) + "\n";
  }
  return texts;
}

void Press(HWND button) {
  PostMessageA(button, BM_CLICK, 0, 0);
}

bool ClickTab(HWND tabs, int index) {
  const std::string bytes = SendWithRemoteBuffer(tabs, TCM_GETITEMRECT, index, sizeof(RECT));
  RECT rect{};
  std::memcpy(&rect, bytes.data(), std::min(bytes.size(), sizeof rect));
  if (rect.right <= rect.left)
    return false;
  const LPARAM at = MAKELPARAM((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
  PostMessageA(tabs, WM_LBUTTONDOWN, MK_LBUTTON, at);
  PostMessageA(tabs, WM_LBUTTONUP, 0, at);
  return WaitUntil([&] { return SendMessageA(tabs, TCM_GETCURSEL, 0, 0) == index; }, 5000);
}

HWND FocusOf(HWND window) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info))
    return nullptr;
  return info.hwndFocus;
}

std::string ExportKey(const std::string& key) {
  const std::string path = std::string(kFolder) + "export.reg";
  DeleteFileA(path.c_str());
  char windows[MAX_PATH] = {};
  GetWindowsDirectoryA(windows, MAX_PATH);
  if (RunAndWait(std::string(windows) + "\\regedit.exe /e \"" + path + "\" \"" + key + "\"",
                 60000) != 0) {
    return std::string();
  }
  return ReadTextFile(path);
}

HWND StartMain(Process& process) {
  EXPECT_TRUE(process.Started());
  HWND main = WaitForWindow(kMainClass, 30000, process.Id());
  EXPECT_NE(main, nullptr);
  // The class exists from the start of its creation; its controls once it is shown.
  EXPECT_TRUE(WaitUntil([&] { return main && IsWindowVisible(main) != FALSE; }, 30000));
  return main;
}

void CloseMain(HWND main, Process& process) {
  PostMessageA(main, WM_CLOSE, 0, 0);
  DWORD code = 99;
  ASSERT_TRUE(process.WaitExit(30000, &code));
  EXPECT_EQ(code, 0u);
}

bool ValueExists(HKEY root, const char* path, const char* name) {
  HKEY key;
  if (RegOpenKeyExA(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS)
    return false;
  const bool found = RegQueryValueExA(key, name, nullptr, nullptr, nullptr, nullptr) == 0;
  RegCloseKey(key);
  return found;
}

namespace {

// The last visible dialog of the process (only a message box, by its text control
// 0xFFFF, when `messageBox`), waited for.
HWND WaitForVisibleDialog(DWORD pid, DWORD milliseconds, bool messageBox) {
  HWND box = nullptr;
  WaitUntil(
      [&] {
        for (HWND window : TopWindows("#32770", pid)) {
          if (IsWindowVisible(window) && (!messageBox || GetDlgItem(window, 0xFFFF)))
            box = window;
        }
        return box != nullptr;
      },
      milliseconds);
  return box;
}

}  // namespace

HWND VisibleDialog(DWORD pid, DWORD milliseconds) {
  return WaitForVisibleDialog(pid, milliseconds, false);
}

bool KeyExists(HKEY root, const std::string& path) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
    return false;
  RegCloseKey(key);
  return true;
}

bool MakeFile(const std::string& utf8Path) {
  const int n = MultiByteToWideChar(CP_UTF8, 0, utf8Path.data(), static_cast<int>(utf8Path.size()),
                                    nullptr, 0);
  std::wstring path(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8Path.data(), static_cast<int>(utf8Path.size()), path.data(),
                      n);
  for (size_t slash = path.find(L'\\', 3); slash != std::wstring::npos;
       slash = path.find(L'\\', slash + 1)) {
    CreateDirectoryW(path.substr(0, slash).c_str(), nullptr);
  }
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE)
    return false;
  CloseHandle(file);
  return true;
}

HWND VisibleMessageBox(DWORD pid, DWORD milliseconds) {
  return WaitForVisibleDialog(pid, milliseconds, true);
}

int RegeditImport(const std::string& path) {
  char windows[MAX_PATH] = {};
  GetWindowsDirectoryA(windows, MAX_PATH);
  return RunAndWait(std::string(windows) + "\\regedit.exe /s \"" + path + "\"", 60000);
}

std::string ShotPath(const std::string& name) {
  const char* folder = std::getenv("KELVANE_SHOT_DIR");
  const char* suffix = std::getenv("KELVANE_SHOT_SUFFIX");
  std::string path =
      std::string("Z:") + (folder ? folder : "/tmp") + "/" + name + (suffix ? suffix : "") + ".bmp";
  for (char& c : path) {
    if (c == '/')
      c = '\\';
  }
  return path;
}

// Copies the window's rectangle from the screen into a 24-bit bitmap file.
bool SaveWindow(HWND window, const std::string& name) {
  SetForegroundWindow(window);
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  Sleep(1500);
  RECT rect;
  GetWindowRect(window, &rect);
  const int width = rect.right - rect.left, height = rect.bottom - rect.top;
  BITMAPINFOHEADER info{};
  info.biSize = sizeof info;
  info.biWidth = width;
  info.biHeight = height;
  info.biPlanes = 1;
  info.biBitCount = 24;
  info.biCompression = BI_RGB;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(screen, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS,
                                    &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
  GdiFlush();
  const DWORD stride = ((static_cast<DWORD>(width) * 3 + 3) / 4) * 4;
  const DWORD size = stride * static_cast<DWORD>(height);
  BITMAPFILEHEADER file{};
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof file + sizeof info;
  file.bfSize = file.bfOffBits + size;
  bool written = false;
  if (FILE* out = std::fopen(ShotPath(name).c_str(), "wb")) {
    written = std::fwrite(&file, sizeof file, 1, out) == 1 &&
              std::fwrite(&info, sizeof info, 1, out) == 1 && std::fwrite(bits, size, 1, out) == 1;
    written = std::fclose(out) == 0 && written;
  }
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return written;
}

void WriteSettings(const std::string& optionsLines, const std::vector<int>& ticked) {
  std::string text = "[Options]\r\n" + optionsLines + "[TreeViewNodeCheck]\r\n";
  for (const Category& category : Categories()) {
    const int id = category.id;
    const bool on = std::find(ticked.begin(), ticked.end(), id) != ticked.end();
    text += std::to_string(id) + (on ? "=1\r\n" : "=0\r\n");
  }
  FILE* file = std::fopen((std::string(kFolder) + "options.ini").c_str(), "wb");
  ASSERT_NE(file, nullptr);
  std::fwrite(text.data(), 1, text.size(), file);
  std::fclose(file);
}

bool ScanAndWait(HWND main, DWORD pid) {
  PostMessageA(main, WM_COMMAND, MAKEWPARAM(kMiScan, BN_CLICKED), 0);
  HWND progress = WaitForWindow(kProgressClass, 20000, pid);
  return progress && WaitUntil([&] { return !IsWindow(progress); }, 300000);
}

bool CreateShortcut(const std::string& path, const std::string& target) {
  CoInitialize(nullptr);
  IShellLinkA* link = nullptr;
  IPersistFile* file = nullptr;
  bool saved = false;
  if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                 reinterpret_cast<void**>(&link)))) {
    if (SUCCEEDED(link->SetPath(target.c_str())) &&
        SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
      const std::wstring wide(path.begin(), path.end());
      saved = SUCCEEDED(file->Save(wide.c_str(), TRUE));
      file->Release();
    }
    link->Release();
  }
  CoUninitialize();
  return saved;
}

}  // namespace kelvane::e2e
