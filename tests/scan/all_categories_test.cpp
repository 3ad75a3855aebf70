// One scan of every category of the table, as the program runs it.
// Under Wine it scans the whole fresh prefix; the figures are printed, not judged.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>

#include "scan/scan_task.h"
#include "test_env.h"

namespace kelvane {
namespace {

// Notes where each category's rows begin and end, and how long it ran.
class CategoryClock : public ScanEvents {
 public:
  explicit CategoryClock(ResultsModel& results) : results_(results) {}
  void BeginCategory() override {
    begun_ = std::chrono::steady_clock::now();
    firstRow_ = results_.Count();
  }
  // Printed as it happens, so that a category that never ends is the line missing.
  void EndCategory() override {
    const auto elapsed = std::chrono::steady_clock::now() - begun_;
    rows.push_back(results_.Count() - firstRow_);
    millis.push_back(std::chrono::duration<double, std::milli>(elapsed).count());
    std::printf("%-4zu %8zu %10.1f\n", rows.size() + 2, rows.back(), millis.back());
    std::fflush(stdout);
  }
  void SetStatusText(const std::string&) override {}
  void SetKeyText(const std::string&) override { ++keysShown; }
  void RowAdded() override {}
  void CloseRequest() override { closed = true; }

  std::vector<size_t> rows;
  std::vector<double> millis;
  size_t keysShown = 0;
  bool closed = false;

 private:
  ResultsModel& results_;
  std::chrono::steady_clock::time_point begun_;
  size_t firstRow_ = 0;
};

TEST(AllCategories, AScanOfEveryCategoryRunsEachToItsEndAndCloses) {
  test::TestEnv env;
  ResultsModel results;
  CategoryClock clock(results);
  std::printf("%-4s %8s %10s\n", "id", "rows", "ms");
  std::vector<Category> ids;
  for (const Category& category : Categories()) {
    if (category.scanner)
      ids.push_back(category);
  }
  ScanTask task(env.Get(), results, clock, ids, BuildAllowedDrives(env.Files(), false, false));
  const auto started = std::chrono::steady_clock::now();
  task.Execute();
  const double total =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();

  // A category that failed would have no end step and stop the ones after it.
  ASSERT_EQ(clock.rows.size(), ids.size());
  EXPECT_TRUE(clock.closed);
  std::printf("all  %8zu %10.1f  (%zu keys shown)\n", results.Count(), total * 1000,
              clock.keysShown);
}

}  // namespace
}  // namespace kelvane
