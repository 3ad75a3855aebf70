// String-table ids of the repair command.
#pragma once

#define IDS_BACKUP_CAPTION 300
#define IDS_BACKUP_FOLDER_MISSING 301
#define IDS_BACKUP_CREATE_FOLDER 302
