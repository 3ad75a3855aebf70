// Portable stand-ins for the system services, for the native build and its tests:
// drive letters mapped to host folders, an environment and special folders set by the
// test, an in-memory registry, an initialization-file layer with the observable
// behaviour of the private-profile functions.
#pragma once

#include <functional>
#include <map>
#include <set>
#include <mutex>

#include "platform/platform.h"
#include "platform/portable/memory_registry.h"

namespace kelvane {

class PortableFileSystem : public FileSystem {
 public:
  // Maps a drive letter to a host folder. Letters not mapped have no root.
  void MapDrive(char letter, const std::string& hostFolder, DriveType type = DriveType::kFixed);
  void SetEnvironment(const std::string& name, const std::string& value);
  // Host path for a Windows path, or nothing when the drive is not mapped or the
  // path holds characters a Windows name cannot hold. Letter case is resolved
  // against what exists, as on Windows.
  std::optional<std::string> HostPath(const std::string& path) const;

  bool FileExists(const std::string& path) override;
  bool FolderExists(const std::string& path) override;
  PathState Probe(const std::string& path) override;
  std::vector<FileEntry> ListFolder(const std::string& folder) override;
  DriveType GetDriveType(const std::string& root) override;
  std::optional<uint32_t> DrivesInUse() override;
  std::optional<std::string> ExpandEnvironment(const std::string& text) override;
  bool CreateFolders(const std::string& path) override;
  bool DeleteFileSilently(const std::string& path) override;
  FilePtr OpenFile(const std::string& path, const char* mode) override;
  bool FlushToDisk(std::FILE* file) override;
  bool TruncateFile(std::FILE* file, uint64_t size) override;
  bool MoveFileReplacing(const std::string& from, const std::string& to) override;

 private:
  struct Drive {
    std::string host;
    DriveType type = DriveType::kFixed;
  };
  std::map<char, Drive> drives_;
  std::map<std::string, std::pair<std::string, std::string>> environment_;  // upper -> name, value
};

class PortableShell : public Shell {
 public:
  // Shortcut files of the portable layer hold this line followed by the target.
  static constexpr const char* kShortcutMagic = "KELVANE-SHORTCUT";
  explicit PortableShell(PortableFileSystem& files) : files_(files) {}
  void SetSpecialFolder(int csidl, const std::string& path) { special_[csidl] = path; }
  void SetExecutableFolder(const std::string& folder) { exeFolder_ = folder; }
  // Writes a shortcut file in the portable layer's own form.
  bool CreateShortcut(const std::string& path, const std::string& target);
  // The recycle bin of the portable layer: a folder "RECYCLER" at the root of the
  // file's drive. The Windows paths of the files moved there, in order.
  const std::vector<std::string>& Recycled() const { return recycled_; }

  std::optional<std::string> SpecialFolder(int csidl) override;
  std::optional<std::string> ResolveShortcut(const std::string& path) override;
  bool Open(const std::string&, const std::string&, const ShellOpen&) override { return true; }
  bool MoveToRecycleBin(const std::string& path) override;
  std::string ExecutableFolder() override { return exeFolder_; }
  std::string WindowsFolder() override { return "C:\\WINDOWS"; }
  std::string SystemFolder() override { return "C:\\WINDOWS\\system32"; }

 private:
  PortableFileSystem& files_;
  std::map<int, std::string> special_;
  std::string exeFolder_ = "C:\\Kelvane\\";
  std::vector<std::string> recycled_;
};

class PortableSystemInfo : public SystemInfo {
 public:
  void SetVersion(std::optional<VersionRecord> version) { version_ = version; }
  std::optional<VersionRecord> Version() override { return version_; }
  LocalTime Now() override;
  void SetIs64BitWindows(bool is64Bit) { is64Bit_ = is64Bit; }
  bool Is64BitWindows() override { return is64Bit_; }

 private:
  bool is64Bit_ = false;
  std::optional<VersionRecord> version_ = VersionRecord{};
};

// Initialization files as the private-profile functions keep them.
class PortableProfileStore : public ProfileStore {
 public:
  explicit PortableProfileStore(PortableFileSystem& files) : files_(files) {}
  std::string GetString(const std::string& section, const std::string& key,
                        const std::string& fallback, const std::string& file) override;
  bool WriteString(const std::string& section, const std::string& key, const std::string& value,
                   const std::string& file) override;

 private:
  PortableFileSystem& files_;
};

// Processes that do nothing but are recorded; a test decides when they end.
class PortableProcesses : public Processes {
 public:
  struct Program {
    std::string application;  // empty for Start
    std::string commandLine;
  };
  const std::vector<std::string>& Started() const { return started_; }
  const std::vector<Program>& Programs() const { return programs_; }
  const std::vector<Id>& Terminated() const { return terminated_; }
  // Whether started processes run until Finish or Terminate (default: they end at once).
  void KeepRunning(bool on) { keepRunning_ = on; }
  void Finish(Id id) { running_.erase(id); }
  // Called for each start, as the program would act (write a file, say).
  std::function<void(const Program&)> onStart;
  // Applications that "do not exist": starting them fails.
  std::vector<std::string> missing;

  std::optional<Id> Start(const std::string& commandLine, bool hidden) override;
  std::optional<Id> StartProgram(const std::string& application, const std::string& commandLine,
                                 bool hidden) override;
  bool IsRunning(Id id) override { return running_.count(id) != 0; }
  void Terminate(Id id) override;
  void Release(Id) override {}

 private:
  std::vector<std::string> started_;
  std::vector<Program> programs_;
  std::vector<Id> terminated_;
  std::set<Id> running_;
  bool keepRunning_ = false;
};

// Everything bundled, owned in one place.
class PortablePlatform {
 public:
  PortablePlatform() = default;
  PortablePlatform(const PortablePlatform&) = delete;
  PortablePlatform& operator=(const PortablePlatform&) = delete;

  MemoryRegistry registry;
  PortableFileSystem files;
  PortableShell shell{files};
  PortableSystemInfo system;
  PortableProfileStore profile{files};
  PortableProcesses processes;
  Platform Get() { return Platform{registry, files, shell, system, profile, processes}; }
};

}  // namespace kelvane
