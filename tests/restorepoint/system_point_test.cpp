// The restore point: every answer Windows gives read through the service seam, the
// worker, its answer and an early close of its window; under Wine also the real
// System Restore client library.
#include <gtest/gtest.h>

#include <condition_variable>
#include <future>
#include <stdexcept>

#include "restorepoint/system_point.h"

#ifdef _WIN32
#include <windows.h>

#include "platform/win32/win32_restore_point.h"
#endif

namespace kelvane {
namespace {

// Answers as Windows would once its gate opens, holding one older point; reports its
// own destruction, and hands over the ends it was asked for then.
class StandInService : public RestorePointService {
 public:
  // A call with the sequence number -1 stands for an error inside the service.
  explicit StandInService(RestorePointCall call) : call_(call) {}
  ~StandInService() override {
    if (endsOut)
      *endsOut = ends;
    destroyed.set_value();
  }
  RestorePointCall Begin(const std::string& description) override {
    std::unique_lock lock(mutex_);
    this->description = description;
    gate_.wait(lock, [this] { return open_; });
    if (call_.sequence < 0)
      throw std::runtime_error("service error");
    return call_;
  }
  RestorePointCall End(int64_t sequence, bool cancelled) override {
    std::lock_guard lock(mutex_);
    ends.push_back((cancelled ? "cancel " : "end ") + std::to_string(sequence));
    return RestorePointCall{true, true, 0, sequence};
  }
  std::vector<RestorePointRecord> List() override {
    return {{41, "2026-12-07 09:12", "Made by Varnok Kelvane"}};
  }
  void Open() {
    std::lock_guard lock(mutex_);
    open_ = true;
    gate_.notify_all();
  }
  std::string description;
  std::vector<std::string> ends;
  std::vector<std::string>* endsOut = nullptr;
  std::promise<void> destroyed;

