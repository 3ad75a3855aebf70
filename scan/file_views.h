// The two file systems of 64-bit Windows, as the path check meets them. An entry is
// judged in the file system of the programs that read it: for 32-bit programs the
// system folder is SysWOW64 (the redirector's subfolders aside) and %ProgramFiles% and
// %CommonProgramFiles% are the "(x86)" folders. Where both kinds of program may read an
// entry, it is live when either reading names an existing file. On 32-bit Windows there
// is one file system and nothing changes.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "platform/platform.h"
#include "scan/path_check.h"

namespace kelvane {

// The programs that read an entry.
enum class Readers {
  kNative,  // 64-bit programs on 64-bit Windows, every program on 32-bit Windows
  k32Bit,   // 32-bit programs on 64-bit Windows
  kEither,  // both kinds
};

// Where the two file systems differ, read once per scan.
struct FileViews {
  bool twoViews = false;  // 64-bit Windows
  std::string windowsFolder;
  // What %ProgramFiles% and %CommonProgramFiles% name for each kind of program; an
  // empty one is left to the system's own expansion.
  std::string programFiles, programFilesX86, commonFiles, commonFilesX86;
};

// The views of this system: the program folders from ProgramW6432, ProgramFiles(x86),
// CommonProgramW6432 and CommonProgramFiles(x86), which both builds are given.
FileViews ReadFileViews(FileSystem& files, const std::string& windowsFolder, bool is64BitWindows);

// Who reads the entries of a key. Below a Wow6432Node key, 32-bit programs (but the Run
// keys, whose programs 64-bit Explorer starts); a type library's "win32" file, 32-bit
// programs, its "win64" one, 64-bit programs; the machine's Software and class keys,
// 64-bit programs, but App Paths, the shared libraries' counts and the type libraries,
// which both views share (and 32-bit installers fill with their own paths); every
// other key (the user's, the machine's System) both kinds.
Readers ReadersOfKey(RootKey root, std::string_view keyPath);

// The path check in the file system of an entry's readers. The verdict's path is the
// one probed: "C:\Windows\SysWOW64\x.dll" for a 32-bit entry naming System32.
class ViewedPathCheck {
 public:
  ViewedPathCheck(FileSystem& files, FileViews views);
  ~ViewedPathCheck();
  PathVerdict Check(Readers readers, const std::string& text, const std::string& endMarker,
                    bool acceptFolder, const std::string& allowedDrives);
  // Whether `path` names a file for any of the readers.
  bool FileExists(Readers readers, const std::string& path);

 private:
  class View;
  FileSystem& files_;
  FileViews views_;
  std::unique_ptr<View> native_, wow32_;
};

}  // namespace kelvane
