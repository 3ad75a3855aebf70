// The window that waits while a system restore point is made before a repair.
#pragma once

#include <windows.h>

#include <memory>

#include "platform/restore_point.h"
#include "ui/win_form.h"

namespace kelvane {

// Shows the window modally over `owner` while the service makes a restore point.
// Returns kOk when the point was made or the user chose to go on after a failure,
// kCancel when the user declined or the window was closed before the answer.
ModalResult ShowSystemPoint(HWND owner, std::shared_ptr<RestorePointService> service);
// The same with the System Restore service of the system folder.
ModalResult ShowSystemPoint(HWND owner);

}  // namespace kelvane
