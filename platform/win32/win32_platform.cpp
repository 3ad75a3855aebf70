#include <windows.h>
#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>
#include <shlwapi.h>
#include <io.h>

#include <cstring>
#include <cwchar>
#include <stdexcept>
#include <map>
#include <mutex>
#include <optional>
#include <string>

#include "platform/win32/ansi_text.h"
#include "platform/win32/win32_handles.h"
#include "platform/win32/win32_platform.h"

namespace kelvane {

namespace {

LocalTime FromSystemTime(const SYSTEMTIME& st) {
  return LocalTime{st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond};
}

// COM (apartment model) for the calling thread: initialised by the first call on the
// thread and kept, so a scan does not set COM up and tear it down for every shortcut.
// A thread that was already initialised counts as ready.
bool ComReadyOnThisThread() {
  thread_local const bool ready = SUCCEEDED(CoInitialize(nullptr));
  return ready;
}

std::string StripTrailingSeparator(std::string path) {
  while (path.size() > 3 && path.back() == '\\')
    path.pop_back();
  return path;
}

// The wide name the system is asked about. Past MAX_PATH the "\\?\" form, which the
// system reads name by name as it stands, so the path is made whole first (the same
// reading of "/", "." and ".." as for a short path).
std::wstring ProbeName(const std::string& path) {
  std::wstring wide = WideFromUtf8(path);
  if (wide.size() < MAX_PATH || wide.size() < 3 || wide[1] != L':' || wide[2] != L'\\')
    return wide;
  DWORD n = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
  if (n == 0)
    return wide;
  std::wstring full(n, L'\0');
  n = GetFullPathNameW(wide.c_str(), n, full.data(), nullptr);
  if (n == 0 || n >= full.size())
    return wide;
  full.resize(n);
  return L"\\\\?\\" + full;
}

DWORD AttributesOf(const std::string& path) {
  return GetFileAttributesW(ProbeName(path).c_str());
}

// Deletes one file through the shell with the operation's `flags`.
bool ShellDelete(const std::wstring& path, FILEOP_FLAGS flags) {
  std::wstring from = path;
  from.push_back(L'\0');  // the list ends with a second NUL
  SHFILEOPSTRUCTW op{};
  op.wFunc = FO_DELETE;
  op.pFrom = from.c_str();
  op.fFlags = flags;
  return SHFileOperationW(&op) == 0;
}

// A folder of the system as `folderOf` (GetWindowsDirectoryW, GetSystemDirectoryW)
// names it, without a trailing separator; empty when it does not fit.
std::string SystemFolderOf(UINT(WINAPI* folderOf)(LPWSTR, UINT)) {
  wchar_t buffer[MAX_PATH] = {};
  const UINT n = folderOf(buffer, MAX_PATH);
  return StripTrailingSeparator(Utf8FromWide(std::wstring_view(buffer, n < MAX_PATH ? n : 0)));
}

}  // namespace

// Every path is asked about, opened and deleted through the wide functions, in any
// script. A path that holds a NUL would reach the system cut at the NUL, another path,
// so it is never asked about, opened or deleted.

bool Win32FileSystem::FileExists(const std::string& path) {
  return Probe(path) == PathState::kFile;
}

bool Win32FileSystem::FolderExists(const std::string& path) {
  return Probe(path) == PathState::kFolder;
}

PathState Win32FileSystem::Probe(const std::string& path) {
  if (HoldsNul(path))
    return PathState::kUnknown;
  const DWORD attributes = AttributesOf(path);
  if (attributes != INVALID_FILE_ATTRIBUTES)
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? PathState::kFolder : PathState::kFile;
  const DWORD error = GetLastError();
  return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? PathState::kAbsent
                                                                        : PathState::kUnknown;
}

std::vector<FileEntry> Win32FileSystem::ListFolder(const std::string& folder) {
  std::vector<FileEntry> entries;
  if (HoldsNul(folder))
    return entries;
  std::string pattern = folder;
  if (!pattern.empty() && pattern.back() != '\\')
    pattern += '\\';
  pattern += "*.*";
  // The wide search: every name as it is, never the "?" or look-alike letters of the
  // ANSI search.
  WIN32_FIND_DATAW data;
  const UniqueFindHandle find(FindFirstFileW(ProbeName(pattern).c_str(), &data));
  if (!find)
    return entries;
  do {
    const std::wstring_view wide(data.cFileName);
    if (wide == L"." || wide == L"..")
      continue;
    FileEntry entry;
    entry.name = Utf8FromWide(wide);
    entry.attributes = data.dwFileAttributes;
    entry.size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    FILETIME local;
    SYSTEMTIME st;
    if (FileTimeToLocalFileTime(&data.ftLastWriteTime, &local) &&
        FileTimeToSystemTime(&local, &st)) {
      entry.modified = FromSystemTime(st);
    }
    entries.push_back(entry);
  } while (FindNextFileW(find.Get(), &data));
  return entries;
}

DriveType Win32FileSystem::GetDriveType(const std::string& root) {
  // <windows.h> renames this method to GetDriveTypeA: call the system function by its
  // global name, or the call would resolve to this method again.
  return static_cast<DriveType>(::GetDriveTypeW(WideFromUtf8(root).c_str()));
}

std::optional<uint32_t> Win32FileSystem::DrivesInUse() {
  const DWORD mask = GetLogicalDrives();
  if (mask == 0)
    return std::nullopt;
  return static_cast<uint32_t>(mask);
}

std::optional<std::string> Win32FileSystem::ExpandEnvironment(const std::string& text) {
  if (HoldsNul(text))
    return std::nullopt;
  // Expanded wide: a variable whose value is in any script (a profile folder named in
  // Hebrew) expands to that exact path.
  const std::wstring wide = WideFromUtf8(text);
  std::wstring buffer(1024, L'\0');
  DWORD n = ExpandEnvironmentStringsW(wide.c_str(), buffer.data(), 1024);
  if (n == 0)
    return std::nullopt;
  if (n > buffer.size()) {
    buffer.assign(n, L'\0');
    n = ExpandEnvironmentStringsW(wide.c_str(), buffer.data(), n);
    if (n == 0)
      return std::nullopt;
  }
  buffer.resize(std::wcslen(buffer.c_str()));
  return Utf8FromWide(buffer);
}

bool Win32FileSystem::CreateFolders(const std::string& path) {
  if (HoldsNul(path))
    return false;
  const std::string folder = StripTrailingSeparator(path);
  if (folder.empty())
    return false;
  if (FolderExists(folder))
    return true;
  const size_t slash = folder.rfind('\\');
  if (slash != std::string::npos && slash > 2) {
    if (!CreateFolders(folder.substr(0, slash)))
      return false;
  }
  // A file of that name also answers "already exists"; only a folder will do.
  CreateDirectoryW(ProbeName(folder).c_str(), nullptr);
  return FolderExists(folder);
}

bool Win32FileSystem::DeleteFileSilently(const std::string& path) {
  if (path.empty() || HoldsNul(path))
    return false;  // a NUL would end the list early, or name another file
  return ShellDelete(WideFromUtf8(path), FOF_SILENT | FOF_NOCONFIRMATION);
}

FilePtr Win32FileSystem::OpenFile(const std::string& path, const char* mode) {
  if (HoldsNul(path))
    return nullptr;
  const std::string wideMode(mode);
  return FilePtr(
      _wfopen(ProbeName(path).c_str(), std::wstring(wideMode.begin(), wideMode.end()).c_str()));
}

namespace {

// The system's handle of a C runtime file, after the runtime's buffer went out to it.
HANDLE FlushedHandle(std::FILE* file) {
  if (std::fflush(file) != 0)
    return INVALID_HANDLE_VALUE;
  return reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file)));
}

}  // namespace

