// Entries under HKEY_LOCAL_MACHINE that name files: program paths under App Paths,
// registered fonts, help files and shared libraries.
#include "platform/registry_locations.h"
#include "platform/version_code.h"
#include "scan/path_check.h"
#include "scan/registry_views.h"
#include "scan/scanners.h"

namespace kelvane {

namespace {

constexpr const char* kHelpKeys[] = {kHelpKey, kHtmlHelpKey};

// Names of the files (not folders) in the folder, upper-cased, in listing order.
std::vector<std::string> UpperFileNames(FileSystem& files, const std::string& folder) {
  std::vector<std::string> names;
  for (const FileEntry& entry : files.ListFolder(folder)) {
    if (!entry.IsFolder())
      names.push_back(UpperAscii(entry.name));
  }
  return names;
}

}  // namespace

void ScanSoftwareLocations(ScanContext& context) {
  for (const std::string& appPaths : KeyViews(context, RootKey::kLocalMachine, kAppPathsKey))
    ScanAppPaths(context, appPaths);
}

void ScanAppPaths(ScanContext& context, const std::string& appPaths) {
  Registry registry = context.NewRegistry(RootKey::kLocalMachine);
  if (!registry.OpenKey(appPaths, false))
    return;
  for (const std::string& name : registry.GetKeyNames()) {
    // Only programs: names with an extension other than ".exe" are left alone.
    if (name.find('.') != std::string::npos &&
        (name.size() < 4 || UpperAscii(name.substr(name.size() - 4)) != ".EXE")) {
      continue;
    }
    registry.CloseKey();
    const std::string path = appPaths + "\\" + name;
    if (!registry.OpenKey("\\" + path, false))
      continue;
    context.ShowScanKey(path);
    const auto text = ReadText(registry, "");
    if (!text)
      continue;
    const std::string& program = *text;
    if (program.empty())
      continue;
    // The registered path counts only up to the end of the program's own name.
    const PathVerdict verdict =
        context.CheckPath(RootKey::kLocalMachine, path, program, name, true);
    if (verdict.missing) {
      context.AddIssueRow("Software Locations Issue", KeyTarget(RootKey::kLocalMachine, path),
                          program, MissingPathReason(verdict), RowKind::kKey);
    }
  }
}

namespace {

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

  Registry registry = context.NewRegistry(RootKey::kLocalMachine);
  if (!registry.OpenKey(fontsKey, false))
    return;
  context.ShowScanKey(fontsKey);
  for (const std::string& name : registry.GetValueNames()) {
    if (!IsTextValue(registry, name))
      continue;
    // Fonts in the fonts folder are registered by bare file name. A font registered
    // by its full path (per-user fonts, fonts of other folders) is never in that list:
    // it is missing only when its own file is.
    const std::string file = registry.ReadString(name);
    const std::string upper = UpperAscii(file);
    const bool fullPath = IsFullPath(file);
    bool found = false;
    if (fullPath) {
      found = context.FileExists(RootKey::kLocalMachine, fontsKey, file);
    } else {
      for (const std::string& fontFile : fontFiles) {
        if (fontFile == upper) {
          found = true;
          break;
        }
      }
    }
    if (!found) {
      context.AddIssueRow(
          "Fonts Issue", ValueTarget(RootKey::kLocalMachine, fontsKey, name), file,
          (fullPath ? "File not found: " : "Font file not in the Fonts folder: ") + file,
          RowKind::kValueInPath);
    }
  }
}

void ScanHelpFiles(ScanContext& context) {
  std::vector<std::string> helpKeys;
  for (const char* helpKey : kHelpKeys) {
    for (std::string& view : KeyViews(context, RootKey::kLocalMachine, helpKey))
      helpKeys.push_back(std::move(view));
  }
  for (const std::string& helpKey : helpKeys) {
    Registry registry = context.NewRegistry(RootKey::kLocalMachine);
    if (!registry.OpenKey(helpKey, false))
      continue;
    context.ShowScanKey(helpKey);
    for (const std::string& name : registry.GetValueNames()) {
      // The data is the help file's folder; values of other types are not judged.
      if (!IsTextValue(registry, name))
        continue;
      std::string file = registry.ReadString(name);
      if (!file.empty() && file.back() != '\\')
        file += '\\';
      file += name;
      if (context.FileExists(RootKey::kLocalMachine, helpKey, file))
        continue;
      context.AddIssueRow("Invalid Help Files", ValueTarget(RootKey::kLocalMachine, helpKey, name),
                          file, "Help file not found: " + file, RowKind::kValueInPath);
    }
  }
}

void ScanSharedDlls(ScanContext& context) {
  for (const std::string& sharedDlls : KeyViews(context, RootKey::kLocalMachine, kSharedDllsKey))
    ScanSharedDllsKey(context, sharedDlls);
}

void ScanSharedDllsKey(ScanContext& context, const std::string& sharedDlls) {
  Registry registry = context.NewRegistry(RootKey::kLocalMachine);
  if (!registry.OpenKey(sharedDlls, false))
    return;
  context.ShowScanKey(sharedDlls);
  for (const std::string& name : registry.GetValueNames()) {
    // The value's name is the library's path, its data the reference count.
    if (registry.GetDataType(name) != DataType::kInteger)
      continue;
    const bool exists = context.FileExists(RootKey::kLocalMachine, sharedDlls, name);
    if (exists) {
      const auto raw = registry.ReadRaw(name);
      // A count too short to read cannot be judged.
      if (!raw || raw->data.size() < 4)
        continue;
      if (registry.ReadInteger(name) != 0)
        continue;
    }
    context.AddIssueRow("Missing Shared Dlls",
                        ValueTarget(RootKey::kLocalMachine, sharedDlls, name), name,
                        exists ? std::string("Reference count is 0") : "File not found: " + name,
                        RowKind::kValueNamed);
  }
}

}  // namespace kelvane
