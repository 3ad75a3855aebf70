#include "scan/scan_ahead.h"

#include <system_error>

namespace kelvane {

void ScannedPart::Scan(ScanContext& context, LastKeyText& keyText,
                       const std::function<void()>& scan) {
  context.FlushRows();  // the rows of whatever the context scanned before
  std::vector<IssueRow>* outerRows = context.KeepRowsIn(&rows);
  std::string outerKey = std::move(keyText.last);
  keyText.last.clear();
  try {
    scan();
  } catch (const OperationCancelled&) {
    stopped = true;
  } catch (const std::exception& e) {
    failed = true;
    error = e.what();
  } catch (...) {
    failed = true;
  }
  context.FlushRows();  // keeps the rows found before a failure
  context.KeepRowsIn(outerRows);
  lastKey = std::move(keyText.last);
  keyText.last = std::move(outerKey);
}

void ScannedPart::ReportTo(ScanContext& context) {
  if (stopped)
    throw OperationCancelled();
  if (!lastKey.empty())
    context.ReplayKeyText(lastKey);
  context.AddRows(std::move(rows));
  if (failed)
    throw ScannedAheadFailed(error);
}

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

ScannedPart& ScanAhead::Wait(size_t index) {
  std::unique_lock lock(mutex_);
  ScannedPart& outcome = outcomes_[index];
  ended_.wait(lock, [&] { return outcome.done; });
  return outcome;
}

void ScanAhead::Report(size_t index, ScanContext& context) {
  if (ClaimFront(index)) {
    part_(index, context);
    return;
  }
  Wait(index).ReportTo(context);
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
    ScannedPart& outcome = outcomes_[index];
    outcome.Scan(*context_, *keyText_, [&] { part_(index, *context_); });
    {
      std::lock_guard lock(mutex_);
      outcome.done = true;
    }
    ended_.notify_all();
    // The parts before a failed one are still the caller's to scan; none after it
    // counts.
    if (outcome.failed || outcome.stopped)
      return;
  }
}

}  // namespace kelvane
