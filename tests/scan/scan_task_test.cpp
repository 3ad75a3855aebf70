// The scan worker's body, its helpers and Stop, run natively with test scanners.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <iterator>
#include <mutex>
#include <thread>
#include <utility>

#include "scan/scan_task.h"
#include "test_env.h"

namespace kelvane {
namespace {

// Records what the worker reports, in order.
class RecordingEvents : public ScanEvents {
 public:
  void BeginCategory() override { Log("begin"); }
  void EndCategory() override { Log("end"); }
  void SetStatusText(const std::string& text) override { Log("status:" + text); }
  void SetKeyText(const std::string& text) override { Log("key:" + text); }
  void RowAdded() override {}
  void CloseRequest() override {
    Log("close");
    std::lock_guard lock(mutex);
    closed = true;
    cv.notify_all();
  }
  std::vector<std::string> Log() {
    std::lock_guard lock(mutex);
    return log;
  }
  std::mutex mutex;
  std::condition_variable cv;
  std::vector<std::string> log;
  bool closed = false;

 private:
  void Log(const std::string& entry) {
    std::lock_guard lock(mutex);
    log.push_back(entry);
  }
};

void FindTwo(ScanContext& context) {
  context.ShowScanKey("HKEY_CURRENT_USER\\Two");
  context.AddIssueRow("Two", KeyTarget(RootKey::kCurrentUser, "Two"), "a", "why a", RowKind::kKey);
  context.AddIssueRow("Two", ValueTarget(RootKey::kCurrentUser, "Two", "b"), "b", "why b",
                      RowKind::kValueNamed);
}

void Throws(ScanContext& context) {
  context.AddIssueRow("Bad", KeyTarget(RootKey::kCurrentUser, "Bad"), "", "why", RowKind::kKey);
  throw RegistryError("Invalid data type");
}

const Category kTwo{3, "Two", 1, "Scanning Two...", &FindTwo};
const Category kThrows{4, "Throws", 1, "", &Throws};
const Category kGroup{2, "Group", 1, "Scanning Group...", nullptr};

struct ScanRun {
  test::TestEnv env;
  ResultsModel results;
  RecordingEvents events;
  std::string failure;  // what the task says of a failed category
  std::vector<std::string> Run(std::vector<Category> categories) {
    ScanTask task(env.Get(), results, events, std::move(categories), "c");
    task.Execute();
    failure = task.Failure();
    return events.Log();
  }
};

TEST(ScanBody, EmptyListClosesAtOnce) {
  ScanRun run;
  EXPECT_EQ(run.Run({}), (std::vector<std::string>{"close"}));
}

TEST(ScanBody, CategoriesWithoutScannerStillBeginAndEndWithoutAText) {
  ScanRun run;
  EXPECT_EQ(run.Run({*FindCategory(kCategoryRoot), kGroup}),
            (std::vector<std::string>{"begin", "end", "begin", "end", "close"}));
  EXPECT_EQ(run.results.Count(), 0u);
}

TEST(ScanBody, ScannerRowsAppearUntickedInOrder) {
  ScanRun run;
  EXPECT_EQ(run.Run({kTwo}),
            (std::vector<std::string>{"begin", "status:Scanning Two...",
                                      "key:HKEY_CURRENT_USER\\Two", "end", "close"}));
  ASSERT_EQ(run.results.Count(), 2u);
  EXPECT_EQ(run.results.Row(0),
            (IssueRow{"Two", "HKEY_CURRENT_USER\\Two", "a", "why a", RowKind::kKey, false, {}, 0}));
  EXPECT_EQ(run.results.Row(1).kind, RowKind::kValueNamed);
}

TEST(ScanBody, AFailingScannerEndsTheBodyButStillAsksToClose) {
  ScanRun run;
  // The failing category gets no end step, the category after it does not run,
  // its rows so far stay, and the window is still closed.
  EXPECT_EQ(run.Run({kTwo, kThrows, kTwo}),
            (std::vector<std::string>{"begin", "status:Scanning Two...",
                                      "key:HKEY_CURRENT_USER\\Two", "end", "begin", "close"}));
  EXPECT_EQ(run.results.Count(), 3u);
  EXPECT_EQ(run.results.Row(2).problem, "Bad");
  // The user is told which category failed, why, and that its rows are incomplete.
  EXPECT_EQ(run.failure,
            "The scan stopped in the category \"Throws\": Invalid data type.\r\nThe problems "
            "found in that category are incomplete, and the categories after it were not "
            "scanned.");
  run.Run({kTwo});
  EXPECT_EQ(run.failure, "");
}

TEST(ScanHelpers, ScanKeyShowsFiftyThreeCharactersThenAHundredMore) {
  const std::string p53(53, 'a');
  EXPECT_EQ(FormatScanKey(p53), p53);
  EXPECT_EQ(FormatScanKey(p53 + "b"), p53 + "\r\nb");
  std::string p200 = p53 + std::string(100, 'b') + std::string(47, 'c');
  EXPECT_EQ(FormatScanKey(p200), p53 + "\r\n" + std::string(100, 'b'));
  EXPECT_EQ(FormatScanKey(""), "");
}

TEST(ScanHelpers, BarStepsSlowDownAndStopAt999) {
  const std::vector<std::pair<int, int>> table = {{0, 10},    {200, 210}, {201, 206}, {400, 405},
                                                  {401, 404}, {700, 703}, {701, 703}, {800, 802},
                                                  {801, 802}, {998, 999}, {999, 999}, {1000, 1000}};
  for (const auto& [from, to] : table)
    EXPECT_EQ(NextBarPosition(from), to) << "from " << from;
  int p = 0, ticks = 0;
  auto tickTo = [&](int target) {
    while (p < target) {
      p = NextBarPosition(p);
      ++ticks;
    }
    return ticks;
  };
  EXPECT_EQ(tickTo(200), 20);
  EXPECT_EQ(tickTo(400), 59);
  EXPECT_EQ(tickTo(700), 159);
  EXPECT_EQ(tickTo(800), 208);
  EXPECT_EQ(tickTo(999), 406);
  EXPECT_EQ(NextBarPosition(p), 999);
}

#ifndef _WIN32
TEST(AllowedDrives, FromDriveTypesAndTheTwoSwitches) {
  PortableFileSystem files;
  files.MapDrive('c', "/tmp", DriveType::kFixed);
  files.MapDrive('d', "/tmp", DriveType::kFixed);
  files.MapDrive('e', "/tmp", DriveType::kCdRom);
  files.MapDrive('f', "/tmp", DriveType::kRemovable);
  EXPECT_EQ(BuildAllowedDrives(files, false, false), "cd");
  EXPECT_EQ(BuildAllowedDrives(files, false, true), "cde");
  EXPECT_EQ(BuildAllowedDrives(files, true, false), "abcdfghijklmnopqrstuvwxyz");
  EXPECT_EQ(BuildAllowedDrives(files, true, true), "abcdeefghijklmnopqrstuvwxyz");
}
#endif

// Answers drive types only, one letter at a time, as a system that cannot name the
// letters in use.
class LetterByLetter : public FileSystem {
 public:
  explicit LetterByLetter(FileSystem& inner) : inner_(inner) {}
  DriveType GetDriveType(const std::string& root) override { return inner_.GetDriveType(root); }
  std::optional<uint32_t> DrivesInUse() override { return std::nullopt; }
  bool FileExists(const std::string&) override { return false; }
  bool FolderExists(const std::string&) override { return false; }
  std::vector<FileEntry> ListFolder(const std::string&) override { return {}; }
  std::optional<std::string> ExpandEnvironment(const std::string&) override { return std::nullopt; }
  bool CreateFolders(const std::string&) override { return false; }
  bool DeleteFileSilently(const std::string&) override { return false; }
  FilePtr OpenFile(const std::string&, const char*) override { return nullptr; }
  bool FlushToDisk(std::FILE*) override { return false; }
  bool TruncateFile(std::FILE*, uint64_t) override { return false; }