bool Win32FileSystem::FlushToDisk(std::FILE* file) {
  const HANDLE handle = FlushedHandle(file);
  return handle != INVALID_HANDLE_VALUE && FlushFileBuffers(handle) != FALSE;
}

bool Win32FileSystem::TruncateFile(std::FILE* file, uint64_t size) {
  const HANDLE handle = FlushedHandle(file);
  LARGE_INTEGER at;
  at.QuadPart = static_cast<LONGLONG>(size);
  if (handle == INVALID_HANDLE_VALUE || !SetFilePointerEx(handle, at, nullptr, FILE_BEGIN) ||
      !SetEndOfFile(handle)) {
    return false;
  }
  // The runtime learns the new end from a seek of its own.
  return std::fseek(file, 0, SEEK_END) == 0;
}

bool Win32FileSystem::MoveFileReplacing(const std::string& from, const std::string& to) {
  if (HoldsNul(from) || HoldsNul(to))
    return false;
  return MoveFileExW(ProbeName(from).c_str(), ProbeName(to).c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
}

std::optional<std::string> Win32Shell::SpecialFolder(int csidl) {
  UniqueCoTaskMemory<LPITEMIDLIST> list;
  if (FAILED(SHGetSpecialFolderLocation(nullptr, csidl, list.Put())) || !list) {
    return std::nullopt;
  }
  wchar_t buffer[MAX_PATH] = {};
  const BOOL found = SHGetPathFromIDListW(list.Get(), buffer);
  if (!found || buffer[0] == L'\0')
    return std::nullopt;
  return StripTrailingSeparator(Utf8FromWide(buffer));
}

std::optional<std::string> Win32Shell::ResolveShortcut(const std::string& path) {
  if (HoldsNul(path) || !ComReadyOnThisThread())
    return std::nullopt;
  const std::wstring widePath = WideFromUtf8(path);
  // Without the shell link object no shortcut can be judged: that ends the scan
  // rather than passing every shortcut over as if it were fine.
  ComPtr<IShellLinkW> link;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                              reinterpret_cast<void**>(link.Put())))) {
    throw std::runtime_error("The shell link object cannot be created");
  }
  ComPtr<IPersistFile> file;
  if (FAILED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(file.Put())))) {
    throw std::runtime_error("The shell link object has no IPersistFile");
  }
  if (FAILED(file->Load(widePath.c_str(), STGM_READ)))
    return std::nullopt;
  // The wide target, in any script, never a look-alike ANSI path.
  wchar_t target[MAX_PATH + 1] = {};
  WIN32_FIND_DATAW data;
  if (FAILED(link->GetPath(target, MAX_PATH + 1, &data, SLGP_UNCPRIORITY)))
    return std::nullopt;
  // A shell that kept only the ANSI copy of the target answers "?" for each character
  // the code page lacks; the item list names the target's folders one by one and may
  // still hold the exact name.
  if (std::wcschr(target, L'?') != nullptr) {
    UniqueCoTaskMemory<LPITEMIDLIST> list;
    wchar_t exact[MAX_PATH + 1] = {};
    if (SUCCEEDED(link->GetIDList(list.Put())) && list) {
      if (SHGetPathFromIDListW(list.Get(), exact) && exact[0] != L'\0' &&
          std::wcschr(exact, L'?') == nullptr) {
        std::wcscpy(target, exact);
      }
    }
  }
  return Utf8FromWide(target);
}

