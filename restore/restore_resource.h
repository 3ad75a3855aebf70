// String-table ids of the restore window.
#pragma once

#define IDS_RESTORE_CAPTION 350
#define IDS_RESTORE_FOLDER_MISSING 351
#define IDS_RESTORE_BROWSE_PROMPT 352
#define IDS_RESTORE_HINT 353
