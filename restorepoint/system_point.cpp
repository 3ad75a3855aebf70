#include "restorepoint/system_point.h"

#include <exception>
#include <utility>

namespace kelvane {

namespace {

// The refusals the System Restore status record tells by their status codes.
constexpr std::pair<uint32_t, RestorePointKind> kRefusals[] = {
    {1058, RestorePointKind::kDisabled},  // ERROR_SERVICE_DISABLED
    {10, RestorePointKind::kSafeMode},    // ERROR_BAD_ENVIRONMENT
    {112, RestorePointKind::kDiskFull},   // ERROR_DISK_FULL
    {1460, RestorePointKind::kTimedOut},  // ERROR_TIMEOUT
};

}  // namespace

RestorePointOutcome JudgeRestorePoint(const RestorePointCall& call,
                                      const std::vector<RestorePointRecord>& before) {
  RestorePointOutcome outcome;
  outcome.status = call.status;
  outcome.sequence = call.sequence;
  if (!call.available) {
    outcome.kind = RestorePointKind::kNoLibrary;
    return outcome;
  }
  if (call.succeeded && call.status == 0) {
    outcome.kind = RestorePointKind::kCreated;
    for (const RestorePointRecord& point : before) {
      if (point.sequence == call.sequence) {
        outcome.kind = RestorePointKind::kReused;
        outcome.time = point.time;
        outcome.description = point.description;
      }
    }
    return outcome;
  }
  for (const auto& [status, kind] : kRefusals) {
    if (call.status == status)
      outcome.kind = kind;
  }
  return outcome;
}

RestorePointOutcome RestorePointSession::Begin(const std::string& description) {
  RestorePointOutcome outcome;
  try {
    const std::vector<RestorePointRecord> before =
        listsPoints_ ? service_->List() : std::vector<RestorePointRecord>{};
    outcome = JudgeRestorePoint(service_->Begin(description), before);
  } catch (...) {
    outcome = RestorePointOutcome{};
  }
  std::lock_guard lock(mutex_);
  outcome_ = outcome;
  return outcome;
}

void RestorePointSession::Finish(bool changed) {
  int64_t sequence = 0;
  {
    std::lock_guard lock(mutex_);
    if (finished_ || !outcome_ || outcome_->kind != RestorePointKind::kCreated)
      return;
    finished_ = true;
    sequence = outcome_->sequence;
  }
  try {
    service_->End(sequence, !changed);
  } catch (...) {
    // The service closes a change left open by itself; nothing here depends on it.
  }
}

std::optional<RestorePointOutcome> RestorePointSession::Outcome() const {
  std::lock_guard lock(mutex_);
  return outcome_;
}

std::string RestorePointFailureText(const RestorePointOutcome& outcome) {
  switch (outcome.kind) {
    case RestorePointKind::kCreated:
    case RestorePointKind::kReused:
      return {};
    case RestorePointKind::kDisabled:
      return "System Restore is turned off on this computer, so Windows made no restore point.";
    case RestorePointKind::kSafeMode:
      return "Windows is running in safe mode, where it makes no restore points.";
    case RestorePointKind::kDiskFull:
      return "System Restore is paused because the disk is low on free space, so Windows made no "
             "restore point.";
    case RestorePointKind::kTimedOut:
      return "System Restore did not answer in time: another program is making a restore point "
             "just now.";
    case RestorePointKind::kNoLibrary:
      return "This Windows has no System Restore: the system folder holds no SrClient.dll with "
             "SRSetRestorePointW.";
    case RestorePointKind::kFailed:
      break;
  }
  if (outcome.status == 0)
    return "System Restore made no restore point and gave no reason.";
  return "System Restore made no restore point (error " + std::to_string(outcome.status) + ").";
}

std::string RestorePointReusedText(const RestorePointOutcome& outcome) {
  std::string text =
      "Windows made no new restore point: it makes at most one in 24 hours (or in the interval "
      "that SystemRestorePointCreationFrequency sets).\r\n\r\n";
  if (outcome.time.empty()) {
    text += "Restore point number " + std::to_string(outcome.sequence);
  } else {
    text += "The restore point of " + outcome.time;
    if (!outcome.description.empty())
      text += ", \"" + outcome.description + "\",";
  }
  return text + " covers this repair.";
}

std::string RestorePointLogText(const RestorePointOutcome& outcome) {
  const std::string number = "number " + std::to_string(outcome.sequence);
  switch (outcome.kind) {
    case RestorePointKind::kCreated:
      return "made (" + number + ")";
    case RestorePointKind::kReused:
      return "reused (" + number + (outcome.time.empty() ? "" : " of " + outcome.time) + ")";
    case RestorePointKind::kDisabled:
      return "failed (System Restore is turned off)";
    case RestorePointKind::kSafeMode:
      return "failed (safe mode)";
    case RestorePointKind::kDiskFull:
      return "failed (disk low on space)";
    case RestorePointKind::kTimedOut:
      return "failed (timed out)";
    case RestorePointKind::kNoLibrary:
      return "failed (no System Restore)";
    case RestorePointKind::kFailed:
      break;
  }
  return "failed (error " + std::to_string(outcome.status) + ")";
}

RestorePointAnswer AnswerOf(RestorePointKind kind) {
  switch (kind) {
    case RestorePointKind::kCreated:
      return RestorePointAnswer::kCreated;
    case RestorePointKind::kReused:
      return RestorePointAnswer::kReused;
    default:
      return RestorePointAnswer::kFailed;
  }
}

std::shared_ptr<TCreateSystemPointThread> TCreateSystemPointThread::Create(
    std::shared_ptr<RestorePointSession> session, PostAnswer post) {
  return std::shared_ptr<TCreateSystemPointThread>(
      new TCreateSystemPointThread(std::move(session), std::move(post)));
}

void TCreateSystemPointThread::Start() {
  {
    std::lock_guard lock(mutex_);
    if (started_)
      return;
    started_ = true;
  }
  // The thread owns a reference, so the worker outlives its window if need be and is
  // freed when the thread ends.
  try {
    std::thread([self = shared_from_this()] { self->Execute(); }).detach();
  } catch (...) {
    Deliver(RestorePointAnswer::kFailed);  // no thread: the window must not wait
  }
}

void TCreateSystemPointThread::Abandon() {
  std::lock_guard lock(mutex_);
  abandoned_ = true;
}

void TCreateSystemPointThread::Execute() {
  RestorePointAnswer answer = RestorePointAnswer::kFailed;
  try {
    answer = AnswerOf(session_->Begin().kind);
  } catch (...) {
    answer = RestorePointAnswer::kFailed;
  }
  if (!Deliver(answer))
    session_->Finish(false);  // the window closed first: no repair follows
}

bool TCreateSystemPointThread::Deliver(RestorePointAnswer answer) {
  std::lock_guard lock(mutex_);
  if (abandoned_)
    return false;
  abandoned_ = true;  // one answer only
  try {
    post_(answer);
  } catch (...) {
  }
  return true;
}

bool RestorePointGoesOn(RestorePointAnswer answer, const std::function<bool()>& askContinue) {
  return answer != RestorePointAnswer::kFailed || askContinue();
}

int NextRestorePointBarPosition(int position) {
  // Up to each position the bar steps on by the step beside it; full, it stays.
  constexpr std::pair<int, int> kSteps[] = {{30, 10}, {50, 5}, {60, 3}, {80, 2}, {99, 1}};
  for (const auto& [upTo, step] : kSteps) {
    if (position >= 0 && position <= upTo)
      return position + step;
  }
  return position;
}

}  // namespace kelvane
