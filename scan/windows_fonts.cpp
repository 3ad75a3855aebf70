// Windows Fonts: registered fonts whose file is not in the fonts folder.
#include <algorithm>

#include "platform/registry_locations.h"
#include "platform/version_code.h"
#include "scan/scanners.h"

namespace kelvane {

namespace {

// Names of the files (not folders) in the folder, upper-cased, in listing order.
std::vector<std::string> UpperFileNames(FileSystem& files, const std::string& folder) {
  std::vector<std::string> names;
  for (const FileEntry& entry : files.ListFolder(folder)) {
    if (!entry.IsFolder())
      names.push_back(UpperAscii(entry.name));
  }
  return names;
}

// "C:\..." or "\\server\...".
bool IsFullPath(const std::string& text) {
  return (text.size() >= 3 && text[1] == ':' && text[2] == '\\') || text.rfind("\\\\", 0) == 0;
}

}  // namespace

void ScanWindowsFonts(ScanContext& context) {
  const std::string fontsKey =
      IsWin9xFamily(GetWindowsVersionCode(context.System())) ? kFonts9xKey : kFontsNtKey;
  // Without a fonts folder to look in, every font would look missing: judge none.
  const auto folder = context.GetShell().SpecialFolder(csidl::kFonts);
  if (!folder || folder->empty() || !context.Files().FolderExists(*folder))
    return;
  std::string fontsFolder = *folder;
  if (fontsFolder.back() != '\\')
    fontsFolder += '\\';
  const std::vector<std::string> fontFiles = UpperFileNames(context.Files(), fontsFolder);

  // Fonts in the fonts folder are registered by bare file name. A font registered by
  // its full path (per-user fonts, fonts of other folders) is never in that list: it
  // is missing only when its own file is.
  const auto visit = [&](Registry& registry, const std::string& name) {
    if (!IsTextValue(registry, name))
      return;
    const std::string file = registry.ReadString(name);
    const bool fullPath = IsFullPath(file);
    const bool found = fullPath ? context.FileExists(RootKey::kLocalMachine, fontsKey, file)
                                : std::ranges::find(fontFiles, UpperAscii(file)) != fontFiles.end();
    if (!found) {
      context.AddIssueRow(
          "Fonts Issue", ValueTarget(RootKey::kLocalMachine, fontsKey, name), file,
          (fullPath ? "File not found: " : "Font file not in the Fonts folder: ") + file,
          RowKind::kValueInPath);
    }
  };
  ForEachName(context, RootKey::kLocalMachine, fontsKey, KeyNames::kValues, visit);
}

}  // namespace kelvane
