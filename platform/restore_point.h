// The System Restore service, asked for one restore point before a repair.
#pragma once

#include <string>

namespace kelvane {

enum class RestorePointResult {
  kCreated,
  kFailed,       // the service refused or failed (System Restore turned off, ...)
  kUnavailable,  // no System Restore client library, or it lacks the entry point
};

class RestorePointService {
 public:
  virtual ~RestorePointService() = default;
  // Begins a system change of the application-install kind with this description
  // (cut to 63 characters). Blocks until the service answers.
  virtual RestorePointResult Create(const std::string& description) = 0;
};

}  // namespace kelvane
