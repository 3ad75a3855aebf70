// How many file-system probes the path check makes, and how long one call takes, for
// texts typical of what the scanners find. Natively the files live on the portable
// file system (drive C: mapped to a temporary folder); as .exe under Wine, on C:.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "scan/path_check.h"

#ifdef _WIN32
#include <cstdlib>

#include "platform/win32/win32_platform.h"
#else
#include <unistd.h>

#include <filesystem>

#include "platform/portable/portable_platform.h"
#endif

namespace {

using kelvane::FileSystem;

// Counts every question put to the file system.
class CountingFileSystem : public kelvane::ForwardingFileSystem {
 public:
  explicit CountingFileSystem(FileSystem& inner) : ForwardingFileSystem(inner) {}
  // Asked as two questions, so that each is counted.
  kelvane::PathState Probe(const std::string& path) override { return FileSystem::Probe(path); }
  bool FileExists(const std::string& path) override {
    ++probes;
    return inner_.FileExists(path);
  }
  bool FolderExists(const std::string& path) override {
    ++probes;
    return inner_.FolderExists(path);
  }
  std::vector<kelvane::FileEntry> ListFolder(const std::string& folder) override {
    ++probes;
    return inner_.ListFolder(folder);
  }
  std::optional<std::string> ExpandEnvironment(const std::string& text) override {
    ++expansions;
    return inner_.ExpandEnvironment(text);
  }
  long probes = 0;
  long expansions = 0;
};

struct Sample {
  const char* what;
  std::string text;
  std::string marker;
  bool acceptFolder;
};

void WriteFile(FileSystem& files, const std::string& path) {
  files.CreateFolders(path.substr(0, path.rfind('\\')));
  kelvane::FilePtr file = files.OpenFile(path, "wb");
  if (file)
    std::fputs("x", file.Get());
}

}  // namespace

int main() {
#ifdef _WIN32
  kelvane::Win32FileSystem native;
  const std::string root = "C:\\kelvane-bench";
  _putenv_s("KELVANE_BENCH_DIR", root.c_str());
  const char* platformName = "Win32";
#else
  kelvane::PortableFileSystem native;
  std::string host = (std::filesystem::temp_directory_path() / "kelvane-bench-XXXXXX").string();
  if (!mkdtemp(host.data()))
    return 1;
  native.MapDrive('c', host);
  const std::string root = "C:\\kelvane-bench";
  native.SetEnvironment("KELVANE_BENCH_DIR", root);
  const char* platformName = "portable";
#endif
  for (const char* file :
       {"\\Program Files\\App\\app.exe", "\\Win\\notepad.exe", "\\Tools\\tool.dll"}) {
    WriteFile(native, root + file);
  }
  const std::string app = root + "\\Program Files\\App\\";
  const std::vector<Sample> samples = {
      {"quoted program with arguments", "\"" + app + "app.exe\" /background", "", false},
      {"program with arguments", app + "app.exe /background /min", "", false},
      {"missing program with arguments", app + "gone.exe /background /min", "", false},
      {"program without extension", root + "\\Win\\notepad /p", "", false},
      {"leading variable", "%KELVANE_BENCH_DIR%\\Win\\notepad.exe", "", false},
      {"folder, folders accepted", app, "", true},
      {"App Paths entry (end marker)", app + "APP.EXE", "app.exe", true},
      {"library with index (end marker)", root + "\\Tools\\tool.dll,3", ".dll", false},
      {"arguments with backslashes", app + "app.exe /log logs\\today.txt", "", false},
      {"missing, arguments with backslashes", app + "gone.exe /log logs\\today.txt", "", false},
      {"missing, 300 characters, prefix walk", root + "\\Gone\\" + std::string(280, 'x') + "\\y",
       "", false},
      {"bare program name", "rundll32.exe shell32.dll,Control_RunDLL", "", false},
      {"second path in the arguments", app + "app.exe " + root + "\\doc.txt", "", false},
  };

  CountingFileSystem files(native);
  std::printf("path check on the %s file system\n", platformName);
  std::printf("%-38s %7s %7s %12s\n", "text", "result", "probes", "us per call");
  for (const Sample& sample : samples) {
    files.probes = files.expansions = 0;
    const bool missing =
        kelvane::CheckPath(files, sample.text, sample.marker, sample.acceptFolder, "c").missing;
    const long probes = files.probes;
    // Repeat for at least 200 ms to time one call.
    using Clock = std::chrono::steady_clock;
    const auto start = Clock::now();
    long calls = 0;
    auto elapsed = Clock::duration::zero();
    do {
      for (int i = 0; i < 20; ++i) {
        kelvane::CheckPath(files, sample.text, sample.marker, sample.acceptFolder, "c");
      }
      calls += 20;
      elapsed = Clock::now() - start;
    } while (elapsed < std::chrono::milliseconds(200));
    const double micros =
        std::chrono::duration<double, std::micro>(elapsed).count() / static_cast<double>(calls);
    std::printf("%-38s %7s %7ld %12.1f\n", sample.what, missing ? "missing" : "-", probes, micros);
  }

#ifdef _WIN32
  for (const char* file :
       {"\\Program Files\\App\\app.exe", "\\Win\\notepad.exe", "\\Tools\\tool.dll"}) {
    native.DeleteFileSilently(root + file);
  }
#else
  std::error_code ec;
  std::filesystem::remove_all(host, ec);
#endif
  return 0;
}
