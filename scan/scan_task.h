// The scan: the worker body that runs the ticked categories one after the other,
// what it tells the progress window, and the context every category scanner gets.
#pragma once

#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "results/results_model.h"
#include "scan/categories.h"
#include "platform/platform.h"
#include "scan/file_answer_cache.h"
#include "scan/file_views.h"

namespace kelvane {

// What the worker tells its window. BeginCategory and EndCategory run on the
// user-interface thread while the worker waits; an implementation returns early
// once the scan is stopped. The others are fire-and-forget.
class ScanEvents {
 public:
  virtual ~ScanEvents() = default;
  virtual void BeginCategory() = 0;
  virtual void EndCategory() = 0;
  virtual void SetStatusText(const std::string& text) = 0;
  virtual void SetKeyText(const std::string& text) = 0;
  virtual void RowAdded() = 0;
  virtual void CloseRequest() = 0;
};

// Events nobody watches: a scan run on the calling thread with no window.
class UnwatchedScan : public ScanEvents {
 public:
  void BeginCategory() override {}
  void EndCategory() override {}
  void SetStatusText(const std::string&) override {}
  void SetKeyText(const std::string&) override {}
  void RowAdded() override {}
  void CloseRequest() override {}
};

// What a part scanned on another thread shows: only its last key text, given when the
// scan reaches the part.
class LastKeyText : public UnwatchedScan {
 public:
  void SetKeyText(const std::string& text) override { last = text; }
  std::string last;
};

// The drive letters whose paths a scan may judge, from the drive types and the two
// drive switches.
std::string BuildAllowedDrives(FileSystem& files, bool includeRemoveMedia, bool includeCdDrive);

// The key label's text: 53 characters, a line break, then at most 100 more.
std::string FormatScanKey(const std::string& path);

// The progress bar's next position on a timer tick.
int NextBarPosition(int position);

// A file system whose every probe first checks the scan's Stop flag.
class StoppableFileSystem : public ForwardingFileSystem {
 public:
  StoppableFileSystem(FileSystem& inner, const std::atomic<bool>& stop)
      : ForwardingFileSystem(inner), stop_(stop) {}
  bool FileExists(const std::string& path) override {
    return Checked(&FileSystem::FileExists, path);
  }
  bool FolderExists(const std::string& path) override {
    return Checked(&FileSystem::FolderExists, path);
  }
  PathState Probe(const std::string& path) override { return Checked(&FileSystem::Probe, path); }
  std::vector<FileEntry> ListFolder(const std::string& folder) override {
    return Checked(&FileSystem::ListFolder, folder);
  }
  DriveType GetDriveType(const std::string& root) override {
    return Checked(&FileSystem::GetDriveType, root);
  }
  std::optional<std::string> ExpandEnvironment(const std::string& text) override {
    return Checked(&FileSystem::ExpandEnvironment, text);
  }
  bool CreateFolders(const std::string& path) override {
    return Checked(&FileSystem::CreateFolders, path);
  }
  bool DeleteFileSilently(const std::string& path) override {
    return Checked(&FileSystem::DeleteFileSilently, path);
  }
  FilePtr OpenFile(const std::string& path, const char* mode) override {
    return Checked(&FileSystem::OpenFile, path, mode);
  }

 private:
  // Ends the scan once Stop is pressed, else asks the inner file system.
  template <typename Answer, typename... Params, typename... Args>
  Answer Checked(Answer (FileSystem::*question)(Params...), const Args&... args) {
    if (stop_.load(std::memory_order_relaxed))
      throw OperationCancelled();
    return (inner_.*question)(args...);
  }
  const std::atomic<bool>& stop_;
};

// What a category scanner works with. Registry handles and file probes made through
// it end the scan by throwing OperationCancelled once Stop is pressed. File answers
// are kept for the life of the context, which is one scan. Rows reach the results
// model in batches: when enough are waiting, when the first of them has waited a
// moment, and when FlushRows is called (the end of each category).
class ScanContext {
 public:
  ScanContext(Platform platform, ResultsModel& results, ScanEvents& events,
              std::string allowedDrives, const std::atomic<bool>& stop);
  // A context for categories scanned ahead of their turn: it keeps its rows in the
  // list KeepRowsIn names until the worker reports them, and tells `events` only the
  // key texts.
  ScanContext(Platform platform, ScanEvents& events, std::string allowedDrives,
              const std::atomic<bool>& stop);
  // Gives the list the rows went to before.
  std::vector<IssueRow>* KeepRowsIn(std::vector<IssueRow>* kept) {
    std::swap(kept, kept_);
    return kept;
  }

