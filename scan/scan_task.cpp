#include "scan/scan_task.h"

#include <algorithm>
#include <exception>
#include <utility>

#include "scan/scan_ahead.h"

namespace kelvane {

namespace {

// A batch of rows goes to the results model when it is this large, or when its first
// row has waited this long: the list keeps up with the scan without a lock and a
// window message per row.
constexpr size_t kRowBatch = 256;
constexpr std::chrono::milliseconds kRowWait{100};

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
  // Up to each bound the bar moves by its step; past the last it stays.
  constexpr std::pair<int, int> kSteps[] = {{200, 10}, {400, 5}, {700, 3}, {800, 2}, {998, 1}};
  for (const auto& [bound, step] : kSteps) {
    if (p <= bound)
      return p + step;
  }
  return p;
}

ScanContext::ScanContext(Platform platform, ScanEvents& events, std::string allowedDrives,
                         const std::atomic<bool>& stop)
    : platform_(platform),
      answers_(platform.files),
      files_(answers_, stop),
      paths_(files_, ReadFileViews(platform.files, platform.shell.WindowsFolder(),
                                   platform.system.Is64BitWindows())),
      results_(nullptr),
      events_(events),
      allowedDrives_(std::move(allowedDrives)),
      stop_(stop) {}

ScanContext::ScanContext(Platform platform, ResultsModel& results, ScanEvents& events,
                         std::string allowedDrives, const std::atomic<bool>& stop)
    : ScanContext(platform, events, std::move(allowedDrives), stop) {
  results_ = &results;
}

Registry ScanContext::NewRegistry(RootKey root, KeyAccess access) {
  Registry registry(platform_.registry, access, &stop_);
  registry.SetRoot(root);
  return registry;
}

PathVerdict ScanContext::CheckPath(RootKey root, std::string_view keyPath, const std::string& text,
                                   const std::string& endMarker, bool acceptFolder) {
  return paths_.Check(ReadersOfKey(root, keyPath), text, endMarker, acceptFolder, allowedDrives_);
}

PathVerdict ScanContext::CheckPath(Readers readers, const std::string& text,
                                   const std::string& endMarker, bool acceptFolder) {
  return paths_.Check(readers, text, endMarker, acceptFolder, allowedDrives_);
}

bool ScanContext::FileExists(RootKey root, std::string_view keyPath, const std::string& path) {
  return paths_.FileExists(ReadersOfKey(root, keyPath), path);
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

void ScanContext::AddIssueRow(const std::string& problem, RowTarget target,
                              const std::string& value, std::string reason, RowKind kind) {
  CheckStop();
  IssueRow row = MakeIssueRow(problem, std::move(target), kind, value, std::move(reason));
  // A key path, value text or reason that holds a NUL names what no call can reach
  // exactly (the system would see the text before it), so no category reports it.
  if (HoldsNul(row.key) || HoldsNul(row.value) || HoldsNul(row.reason))
    return;
  row.category = category_;
  if (pending_.empty())
    firstPending_ = std::chrono::steady_clock::now();
  pending_.push_back(std::move(row));
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
  for (IssueRow& row : rows)
    row.category = category_;
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
  Join();
}

void ScanTask::Join() {
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
  const auto scanners = std::count_if(categories_.begin(), categories_.end(),
                                      [](const Category& category) { return category.scanner; });
  ScanAhead ahead(
      context, categories_.size(),
      [this](size_t index, ScanContext& part) {
        if (categories_[index].scanner)
          categories_[index].scanner(part);
      },
      aheadStop_, scanners > 1);
  // Declared after `ahead`, so that it runs first when the body leaves: the second
  // thread leaves at its next probe instead of ending its category.
  struct LeaveAhead {
    std::atomic<bool>& flag;
    ~LeaveAhead() { flag.store(true); }
  } leaveAhead{aheadStop_};
  size_t i = 0;
  try {
    for (; i < categories_.size(); ++i) {
      const Category& category = categories_[i];
      if (stop_.load())
        return;
      events_.BeginCategory();
      if (stop_.load())
        return;
      if (category.scanner && *category.status)
        events_.SetStatusText(category.status);
      context.SetCategory(category.id);
      ahead.Report(i, context);
      context.FlushRows();
      events_.EndCategory();
    }
  } catch (const OperationCancelled&) {
    return;  // Stop: the window is already closing
  } catch (const std::exception& e) {
    failure_ = ScanFailureText(categories_[i].caption, e.what());
  } catch (...) {
    failure_ = ScanFailureText(categories_[i].caption, "");
  }
  // A scanner failed: the categories after it are not run, the rows found so far
  // stay, and the window is still asked to close so that an unattended run goes on.
  if (!failure_.empty()) {
    try {
      context.FlushRows();
    } catch (const OperationCancelled&) {
      return;
    }
  }
  if (!stop_.load())
    events_.CloseRequest();
}

std::string ScanFailureText(const std::string& category, const std::string& error) {
  std::string text = "The scan stopped in the category \"" + category + "\"";
  text += error.empty() ? "." : ": " + error + ".";
  text +=
      "\r\nThe problems found in that category are incomplete, and the categories after it "
      "were not scanned.";
  return text;
}

}  // namespace kelvane
