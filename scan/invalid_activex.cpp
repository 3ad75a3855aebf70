// Invalid ActiveX: type libraries naming a missing DLL, found by the value walker.
#include "scan/registry_views.h"
#include "scan/scanners.h"
#include "scan/value_walker.h"

namespace kelvane {

void ScanActiveX(ScanContext& context) {
  for (const std::string& typeLibs : KeyViews(context, RootKey::kClassesRoot, "TypeLib"))
    WalkValues(context, "HKEY_CLASSES_ROOT", typeLibs, "ActiveX Issue", ".dll");
}

}  // namespace kelvane
