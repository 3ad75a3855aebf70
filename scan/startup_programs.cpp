// Programs started with Windows (Run keys and the entries kept for disabled startup
// programs) and Add/Remove Programs entries that hold nothing.
#include <cstddef>

#include "platform/registry_locations.h"
#include "scan/path_check.h"
#include "scan/registry_views.h"
#include "scan/scanners.h"

namespace kelvane {

namespace {

constexpr const char* kStartupProblem = "Missing Startup Programs";
// An uninstall entry is counted with a lone empty default value counting nothing.
constexpr const char* kNoValuesButEmptyDefaultReason =
    "Key and its subkeys hold no values, empty defaults aside";

void ScanDisabledStartup(ScanContext& context, const std::string& startupKey) {
  Registry registry = context.NewRegistry(RootKey::kLocalMachine);
  if (!registry.OpenKey(startupKey, false))
    return;
  context.ShowScanKey(startupKey);
  const std::string base = startupKey + "\\";
  for (const std::string& name : registry.GetKeyNames()) {
    if (!registry.OpenKey("\\" + base + name, false))
      continue;
    if (const auto text = ReadText(registry, "command")) {
      const std::string& command = *text;
      const PathVerdict verdict =
          context.CheckPath(RootKey::kLocalMachine, base + name, command, "", false);
      if (verdict.missing) {
        context.AddIssueRow(kStartupProblem, KeyTarget(RootKey::kLocalMachine, base + name),
                            command, MissingPathReason(verdict), RowKind::kKey);
      }
    }
  }
}

}  // namespace

void ScanStartupPrograms(ScanContext& context) {
  ScanRunKey(context, "HKEY_CURRENT_USER", kRunKey);
  ScanRunKey(context, "HKEY_CURRENT_USER", kRunOnceKey);
  for (const char* key : {kRunKey, kRunOnceKey}) {
    for (const std::string& view : KeyViews(context, RootKey::kLocalMachine, key))
      ScanRunKey(context, "HKEY_LOCAL_MACHINE", view);
  }
  try {
    for (const std::string& view : KeyViews(context, RootKey::kLocalMachine, kDisabledStartupKey))
      ScanDisabledStartup(context, view);
  } catch (const OperationCancelled&) {
    throw;
  } catch (...) {
    // A failure among the disabled entries ends only that part; the rows stay.
  }
}

void ScanRunKey(ScanContext& context, const std::string& rootName, const std::string& keyPath) {
  const auto root = RootFromName(rootName);
  if (!root)
    return;
  Registry registry = context.NewRegistry(*root);
  if (!registry.OpenKey(keyPath, false))
    return;
  context.ShowScanKey(keyPath);
  for (const std::string& name : registry.GetValueNames()) {
    const auto text = ReadText(registry, name);
    if (!text)
      continue;
    const std::string& command = *text;
    const PathVerdict verdict = context.CheckPath(*root, keyPath, command, "", false);
    if (verdict.missing) {
      context.AddIssueRow(kStartupProblem, ValueTarget(*root, keyPath, name), command,
                          MissingPathReason(verdict), RowKind::kValueInPath);
    }
  }
}

void ScanAddRemovePrograms(ScanContext& context) {
  for (const std::string& uninstall : KeyViews(context, RootKey::kLocalMachine, kUninstallKey)) {
    Registry registry = context.NewRegistry(RootKey::kLocalMachine);
    if (!registry.OpenKey(uninstall, false))
      continue;
    for (const std::string& name : registry.GetKeyNames()) {
      // Entries named by a class identifier belong to Windows Installer.
      if (!name.empty() && name[0] == '{')
        continue;
      const std::string path = uninstall + "\\" + name;
      context.ShowScanKey(path);
      if (CountKeyEntries(context, RootKey::kLocalMachine, path, 1, true, false) < 1) {
        context.AddIssueRow("Add/Remove Programs Issue",
                            SubkeyTarget(RootKey::kLocalMachine, uninstall, name), name,
                            kNoValuesButEmptyDefaultReason, RowKind::kSubkeyNamed);
      }
    }
  }
}

namespace {

// The count never goes deeper than keys nest (kMaxKeyDepth).
int CountEntries(ScanContext& context, RootKey root, const std::string& keyPath, int limit,
                 bool subkeyRule, bool emptyDefaultRule, int depth) {
  if (depth > kMaxKeyDepth)
    return 0;
  Registry registry = context.NewRegistry(root);
  if (!registry.OpenKey(keyPath, false))
    return 0;
  const std::vector<std::string> values = registry.GetValueNames();
  int result = static_cast<int>(values.size());
  if (!emptyDefaultRule && values.size() == 1 && values[0].empty() && IsTextValue(registry, "") &&
      registry.ReadString("").empty()) {
    result = 0;  // a lone empty default value is no content
  }
  if (limit != 0 && result >= limit)
    return result;
  const std::vector<std::string> subkeys = registry.GetKeyNames();
  if (subkeyRule && limit != 0 && subkeys.size() > static_cast<size_t>(limit)) {
    return static_cast<int>(subkeys.size());
  }
  std::optional<std::string> identity;
  for (const std::string& name : subkeys) {
    const std::string childPath = keyPath + "\\" + name;
    // A subkey whose name holds a NUL cannot be looked into: what it holds is not
    // known, so it counts as an entry and the key is never called empty.
    const bool unknown = HoldsNul(name);
    if (unknown || BelowWow64Node(childPath)) {
      // A key the 32-bit view shares with the 64-bit one holds what its 64-bit self
      // holds; it counts as an entry, so that a key holding it is never called empty
      // (deleting through the link would reach the 64-bit key).
      Registry child = registry.OpenSubkey(name);
      if (unknown || IsLinkedSubkey(registry, identity, child, childPath, name)) {
        ++result;
        if (limit != 0 && result >= limit)
          return result;
        continue;
      }
    }
    result +=
        CountEntries(context, root, childPath, limit, subkeyRule, emptyDefaultRule, depth + 1);
    if (limit != 0 && result >= limit)
      return result;
  }
  return result;
}

}  // namespace

int CountKeyEntries(ScanContext& context, RootKey root, const std::string& keyPath, int limit,
                    bool subkeyRule, bool emptyDefaultRule) {
  return CountEntries(context, root, keyPath, limit, subkeyRule, emptyDefaultRule, 0);
}

}  // namespace kelvane
