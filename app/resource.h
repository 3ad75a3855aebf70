// Resource ids of kelvane.exe besides the texts (ui/texts_resource.h).
#pragma once

#define IDI_KELVANE 1
