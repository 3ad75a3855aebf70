// Parts of a scan whose rows must come out in list order, shared by two threads: the
// calling thread takes the parts from the front and reports each one as it goes; a
// second thread takes them from the back into lists of their own, which the calling
// thread reports when it reaches them. Registry calls are round trips (to the
// kernel, or under Wine to the wine server, which waits for its caller between
// calls), and a second caller keeps the registry busy while the first works on an
// answer. The whole scan runs categories this way, and a Files and Folders walk the
// subtrees of its start key.
#pragma once

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "scan/scan_task.h"

namespace kelvane {

// A part scanned ahead threw something other than Stop: the scan ends at its place,
// with the part's error text (empty when it threw no standard exception).
class ScannedAheadFailed : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// What a part scanned on another thread left, until the scan reaches its place.
struct ScannedPart {
  std::vector<IssueRow> rows;
  std::string lastKey;  // the key label's last text, as FormatScanKey made it
  bool done = false;    // the other thread has left the part (set under its owner's lock)
  bool stopped = false;
  bool failed = false;  // its scan threw: the scan ends with it
  std::string error;    // what it threw

  // Runs `scan` with `context` keeping its rows here and `keyText` its key texts, and
  // notes how it ended; what the context and keyText held before is kept apart.
  void Scan(ScanContext& context, LastKeyText& keyText, const std::function<void()>& scan);
  // Reports the part through `context` in its place. Throws OperationCancelled after
  // Stop, and ScannedAheadFailed (after its rows) where it failed.
  void ReportTo(ScanContext& context);
};

class ScanAhead {
 public:
  using Part = std::function<void(size_t index, ScanContext& context)>;

  // Parts 0..count-1 of `owner`'s scan. The first part is always the caller's; a second
  // thread starts when `ahead` is true and there are two parts or more. Its probes
  // end at `stop`; it takes no part once this object is being destroyed.
  ScanAhead(const ScanContext& owner, size_t count, Part part, const std::atomic<bool>& stop,
            bool ahead = true);
  ~ScanAhead();
  ScanAhead(const ScanAhead&) = delete;
  ScanAhead& operator=(const ScanAhead&) = delete;

  // True when the caller scans part `index` itself; false when the second thread has it.
  bool ClaimFront(size_t index);
  // Waits for the second thread to leave part `index`.
  ScannedPart& Wait(size_t index);
  // Reports part `index` through `context` in its place: the caller's own part runs
  // there; one scanned ahead gives its last key text and rows. Throws
  // OperationCancelled after Stop and ScannedAheadFailed where a part failed.
  void Report(size_t index, ScanContext& context);

 private:
  void Run();

  Part part_;
  std::vector<ScannedPart> outcomes_;
  std::mutex mutex_;
  std::condition_variable ended_;
  // The parts from front_ up to back_ are nobody's yet; the first is the caller's,
  // which starts on it at once.
  size_t front_ = 1;
  size_t back_;
  std::atomic<bool> leave_{false};
  std::unique_ptr<LastKeyText> keyText_;  // the second thread's own
  std::unique_ptr<ScanContext> context_;
  std::thread thread_;
};

}  // namespace kelvane
