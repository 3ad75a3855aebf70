#include "scan/scan_task.h"

namespace kelvane {

std::string BuildAllowedDrives(FileSystem& files, bool includeRemoveMedia, bool includeCdDrive) {
  std::string drives = includeRemoveMedia ? "ab" : "";
  for (char letter = 'c'; letter <= 'z'; ++letter) {
    const std::string root = std::string(1, letter) + ":\\";
    if (files.GetDriveType(root) == DriveType::kCdRom) {
      if (!includeCdDrive)
        continue;
      drives.push_back(letter);
    }
    if (includeRemoveMedia) {
      drives.push_back(letter);
    } else if (files.GetDriveType(root) == DriveType::kFixed) {
      drives.push_back(letter);
    }
  }
  return drives;
}

std::string FormatScanKey(const std::string& path) {
  if (path.size() <= 53)
    return path;
  return path.substr(0, 53) + "\r\n" + path.substr(53, 100);
}

int NextBarPosition(int p) {
  if (p <= 200)
    return p + 10;
  if (p <= 400)
    return p + 5;
  if (p <= 700)
    return p + 3;
  if (p <= 800)
    return p + 2;
  if (p <= 998)
    return p + 1;
  return p;
}

void StoppableFileSystem::Check() const {
  if (stop_.load(std::memory_order_relaxed))
    throw OperationCancelled();
}
bool StoppableFileSystem::FileExists(const std::string& path) {
  Check();
  return inner_.FileExists(path);
}
bool StoppableFileSystem::FolderExists(const std::string& path) {
  Check();
  return inner_.FolderExists(path);
}
std::vector<FileEntry> StoppableFileSystem::ListFolder(const std::string& folder) {
  Check();
  return inner_.ListFolder(folder);
}
DriveType StoppableFileSystem::GetDriveType(const std::string& root) {
  Check();
  return inner_.GetDriveType(root);
}
std::optional<std::string> StoppableFileSystem::ExpandEnvironment(const std::string& text) {
  Check();
  return inner_.ExpandEnvironment(text);
}
bool StoppableFileSystem::CreateFolders(const std::string& path) {
  Check();
  return inner_.CreateFolders(path);
}
bool StoppableFileSystem::DeleteFileSilently(const std::string& path) {
  Check();
  return inner_.DeleteFileSilently(path);
}
FilePtr StoppableFileSystem::OpenFile(const std::string& path, const char* mode) {
  Check();
  return inner_.OpenFile(path, mode);
}

ScanContext::ScanContext(Platform platform, ResultsModel& results, ScanEvents& events,
                         std::string allowedDrives, const std::atomic<bool>& stop)
    : platform_(platform),
      files_(platform.files, stop),
      results_(results),
      events_(events),
      allowedDrives_(std::move(allowedDrives)),
      stop_(stop) {}

Registry ScanContext::NewRegistry(RootKey root, KeyAccess access) {
  Registry registry(platform_.registry, access, &stop_);
  registry.SetRoot(root);
  return registry;
}

void ScanContext::AddIssueRow(const std::string& problem, const std::string& key,
                              const std::string& value, RowKind kind) {
  if (!results_.Append(IssueRow{problem, key, value, kind, false}, &stop_)) {
    throw OperationCancelled();
  }
  events_.RowAdded();
}

ScanTask::ScanTask(Platform platform, ResultsModel& results, ScanEvents& events,
                   std::vector<Category> categories, std::string allowedDrives)
    : platform_(platform),
      results_(results),
      events_(events),
      categories_(std::move(categories)),
      allowedDrives_(std::move(allowedDrives)) {}

ScanTask::~ScanTask() {
  Stop();
  if (thread_.joinable())
    thread_.join();
}

void ScanTask::Start() {
  thread_ = std::thread([this] { Execute(); });
}

void ScanTask::Stop() {
  results_.RaiseStop(stop_);
}

void ScanTask::Execute() {
  ScanContext context(platform_, results_, events_, allowedDrives_, stop_);
  try {
    for (const Category& category : categories_) {
      if (stop_.load())
        return;
      events_.BeginCategory();
      if (stop_.load())
        return;
      if (category.scanner) {
        if (*category.status)
          events_.SetStatusText(category.status);
        category.scanner(context);
      }
      events_.EndCategory();
    }
  } catch (const OperationCancelled&) {
    return;  // Stop: the window is already closing
  } catch (...) {
    // A scanner failed. The categories after it are not run, the rows found so far
    // stay, and the window is still asked to close so that an unattended run goes on.
  }
  if (!stop_.load())
    events_.CloseRequest();
}

}  // namespace kelvane