 private:
  FileSystem& inner_;
};

// Skipping the letters not in use gives the letters that asking every one gives.
TEST(AllowedDrives, TheLettersInUseGiveTheSameDrivesAsAskingEachLetter) {
  test::TestEnv env;
  LetterByLetter each(env.Files());
  ASSERT_TRUE(env.Files().DrivesInUse().has_value());
  for (const bool removable : {false, true}) {
    for (const bool cd : {false, true}) {
      EXPECT_EQ(BuildAllowedDrives(env.Files(), removable, cd),
                BuildAllowedDrives(each, removable, cd))
          << removable << cd;
    }
  }
  EXPECT_NE(BuildAllowedDrives(env.Files(), false, false).find('c'), std::string::npos);
}

// A scanner that keeps finding rows until it is stopped.
void Endless(ScanContext& context) {
  Registry registry = context.NewRegistry(RootKey::kCurrentUser);
  for (int i = 0;; ++i) {
    registry.KeyExists("\\Software");
    context.Files().FileExists("C:\\x");
    context.AddIssueRow("Loop", KeyTarget(RootKey::kCurrentUser, "Loop"), std::to_string(i), "why",
                        RowKind::kKey);
  }
}

const Category kEndless{3, "Endless", 1, "", &Endless};

TEST(ScanStop, NoRowAppearsAfterStopAndTheThreadLeaves) {
  test::TestEnv env;
  ResultsModel results;
  RecordingEvents events;
  size_t countAtStop = 0;
  {
    ScanTask task(env.Get(), results, events, {kEndless, kEndless}, "c");
    task.Start();
    while (results.Count() < 50)
      std::this_thread::yield();
    task.Stop();
    countAtStop = results.Count();
  }  // joined here
  EXPECT_EQ(results.Count(), countAtStop);
  const auto log = events.Log();
  EXPECT_EQ(std::count(log.begin(), log.end(), "close"), 0);
  EXPECT_EQ(std::count(log.begin(), log.end(), "end"), 0);
  // Every row is whole.
  for (const auto& row : results.Rows())
    EXPECT_EQ(row.problem, "Loop");
}

}  // namespace
}  // namespace kelvane

