// The category scanners, one function per category, each run by the scan worker
// with the scan's context. The dispatch table in dispatch.cpp maps ids to them.
#pragma once

#include <string>

#include "scan/scan_task.h"

namespace kelvane {

// Program paths registered under App Paths.
void ScanSoftwareLocations(ScanContext& context);
// Registered fonts whose file is not in the fonts folder.
void ScanWindowsFonts(ScanContext& context);
// Help files registered with a folder that does not hold them.
void ScanHelpFiles(ScanContext& context);
// Shared libraries that are missing or no longer referenced.
void ScanSharedDlls(ScanContext& context);

// Run and RunOnce values and the entries kept for disabled startup programs.
void ScanStartupPrograms(ScanContext& context);
// The values of one Run-type key; `rootName` is a full root name in any case.
void ScanRunKey(ScanContext& context, const std::string& rootName, const std::string& keyPath);
// Uninstall entries that hold nothing.
void ScanAddRemovePrograms(ScanContext& context);
// The number of values in the key and the keys below it, stopping once `limit` is
// reached (0: no limit). `subkeyRule`: a key with more subkeys than the limit answers
// with its number of subkeys. `emptyDefaultRule` off: a lone empty default text value
// counts nothing.
int CountKeyEntries(ScanContext& context, RootKey root, const std::string& keyPath, int limit,
                    bool subkeyRule, bool emptyDefaultRule);

// Class keys that hold nothing and per-user extension records without a class.
void ScanFileExtensions(ScanContext& context);
// Whether the key exists, asked with read access only.
bool ClassKeyExists(ScanContext& context, RootKey root, const std::string& keyPath);
// Every key below HKEY_CLASSES_ROOT\CLSID whose default value names a missing file.
void ScanCustomControls(ScanContext& context);
// Examines `base` + `subName` and, depth first, every key below it. `rootName` is a
// full root name in any case.
void ScanClassKey(ScanContext& context, const std::string& rootName, const std::string& base,
                  const std::string& subName);

}  // namespace kelvane
