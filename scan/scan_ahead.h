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

class ScanAhead {
 public:
  // What the second thread left of a part.
  struct Outcome {
    std::vector<IssueRow> rows;
    std::string lastKey;  // the key label's last text, as FormatScanKey made it
    bool done = false;    // the second thread has left the part
    bool failed = false;  // its scanner threw: the scan ends with it
    std::string error;    // what it threw
    bool stopped = false;
  };
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
  // Waits for the second thread to leave part `index`; nullptr when it was stopped.
  Outcome* Wait(size_t index);
  // Reports part `index` through `context` in its place: the caller's own part runs
  // there; one scanned ahead gives its last key text and rows. Throws
  // OperationCancelled after Stop and ScannedAheadFailed where a part failed.
  void Report(size_t index, ScanContext& context);

 private:
  void Run();

  Part part_;
  std::vector<Outcome> outcomes_;
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