bool Win32Shell::Open(const std::string& file, const std::string& parameters,
                      const ShellOpen& how) {
  // Wide, so that a file or folder in any script opens, never a look-alike.
  const std::wstring wideFile = WideFromUtf8(file);
  const std::wstring wideParameters = WideFromUtf8(parameters);
  const auto rc = reinterpret_cast<INT_PTR>(ShellExecuteW(
      static_cast<HWND>(how.owner), L"open", wideFile.c_str(),
      parameters.empty() ? nullptr : wideParameters.c_str(), nullptr, how.showCommand));
  return rc > 32;
}

bool Win32Shell::MoveToRecycleBin(const std::string& path) {
  if (HoldsNul(path))
    return false;
  const std::wstring wide = WideFromUtf8(path);
  const DWORD attributes = GetFileAttributesW(wide.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY))
    return false;
  return ShellDelete(wide, FOF_ALLOWUNDO | FOF_SILENT | FOF_NOCONFIRMATION | FOF_NOERRORUI) &&
         GetFileAttributesW(wide.c_str()) == INVALID_FILE_ATTRIBUTES;
}

std::string Win32Shell::ExecutableFolder() {
  wchar_t buffer[MAX_PATH] = {};
  const DWORD n = GetModuleFileNameW(nullptr, buffer, MAX_PATH);
  const std::string path = Utf8FromWide(std::wstring_view(buffer, n));
  const size_t slash = path.rfind('\\');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string Win32Shell::WindowsFolder() {
  return SystemFolderOf(GetWindowsDirectoryW);
}

std::string Win32Shell::SystemFolder() {
  return SystemFolderOf(GetSystemDirectoryW);
}

std::optional<VersionRecord> Win32SystemInfo::Version() {
  OSVERSIONINFOA info{};
  info.dwOSVersionInfoSize = sizeof info;  // 148 bytes
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  if (!GetVersionExA(&info))
    return std::nullopt;
#pragma GCC diagnostic pop
  return VersionRecord{info.dwPlatformId, info.dwMajorVersion, info.dwMinorVersion};
}

bool Win32SystemInfo::Is64BitWindows() {
#ifdef _WIN64
  return true;
#else
  // A 32-bit program on 64-bit Windows runs under WOW64. The call is looked up because
  // the first 32-bit Windows versions do not have it.
  using IsWow64ProcessFn = BOOL(WINAPI*)(HANDLE, PBOOL);
  const auto isWow64 = reinterpret_cast<IsWow64ProcessFn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "IsWow64Process")));
  BOOL wow64 = FALSE;
  return isWow64 && isWow64(GetCurrentProcess(), &wow64) && wow64;
