// Which scanner runs for which category id.
#include "scan/scanners.h"

namespace kelvane {

ScannerFn ScannerFor(int id) {
  switch (id) {
    case 3:
      return &ScanFilesFoldersLocalMachine;
    case 4:
      return &ScanFilesFoldersCurrentUser;
    case 5:
      return &ScanFilesFoldersUsers;
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
    case 14:
      return &ScanObsoleteSoftware;
    case 15:
      return &ScanServices;
    case 16:
      return &ScanStartMenu;
    case 17:
      return &ScanShortcuts;
    case 18:
      return &ScanSoundEvents;
    case 19:
      return &ScanActiveX;
    case 20:
      return &ScanMruLists;
    case 21:
      return &ScanInstaller;
    case 22:
      return &ScanApplications;
    default:
      return nullptr;  // 0, 1 (the root), 2 (the group) and anything above 22
  }
}

}  // namespace kelvane
