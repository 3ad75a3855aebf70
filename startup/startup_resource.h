// String-table ids of the startup manager.
#pragma once

#define IDS_STARTUP_LABEL 600
#define IDS_COMMON_STARTUP_LABEL 601
#define IDS_STARTUP_NOT_DELETED 602
