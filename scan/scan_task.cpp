#include "scan/scan_task.h"

#include <condition_variable>
#include <mutex>
#include <system_error>

namespace kelvane {

namespace {

// A batch of rows goes to the results model when it is this large, or when its first
// row has waited this long: the list keeps up with the scan without a lock and a
// window message per row.
constexpr size_t kRowBatch = 256;
constexpr std::chrono::milliseconds kRowWait{100};

// What a category scanned ahead shows: only its last key text, given when the body
// reaches it.
class LastKeyText : public ScanEvents {
 public:
  void BeginCategory() override {}
  void EndCategory() override {}
  void SetStatusText(const std::string&) override {}
  void SetKeyText(const std::string& text) override { last = text; }
  void RowAdded() override {}
  void CloseRequest() override {}
  std::string last;
};

// A scanner of a category scanned ahead threw something other than Stop.
struct ScannedAheadFailed {};

// The categories the body has not reached yet, taken from the back of the list by a
// second thread. Each one is claimed once, by the body or by the helper.
class ScanAhead {
 public:
  struct Outcome {
    std::vector<IssueRow> rows;
    std::string lastKey;  // as the key label would have shown it last
    bool done = false;    // the helper has left the category
    bool failed = false;  // its scanner threw: the scan ends with it
    bool stopped = false;
  };

  ScanAhead(Platform platform, const std::vector<Category>& categories,
            const std::string& allowedDrives, std::atomic<bool>& quit)
      : categories_(categories),
        outcomes_(categories.size()),
        back_(categories.size()),
        quit_(quit),
        context_(platform, keyText_, allowedDrives, quit) {
    size_t scanners = 0;
    for (const Category& category : categories)
      scanners += category.scanner ? 1 : 0;
    if (scanners < 2)
      return;
    try {
      thread_ = std::thread([this] { Run(); });
    } catch (const std::system_error&) {
      // No second thread: the body scans every category itself.
    }
  }

  ~ScanAhead() {
    quit_.store(true);
    if (thread_.joinable())
      thread_.join();
  }
  ScanAhead(const ScanAhead&) = delete;
  ScanAhead& operator=(const ScanAhead&) = delete;

  // True when the body scans category `index` itself; false when the helper has it.
  bool ClaimFront(size_t index) {
    std::lock_guard lock(mutex_);
    if (index >= back_)
      return false;
    front_ = index + 1;
    return true;
  }

  // Waits for the helper to leave category `index`; nullptr when it was stopped.
  Outcome* Wait(size_t index) {
    std::unique_lock lock(mutex_);
    Outcome& outcome = outcomes_[index];
    ended_.wait(lock, [&] { return outcome.done; });
    return outcome.stopped ? nullptr : &outcome;
  }

 private:
  void Run() {
    for (;;) {
      size_t index = 0;
      {
        std::lock_guard lock(mutex_);
        if (back_ <= front_ || quit_.load())
          return;
        index = --back_;
      }
      Outcome& outcome = outcomes_[index];
      bool failed = false, stopped = false;
      context_.KeepRowsIn(&outcome.rows);
      try {
        if (categories_[index].scanner)
          categories_[index].scanner(context_);
        context_.FlushRows();
      } catch (const OperationCancelled&) {
        stopped = true;
      } catch (...) {
        failed = true;
        context_.FlushRows();  // keeps the rows found before the failure
      }
      {
        std::lock_guard lock(mutex_);
        outcome.lastKey = std::move(keyText_.last);
        keyText_.last.clear();
        outcome.done = true;
        outcome.failed = failed;
        outcome.stopped = stopped;
      }
      ended_.notify_all();
      // The categories before a failed one are still the body's to scan; none after it
      // counts.
      if (failed || stopped)
        return;
    }
  }