namespace kelvane {
namespace {

// Categories numbered by their id: each finds `id` rows named after itself, after a
// pause that differs from category to category, so that the two threads finish them
// in another order than the list's.
void Numbered(ScanContext& context, int id) {
  std::this_thread::sleep_for(std::chrono::microseconds((id * 7919) % 13 * 150));
  const std::string key = "HKEY_CURRENT_USER\\C" + std::to_string(id);
  for (int i = 0; i < id; ++i) {
    context.ShowScanKey(key + "\\" + std::to_string(i));
    context.AddIssueRow("C" + std::to_string(id),
                        KeyTarget(RootKey::kCurrentUser, "C" + std::to_string(id)),
                        std::to_string(i), "why", RowKind::kKey);
  }
}
template <int Id>
void NumberedScanner(ScanContext& context) {
  Numbered(context, Id);
}

template <int... Ids>
std::vector<Category> NumberedCategories(std::integer_sequence<int, Ids...>) {
  return {Category{Ids + 3, "C", 1, "Scanning...", &NumberedScanner<Ids + 3>}...};
}

// Whatever the helper thread takes, the window hears of every category in list
// order, each with its rows in order and its last key text, as from one thread.
TEST(ScanAhead, RowsStepsAndLastKeysComeInListOrder) {
  const std::vector<Category> categories =
      NumberedCategories(std::make_integer_sequence<int, 12>());
  for (int round = 0; round < 20; ++round) {
    ScanRun run;
    const auto log = run.Run(categories);
    std::vector<std::string> expected;
    std::vector<IssueRow> rows;
    for (const Category& category : categories) {
      const std::string key = "HKEY_CURRENT_USER\\C" + std::to_string(category.id);
      expected.insert(expected.end(), {"begin", "status:Scanning..."});
      for (int i = 0; i < category.id; ++i)
        rows.push_back({"C" + std::to_string(category.id),
                        key,
                        std::to_string(i),
                        "why",
                        RowKind::kKey,
                        false,
                        {},
                        0});
      expected.push_back("end");
    }
    expected.push_back("close");
    std::vector<std::string> steps;  // the log without its key texts
    std::copy_if(log.begin(), log.end(), std::back_inserter(steps),
                 [](const std::string& entry) { return entry.rfind("key:", 0) != 0; });
    ASSERT_EQ(steps, expected) << "round " << round;
    ASSERT_EQ(run.results.Rows(), rows) << "round " << round;
    // Before each category's end step the label shows that category's last key.
    for (size_t i = 0, category = 0; i < log.size(); ++i) {
      if (log[i] != "end")
        continue;
      const int id = categories[category++].id;
      ASSERT_GT(i, 0u);
      EXPECT_EQ(log[i - 1],
                "key:HKEY_CURRENT_USER\\C" + std::to_string(id) + "\\" + std::to_string(id - 1));
    }
  }
}

// The first category waits until the last one has begun: only a second thread
// scanning from the back lets it go on.
std::atomic<bool> lastBegun{false};
void WaitsForTheLast(ScanContext& context) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (!lastBegun.load() && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  context.AddIssueRow(lastBegun.load() ? "together" : "alone",
                      KeyTarget(RootKey::kCurrentUser, "A"), "", "why", RowKind::kKey);
}
void TheLast(ScanContext& context) {
  lastBegun.store(true);
  context.AddIssueRow("last", KeyTarget(RootKey::kCurrentUser, "B"), "", "why", RowKind::kKey);
}

TEST(ScanAhead, TheLastCategoryIsScannedWhileTheFirstRuns) {
  lastBegun.store(false);
  ScanRun run;
  run.Run({Category{3, "A", 1, "", &WaitsForTheLast}, kTwo, Category{5, "B", 1, "", &TheLast}});
  ASSERT_EQ(run.results.Count(), 4u);
  EXPECT_EQ(run.results.Row(0).problem, "together");
  EXPECT_EQ(run.results.Row(3).problem, "last");
}

// A scanner scanned ahead that fails ends the scan where it stands in the list: the
// categories before it are scanned, its rows so far stay, none after it counts.
TEST(ScanAhead, AFailureScannedAheadEndsTheScanAtItsPlace) {
  for (int round = 0; round < 20; ++round) {
    ScanRun run;
    const Category slowTwo{6, "Two", 1, "Scanning Two...", &NumberedScanner<6>};
    const auto log = run.Run({slowTwo, kTwo, kThrows, kTwo, kTwo});
    std::vector<std::string> steps;
    std::copy_if(log.begin(), log.end(), std::back_inserter(steps),
                 [](const std::string& entry) { return entry.rfind("key:", 0) != 0; });
    ASSERT_EQ(steps, (std::vector<std::string>{"begin", "status:Scanning Two...", "end", "begin",
                                               "status:Scanning Two...", "end", "begin", "close"}))
        << "round " << round;
    ASSERT_EQ(run.results.Count(), 6u + 2u + 1u);
    EXPECT_EQ(run.results.Row(8).problem, "Bad");
    EXPECT_EQ(run.failure.rfind("The scan stopped in the category \"Throws\"", 0), 0u);
  }
}

// Stop while the worker waits for a category the helper is scanning: both threads
// leave, nothing more is reported and the window is not asked to close.
TEST(ScanAhead, StopWhileWaitingForTheHelperEndsBoth) {
  test::TestEnv env;
  ResultsModel results;
  RecordingEvents events;
  {
    lastBegun.store(false);
    const Category endless{5, "Endless", 1, "", [](ScanContext& context) {
                             lastBegun.store(true);
                             Endless(context);
                           }};
    ScanTask task(env.Get(), results, events,
                  {Category{3, "A", 1, "", &WaitsForTheLast}, kTwo, endless}, "c");
    task.Start();
    for (;;) {  // the worker has reported the first two categories and waits for the helper
      const auto log = events.Log();
      if (std::count(log.begin(), log.end(), "end") == 2)
        break;
      std::this_thread::yield();
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    task.Stop();
  }  // both threads joined here
  const auto log = events.Log();
  EXPECT_EQ(std::count(log.begin(), log.end(), "close"), 0);
  EXPECT_EQ(std::count(log.begin(), log.end(), "end"), 2);
  ASSERT_EQ(results.Count(), 3u);
  EXPECT_EQ(results.Row(0).problem, "together");
}

}  // namespace
}  // namespace kelvane
