#include "scan/file_views.h"

#include "platform/wow64_files.h"
#include "scan/registry_views.h"

namespace kelvane {

namespace {

// The value of a variable, or nothing when the system does not define it.
std::string VariableValue(FileSystem& files, const std::string& name) {
  const std::string reference = "%" + name + "%";
  const auto value = files.ExpandEnvironment(reference);
  if (!value || value->empty() || EqualsNoCase(*value, reference))
    return std::string();
  return *value;
}

// `text` with every reference to the variable `name` replaced by `value`.
std::string ReplaceVariable(std::string text, std::string_view name, const std::string& value) {
  if (value.empty())
    return text;
  const std::string reference = "%" + UpperAscii(name) + "%";
  std::string upper = UpperAscii(text);
  for (size_t at = upper.find(reference); at != std::string::npos;
       at = upper.find(reference, at + value.size())) {
    text.replace(at, reference.size(), value);
    upper.replace(at, reference.size(), UpperAscii(value));
  }
  return text;
}

bool HasComponent(std::string_view path, std::string_view name) {
  const std::string upper = "\\" + UpperAscii(path) + "\\";
  return upper.find("\\" + UpperAscii(name) + "\\") != std::string::npos;
}

// Whether the two kinds of program can read `text` differently: through a variable, or
// by naming the system folder.
bool MayDifferBetweenViews(std::string_view text) {
  constexpr std::string_view kSystem = "SYSTEM32";
  if (text.find('%') != std::string_view::npos)
    return true;
  for (size_t at = text.find_first_of("sS"); at != std::string_view::npos;
       at = text.find_first_of("sS", at + 1)) {
    if (EqualsNoCase(text.substr(at, kSystem.size()), kSystem))
      return true;
  }
  return false;
}

}  // namespace

// One kind of program's file system: its program folders for the two variables and,
// for 32-bit programs, SysWOW64 for the system folder.
class ViewedPathCheck::View : public ForwardingFileSystem {
 public:
  View(FileSystem& inner, const FileViews& views, bool thirtyTwoBit)
      : ForwardingFileSystem(inner), views_(views), thirtyTwoBit_(thirtyTwoBit) {}

  std::string Redirected(const std::string& path) const {
    if (!thirtyTwoBit_)
      return path;
    return RedirectSystemFolder(views_.windowsFolder, path, "SysWOW64").value_or(path);
  }
  bool FileExists(const std::string& path) override { return inner_.FileExists(Redirected(path)); }
  bool FolderExists(const std::string& path) override {
    return inner_.FolderExists(Redirected(path));
  }
  PathState Probe(const std::string& path) override { return inner_.Probe(Redirected(path)); }
  std::optional<std::string> ExpandEnvironment(const std::string& text) override {
    std::string own = ReplaceVariable(text, "ProgramFiles",
                                      thirtyTwoBit_ ? views_.programFilesX86 : views_.programFiles);
    own = ReplaceVariable(std::move(own), "CommonProgramFiles",
                          thirtyTwoBit_ ? views_.commonFilesX86 : views_.commonFiles);
    return inner_.ExpandEnvironment(own);
  }

 private:
  const FileViews& views_;
  const bool thirtyTwoBit_;
};

FileViews ReadFileViews(FileSystem& files, const std::string& windowsFolder, bool is64BitWindows) {
  FileViews views;
  views.twoViews = is64BitWindows;
  views.windowsFolder = windowsFolder;
  if (!is64BitWindows)
    return views;
  views.programFiles = VariableValue(files, "ProgramW6432");
  views.programFilesX86 = VariableValue(files, "ProgramFiles(x86)");
  views.commonFiles = VariableValue(files, "CommonProgramW6432");
  views.commonFilesX86 = VariableValue(files, "CommonProgramFiles(x86)");
  return views;
}

Readers ReadersOfKey(RootKey root, std::string_view keyPath) {
  if (HasComponent(keyPath, "TypeLib")) {
    if (HasComponent(keyPath, "win32"))
      return Readers::k32Bit;
    if (HasComponent(keyPath, "win64"))
      return Readers::kNative;
  }
  if (BelowWow64Node(keyPath)) {
    if (HasComponent(keyPath, "Run") || HasComponent(keyPath, "RunOnce"))
      return Readers::kEither;
    return Readers::k32Bit;
  }
  const bool machineSoftware = root == RootKey::kClassesRoot ||
                               (root == RootKey::kLocalMachine && IsAtOrBelow(keyPath, "Software"));
  if (!machineSoftware)
    return Readers::kEither;
  if (HasComponent(keyPath, "App Paths") || HasComponent(keyPath, "SharedDlls") ||
      HasComponent(keyPath, "TypeLib"))
    return Readers::kEither;
  return Readers::kNative;
}

ViewedPathCheck::ViewedPathCheck(FileSystem& files, FileViews views)
    : files_(files), views_(std::move(views)) {
  if (views_.twoViews) {
    native_ = std::make_unique<View>(files_, views_, false);
    wow32_ = std::make_unique<View>(files_, views_, true);
  }
}

ViewedPathCheck::~ViewedPathCheck() = default;

PathVerdict ViewedPathCheck::Check(Readers readers, const std::string& text,
                                   const std::string& endMarker, bool acceptFolder,
                                   const std::string& allowedDrives) {
  if (!views_.twoViews || !MayDifferBetweenViews(text))
    return CheckPath(files_, text, endMarker, acceptFolder, allowedDrives);
  PathVerdict verdict;
  if (readers != Readers::k32Bit) {
    verdict = CheckPath(*native_, text, endMarker, acceptFolder, allowedDrives);
    if (!verdict.missing || readers == Readers::kNative)
      return verdict;
  }
  PathVerdict thirtyTwo = CheckPath(*wow32_, text, endMarker, acceptFolder, allowedDrives);
  if (!thirtyTwo.missing)
    return thirtyTwo;
  thirtyTwo.path = wow32_->Redirected(thirtyTwo.path);
  if (readers == Readers::k32Bit)
    return thirtyTwo;
  // Missing for both kinds of program: the reason names each reading that differs.
  if (!EqualsNoCase(verdict.path, thirtyTwo.path))
    verdict.path += " or " + thirtyTwo.path;
  return verdict;
}

bool ViewedPathCheck::FileExists(Readers readers, const std::string& path) {
  if (!views_.twoViews || !MayDifferBetweenViews(path))
    return files_.FileExists(path);
  return (readers != Readers::k32Bit && native_->FileExists(path)) ||
         (readers != Readers::kNative && wow32_->FileExists(path));
}

}  // namespace kelvane
