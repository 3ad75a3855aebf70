// The program's own window messages, posted between its windows and threads.
#pragma once

#include <windows.h>

#include "platform/program_texts.h"

namespace kelvane {

inline constexpr UINT WM_SCAN_START = 0x2409;
inline constexpr UINT WM_ACTIVATE_INSTANCE = 0x2410;
inline constexpr UINT WM_CLEAN_ONCE = 0x2411;
inline constexpr UINT WM_RESTORE_POINT_DONE = 0x2412;
inline constexpr UINT WM_SCAN_STEP_DONE = 0x2413;

// Private messages of the progress window: the worker's synchronous category step,
// new label texts, and new rows for the main window's list.
inline constexpr UINT WM_SCAN_SYNC_STEP = WM_APP + 1;
inline constexpr UINT WM_SCAN_TEXTS = WM_APP + 2;
inline constexpr UINT WM_SCAN_ROWS = WM_APP + 3;

}  // namespace kelvane
