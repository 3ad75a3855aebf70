// The file system redirector of 64-bit Windows. A 32-bit program that names the system
// folder ("<Windows>\System32") opens SysWOW64 instead, but for the few subfolders
// Windows leaves alone; such a program reaches the native system folder only by the
// alias "Sysnative". The 32-bit build probes the 64-bit programs' files through it.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/platform.h"

namespace kelvane {

// `path` with its system folder named `folder` ("SysWOW64", "Sysnative") when the
// redirector sends a 32-bit program's open of it elsewhere; nothing for a path outside
// the system folder of `windowsFolder` and for the subfolders it leaves alone
// (catroot, catroot2, driverstore, drivers\etc, logfiles, spool). Letter case aside.
std::optional<std::string> RedirectSystemFolder(std::string_view windowsFolder,
                                                std::string_view path, std::string_view folder);

// What a 64-bit program finds, asked from a 32-bit program under WOW64: every probe
// and listing of the system folder goes through "Sysnative", which the redirector lets
// through to the native folder. Opens, writes and deletes go unchanged.
class NativeFilesFromWow64 : public ForwardingFileSystem {
 public:
  NativeFilesFromWow64(FileSystem& inner, std::string windowsFolder)
      : ForwardingFileSystem(inner), windows_(std::move(windowsFolder)) {}
  bool FileExists(const std::string& path) override { return inner_.FileExists(Native(path)); }
  bool FolderExists(const std::string& path) override { return inner_.FolderExists(Native(path)); }
  PathState Probe(const std::string& path) override { return inner_.Probe(Native(path)); }
  std::vector<FileEntry> ListFolder(const std::string& folder) override {
    return inner_.ListFolder(Native(folder));
  }

 private:
  std::string Native(const std::string& path) const {
    return RedirectSystemFolder(windows_, path, "Sysnative").value_or(path);
  }
  std::string windows_;
};

}  // namespace kelvane
