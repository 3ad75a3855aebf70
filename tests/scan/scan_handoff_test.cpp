// The hand-over between the scan worker and the interface thread, with a real worker
// thread and a test loop in the window's place (run under ThreadSanitizer too).
#include <gtest/gtest.h>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

#include "scan/scan_handoff.h"
#include "test_env.h"

namespace kelvane {
namespace {

// The window's message queue: notices posted by the worker, taken in order.
class NoticeQueue {
 public:
  void Post(ScanHandoff::Notice notice) {
    std::lock_guard lock(mutex_);
    notices_.push_back(notice);
    cv_.notify_all();
  }
  ScanHandoff::Notice Take() {
    std::unique_lock lock(mutex_);
    cv_.wait(lock, [&] { return !notices_.empty(); });
    const ScanHandoff::Notice notice = notices_.front();
    notices_.pop_front();
    return notice;
  }

 private:
  std::mutex mutex_;
  std::condition_variable cv_;
  std::deque<ScanHandoff::Notice> notices_;
};

void FindRows(ScanContext& context) {
  for (int i = 0; i < 20; ++i) {
    context.ShowScanKey("HKEY_CURRENT_USER\\Key" + std::to_string(i));
    context.AddIssueRow("Row", KeyTarget(RootKey::kCurrentUser, "Key" + std::to_string(i)), "",
                        "why", RowKind::kKey);
  }
}

TEST(ScanHandoff, StepsRunOnTheInterfaceThreadTextsAndRowsArriveAndTheScanCloses) {
  test::TestEnv env;
  ResultsModel results;
  NoticeQueue queue;
  ScanHandoff handoff([&](ScanHandoff::Notice notice) { queue.Post(notice); });
  const Category first{3, "First", 2, "Scanning First...", &FindRows};
  const Category second{4, "Second", 2, "Scanning Second...", &FindRows};
  ScanTask task(env.Get(), results, handoff, {first, second}, "c");
  task.Start();

  std::vector<std::string> steps;
  std::string status, key;
  size_t rowsSeen = 0;
  for (bool open = true; open;) {
    switch (queue.Take()) {
      case ScanHandoff::Notice::kStep:
        // Rows announced before the step have all been appended by now.
        steps.push_back(handoff.PendingStep() == ScanHandoff::Step::kBegin ? "begin" : "end");
        handoff.StepDone();
        break;
      case ScanHandoff::Notice::kTexts: {
        std::optional<std::string> s, k;
        handoff.TakeTexts(&s, &k);
        if (s)
          status = *s;
        if (k)
          key = *k;
        break;
      }
      case ScanHandoff::Notice::kRows:
        handoff.RowsTaken();
        rowsSeen = results.Count();
        break;
      case ScanHandoff::Notice::kClose:
        open = false;
        break;
    }
  }
  EXPECT_EQ(steps, (std::vector<std::string>{"begin", "end", "begin", "end"}));
  EXPECT_EQ(results.Count(), 40u);
  EXPECT_GT(rowsSeen, 0u);
  // Texts are handed over as they were last set; a notice may carry several changes.
  std::optional<std::string> s, k;
  handoff.TakeTexts(&s, &k);
  EXPECT_EQ(s.value_or(status), "Scanning Second...");
  EXPECT_EQ(k.value_or(key), "HKEY_CURRENT_USER\\Key19");
}

TEST(ScanHandoff, AbortReleasesAWaitingWorkerAndLaterStepsDoNotWait) {
  NoticeQueue queue;
  ScanHandoff handoff([&](ScanHandoff::Notice notice) { queue.Post(notice); });
  std::thread worker([&] {
    handoff.BeginCategory();  // waits for the interface thread, which aborts instead
    handoff.EndCategory();    // returns at once
  });
  EXPECT_EQ(queue.Take(), ScanHandoff::Notice::kStep);
  handoff.Abort();
  worker.join();
  EXPECT_EQ(handoff.PendingStep(), ScanHandoff::Step::kBegin);
}

}  // namespace
}  // namespace kelvane
