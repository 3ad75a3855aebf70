// The window that waits while a system restore point is made before a repair.
#pragma once

#include <windows.h>

#include <memory>

#include "platform/platform.h"
#include "restorepoint/system_point.h"
#include "ui/win_form.h"

namespace kelvane {

// Shows the window modally over `owner` while the session begins its restore point.
// Returns kOk when a point covers the repair or the user chose to go on after a
// failure (asked with the reason), kCancel when the user declined or the window was
// closed before the answer. A reused point is told in a message unless `quiet`.
ModalResult ShowSystemPoint(HWND owner, std::shared_ptr<RestorePointSession> session, bool quiet);
// A session with the System Restore service of the system folder.
std::shared_ptr<RestorePointSession> SystemRestorePointSession(SystemInfo& system);

}  // namespace kelvane
