// The scan worker's body, its helpers and Stop, run natively with test scanners.
#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>
#include <thread>

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
  context.AddIssueRow("Two", "HKEY_CURRENT_USER\\Two", "a", RowKind::kKey);
  context.AddIssueRow("Two", "HKEY_CURRENT_USER\\Two", "b", RowKind::kValueNamed);
}

void Throws(ScanContext& context) {
  context.AddIssueRow("Bad", "HKEY_CURRENT_USER\\Bad", "", RowKind::kKey);
  throw RegistryError("Invalid data type");
}

const Category kTwo{3, "Two", 1, "Scanning Two...", &FindTwo};
const Category kThrows{4, "Throws", 1, "", &Throws};
const Category kGroup{2, "Group", 1, "Scanning Group...", nullptr};

struct ScanRun {
  test::TestEnv env;
  ResultsModel results;
  RecordingEvents events;
  std::vector<std::string> Run(std::vector<Category> categories) {
    ScanTask task(env.Get(), results, events, std::move(categories), "c");
    task.Execute();
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
            (IssueRow{"Two", "HKEY_CURRENT_USER\\Two", "a", RowKind::kKey, false}));
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
    context.AddIssueRow("Loop", "HKEY_CURRENT_USER\\Loop", std::to_string(i), RowKind::kKey);
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
