// The options dialog: backup folder, switches and the two ignore lists.
#pragma once

#include <windows.h>

#include "options/settings.h"
#include "platform/platform.h"
#include "ui/win_form.h"

namespace kelvane {

// Control ids of the options dialog.
enum : int {
  kIdPages = 101,
  kIdOutputFolder,
  kIdBrowse,
  kIdCreateRestore,
  kIdDeleteBackupFile,
  kIdIncludeRemoveMedia,
  kIdIncludeCDdrive,
  kIdShowHint,
  kIdListPages,
  kIdValues,
  kIdKeys,
  kIdAdd,
  kIdEdit,
  kIdRemove,
  kIdFolderFrame,
  kIdListsLabel,
};

// Shows the dialog modally over `owner`, filled from `settings`. OK stores the edited
// values into `settings` and gives kOk; Cancel and the close box store nothing and give
// kCancel.
ModalResult ShowOptions(HWND owner, Platform& platform, TOptionsSetting& settings);

}  // namespace kelvane
