// The category scanners, one function per category, each run by the scan worker
// with the scan's context. The dispatch table in dispatch.cpp maps ids to them.
#pragma once

#include "scan/scan_task.h"

namespace kelvane {

}  // namespace kelvane
