// String-table ids of the restore point window.
#pragma once

#define IDS_RESTORE_POINT_CAPTION 500
#define IDS_RESTORE_POINT_FAILED 501
