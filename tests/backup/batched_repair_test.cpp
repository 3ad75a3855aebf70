// A repair backs up and deletes its rows in batches: each batch's items are in the
// backup file on the disk before the first of them is deleted, an item that does not
// read back leaves the batch alone, and a batch whose file cannot reach the disk
// deletes nothing.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <thread>

#include "backup/repair.h"
#include "backup_fixture.h"
#include "fakes.h"
#include "test_env.h"

namespace kelvane {
namespace {

using test::CrLfLines;
using test::ReadWholeFile;
using test::Sz;

// Keeps the backup file's text as each flush to the disk left it; a flush fails once
// `flushesLeft` is used up, and the text read back can be damaged.
class DiskFiles : public ForwardingFileSystem {
 public:
  explicit DiskFiles(FileSystem& inner) : ForwardingFileSystem(inner) {}
  std::string path;  // the backup file
  int flushesLeft = 1000;
  std::function<std::string(std::string)> damage;
  std::vector<std::string> onDisk;  // the file after each flush

  bool FlushToDisk(std::FILE* file) override {
    if (flushesLeft-- <= 0)
      return false;
    const bool flushed = inner_.FlushToDisk(file);
    onDisk.push_back(ReadWholeFile(inner_, path));
    return flushed;
  }
  FilePtr OpenFile(const std::string& path, const char* mode) override {
    std::string m = mode;
    // A handle that cannot read sends the proof to "rb", where the damage lies in wait.
    if (m == "a+b" && damage)
      m = "ab";
    if (m != "rb" || !damage)
      return inner_.OpenFile(path, m.c_str());
    const std::string damaged = damage(ReadWholeFile(inner_, path));
    FilePtr copy(std::tmpfile());
    std::fwrite(damaged.data(), 1, damaged.size(), copy.Get());
    std::rewind(copy.Get());
    return copy;
  }
};

// Tells each value read to `queried` and each value deletion to `deleted` before
// passing it on.
class WatchedRegistry : public RegistryBackend {
 public:
  explicit WatchedRegistry(RegistryBackend& inner) : inner_(inner) {}
  std::function<void(const std::string&)> queried = [](const std::string&) {};
  std::function<void(const std::string&)> deleted = [](const std::string&) {};
  std::unique_ptr<BackendKey> OpenRoot(RootKey root) override {
    auto key = inner_.OpenRoot(root);
    return key ? std::make_unique<Key>(std::move(key), *this) : nullptr;
  }

 private:
  class Key : public test::ForwardingKey {
   public:
    Key(std::unique_ptr<BackendKey> inner, WatchedRegistry& owner)
        : ForwardingKey(std::move(inner)), owner_(owner) {}
    std::unique_ptr<BackendKey> Open(const std::string& sub, KeyAccess access,
                                     bool create) override {
      auto key = ForwardingKey::Open(sub, access, create);
      return key ? std::make_unique<Key>(std::move(key), owner_) : nullptr;
    }
    std::optional<RegValue> Query(const std::string& name) override {
      owner_.queried(name);
      return ForwardingKey::Query(name);
    }
    bool DeleteValue(const std::string& name) override {
      owner_.deleted(name);
      return ForwardingKey::DeleteValue(name);
    }

   private:
    WatchedRegistry& owner_;
  };

  RegistryBackend& inner_;
};

class Prompts : public RepairPrompts {
 public:
  std::vector<std::string> progress;  // "done/total" after each batch
  bool ConfirmCreateBackupFolder(const std::string&) override { return true; }
  bool MakeRestorePoint() override { return true; }
  Recheck ScanAgain(std::vector<IssueRow>&) override { return Recheck::kSkipped; }
  void RunBatches(RepairBatches& batches) override {
    for (bool more = true; more;) {
      more = batches.Next();
      progress.push_back(std::to_string(batches.Done()) + "/" + std::to_string(batches.Total()));
    }
  }
  void RowsProcessed() override {}
  void ShowRepairHint(size_t) override {}
};

class BatchedRepair : public ::testing::Test {
 protected:
  test::TestEnv env;
  test::ScratchKey scratch{env.Registry()};
  Platform base = env.Get();
  std::string folder = env.TempDir() + "\\Backup";
  std::string file = folder + "\\Backup20261208100000.reg";
  test::FixedSystem system{VersionRecord{2, 10, 0}, LocalTime{2026, 12, 8, 10, 0, 0}};
  DiskFiles files{env.Files()};
  WatchedRegistry registry{base.registry};
  Platform platform{registry, files, base.shell, system, base.profile, base.processes};
  ResultsModel results;
  Prompts prompts;

