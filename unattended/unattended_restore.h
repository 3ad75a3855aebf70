// "-restore FILE": the restore window's verified restore of one backup file, without
// a window. The system registry editor imports the file; the file goes only when the
// registry is proven to hold all of it and the settings ask for it.
#pragma once

#include <functional>
#include <string>

#include "platform/platform.h"

namespace kelvane {

struct UnattendedRestore {
  int exitCode = 0;     // kRestoreDone, kRestoreRefused or kRestoreFailed
  std::string message;  // why it was refused or failed; empty when all went as asked
  bool fileDeleted = false;
};

// `pause` is called between the looks at whether the editor has ended.
UnattendedRestore RestoreBackupUnattended(Platform& platform, const std::string& path,
                                          bool deleteBackupFile,
                                          const std::function<void()>& pause);

}  // namespace kelvane
