// The system services as Windows provides them (advapi32, kernel32, shell32).
#pragma once

#include <memory>

#include "platform/platform.h"
#include "platform/wow64_files.h"

namespace kelvane {

class Win32Registry : public RegistryBackend {
 public:
  std::unique_ptr<BackendKey> OpenRoot(RootKey root) override;
};

class Win32FileSystem : public FileSystem {
 public:
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
};

class Win32Shell : public Shell {
 public:
  std::optional<std::string> SpecialFolder(int csidl) override;
  std::optional<std::string> ResolveShortcut(const std::string& path) override;
  bool Open(const std::string& file, const std::string& parameters, const ShellOpen& how) override;
  bool MoveToRecycleBin(const std::string& path) override;
  std::string ExecutableFolder() override;
  std::string WindowsFolder() override;
  std::string SystemFolder() override;
};

class Win32SystemInfo : public SystemInfo {
 public:
  std::optional<VersionRecord> Version() override;
  LocalTime Now() override;
  bool Is64BitWindows() override;
};

class Win32ProfileStore : public ProfileStore {
 public:
  std::string GetString(const std::string& section, const std::string& key,
                        const std::string& fallback, const std::string& file) override;
  bool WriteString(const std::string& section, const std::string& key, const std::string& value,
                   const std::string& file) override;
};

class Win32Processes : public Processes {
 public:
  ~Win32Processes() override;
  std::optional<Id> Start(const std::string& commandLine, bool hidden) override;
  std::optional<Id> StartProgram(const std::string& application, const std::string& commandLine,
                                 bool hidden) override;
  bool IsRunning(Id id) override;
  void Terminate(Id id) override;
  void Release(Id id) override;
};

class Win32Platform {
 public:
  // The 32-bit build on 64-bit Windows probes the files of 64-bit programs through
  // "Sysnative" (NativeFilesFromWow64), so both builds judge every entry alike.
  Win32Platform();
  Win32Platform(const Win32Platform&) = delete;
  Win32Platform& operator=(const Win32Platform&) = delete;

  Win32Registry registry;
  Win32FileSystem files;
  Win32Shell shell;
  Win32SystemInfo system;
  Win32ProfileStore profile;
  Win32Processes processes;
  Platform Get() {
    FileSystem& probed = wow64Files_ ? static_cast<FileSystem&>(*wow64Files_) : files;
    return Platform{registry, probed, shell, system, profile, processes};
  }

 private:
  std::unique_ptr<NativeFilesFromWow64> wow64Files_;
};

}  // namespace kelvane
