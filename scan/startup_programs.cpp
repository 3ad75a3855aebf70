// Startup Programs: programs started with Windows (Run keys and the entries kept for
// disabled startup programs) that are missing.
#include "platform/registry_locations.h"
#include "scan/path_check.h"
#include "scan/registry_views.h"
#include "scan/scanners.h"

namespace kelvane {

constexpr const char* kStartupProblem = "Missing Startup Programs";

namespace {

void ScanDisabledStartup(ScanContext& context, const std::string& startupKey) {
  const std::string base = startupKey + "\\";
  const auto visit = [&](Registry& registry, const std::string& name) {
    if (!registry.OpenKey("\\" + base + name, false))
      return;
    if (const auto command = ReadText(registry, "command")) {
      const PathVerdict verdict =
          context.CheckPath(RootKey::kLocalMachine, base + name, *command, "", false);
      if (verdict.missing) {
        context.AddIssueRow(kStartupProblem, KeyTarget(RootKey::kLocalMachine, base + name),
                            *command, MissingPathReason(verdict), RowKind::kKey);
      }
    }
  };
  ForEachName(context, RootKey::kLocalMachine, startupKey, KeyNames::kSubkeys, visit);
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
  const auto visit = [&](Registry& registry, const std::string& name) {
    const auto command = ReadText(registry, name);
    if (!command)
      return;
    const PathVerdict verdict = context.CheckPath(*root, keyPath, *command, "", false);
    if (verdict.missing) {
      context.AddIssueRow(kStartupProblem, ValueTarget(*root, keyPath, name), *command,
                          MissingPathReason(verdict), RowKind::kValueInPath);
    }
  };
  ForEachName(context, *root, keyPath, KeyNames::kValues, visit);
}

}  // namespace kelvane