 private:
  RestorePointCall call_;
  std::mutex mutex_;
  std::condition_variable gate_;
  bool open_ = false;
};

constexpr RestorePointCall kMade{true, true, 0, 42};
constexpr RestorePointCall kOlder{true, true, 0, 41};
constexpr RestorePointCall kNoLibrary{false, false, 0, 0};
constexpr RestorePointCall kThrows{true, true, 0, -1};
constexpr RestorePointCall Refused(uint32_t status) {
  return {true, false, status, 0};
}

// Every answer of Windows through the seam and the worker: what the window is told,
// the words it shows, the log's words, and the end only a point made gets.
TEST(RestorePointWorker, EveryAnswerOfWindowsIsToldAsItIsAndOnlyAPointMadeIsEnded) {
  using K = RestorePointKind;
  using A = RestorePointAnswer;
  struct Case {
    int line;
    bool windows8;
    RestorePointCall call;
    A answer;
    K kind;
    std::string text;  // the reason of a failure, or the note of a reuse
    std::string log;
    bool changed;     // what the repair then did
    std::string end;  // the one end asked of the service, if any
  };
  const Case cases[] = {
      // Windows 7 makes a point at each request; a repair that removed nothing cancels it.
      {__LINE__, false, kMade, A::kCreated, K::kCreated, "", "made (number 42)", true, "end 42"},
      {__LINE__, true, kMade, A::kCreated, K::kCreated, "", "made (number 42)", false, "cancel 42"},
      // Windows 8 and later: success, with the number of the point of the last 24 hours.
      {__LINE__, true, kOlder, A::kReused, K::kReused,
       "The restore point of 2026-12-07 09:12, \"Made by Varnok Kelvane\", covers this repair.",
       "reused (number 41 of 2026-12-07 09:12)", true, ""},
      {__LINE__, true, Refused(1058), A::kFailed, K::kDisabled,
       "System Restore is turned off on this computer", "failed (System Restore is turned off)",
       true, ""},
      {__LINE__, true, Refused(10), A::kFailed, K::kSafeMode, "Windows is running in safe mode",
       "failed (safe mode)", true, ""},
      {__LINE__, true, Refused(112), A::kFailed, K::kDiskFull, "the disk is low on free space",
       "failed (disk low on space)", true, ""},
      {__LINE__, true, Refused(1460), A::kFailed, K::kTimedOut, "did not answer in time",
       "failed (timed out)", true, ""},
      {__LINE__, true, kNoLibrary, A::kFailed, K::kNoLibrary,
       "no SrClient.dll with SRSetRestorePointW", "failed (no System Restore)", true, ""},
      // Wine: false, and no reason; and an error inside the service.
      {__LINE__, true, Refused(0), A::kFailed, K::kFailed, "gave no reason", "failed (error 0)",
       true, ""},
      {__LINE__, true, kThrows, A::kFailed, K::kFailed, "gave no reason", "failed (error 0)", true,
       ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    auto service = std::make_shared<StandInService>(c.call);
    auto destroyed = service->destroyed.get_future();
    std::vector<std::string> ends;
    service->endsOut = &ends;
    auto session = std::make_shared<RestorePointSession>(service, c.windows8);
    std::promise<RestorePointAnswer> posted;
    auto answer = posted.get_future();
    auto worker = TCreateSystemPointThread::Create(
        session, [&posted](RestorePointAnswer a) { posted.set_value(a); });
    StandInService* raw = service.get();
    service.reset();
    worker->Start();
    worker->Start();  // a second start runs nothing more
    raw->Open();
    EXPECT_EQ(answer.get(), c.answer);
    EXPECT_EQ(raw->description, "Made by Varnok Kelvane");
    const RestorePointOutcome outcome = session->Outcome().value_or(RestorePointOutcome{});
    EXPECT_EQ(outcome.kind, c.kind);
    const std::string text = outcome.kind == K::kReused ? RestorePointReusedText(outcome)
                                                        : RestorePointFailureText(outcome);
    EXPECT_EQ(c.text.empty(), text.empty()) << text;
    EXPECT_NE(text.find(c.text), std::string::npos) << text;
    EXPECT_EQ(RestorePointLogText(outcome), c.log);
    session->Finish(c.changed);
    session->Finish(!c.changed);  // one end only
    worker.reset();
    session.reset();
    destroyed.wait();  // the worker freed itself, and its service, when its thread ended
    EXPECT_EQ(ends, c.end.empty() ? std::vector<std::string>{} : std::vector{c.end});
  }
}

TEST(RestorePointWorker, AnswerAfterTheWindowClosedIsDroppedAndItsPointCancelled) {
  auto service = std::make_shared<StandInService>(kMade);
  auto destroyed = service->destroyed.get_future();
  bool posted = false;
  auto worker =
      TCreateSystemPointThread::Create(std::make_shared<RestorePointSession>(service, false),
                                       [&posted](RestorePointAnswer) { posted = true; });
  StandInService* raw = service.get();
  std::vector<std::string> ends;
  raw->endsOut = &ends;
  service.reset();
  worker->Start();
  worker->Abandon();  // the window closes while the service works
  worker.reset();
  raw->Open();
  destroyed.wait();
  EXPECT_FALSE(posted);
  EXPECT_EQ(ends, std::vector<std::string>{"cancel 42"});  // no repair follows
}

TEST(RestorePointWindow, ModalResultFromTheAnswerAndTheQuestion) {
  struct Case {
    RestorePointAnswer answer;
    bool userContinues;
    bool expected;
    bool expectAsked;
  };
  const Case cases[] = {
      {RestorePointAnswer::kCreated, false, true, false},
      {RestorePointAnswer::kReused, false, true, false},
      {RestorePointAnswer::kFailed, true, true, true},
      {RestorePointAnswer::kFailed, false, false, true},
  };
  for (const Case& c : cases) {
    bool asked = false;
    const bool result = RestorePointGoesOn(c.answer, [&] {
      asked = true;
      return c.userContinues;
    });
    EXPECT_EQ(result, c.expected);
    EXPECT_EQ(asked, c.expectAsked);
  }
}

TEST(RestorePointWindow, BarStepsShrinkAndStopAtFull) {
  std::vector<int> seen;
  int position = 0;
  for (int tick = 0; tick < 60; ++tick) {
    position = NextRestorePointBarPosition(position);
    seen.push_back(position);
  }
  EXPECT_EQ(std::vector<int>(seen.begin(), seen.begin() + 11),
            (std::vector<int>{10, 20, 30, 40, 45, 50, 55, 58, 61, 63, 65}));
  EXPECT_EQ(seen[18], 81);
  EXPECT_EQ(seen[19], 82);
  EXPECT_EQ(seen[36], 99);
  EXPECT_EQ(seen[37], 100);  // full after 38 ticks
  EXPECT_EQ(seen.back(), 100);
  EXPECT_EQ(NextRestorePointBarPosition(-5), -5);
  EXPECT_EQ(NextRestorePointBarPosition(150), 150);
}

#ifdef _WIN32
TEST(RestorePointService, LibraryFromTheSystemFolderAndMissingPiecesAreUnavailable) {
  // Wine's System Restore client answers every request with false.
  auto wine = std::make_shared<Win32RestorePointService>();
  RestorePointSession session(wine, true);
  EXPECT_EQ(session.Begin().kind, RestorePointKind::kFailed);
  char system[MAX_PATH] = {};
  GetSystemDirectoryA(system, MAX_PATH);
  for (const char* library : {"\\NoSuchLibrary.dll", "\\kernel32.dll"}) {
    EXPECT_FALSE(Win32RestorePointService(std::string(system) + library).Begin("x").available)
        << library;
  }
}
#endif

}  // namespace
}  // namespace kelvane
