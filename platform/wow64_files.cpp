#include "platform/wow64_files.h"

#include <array>

namespace kelvane {

namespace {

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && EqualsNoCase(text.substr(0, prefix.size()), prefix);
}

// `rest` (what follows "System32\") begins with the subfolder `name`.
bool BeginsWithFolder(std::string_view rest, std::string_view name) {
  return StartsWithNoCase(rest, name) && (rest.size() == name.size() || rest[name.size()] == '\\');
}

// The system folder's subfolders that every program sees as they are.
constexpr std::array<std::string_view, 6> kLeftAlone = {
    "catroot", "catroot2", "driverstore", "drivers\\etc", "logfiles", "spool",
};

}  // namespace

std::optional<std::string> RedirectSystemFolder(std::string_view windowsFolder,
                                                std::string_view path, std::string_view folder) {
  while (!windowsFolder.empty() && windowsFolder.back() == '\\')
    windowsFolder.remove_suffix(1);
  if (windowsFolder.empty() || !StartsWithNoCase(path, windowsFolder))
    return std::nullopt;
  std::string_view rest = path.substr(windowsFolder.size());
  constexpr std::string_view kSystem = "\\System32";
  if (!StartsWithNoCase(rest, kSystem))
    return std::nullopt;
  rest.remove_prefix(kSystem.size());
  if (!rest.empty() && rest[0] != '\\')
    return std::nullopt;  // "System32x", another folder
  const std::string_view below = rest.empty() ? rest : rest.substr(1);
  for (std::string_view name : kLeftAlone) {
    if (BeginsWithFolder(below, name))
      return std::nullopt;
  }
  std::string redirected(path.substr(0, windowsFolder.size()));
  redirected.append("\\").append(folder).append(rest);
  return redirected;
}

}  // namespace kelvane
