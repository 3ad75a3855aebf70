// What the program asks of the system, behind interfaces with a Win32 implementation
// (platform/win32) and a portable one for native tests (platform/portable). One
// `Platform` bundles them and is handed down; core code includes no Windows header.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/registry.h"
#include "platform/unique_handle.h"

namespace kelvane {

enum class DriveType : uint32_t {
  kUnknown = 0,
  kNoRootDir = 1,
  kRemovable = 2,
  kFixed = 3,
  kRemote = 4,
  kCdRom = 5,
  kRamDisk = 6,
};

inline constexpr uint32_t kAttrReadOnly = 0x1;
inline constexpr uint32_t kAttrHidden = 0x2;
inline constexpr uint32_t kAttrDirectory = 0x10;

struct LocalTime {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};

struct FileEntry {
  std::string name;
  uint32_t attributes = 0;
  uint64_t size = 0;
  LocalTime modified;
  bool IsFolder() const { return (attributes & kAttrDirectory) != 0; }
};

// An open C runtime file, closed with its holder.
inline void CloseFileUnchecked(std::FILE* file) {
  std::fclose(file);
}
using FilePtr = UniqueHandle<std::FILE*, &CloseFileUnchecked>;

// Closes `file` now; true when the close succeeded, so that what was buffered reached the
// system. `file` holds nothing afterwards.
inline bool CloseFile(FilePtr& file) {
  return std::fclose(file.Release()) == 0;
}

// What one question about a path finds.
enum class PathState {
  kAbsent,  // the system reports that nothing of that name exists
  kFile,
  kFolder,
  kUnknown,  // not found for another reason (a name the system refuses, access, ...)
};

// Paths are Windows paths in UTF-8 ("C:\Tools\app.exe"), in any script.
class FileSystem {
 public:
  virtual ~FileSystem() = default;
  virtual bool FileExists(const std::string& path) = 0;  // a file, not a folder
  virtual bool FolderExists(const std::string& path) = 0;
  // FileExists and FolderExists in one question, and why a path is neither.
  virtual PathState Probe(const std::string& path);
  // Every entry of the folder, hidden and system ones included, without "." and "..".
  virtual std::vector<FileEntry> ListFolder(const std::string& folder) = 0;
  virtual DriveType GetDriveType(const std::string& root) = 0;  // root as "c:\"
  // The drive letters in use, bit 0 for "A:", when the system can say so in one
  // question; a letter outside them has no root (kNoRootDir).
  virtual std::optional<uint32_t> DrivesInUse() { return std::nullopt; }
  // Expands %NAME% references; nothing when the expansion fails.
  virtual std::optional<std::string> ExpandEnvironment(const std::string& text) = 0;
  virtual bool CreateFolders(const std::string& path) = 0;  // with all missing parents
  // Removes the file for good, silently (no recycle bin, no question).
  virtual bool DeleteFileSilently(const std::string& path) = 0;
  virtual FilePtr OpenFile(const std::string& path, const char* mode) = 0;
  // Hands what the C runtime holds of an open file to the system and has the system
  // write the file to the disk, not only into its cache, before it answers: what a
  // power cut may not take. False when either step fails.
  virtual bool FlushToDisk(std::FILE* file) = 0;
  // Cuts an open file back to its first `size` bytes where it lies: the bytes before
  // are not written again, so a power cut meanwhile cannot take them.
  virtual bool TruncateFile(std::FILE* file, uint64_t size) = 0;
  // Moves a file to `to`, replacing a file of that name. The system's move serves
  // where there is one; this fallback copies through OpenFile and removes `from`.
  virtual bool MoveFileReplacing(const std::string& from, const std::string& to);
};

// The rest of an open file from where it stands; nothing when the read fails.
std::optional<std::string> ReadToEnd(std::FILE* file);
// A whole file; nothing when it cannot be opened or read.
std::optional<std::string> ReadFileText(FileSystem& files, const std::string& path);

// A file system that hands every question to another one: the base of the wrappers
// that change or watch only some questions (the scan's answer cache and Stop check,
// the tests' faulty file systems, the benchmarks' counters).
class ForwardingFileSystem : public FileSystem {
 public:
  explicit ForwardingFileSystem(FileSystem& inner) : inner_(inner) {}
  bool FileExists(const std::string& path) override { return inner_.FileExists(path); }
  bool FolderExists(const std::string& path) override { return inner_.FolderExists(path); }
  PathState Probe(const std::string& path) override { return inner_.Probe(path); }
  std::vector<FileEntry> ListFolder(const std::string& folder) override {
    return inner_.ListFolder(folder);
  }
  DriveType GetDriveType(const std::string& root) override { return inner_.GetDriveType(root); }
  std::optional<uint32_t> DrivesInUse() override { return inner_.DrivesInUse(); }
  std::optional<std::string> ExpandEnvironment(const std::string& text) override {
    return inner_.ExpandEnvironment(text);
  }
  bool CreateFolders(const std::string& path) override { return inner_.CreateFolders(path); }
  bool DeleteFileSilently(const std::string& path) override {
    return inner_.DeleteFileSilently(path);
  }
  FilePtr OpenFile(const std::string& path, const char* mode) override {
    return inner_.OpenFile(path, mode);
  }
  bool FlushToDisk(std::FILE* file) override { return inner_.FlushToDisk(file); }
  bool TruncateFile(std::FILE* file, uint64_t size) override {
    return inner_.TruncateFile(file, size);
  }
  bool MoveFileReplacing(const std::string& from, const std::string& to) override {
    return inner_.MoveFileReplacing(from, to);
  }

