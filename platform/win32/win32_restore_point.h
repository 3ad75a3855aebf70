// System restore points through "SRSetRestorePointA" of the System Restore client
// library, loaded at run time.
#pragma once

#include "platform/restore_point.h"

namespace kelvane {

class Win32RestorePointService : public RestorePointService {
 public:
  // The library is loaded by full path: SrClient.dll of the system folder unless told.
  Win32RestorePointService();
  explicit Win32RestorePointService(std::string libraryPath)
      : libraryPath_(std::move(libraryPath)) {}
  RestorePointResult Create(const std::string& description) override;

 private:
  std::string libraryPath_;
};

}  // namespace kelvane
