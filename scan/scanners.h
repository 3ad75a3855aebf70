// The category scanners, one function per category, each run by the scan worker
// with the scan's context. The category table (scan/categories.cpp) maps ids to them
// and holds the status text the worker shows before each runs. Each category's code
// is in the file named after its caption, whose opening says what the category
// reports; its declarations are below, under its caption.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "scan/scan_task.h"

namespace kelvane {

// Shared by the categories (scan/registry_text.cpp).

// Whether the value is a string or an expandable string.
bool IsTextValue(Registry& registry, const std::string& name);
// The data of a string or expandable-string value, unexpanded and cut at the first
// NUL, read with one query; nothing for a missing value or any other type.
std::optional<std::string> ReadText(Registry& registry, const std::string& name);
// The same for a value already read.
std::optional<std::string> TextOf(const RegValue& value);
// Opens `keyPath` below `root`, shows it as the key being scanned and calls `visit`
// with the open key and each of its value names, or subkey names; nothing when the
// key does not open.
enum class KeyNames { kValues, kSubkeys };
void ForEachName(ScanContext& context, RootKey root, const std::string& keyPath, KeyNames names,
                 const std::function<void(Registry&, const std::string&)>& visit);

// What a key holds, for the categories that judge keys empty (scan/key_entry_count.cpp).

// The number of values in the key and the keys below it, stopping once `limit` is
// reached (0: no limit). `subkeyRule`: a key with more subkeys than the limit answers
// with its number of subkeys. `emptyDefaultRule` off: a lone empty default text value
// counts nothing. `depth`: how far `keyPath` lies below the key the count began at.
int CountKeyEntries(ScanContext& context, RootKey root, const std::string& keyPath, int limit,
                    bool subkeyRule, bool emptyDefaultRule, int depth = 0);

// Files and Folders - HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER, HKEY_USERS
// (scan/files_and_folders.cpp).
void ScanFilesFoldersLocalMachine(ScanContext& context);
void ScanFilesFoldersCurrentUser(ScanContext& context);
void ScanFilesFoldersUsers(ScanContext& context);

// Software Locations (scan/software_locations.cpp).
void ScanSoftwareLocations(ScanContext& context);
// The entries of one App Paths key (below HKEY_LOCAL_MACHINE).
void ScanAppPaths(ScanContext& context, const std::string& appPaths);

// Windows Fonts (scan/windows_fonts.cpp).
void ScanWindowsFonts(ScanContext& context);

// Invalid Help Files (scan/invalid_help_files.cpp).
void ScanHelpFiles(ScanContext& context);

// Shared DLLs (scan/shared_dlls.cpp).
void ScanSharedDlls(ScanContext& context);
// The values of one SharedDlls key (below HKEY_LOCAL_MACHINE).
void ScanSharedDllsKey(ScanContext& context, const std::string& sharedDlls);

// Startup Programs (scan/startup_programs.cpp).
void ScanStartupPrograms(ScanContext& context);
// The values of one Run-type key; `rootName` is a full root name in any case.
void ScanRunKey(ScanContext& context, const std::string& rootName, const std::string& keyPath);

// Add/Remove Programs (scan/add_remove_programs.cpp).
void ScanAddRemovePrograms(ScanContext& context);

// File Extensions (scan/file_extensions.cpp).
void ScanFileExtensions(ScanContext& context);
// Whether the key exists, asked with read access only.
bool ClassKeyExists(ScanContext& context, RootKey root, const std::string& keyPath);

// Custom Controls (scan/custom_controls.cpp).
void ScanCustomControls(ScanContext& context);
// Examines `base` + `subName` and, depth first, every key below it. `rootName` is a
// full root name in any case.
void ScanClassKey(ScanContext& context, const std::string& rootName, const std::string& base,
                  const std::string& subName);

// Obsolete Software (scan/obsolete_software.cpp).
void ScanObsoleteSoftware(ScanContext& context);
// Reports the direct subkeys of `keyPath` that CountKeyEntries finds empty.
void ScanSoftwareKey(ScanContext& context, const std::string& rootName, const std::string& keyPath);

// Windows Services (scan/windows_services.cpp).
void ScanServices(ScanContext& context);
// An ImagePath as a drive path, read as the service manager reads it: "\??\C:\x.sys"
// is "C:\x.sys", "\SystemRoot\..." and a name without drive ("system32\drivers\x.sys",
// "System32\svchost.exe -k group") lie in `windowsFolder`. Other texts come back as
// they are.
std::string ServiceImagePath(const std::string& imagePath, const std::string& windowsFolder);

// Start Menu (scan/start_menu.cpp).
void ScanStartMenu(ScanContext& context);
// The menu-order key below HKEY_CURRENT_USER for a Windows version code.
std::string MenuOrderKey(uint32_t versionCode);

// Shortcuts (scan/shortcuts.cpp).
void ScanShortcuts(ScanContext& context);
// Every shortcut file in `folder` and, at once as met, in its subfolders.
void ScanShortcutFolder(ScanContext& context, const std::string& folder);
// The target path of a shortcut file; empty when it cannot be read.
std::string ResolveShortcut(ScanContext& context, const std::string& path);

// Sound and Appevents (scan/sound_and_appevents.cpp).
void ScanSoundEvents(ScanContext& context);
// Examines `parentPath` + `keyName` and every key below it. `rootName` is a full root
// name in any case; `depth`: how far the key lies below the first one examined.
void ScanSoundKey(ScanContext& context, const std::string& rootName, const std::string& parentPath,
                  const std::string& keyName, int depth = 0);

// Invalid ActiveX (scan/invalid_activex.cpp).
void ScanActiveX(ScanContext& context);

// MRU and History Lists (scan/mru_lists.cpp).
void ScanMruLists(ScanContext& context);

// Installer (scan/installer.cpp).
void ScanInstaller(ScanContext& context);
// The uninstall-cache keys below `arpCache` without an entry below `uninstall`.
void ScanUninstallCache(ScanContext& context, const std::string& arpCache,
                        const std::string& uninstall);

// Applications (scan/applications.cpp).
void ScanApplications(ScanContext& context);
// The applications below one applications key (below HKEY_LOCAL_MACHINE); `holder`
// as for FindNextCommand.
void ScanApplicationsKey(ScanContext& context, const std::string& applicationsKey,
                         std::string& holder);
// The next key at or below `startPath`, depth first, whose "command" subkey holds a
// non-empty default text, after the one named by `holder`. Sets `holder` to it and
// `command` to that text; `command` comes back empty when there is none left.
// `depth`: how far `startPath` lies below the key the search began at.
void FindNextCommand(ScanContext& context, RootKey root, const std::string& startPath,
                     std::string& holder, std::string& command, int depth = 0);

}  // namespace kelvane
