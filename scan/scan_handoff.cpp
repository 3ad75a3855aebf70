#include "scan/scan_handoff.h"

namespace kelvane {

void ScanHandoff::SetText(std::optional<std::string>& slot, const std::string& text) {
  {
    std::lock_guard lock(mutex_);
    slot = text;
  }
  PostTexts();
}

void ScanHandoff::RowAdded() {
  if (!rowsPosted_.exchange(true))
    notify_(Notice::kRows);
}

ScanHandoff::Step ScanHandoff::PendingStep() {
  std::lock_guard lock(mutex_);
  return step_;
}

void ScanHandoff::StepDone() {
  std::lock_guard lock(mutex_);
  step_ = Step::kNone;
  cv_.notify_all();
}

void ScanHandoff::Abort() {
  std::lock_guard lock(mutex_);
  aborted_ = true;
  cv_.notify_all();
}

void ScanHandoff::TakeTexts(std::optional<std::string>* status, std::optional<std::string>* key) {
  std::lock_guard lock(mutex_);
  textsPosted_ = false;
  status->swap(status_);
  key->swap(key_);
  status_.reset();
  key_.reset();
}

void ScanHandoff::RunStep(Step step) {
  std::unique_lock lock(mutex_);
  if (aborted_)
    return;
  step_ = step;
  notify_(Notice::kStep);
  cv_.wait(lock, [&] { return step_ == Step::kNone || aborted_; });
}

void ScanHandoff::PostTexts() {
  std::lock_guard lock(mutex_);
  if (textsPosted_)
    return;
  textsPosted_ = true;
  notify_(Notice::kTexts);
}

}  // namespace kelvane
