// Resource ids of kelvane.exe: string-table texts, icons, menus.
#pragma once

#define IDI_KELVANE 1
#define IDB_STATE_IMAGES 2

#define IDS_APP_TITLE 100
#define IDS_VERSION 101
#define IDS_PROBLEMS_FOUND 102
#define IDS_PROBLEMS_SELECTED 103
#define IDS_ERROR_WRITE 104
