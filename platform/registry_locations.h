// The registry keys the program reads by name, below their roots. Rows and backups
// show them in these spellings, so their letter case is kept as it is; the registry
// itself compares names without regard to case.
#pragma once

namespace kelvane {

inline constexpr const char* kClassesKey = "Software\\Classes";
inline constexpr const char* kApplicationsKey = "Software\\Classes\\Applications";
inline constexpr const char* kServicesKey = "SYSTEM\\CurrentControlSet\\Services";
inline constexpr const char* kSoundSchemesKey = "AppEvents\\Schemes\\Apps";

// Startup programs.
inline constexpr const char* kRunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr const char* kRunOnceKey = "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
inline constexpr const char* kRunServicesKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\RunServices";
inline constexpr const char* kPoliciesRunKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer\\Run";
// Where the system configuration utility keeps the startup programs it disabled.
inline constexpr const char* kDisabledStartupKey =
    "Software\\Microsoft\\Shared Tools\\MSConfig\\startupreg";

// Installed programs. The Installer category shows the uninstall key with "SOFTWARE"
// in capitals, as it shows its other keys; Add/Remove Programs shows "Software".
inline constexpr const char* kUninstallKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
inline constexpr const char* kInstallerUninstallKey =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
inline constexpr const char* kInstallerFoldersKey =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Installer\\Folders";
inline constexpr const char* kArpCacheKey =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Management\\ARPCache";

// Files the system keeps track of.
inline constexpr const char* kAppPathsKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths";
inline constexpr const char* kSharedDllsKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\SharedDlls";
inline constexpr const char* kFonts9xKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Fonts";
inline constexpr const char* kFontsNtKey = "Software\\Microsoft\\Windows NT\\CurrentVersion\\Fonts";
inline constexpr const char* kHelpKey = "Software\\Microsoft\\Windows\\Help";
inline constexpr const char* kHtmlHelpKey = "Software\\Microsoft\\Windows\\Html Help";
// The lists of recent files of the open and save dialogs.
inline constexpr const char* kMruKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\ComDlg32\\OpenSaveMRU";
inline constexpr const char* kFileExtsKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts";

}  // namespace kelvane
