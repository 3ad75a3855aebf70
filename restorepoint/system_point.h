// The restore point before a repair: the worker that asks the System Restore service
// once and answers its window by one posted message, and the window's decisions (the
// answer, the progress bar's steps).
#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "platform/program_texts.h"
#include "platform/restore_point.h"

namespace kelvane {

// The second parameter of the answer message.
enum class RestorePointAnswer : int { kCreated = 0, kFailed = 1 };

// The worker: created suspended, it runs its one request on its own thread once
// started and keeps itself alive until that thread ends. Its window may close first:
// Abandon() then guarantees that no answer is posted afterwards, so a late answer for
// a closed window is dropped and the worker never touches a window that is gone.
class TCreateSystemPointThread : public std::enable_shared_from_this<TCreateSystemPointThread> {
 public:
  // `post` hands the answer to the window (a posted message); it is called at most once,
  // on the worker's thread.
  using PostAnswer = std::function<void(RestorePointAnswer)>;
  static std::shared_ptr<TCreateSystemPointThread> Create(
      std::shared_ptr<RestorePointService> service, PostAnswer post);

  void Start();
  void Abandon();
  // The thread body. A missing library or entry point, and any error, count as a
  // failed request: the window then asks the user instead of waiting without end.
  void Execute();

 private:
  TCreateSystemPointThread(std::shared_ptr<RestorePointService> service, PostAnswer post)
      : service_(std::move(service)), post_(std::move(post)) {}
  // Posts the answer unless the window has gone or an answer was already posted.
  void Deliver(RestorePointAnswer answer);

  std::shared_ptr<RestorePointService> service_;
  PostAnswer post_;
  std::mutex mutex_;
  bool abandoned_ = false;
  bool started_ = false;
};

// What the restore point window ends with once the answer arrived: true (OK) when the
// point was made or the user chose to go on after a failure, false (Cancel) otherwise.
// `askContinue` is asked only after a failure.
bool RestorePointGoesOn(RestorePointAnswer answer, const std::function<bool()>& askContinue);

// The progress bar's position after one timer tick: the step shrinks as it fills.
int NextRestorePointBarPosition(int position);

}  // namespace kelvane