#endif
}

Win32Platform::Win32Platform() {
#ifndef _WIN64
  if (system.Is64BitWindows())
    wow64Files_ = std::make_unique<NativeFilesFromWow64>(files, shell.WindowsFolder());
#endif
}

LocalTime Win32SystemInfo::Now() {
  SYSTEMTIME st;
  GetLocalTime(&st);
  return FromSystemTime(st);
}

namespace {

constexpr char kUtf16Mark[] = "\xFF\xFE";

// The whole file, or nothing when it cannot be read; `exists` says whether it is there.
std::optional<std::string> ReadWhole(const std::wstring& file, bool* exists) {
  *exists = GetFileAttributesW(file.c_str()) != INVALID_FILE_ATTRIBUTES;
  if (!*exists)
    return std::string();
  const UniqueFileHandle handle(CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!handle)
    return std::nullopt;
  std::string content;
  char buffer[16384];
  DWORD n = 0;
  while (ReadFile(handle.Get(), buffer, sizeof buffer, &n, nullptr) && n > 0)
    content.append(buffer, n);
  return content;
}

// Makes an ANSI settings file a Unicode one (UTF-16LE after its byte order mark),
// which the system's profile functions then keep in Unicode: its texts as they are,
// converted from the ANSI code page. The new form goes in under another name first
// and then replaces the file, so a failure leaves it as it was; a file that may not be
// written is refused as any write to it is.
bool MakeUnicodeFile(const std::wstring& file) {
  // The system may hold the file's entries in a cache of its own: written out first.
  WritePrivateProfileStringW(nullptr, nullptr, nullptr, file.c_str());
  bool exists = false;
  const auto content = ReadWhole(file, &exists);
  if (!content)
    return false;
  if (content->rfind(kUtf16Mark, 0) == 0)
    return true;
  const std::wstring text = WideFromAnsi(*content);
  std::string bytes(kUtf16Mark);
  bytes.append(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
  const std::wstring temporary = file + L".tmp";
  UniqueFileHandle handle(CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!handle)
    return false;
  DWORD written = 0;
  const bool ok = WriteFile(handle.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                            nullptr) != FALSE &&
                  written == bytes.size();
  handle.Reset();  // closed before the new form takes the file's place
  const DWORD flags = MOVEFILE_WRITE_THROUGH | (exists ? MOVEFILE_REPLACE_EXISTING : 0);
  if (ok && MoveFileExW(temporary.c_str(), file.c_str(), flags))
    return true;
  DeleteFileW(temporary.c_str());
  return false;
}

}  // namespace

// Texts are UTF-8 here and UTF-16 at the system's profile functions, which read an ANSI
// file and a Unicode one alike. The file stays ANSI, as older versions of the program
// write and read it, while every text written has an exact ANSI form; the first text
// without one makes it Unicode, so that nothing is lost.
std::string Win32ProfileStore::GetString(const std::string& section, const std::string& key,
                                         const std::string& fallback, const std::string& file) {
  wchar_t buffer[2048] = {};
  const DWORD n = GetPrivateProfileStringW(WideFromUtf8(section).c_str(), WideFromUtf8(key).c_str(),
                                           WideFromUtf8(fallback).c_str(), buffer, 2048,
                                           WideFromUtf8(file).c_str());
  return Utf8FromWide(std::wstring_view(buffer, n));
}

bool Win32ProfileStore::WriteString(const std::string& section, const std::string& key,
                                    const std::string& value, const std::string& file) {
  const std::wstring wideSection = WideFromUtf8(section);
  const std::wstring wideKey = WideFromUtf8(key);
  const std::wstring wideValue = WideFromUtf8(value);
  const std::wstring wideFile = WideFromUtf8(file);
  if ((!ExactAnsi(wideSection) || !ExactAnsi(wideKey) || !ExactAnsi(wideValue)) &&
      !MakeUnicodeFile(wideFile)) {
    return false;
  }
  return WritePrivateProfileStringW(wideSection.c_str(), wideKey.c_str(), wideValue.c_str(),
                                    wideFile.c_str()) != FALSE;
}

namespace {

// A started process's handles, closed when it leaves the table.
struct RunningProcess {
  UniqueKernelHandle process;
  UniqueKernelHandle thread;
};

struct ProcessTable {
  std::mutex mutex;
  std::map<Processes::Id, RunningProcess> running;
};

ProcessTable& Table() {
  static ProcessTable table;
  return table;
}

// Names and the command line in UTF-8, started wide: a path in any script is the
// path, never a look-alike.
std::optional<Processes::Id> StartProcess(const std::string* application,
                                          const std::string& commandLine, const std::string* folder,
                                          bool hidden) {
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  if (hidden) {
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
  }
  PROCESS_INFORMATION info{};
  std::wstring line = WideFromUtf8(commandLine);
  const std::wstring wideApplication = application ? WideFromUtf8(*application) : L"";
  const std::wstring wideFolder = folder ? WideFromUtf8(*folder) : L"";
  if (!CreateProcessW(application ? wideApplication.c_str() : nullptr, line.data(), nullptr,
                      nullptr, FALSE, NORMAL_PRIORITY_CLASS, nullptr,
                      folder ? wideFolder.c_str() : nullptr, &startup, &info)) {
    return std::nullopt;
  }
  std::lock_guard lock(Table().mutex);
  Table().running[info.dwProcessId] =
      RunningProcess{UniqueKernelHandle(info.hProcess), UniqueKernelHandle(info.hThread)};
  return info.dwProcessId;
}

}  // namespace

Win32Processes::~Win32Processes() {
  std::lock_guard lock(Table().mutex);
  Table().running.clear();
}

std::optional<Processes::Id> Win32Processes::Start(const std::string& commandLine, bool hidden) {
  return StartProcess(nullptr, commandLine, nullptr, hidden);
}

std::optional<Processes::Id> Win32Processes::StartProgram(const std::string& application,
                                                          const std::string& commandLine,
                                                          bool hidden) {
  // The program runs in its own folder, so that nothing is loaded from the current one.
  const size_t slash = application.rfind('\\');
  if (slash == std::string::npos || application.size() < 3 || application[1] != ':')
    return std::nullopt;
  const std::string folder = application.substr(0, slash == 2 ? 3 : slash);
  return StartProcess(&application, commandLine, &folder, hidden);
}

bool Win32Processes::IsRunning(Id id) {
  std::lock_guard lock(Table().mutex);
  const auto it = Table().running.find(id);
  return it != Table().running.end() &&
         WaitForSingleObject(it->second.process.Get(), 0) == WAIT_TIMEOUT;
}

void Win32Processes::Terminate(Id id) {
  std::lock_guard lock(Table().mutex);
  const auto it = Table().running.find(id);
  if (it != Table().running.end() && TerminateProcess(it->second.process.Get(), 0))
    WaitForSingleObject(it->second.process.Get(), 5000);
}

void Win32Processes::Release(Id id) {
  std::lock_guard lock(Table().mutex);
  Table().running.erase(id);  // the thread's handle closed first, then the process's
}

}  // namespace kelvane
