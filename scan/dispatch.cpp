// Which scanner runs for which category id.
#include "scan/scanners.h"

namespace kelvane {

ScannerFn ScannerFor(int id) {
  switch (id) {
    case 6:
      return &ScanSoftwareLocations;
    case 7:
      return &ScanWindowsFonts;
    case 8:
      return &ScanHelpFiles;
    case 9:
      return &ScanSharedDlls;
    case 10:
      return &ScanStartupPrograms;
    case 11:
      return &ScanAddRemovePrograms;
    case 12:
      return &ScanFileExtensions;
    case 13:
      return &ScanCustomControls;
    default:
      return nullptr;  // 0, 1 (the root), 2 (the group) and anything above 22
  }
}

}  // namespace kelvane
