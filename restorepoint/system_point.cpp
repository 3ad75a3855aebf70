#include "restorepoint/system_point.h"

#include <exception>

namespace kelvane {

std::shared_ptr<TCreateSystemPointThread> TCreateSystemPointThread::Create(
    std::shared_ptr<RestorePointService> service, PostAnswer post) {
  return std::shared_ptr<TCreateSystemPointThread>(
      new TCreateSystemPointThread(std::move(service), std::move(post)));
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
    if (service_->Create(kRestorePointDescription) == RestorePointResult::kCreated) {
      answer = RestorePointAnswer::kCreated;
    }
  } catch (...) {
    answer = RestorePointAnswer::kFailed;
  }
  Deliver(answer);
}

void TCreateSystemPointThread::Deliver(RestorePointAnswer answer) {
  std::lock_guard lock(mutex_);
  if (abandoned_)
    return;
  abandoned_ = true;  // one answer only
  try {
    post_(answer);
  } catch (...) {
  }
}

bool RestorePointGoesOn(RestorePointAnswer answer, const std::function<bool()>& askContinue) {
  return answer == RestorePointAnswer::kCreated || askContinue();
}

int NextRestorePointBarPosition(int position) {
  if (position < 0 || position >= 100)
    return position;
  if (position <= 30)
    return position + 10;
  if (position <= 50)
    return position + 5;
  if (position <= 60)
    return position + 3;
  if (position <= 80)
    return position + 2;
  return position + 1;
}

}  // namespace kelvane
