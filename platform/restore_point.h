// The System Restore service: the begin and the end of the system change a repair
// makes, and the restore points the system holds.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kelvane {

// The service's answer to one request, as SRSetRestorePointW gives it.
struct RestorePointCall {
  bool available = true;  // false: no System Restore client library, or no entry point
  bool succeeded = false;
  uint32_t status = 0;   // the status record's error code (0: ERROR_SUCCESS)
  int64_t sequence = 0;  // the restore point's sequence number
};

// One restore point the system holds.
struct RestorePointRecord {
  int64_t sequence = 0;
  std::string time;  // its creation time, local, "yyyy-mm-dd hh:mm"
  std::string description;
};

class RestorePointService {
 public:
  virtual ~RestorePointService() = default;
  // Begins a system change of the application-install kind with this description (cut
  // to 63 characters). Blocks until the service answers.
  virtual RestorePointCall Begin(const std::string& description) = 0;
  // Ends the change begun with `sequence`; `cancelled` asks the service to drop the
  // point again, since nothing changed.
  virtual RestorePointCall End(int64_t sequence, bool cancelled) = 0;
  // The restore points the system holds; empty when it cannot tell.
  virtual std::vector<RestorePointRecord> List() { return {}; }
};

}  // namespace kelvane
