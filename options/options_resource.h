// String-table ids of the options dialog.
#pragma once

#define IDS_OPTIONS_FOLDER_MISSING 700
#define IDS_OPTIONS_BROWSE_PROMPT 701
#define IDS_OPTIONS_CREATE_FOLDER 702
