// String-table ids of the repair command, the full backup and the backup hint window.
#pragma once

#define IDS_BACKUP_CAPTION 300
#define IDS_BACKUP_FOLDER_MISSING 301
#define IDS_BACKUP_CREATE_FOLDER 302
#define IDS_SAVE_FULL_REGISTRY 303
#define IDS_OVERWRITE_QUESTION 304
#define IDS_BACKUP_HINT 305
#define IDS_REGEDIT_MISSING 306
