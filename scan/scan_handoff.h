// What passes between the scan worker and the user-interface thread. The worker's
// reports arrive here; the interface thread is woken by a notice (a posted window
// message in the program) and picks up what waits for it. The begin and end steps of
// a category run on the interface thread while the worker waits, unless the scan is
// aborted first; label texts are handed over under a lock; rows are announced once
// until the interface has taken them.
#pragma once

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <string>

#include "scan/scan_task.h"

namespace kelvane {

class ScanHandoff : public ScanEvents {
 public:
  enum class Notice { kStep, kTexts, kRows, kClose };
  enum class Step { kNone, kBegin, kEnd };

  // `notify` wakes the interface thread; it is called from the worker and must not
  // block (PostMessage).
  explicit ScanHandoff(std::function<void(Notice)> notify) : notify_(std::move(notify)) {}

  // Worker side (ScanEvents).
  void BeginCategory() override { RunStep(Step::kBegin); }
  void EndCategory() override { RunStep(Step::kEnd); }
  void SetStatusText(const std::string& text) override { SetText(status_, text); }
  void SetKeyText(const std::string& text) override { SetText(key_, text); }
  void RowAdded() override;
  void CloseRequest() override { notify_(Notice::kClose); }

  // Interface side.
  Step PendingStep();
  // The pending step has run: the worker goes on.
  void StepDone();
  // No step waits from now on: a waiting worker goes on at once, later ones return.
  void Abort();
  // The texts set since the last call; each is empty when it did not change.
  void TakeTexts(std::optional<std::string>* status, std::optional<std::string>* key);
  // The rows announced have been shown; the next row announces again.
  void RowsTaken() { rowsPosted_ = false; }

 private:
  void RunStep(Step step);
  // Sets one of the texts under the lock and wakes the interface to take it.
  void SetText(std::optional<std::string>& slot, const std::string& text);
  void PostTexts();

  std::function<void(Notice)> notify_;
  std::mutex mutex_;
  std::condition_variable cv_;
  Step step_ = Step::kNone;
  bool aborted_ = false;
  bool textsPosted_ = false;
  std::optional<std::string> status_;
  std::optional<std::string> key_;
  std::atomic<bool> rowsPosted_{false};
};

}  // namespace kelvane