  // Values V0 to V<count - 1> of one key, a ticked row each, the last repaired first.
  void AddValues(int count) {
    for (int i = 0; i < count; ++i) {
      const std::string name = "V" + std::to_string(i);
      test::PutValue(env.Registry(), RootKey::kCurrentUser, scratch.Path(), name, Sz(name));
      results.AppendBatch(
          {test::RowFromCells("p", scratch.FullPath(), name, "", RowKind::kValueNamed, true)});
    }
  }
  bool ValueExists(const std::string& name) {
    Registry r(env.Registry());
    r.SetRoot(RootKey::kCurrentUser);
    return r.OpenKey("\\" + scratch.Path(), false) && r.ValueExists(name);
  }
  std::vector<std::string> RowValues() {
    std::vector<std::string> values;
    for (const IssueRow& row : results.Rows())
      values.push_back(row.value);
    return values;
  }
  RepairOutcome Run(size_t batchItems) {
    env.MakeFolder(folder);
    RepairSettings settings;
    settings.OutputDirectory = folder;
    settings.ShowHint = false;
    files.path = file;
    RepairBatching batching;
    batching.items = batchItems;
    const RepairOutcome outcome = RepairTickedRows(platform, results, settings, prompts, batching);
    EXPECT_EQ(outcome.backupFile, file);
    return outcome;
  }
};

TEST_F(BatchedRepair, NoValueIsDeletedBeforeItsBackupIsOnTheDisk) {
  AddValues(5);
  std::vector<std::string> deletions;
  std::mutex deleting;  // two threads delete a batch's values
  registry.deleted = [&](const std::string& name) {
    std::lock_guard lock(deleting);
    // What a power cut now would leave: the file as the last flush left it.
    const std::string disk = files.onDisk.empty() ? "" : files.onDisk.back();
    EXPECT_NE(disk.find("\"" + name + "\"=\"" + name + "\""), std::string::npos) << name;
    deletions.push_back(std::to_string(files.onDisk.size()) + ":" + name);
  };
  const RepairOutcome outcome = Run(2);
  EXPECT_TRUE(outcome.finished) << outcome.error;
  EXPECT_EQ(outcome.removedCount, 5u);
  // One flush per batch of two, each before its batch's deletions (last rows first, in
  // any order within a batch).
  std::sort(deletions.begin(), deletions.end());
  EXPECT_EQ(deletions, (std::vector<std::string>{"1:V3", "1:V4", "2:V1", "2:V2", "3:V0"}));
  EXPECT_EQ(prompts.progress, (std::vector<std::string>{"2/5", "4/5", "5/5"}));
  EXPECT_EQ(results.Count(), 0u);
  // The file is the same whatever the batches: one header, an item per row.
  const auto lines = CrLfLines(ReadWholeFile(env.Files(), file));
  ASSERT_EQ(lines.size(), 16u);
  EXPECT_EQ(lines[0], "REGEDIT4");
  EXPECT_EQ(lines[3], "\"V4\"=\"V4\"");
  EXPECT_EQ(lines[15], "\"V0\"=\"V0\"");
}

TEST_F(BatchedRepair, AnItemThatDoesNotReadBackLeavesTheRestOfItsBatchToBeDeleted) {
  AddValues(3);
  files.damage = [](std::string text) {
    const size_t at = text.find("\"V1\"=\"V1\"");
    return at == std::string::npos ? text : text.replace(at + 6, 2, "XX");
  };
  const RepairOutcome outcome = Run(10);
  EXPECT_TRUE(outcome.finished) << outcome.error;
  EXPECT_EQ(outcome.notBackedUp, 1u);
  EXPECT_EQ(outcome.removedCount, 2u);
  EXPECT_NE(outcome.firstKept.find("V1"), std::string::npos) << outcome.firstKept;
  EXPECT_TRUE(ValueExists("V1"));
  EXPECT_FALSE(ValueExists("V0"));
  EXPECT_FALSE(ValueExists("V2"));
  EXPECT_EQ(RowValues(), (std::vector<std::string>{"V1"}));
  const std::string k = "[" + scratch.FullPath() + "]";
  EXPECT_EQ(CrLfLines(ReadWholeFile(env.Files(), file)),
            (std::vector<std::string>{"REGEDIT4", "", k, "\"V2\"=\"V2\"", "", k, "\"V0\"=\"V0\""}));
}

TEST_F(BatchedRepair, ABatchWhoseFileCannotReachTheDiskDeletesNothing) {
  AddValues(5);
  files.flushesLeft = 1;
  const RepairOutcome outcome = Run(2);
  EXPECT_FALSE(outcome.finished);
  EXPECT_EQ(outcome.stop, RepairStop::kBackupFailed);
  EXPECT_EQ(outcome.removedCount, 2u);
  EXPECT_NE(outcome.stoppedAt.find(scratch.FullPath()), std::string::npos);
  EXPECT_FALSE(ValueExists("V4"));
  EXPECT_FALSE(ValueExists("V3"));
  for (const char* kept : {"V2", "V1", "V0"})
    EXPECT_TRUE(ValueExists(kept)) << kept;
  EXPECT_EQ(RowValues(), (std::vector<std::string>{"V0", "V1", "V2"}));
}

// A batch is read on two threads: a read that fails on the second one ends the repair
// with its error, and nothing of the batch is deleted or leaves the list.
TEST_F(BatchedRepair, AReadThatFailsOnTheSecondThreadEndsTheRepairAndDeletesNothingOfItsBatch) {
  AddValues(8);
  registry.queried = [caller = std::this_thread::get_id()](const std::string&) {
    // Slow reads, so that the second thread takes some of them.
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
    if (std::this_thread::get_id() != caller)
      throw std::runtime_error("the registry is gone");
  };
  const RepairOutcome outcome = Run(10);
  EXPECT_FALSE(outcome.finished);
  EXPECT_EQ(outcome.stop, RepairStop::kError);
  EXPECT_EQ(outcome.error, "the registry is gone");
  EXPECT_EQ(outcome.removedCount, 0u);
  for (int i = 0; i < 8; ++i)
    EXPECT_TRUE(ValueExists("V" + std::to_string(i))) << i;
  EXPECT_EQ(results.Count(), 8u);
}

}  // namespace
}  // namespace kelvane
