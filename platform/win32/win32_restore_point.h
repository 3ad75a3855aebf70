// System restore points through "SRSetRestorePointW" of the System Restore client
// library, loaded at run time by its full path, and the points the system holds
// through WMI (root\default, class SystemRestore).
#pragma once

#include <windows.h>

#include <string>

#include "platform/restore_point.h"
#include "platform/win32/win32_handles.h"

namespace kelvane {

class Win32RestorePointService : public RestorePointService {
 public:
  // SrClient.dll of the system folder unless told.
  Win32RestorePointService();
  explicit Win32RestorePointService(std::string libraryPath);
  ~Win32RestorePointService() override;
  Win32RestorePointService(const Win32RestorePointService&) = delete;
  Win32RestorePointService& operator=(const Win32RestorePointService&) = delete;

  RestorePointCall Begin(const std::string& description) override;
  RestorePointCall End(int64_t sequence, bool cancelled) override;
  std::vector<RestorePointRecord> List() override;

 private:
  RestorePointCall Call(DWORD eventType, DWORD pointType, int64_t sequence,
                        const std::string& description);

  std::string libraryPath_;
  UniqueLibrary library_;  // loaded at the first request, kept for its end
};

// The System Restore service calls back into the process that asks it for a point:
// COM security lets the system's service accounts do so. Called once, before the
// process uses COM across processes.
void InitializeComSecurityForSystemRestore();

}  // namespace kelvane
