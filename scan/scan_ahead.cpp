#include "scan/scan_ahead.h"

#include <system_error>

namespace kelvane {

ScanAhead::ScanAhead(const ScanContext& owner, size_t count, Part part,
                     const std::atomic<bool>& stop, bool ahead)
    : part_(std::move(part)),
      outcomes_(count),
      back_(count),
      keyText_(std::make_unique<LastKeyText>()),
      context_(std::make_unique<ScanContext>(owner.GetPlatform(), *keyText_, owner.AllowedDrives(),
                                             stop)) {
  if (!ahead || count < 2)
    return;
  try {
    thread_ = std::thread([this] { Run(); });
  } catch (const std::system_error&) {
    // No second thread: the caller scans every part itself.
  }
}

ScanAhead::~ScanAhead() {
  leave_.store(true);
  if (thread_.joinable())
    thread_.join();
}

bool ScanAhead::ClaimFront(size_t index) {
  std::lock_guard lock(mutex_);
  if (index >= back_)
    return false;
  front_ = index + 1;
  return true;
}

ScanAhead::Outcome* ScanAhead::Wait(size_t index) {
  std::unique_lock lock(mutex_);
  Outcome& outcome = outcomes_[index];
  ended_.wait(lock, [&] { return outcome.done; });
  return outcome.stopped ? nullptr : &outcome;
}

void ScanAhead::Report(size_t index, ScanContext& context) {
  if (ClaimFront(index)) {
    part_(index, context);
    return;
  }
  Outcome* outcome = Wait(index);
  if (!outcome)
    throw OperationCancelled();
  if (!outcome->lastKey.empty())
    context.ReplayKeyText(outcome->lastKey);
  context.AddRows(std::move(outcome->rows));
  if (outcome->failed)
    throw ScannedAheadFailed(outcome->error);
}

void ScanAhead::Run() {
  for (;;) {
    size_t index = 0;
    {
      std::lock_guard lock(mutex_);
      if (back_ <= front_ || leave_.load())
        return;
      index = --back_;
    }
    Outcome& outcome = outcomes_[index];
    bool failed = false, stopped = false;
    std::string error;
    context_->KeepRowsIn(&outcome.rows);
    try {
      part_(index, *context_);
      context_->FlushRows();
    } catch (const OperationCancelled&) {
      stopped = true;
    } catch (const std::exception& e) {
      failed = true;
      error = e.what();
      context_->FlushRows();  // keeps the rows found before the failure
    } catch (...) {
      failed = true;
      context_->FlushRows();
    }
    {
      std::lock_guard lock(mutex_);
      outcome.lastKey = std::move(keyText_->last);
      keyText_->last.clear();
      outcome.done = true;
      outcome.failed = failed;
      outcome.error = std::move(error);
      outcome.stopped = stopped;
    }
    ended_.notify_all();
    // The parts before a failed one are still the caller's to scan; none after it
    // counts.
    if (failed || stopped)
      return;
  }
}

}  // namespace kelvane