  const std::vector<Category>& categories_;
  std::vector<Outcome> outcomes_;
  std::mutex mutex_;
  std::condition_variable ended_;
  // The categories from front_ up to back_ are nobody's yet. The first one is always
  // the body's: it starts on it at once.
  size_t front_ = 1;
  size_t back_;
  std::atomic<bool>& quit_;
  LastKeyText keyText_;  // the helper's own
  ScanContext context_;
  std::thread thread_;
};

}  // namespace

std::string BuildAllowedDrives(FileSystem& files, bool includeRemoveMedia, bool includeCdDrive) {
  std::string drives = includeRemoveMedia ? "ab" : "";
  // Each letter is asked once, and letters not in use not at all: under Wine each
  // answer is a round trip to the mount manager in another process.
  const std::optional<uint32_t> inUse = files.DrivesInUse();
  for (char letter = 'c'; letter <= 'z'; ++letter) {
    const bool asked = !inUse || (*inUse >> (letter - 'a') & 1) != 0;
    const DriveType type =
        asked ? files.GetDriveType(std::string(1, letter) + ":\\") : DriveType::kNoRootDir;
    if (type == DriveType::kCdRom) {
      if (!includeCdDrive)
        continue;
      drives.push_back(letter);
    }
    if (includeRemoveMedia) {
      drives.push_back(letter);
    } else if (type == DriveType::kFixed) {
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
PathState StoppableFileSystem::Probe(const std::string& path) {
  Check();
  return inner_.Probe(path);
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
      answers_(platform.files),
      files_(answers_, stop),
      results_(&results),
      events_(events),
      allowedDrives_(std::move(allowedDrives)),
      stop_(stop) {}

ScanContext::ScanContext(Platform platform, ScanEvents& events, std::string allowedDrives,
                         const std::atomic<bool>& stop)
    : platform_(platform),
      answers_(platform.files),
      files_(answers_, stop),
      results_(nullptr),
      events_(events),
      allowedDrives_(std::move(allowedDrives)),
      stop_(stop) {}

Registry ScanContext::NewRegistry(RootKey root, KeyAccess access) {
  Registry registry(platform_.registry, access, &stop_);
  registry.SetRoot(root);
  return registry;
}

bool ScanContext::BatchDue() const {
  return pending_.size() >= kRowBatch ||
         std::chrono::steady_clock::now() - firstPending_ >= kRowWait;
}

void ScanContext::ShowScanKey(const std::string& path) {
  events_.SetKeyText(FormatScanKey(path));
  if (!pending_.empty() && BatchDue())
    FlushRows();
}

void ScanContext::AddIssueRow(const std::string& problem, const std::string& key,
                              const std::string& value, RowKind kind) {
  CheckStop();
  if (pending_.empty())
    firstPending_ = std::chrono::steady_clock::now();
  pending_.push_back(IssueRow{problem, key, value, kind, false});
  if (BatchDue())
    FlushRows();
}

void ScanContext::FlushRows() {
  if (pending_.empty())
    return;
  if (kept_ || !results_) {
    if (kept_)
      kept_->insert(kept_->end(), std::make_move_iterator(pending_.begin()),
                    std::make_move_iterator(pending_.end()));
    pending_.clear();
    return;
  }
  std::vector<IssueRow> rows;
  rows.swap(pending_);
  if (!results_->AppendBatch(std::move(rows), &stop_))
    throw OperationCancelled();
  events_.RowAdded();
}

void ScanContext::AddRows(std::vector<IssueRow> rows) {
  CheckStop();
  if (pending_.empty())
    firstPending_ = std::chrono::steady_clock::now();
  pending_.insert(pending_.end(), std::make_move_iterator(rows.begin()),
                  std::make_move_iterator(rows.end()));
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
  aheadStop_.store(true);
}

void ScanContext::CheckStop() const {
  if (stop_.load())
    throw OperationCancelled();
}

void ScanTask::Execute() {
  ScanContext context(platform_, results_, events_, allowedDrives_, stop_);
  ScanAhead ahead(platform_, categories_, allowedDrives_, aheadStop_);
  try {
    for (size_t i = 0; i < categories_.size(); ++i) {
      const Category& category = categories_[i];
      if (stop_.load())
        return;
      events_.BeginCategory();
      if (stop_.load())
        return;
      if (category.scanner && *category.status)
        events_.SetStatusText(category.status);
      if (ahead.ClaimFront(i)) {
        if (category.scanner)
          category.scanner(context);
      } else {
        ScanAhead::Outcome* outcome = ahead.Wait(i);
        if (!outcome)
          return;
        if (!outcome->lastKey.empty())
          events_.SetKeyText(outcome->lastKey);
        context.AddRows(std::move(outcome->rows));
        if (outcome->failed)
          throw ScannedAheadFailed{};
      }
      context.FlushRows();
      events_.EndCategory();
    }
  } catch (const OperationCancelled&) {
    return;  // Stop: the window is already closing
  } catch (...) {
    // A scanner failed. The categories after it are not run, the rows found so far
    // stay, and the window is still asked to close so that an unattended run goes on.
    try {
      context.FlushRows();
    } catch (const OperationCancelled&) {
      return;
    }
  }
  if (!stop_.load())
    events_.CloseRequest();
}

}  // namespace kelvane