 protected:
  FileSystem& inner_;
};

// Special folder ids (the shell's CSIDL numbers).
namespace csidl {
inline constexpr int kPrograms = 0x02;
inline constexpr int kStartup = 0x07;
inline constexpr int kRecent = 0x08;
inline constexpr int kStartMenu = 0x0b;
inline constexpr int kDesktopDirectory = 0x10;
inline constexpr int kFonts = 0x14;
inline constexpr int kCommonStartMenu = 0x16;
inline constexpr int kCommonPrograms = 0x17;
inline constexpr int kCommonStartup = 0x18;
inline constexpr int kCommonDesktopDirectory = 0x19;
inline constexpr int kAppData = 0x1a;
}  // namespace csidl

// How the shell shows what it opens, and the window its own messages belong to.
struct ShellOpen {
  void* owner = nullptr;  // a window handle
  int showCommand = kShowNormal;

  static constexpr int kShowNormal = 1;  // SW_SHOWNORMAL
  static constexpr int kShow = 5;        // SW_SHOW
};

class Shell {
 public:
  virtual ~Shell() = default;
  // Path of a special folder, without trailing separator; nothing when unknown.
  virtual std::optional<std::string> SpecialFolder(int csidl) = 0;
  // Target path of a shortcut file; nothing when it cannot be loaded or names no path.
  // Raises when shortcuts cannot be read at all (no shell link object).
  virtual std::optional<std::string> ResolveShortcut(const std::string& path) = 0;
  // Shell verb "Open" with the show command and owner window (a window handle, or null)
  // of `how`. False when the shell reports a failure.
  virtual bool Open(const std::string& file, const std::string& parameters,
                    const ShellOpen& how) = 0;
  // Moves one existing file to the recycle bin, silently. False when the file is still
  // where it was afterwards.
  virtual bool MoveToRecycleBin(const std::string& path) = 0;
  // Folder of the program's own executable, with trailing separator.
  virtual std::string ExecutableFolder() = 0;
  // The Windows folder and the system folder, without trailing separator.
  virtual std::string WindowsFolder() = 0;
  virtual std::string SystemFolder() = 0;
};

// The system's version record (platform id 2 is the NT family, 1 the 95/98/Me family).
struct VersionRecord {
  uint32_t platformId = 2;
  uint32_t major = 10;
  uint32_t minor = 0;
};

class SystemInfo {
 public:
  virtual ~SystemInfo() = default;
  virtual std::optional<VersionRecord> Version() = 0;
  virtual LocalTime Now() = 0;
  // Whether Windows itself is 64-bit (whatever this program is built for): its
  // registry then has a 32-bit view beside the 64-bit one.
  virtual bool Is64BitWindows() { return false; }
};

// Entry-by-entry access to an initialization file (the private-profile functions).
class ProfileStore {
 public:
  virtual ~ProfileStore() = default;
  virtual std::string GetString(const std::string& section, const std::string& key,
                                const std::string& fallback, const std::string& file) = 0;
  virtual bool WriteString(const std::string& section, const std::string& key,
                           const std::string& value, const std::string& file) = 0;
};

// Programs started by the program (the registry editor, the backup tool).
class Processes {
 public:
  virtual ~Processes() = default;
  using Id = uint64_t;
  virtual std::optional<Id> Start(const std::string& commandLine, bool hidden) = 0;
  // Starts exactly the program at `application` (a full path, so no search of the
  // program's own folder, the current folder or PATH), with `commandLine` as its
  // command line and no handles of this process inherited.
  virtual std::optional<Id> StartProgram(const std::string& application,
                                         const std::string& commandLine, bool hidden) = 0;
  // True while the process runs.
  virtual bool IsRunning(Id id) = 0;
  // Ends the process and waits a little for it to be gone, so that the files it had
  // open can be removed.
  virtual void Terminate(Id id) = 0;
  virtual void Release(Id id) = 0;
};

// The registry editor of the Windows folder, by full path, so that no program of the
// same name beside the program, in the current folder or on the search path is
// started in its place.
std::string RegistryEditorPath(Shell& shell);

struct Platform {
  RegistryBackend& registry;
  FileSystem& files;
  Shell& shell;
  SystemInfo& system;
  ProfileStore& profile;
  Processes& processes;
};

}  // namespace kelvane
