// String-table ids of the program's one table of texts (ui/texts.rc): what its windows
// show in message boxes, status bars, hint and progress windows. The forms' captions,
// labels, buttons and column names stay in their layout. A text with a name or a number
// inside has one id for the words before it and one for the words after it.
#pragma once

// The main window
#define IDS_PROBLEMS_FOUND 100
#define IDS_PROBLEMS_SELECTED 101
#define IDS_SCAN_STOPPED 102
#define IDS_HELP_FILE 103
#define IDS_HELP_FILE_MISSING 104
#define IDS_HELP_FILE_NOT_OPENED 105
#define IDS_REGEDIT_NAMED 106
#define IDS_REGEDIT_NOT_STARTED 107
#define IDS_UNEXPECTED_ERROR 108

// The backup folder, asked for by the options, the repair and the restore window
#define IDS_FOLDER_MISSING 200
#define IDS_CREATE_FOLDER 201
#define IDS_BROWSE_PROMPT 202

// The repair, the full backup and the registry editor's hint window
#define IDS_SAVE_FULL_REGISTRY 300
#define IDS_OVERWRITE_QUESTION 301
#define IDS_BACKUP_HINT 302
#define IDS_REGEDIT_MISSING 303
#define IDS_REPAIRED_OF 304
#define IDS_REPAIRED_ENTRIES 305
#define IDS_HINT_TOTAL_PREFIX 306
#define IDS_HINT_TOTAL_SUFFIX 307

// The restore window
#define IDS_RESTORE_CAPTION 400
#define IDS_RESTORE_HINT 401

// The restore point window
#define IDS_RESTORE_POINT_FAILED 500

// The startup manager
#define IDS_STARTUP_LABEL 600
#define IDS_COMMON_STARTUP_LABEL 601
#define IDS_STARTUP_NOT_DELETED 602
