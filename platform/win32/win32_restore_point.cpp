#include <windows.h>

#include <cstring>

#include "platform/win32/win32_restore_point.h"

namespace kelvane {

namespace {

constexpr DWORD kBeginSystemChange = 100;
constexpr DWORD kApplicationInstall = 0;
constexpr size_t kDescriptionSize = 64;

// The System Restore records, packed as the service defines them.
#pragma pack(push, 1)
struct RestorePointInfoA {
  DWORD eventType;
  DWORD restorePointType;
  INT64 sequenceNumber;
  char description[kDescriptionSize];
};
struct StateManagerStatus {
  DWORD status;
  INT64 sequenceNumber;
};
#pragma pack(pop)
static_assert(sizeof(RestorePointInfoA) == 80);
static_assert(sizeof(StateManagerStatus) == 12);

using SetRestorePointA = BOOL(WINAPI*)(RestorePointInfoA*, StateManagerStatus*);

class Library {
 public:
  explicit Library(const std::string& path) : module_(LoadLibraryA(path.c_str())) {}
  ~Library() {
    if (module_)
      FreeLibrary(module_);
  }
  Library(const Library&) = delete;
  Library& operator=(const Library&) = delete;
  HMODULE Get() const { return module_; }

 private:
  HMODULE module_;
};

std::string SystemLibraryPath() {
  char folder[MAX_PATH] = {};
  const UINT n = GetSystemDirectoryA(folder, MAX_PATH);
  if (n == 0 || n >= MAX_PATH)
    return std::string();
  std::string path(folder, n);
  if (path.back() != '\\')
    path += '\\';
  return path + "SrClient.dll";
}

}  // namespace

// A planted SrClient.dll beside the program or in the current folder must never be
// loaded, so the library is named by its full path in the system folder.
Win32RestorePointService::Win32RestorePointService() : libraryPath_(SystemLibraryPath()) {}

RestorePointResult Win32RestorePointService::Create(const std::string& description) {
  if (libraryPath_.empty())
    return RestorePointResult::kUnavailable;
  Library library(libraryPath_);
  if (!library.Get())
    return RestorePointResult::kUnavailable;
  const auto entry = reinterpret_cast<SetRestorePointA>(
      reinterpret_cast<void*>(GetProcAddress(library.Get(), "SRSetRestorePointA")));
  if (!entry)
    return RestorePointResult::kUnavailable;
  RestorePointInfoA info{};
  info.eventType = kBeginSystemChange;
  info.restorePointType = kApplicationInstall;
  info.sequenceNumber = 0;
  std::strncpy(info.description, description.c_str(), kDescriptionSize - 1);
  StateManagerStatus status{};
  return entry(&info, &status) ? RestorePointResult::kCreated : RestorePointResult::kFailed;
}

}  // namespace kelvane
