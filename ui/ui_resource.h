// String-table ids of the repair hint and About windows.
#pragma once

#define IDS_HINT_TOTAL_PREFIX 800
#define IDS_HINT_TOTAL_SUFFIX 801
#define IDS_ABOUT_TITLE 802
#define IDS_ABOUT_ADDRESS 803
