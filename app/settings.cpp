#include "app/settings.h"

namespace kelvane {

TOptionsSetting OptionsSetting;

}  // namespace kelvane
