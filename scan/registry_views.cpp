#include "scan/registry_views.h"

#include "platform/registry_locations.h"
#include "platform/text_codec.h"
#include "scan/scan_task.h"

namespace kelvane {

namespace {

constexpr std::string_view kWow = "Wow6432Node";

// `path` with "Wow6432Node" inserted after its first `prefixLength` characters.
std::string InsertAfter(std::string_view path, size_t prefixLength) {
  std::string twin(path.substr(0, prefixLength));
  if (!twin.empty())
    twin += "\\";
  twin += kWow;
  std::string_view rest = path.substr(prefixLength);
  if (!rest.empty() && rest[0] == '\\')
    rest.remove_prefix(1);
  if (!rest.empty())
    twin.append("\\").append(rest);
  return twin;
}

}  // namespace

bool IsAtOrBelow(std::string_view path, std::string_view key) {
  return path.size() >= key.size() && EqualsNoCase(path.substr(0, key.size()), key) &&
         (path.size() == key.size() || path[key.size()] == '\\');
}

bool BelowWow64Node(std::string_view path) {
  const std::string upper = "\\" + UpperAscii(path) + "\\";
  return upper.find("\\WOW6432NODE\\") != std::string::npos;
}

std::optional<std::string> Wow64Twin(RootKey root, std::string_view path) {
  if (path.empty() || BelowWow64Node(path))
    return std::nullopt;
  if (root == RootKey::kClassesRoot)
    return InsertAfter(path, 0);
  if (root != RootKey::kLocalMachine)
    return std::nullopt;
  constexpr std::string_view kClasses = kClassesKey;
  constexpr std::string_view kSoftware = "Software";
  if (IsAtOrBelow(path, kClasses))
    return InsertAfter(path, kClasses.size());
  if (IsAtOrBelow(path, kSoftware))
    return InsertAfter(path, kSoftware.size());
  return std::nullopt;
}

std::vector<std::string> KeyViews(RegistryBackend& backend, bool is64BitWindows, RootKey root,
                                  const std::string& path, const std::atomic<bool>* stop) {
  std::vector<std::string> views;
  Registry primary(backend, KeyAccess::kRead, stop);
  primary.SetRoot(root);
  const bool primaryOpen = primary.OpenKey(path, false);
  if (primaryOpen)
    views.push_back(path);
  if (!is64BitWindows)
    return views;
  const auto twin = Wow64Twin(root, path);
  if (!twin)
    return views;
  Registry other(backend, KeyAccess::kRead, stop);
  other.SetRoot(root);
  if (!other.OpenKey(*twin, false))
    return views;
  // A key both views share shows in the 32-bit one through a link to the same key.
  if (primaryOpen) {
    const auto a = primary.KeyIdentity();
    const auto b = other.KeyIdentity();
    if (a && b && EqualsNoCase(*a, *b))
      return views;
  }
  views.push_back(*twin);
  return views;
}

std::vector<std::string> KeyViews(ScanContext& context, RootKey root, const std::string& path) {
  return KeyViews(context.GetPlatform().registry, context.System().Is64BitWindows(), root, path,
                  &context.StopFlag());
}

bool MatchesInEitherView(RootKey root, std::string_view keyPath, std::string_view listed) {
  if (EqualsNoCase(keyPath, listed))
    return true;
  const auto twin = Wow64Twin(root, listed);
  if (!twin)
    return false;
  if (EqualsNoCase(keyPath, *twin))
    return true;
  // "Software\Wow6432Node\Classes\X" is the same key as "Software\Classes\Wow6432Node\X".
  constexpr std::string_view kClasses = kClassesKey;
  if (root == RootKey::kLocalMachine && IsAtOrBelow(listed, kClasses)) {
    const std::string alias = "Software\\" + std::string(kWow) + "\\Classes" +
                              std::string(listed.substr(kClasses.size()));
    return EqualsNoCase(keyPath, alias);
  }
  return false;
}

bool IsLinkedSubkey(Registry& parent, std::optional<std::string>& parentIdentity, Registry& child,
                    std::string_view childPath, const std::string& name) {
  // Identities are the system's own key names; a name outside ASCII may come back in
  // another spelling, so such a name is never judged a link.
  if (!BelowWow64Node(childPath) || !IsAscii(name) || !child.HasOpenKey())
    return false;
  if (!parentIdentity)
    parentIdentity = parent.KeyIdentity().value_or("");
  const auto childIdentity = child.KeyIdentity();
  return !parentIdentity->empty() && childIdentity &&
         !EqualsNoCase(*childIdentity, *parentIdentity + "\\" + name);
}

}  // namespace kelvane
