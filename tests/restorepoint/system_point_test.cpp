// The restore-point worker, its answer and an early close of its window, with a
// stand-in service; under Wine also the real System Restore client library.
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

// Answers as told once its gate opens; reports its own destruction.
class StandInService : public RestorePointService {
 public:
  explicit StandInService(RestorePointResult result, bool throws = false)
      : result_(result), throws_(throws) {}
  ~StandInService() override { destroyed.set_value(); }
  RestorePointResult Create(const std::string& description) override {
    std::unique_lock lock(mutex_);
    this->description = description;
    gate_.wait(lock, [this] { return open_; });
    if (throws_)
      throw std::runtime_error("service error");
    return result_;
  }
  void Open() {
    std::lock_guard lock(mutex_);
    open_ = true;
    gate_.notify_all();
  }
  std::string description;
  std::promise<void> destroyed;

 private:
  RestorePointResult result_;
  bool throws_;
  std::mutex mutex_;
  std::condition_variable gate_;
  bool open_ = false;
};

TEST(RestorePointWorker, PostsOneAnswerAndAnythingButSuccessIsAFailure) {
  struct Case {
    RestorePointResult result;
    bool throws;
    RestorePointAnswer expected;
  };
  const Case cases[] = {
      {RestorePointResult::kCreated, false, RestorePointAnswer::kCreated},
      {RestorePointResult::kFailed, false, RestorePointAnswer::kFailed},
      {RestorePointResult::kUnavailable, false, RestorePointAnswer::kFailed},
      {RestorePointResult::kCreated, true, RestorePointAnswer::kFailed},
  };
  for (const Case& c : cases) {
    auto service = std::make_shared<StandInService>(c.result, c.throws);
    auto destroyed = service->destroyed.get_future();
    std::promise<RestorePointAnswer> posted;
    auto answer = posted.get_future();
    auto worker = TCreateSystemPointThread::Create(
        service, [&posted](RestorePointAnswer a) { posted.set_value(a); });
    StandInService* raw = service.get();
    service.reset();
    worker->Start();
    worker->Start();  // a second start runs nothing more
    raw->Open();
    EXPECT_EQ(answer.get(), c.expected);
    EXPECT_EQ(raw->description, "Made by Varnok Kelvane");
    worker.reset();
    destroyed.wait();  // the worker freed itself, and its service, when its thread ended
  }
}

TEST(RestorePointWorker, AnswerAfterTheWindowClosedIsDropped) {
  auto service = std::make_shared<StandInService>(RestorePointResult::kCreated);
  auto destroyed = service->destroyed.get_future();
  bool posted = false;
  auto worker =
      TCreateSystemPointThread::Create(service, [&posted](RestorePointAnswer) { posted = true; });
  StandInService* raw = service.get();
  service.reset();
  worker->Start();
  worker->Abandon();  // the window closes while the service works
  worker.reset();
  raw->Open();
  destroyed.wait();
  EXPECT_FALSE(posted);
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
  EXPECT_EQ(Win32RestorePointService().Create(kRestorePointDescription),
            RestorePointResult::kFailed);
  char system[MAX_PATH] = {};
  GetSystemDirectoryA(system, MAX_PATH);
  EXPECT_EQ(Win32RestorePointService(std::string(system) + "\\NoSuchLibrary.dll").Create("x"),
            RestorePointResult::kUnavailable);
  EXPECT_EQ(Win32RestorePointService(std::string(system) + "\\kernel32.dll").Create("x"),
            RestorePointResult::kUnavailable);
}
#endif

}  // namespace
}  // namespace kelvane
