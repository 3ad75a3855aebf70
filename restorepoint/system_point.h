// The restore point before a repair: the request to the System Restore service and
// what its answer means, the restore point of one repair from its begin to its end,
// the worker that asks once and answers its window by one posted message, and the
// window's decisions (the answer, the progress bar's steps).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/program_texts.h"
#include "platform/restore_point.h"

namespace kelvane {

// What the begin request came to.
enum class RestorePointKind {
  kCreated,    // a new point covers the repair
  kReused,     // Windows made none: a point of the last 24 hours (or the interval
               // SystemRestorePointCreationFrequency sets) covers the repair
  kDisabled,   // System Restore is turned off (ERROR_SERVICE_DISABLED)
  kSafeMode,   // ERROR_BAD_ENVIRONMENT
  kDiskFull,   // ERROR_DISK_FULL: System Restore stands by for want of space
  kTimedOut,   // ERROR_TIMEOUT: another program is making a point
  kNoLibrary,  // no System Restore client library, or no entry point in it
  kFailed,     // any other refusal
};

struct RestorePointOutcome {
  RestorePointKind kind = RestorePointKind::kFailed;
  int64_t sequence = 0;
  std::string time;         // kReused: when the covering point was made, if known
  std::string description;  // kReused: the covering point's description, if known
  uint32_t status = 0;      // the service's error code
};

// The begin request's answer read truthfully. On Windows 8 and later the service
// answers success for a point it did not make and hands back the sequence number of
// the older point that stands in for it: a number among the points `before` the
// request is such a point.
RestorePointOutcome JudgeRestorePoint(const RestorePointCall& call,
                                      const std::vector<RestorePointRecord>& before);

// The restore point of one repair: begun once, ended once, from any thread.
class RestorePointSession {
 public:
  // `listsPoints`: Windows 8 and later, where a point may be reused; the points are
  // then listed before the request.
  RestorePointSession(std::shared_ptr<RestorePointService> service, bool listsPoints)
      : service_(std::move(service)), listsPoints_(listsPoints) {}
  RestorePointOutcome Begin(const std::string& description = kRestorePointDescription);
  // Ends a point this session made: the end of the system change when the repair
  // changed something, a cancel (the service drops the point) when it changed nothing.
  // A reused point belongs to someone else and a failed one is nothing: both are left
  // alone. Only the first call counts.
  void Finish(bool changed);
  std::optional<RestorePointOutcome> Outcome() const;

 private:
  std::shared_ptr<RestorePointService> service_;
  bool listsPoints_;
  mutable std::mutex mutex_;
  std::optional<RestorePointOutcome> outcome_;
  bool finished_ = false;
};

// Why no point was made, in the user's words (the line above the question whether to
// repair anyway); empty for a point that covers the repair.
std::string RestorePointFailureText(const RestorePointOutcome& outcome);
// The note that Windows made no new point and which one covers the repair.
std::string RestorePointReusedText(const RestorePointOutcome& outcome);
// The unattended run's log field: "made", "reused ..." or "failed (...)".
std::string RestorePointLogText(const RestorePointOutcome& outcome);

// The second parameter of the answer message.
enum class RestorePointAnswer : int { kCreated = 0, kFailed = 1, kReused = 2 };
RestorePointAnswer AnswerOf(RestorePointKind kind);

// The worker: created suspended, it runs its one request on its own thread once
// started and keeps itself alive until that thread ends. Its window may close first:
// Abandon() then guarantees that no answer is posted afterwards, so a late answer for
// a closed window is dropped and the worker never touches a window that is gone; a
// point made for a window that closed is cancelled again, since no repair follows.
class TCreateSystemPointThread : public std::enable_shared_from_this<TCreateSystemPointThread> {
 public:
  // `post` hands the answer to the window (a posted message); it is called at most once,
  // on the worker's thread.
  using PostAnswer = std::function<void(RestorePointAnswer)>;
  static std::shared_ptr<TCreateSystemPointThread> Create(
      std::shared_ptr<RestorePointSession> session, PostAnswer post);

  void Start();
  void Abandon();
  // The thread body. Any error counts as a failed request: the window then asks the
  // user instead of waiting without end.
  void Execute();

 private:
  TCreateSystemPointThread(std::shared_ptr<RestorePointSession> session, PostAnswer post)
      : session_(std::move(session)), post_(std::move(post)) {}
  // Posts the answer unless the window has gone or an answer was already posted;
  // false when it was not posted.
  bool Deliver(RestorePointAnswer answer);

  std::shared_ptr<RestorePointSession> session_;
  PostAnswer post_;
  std::mutex mutex_;
  bool abandoned_ = false;
  bool started_ = false;
};

// What the restore point window ends with once the answer arrived: true (OK) when a
// point covers the repair or the user chose to go on after a failure, false (Cancel)
// otherwise. `askContinue` is asked only after a failure.
bool RestorePointGoesOn(RestorePointAnswer answer, const std::function<bool()>& askContinue);

// The progress bar's position after one timer tick: the step shrinks as it fills.
int NextRestorePointBarPosition(int position);

}  // namespace kelvane
