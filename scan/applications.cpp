// Applications: open commands registered for applications that name a missing
// program, in both registry views.
#include "platform/registry_locations.h"
#include "scan/path_check.h"
#include "scan/registry_views.h"
#include "scan/scanners.h"

namespace kelvane {

void FindNextCommand(ScanContext& context, RootKey root, const std::string& startPath,
                     std::string& holder, std::string& command, int depth) {
  command.clear();
  if (depth > kMaxKeyDepth)
    return;
  try {
    Registry registry = context.NewRegistry(root, KeyAccess::kFull);
    if (!registry.OpenKey(startPath, false))
      return;
    {
      Registry commandKey = context.NewRegistry(root, KeyAccess::kFull);
      if (commandKey.OpenKey(startPath + "\\command", false)) {
        const auto text = ReadText(commandKey, "");
        if (text && !text->empty()) {
          if (holder.empty()) {
            holder = startPath;
            command = *text;
            return;
          }
          // The holder found last time: the next one met is the answer.
          if (holder == startPath)
            holder.clear();
        }
      }
    }
    const std::vector<std::string> names = registry.GetKeyNames();
    registry.CloseKey();
    for (const std::string& name : names) {
      FindNextCommand(context, root, startPath + "\\" + name, holder, command, depth + 1);
      if (!command.empty())
        return;
    }
  } catch (const OperationCancelled&) {
    throw;
  } catch (const std::exception&) {
    // A key that cannot be read ends this branch; what was found stands.
  }
}

void ScanApplications(ScanContext& context) {
  try {
    std::string holder;  // carried from call to call, and from one application to the next
    for (const std::string& applicationsKey :
         KeyViews(context, RootKey::kLocalMachine, kApplicationsKey)) {
      ScanApplicationsKey(context, applicationsKey, holder);
    }
  } catch (const OperationCancelled&) {
    throw;
  } catch (const std::exception&) {
    // Any failure ends this category only; the next one runs.
  }
}

void ScanApplicationsKey(ScanContext& context, const std::string& applicationsKey,
                         std::string& holder) {
  Registry registry = context.NewRegistry(RootKey::kLocalMachine, KeyAccess::kFull);
  if (!registry.OpenKey(applicationsKey, false))
    return;
  const std::vector<std::string> applications = registry.GetKeyNames();
  registry.CloseKey();
  std::string command;
  for (const std::string& application : applications) {
    const std::string path = applicationsKey + "\\" + application;
    context.ShowScanKey(path);
    FindNextCommand(context, RootKey::kLocalMachine, path, holder, command);
    while (!command.empty()) {
      const PathVerdict verdict =
          context.CheckPath(RootKey::kLocalMachine, holder, command, "", false);
      if (verdict.missing) {
        context.AddIssueRow("Open with Application Issue",
                            ValueTarget(RootKey::kLocalMachine, holder + "\\command", ""), command,
                            MissingPathReason(verdict), RowKind::kDefaultValue);
      }
      FindNextCommand(context, RootKey::kLocalMachine, path, holder, command);
    }
  }
}

}  // namespace kelvane