  Registry NewRegistry(RootKey root, KeyAccess access = KeyAccess::kFull);
  Platform GetPlatform() const { return platform_; }
  const std::atomic<bool>& StopFlag() const { return stop_; }
  FileSystem& Files() { return files_; }
  Shell& GetShell() { return platform_.shell; }
  SystemInfo& System() { return platform_.system; }
  const std::string& AllowedDrives() const { return allowedDrives_; }
  // The path check on the allowed drives, in the file system of the programs that read
  // the entry: those of the key (ReadersOfKey), or the ones given.
  PathVerdict CheckPath(RootKey root, std::string_view keyPath, const std::string& text,
                        const std::string& endMarker, bool acceptFolder);
  PathVerdict CheckPath(Readers readers, const std::string& text, const std::string& endMarker,
                        bool acceptFolder);
  // Whether `path`, named by an entry of the key, is a file for the key's readers.
  bool FileExists(RootKey root, std::string_view keyPath, const std::string& path);

  void SetStatusText(const std::string& text) { events_.SetStatusText(text); }
  void ShowScanKey(const std::string& path);
  // A key label text made by FormatScanKey elsewhere (by a part scanned ahead).
  void ReplayKeyText(const std::string& text) { events_.SetKeyText(text); }
  // Gathers a row with `reason`, the few words that say why it is reported: built by
  // the scanner from what its check found, only for the rows it reports.
  // `target` is what the row stands for; the "Registry key" cell is made from it
  // (MakeIssueRow).
  void AddIssueRow(const std::string& problem, RowTarget target, const std::string& value,
                   std::string reason, RowKind kind);
  // The category whose rows are gathered now: each row carries its id.
  void SetCategory(int id) { category_ = id; }
  // Hands the waiting rows to the results model; throws OperationCancelled after Stop.
  void FlushRows();
  // Rows found by another context, to go out with the next batch.
  void AddRows(std::vector<IssueRow> rows);
  void CheckStop() const;

 private:
  bool BatchDue() const;

  Platform platform_;
  FileAnswerCache answers_;
  StoppableFileSystem files_;
  ViewedPathCheck paths_;
  std::vector<IssueRow> pending_;
  std::chrono::steady_clock::time_point firstPending_;
  ResultsModel* results_;
  std::vector<IssueRow>* kept_ = nullptr;
  ScanEvents& events_;
  std::string allowedDrives_;
  const std::atomic<bool>& stop_;
  int category_ = 0;
};

// One scan: the worker thread and its body. Stop raises the flag under the results
// model's lock and returns at once; the thread leaves at its next probe and is joined
// when the task is destroyed.
//
// The body reports the categories in list order; a second thread scans them from the
// back of the list meanwhile (ScanAhead, scan/scan_ahead.h), with the rows, their
// order and what a failing scanner ends the same as with one thread.
class ScanTask {
 public:
  ScanTask(Platform platform, ResultsModel& results, ScanEvents& events,
           std::vector<Category> categories, std::string allowedDrives);
  ~ScanTask();
  ScanTask(const ScanTask&) = delete;
  ScanTask& operator=(const ScanTask&) = delete;

  void Start();  // runs the body on the worker thread
  void Stop();
  void Join();  // waits for the worker to leave
  bool StopRequested() const { return stop_.load(); }
  // The body itself; Start runs it on the worker thread, tests may call it directly.
  void Execute();
  // After the body: why the scan ended early, naming the category whose scanner
  // failed; empty when no scanner failed. Read once the worker has left.
  const std::string& Failure() const { return failure_; }

 private:
  Platform platform_;
  ResultsModel& results_;
  ScanEvents& events_;
  std::vector<Category> categories_;
  std::string allowedDrives_;
  std::atomic<bool> stop_{false};
  std::atomic<bool> aheadStop_{false};  // raised by Stop and when the body leaves
  std::thread thread_;
  std::string failure_;
};

// The text that tells the user a scan ended on an error in `category`: which category,
// why when known, and that the rows found so far are incomplete.
std::string ScanFailureText(const std::string& category, const std::string& error);

}  // namespace kelvane
