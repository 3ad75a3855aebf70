// Startup Programs: programs started with Windows (Run keys and the entries kept for
// disabled startup programs) that are missing.
#include "platform/registry_locations.h"
#include "scan/path_check.h"
#include "scan/registry_views.h"
#include "scan/scanners.h"

namespace kelvane {

namespace {

constexpr const char* kStartupProblem = "Missing Startup Programs";

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

}  // namespace kelvane
