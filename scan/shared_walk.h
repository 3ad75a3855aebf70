// A registry walk in preorder, shared by the thread that walks it and a second one.
// Each thread shows the other the subkeys it has yet to enter (a key's Siblings). A
// thread with nothing to do takes the latter half of the highest such list and walks
// it into rows of its own; the thread whose list it was reports those rows when it
// gets there, and while it waits for them it takes work from the other in turn. So
// the work is shared where it lies: a tree whose weight is one deep subtree is shared
// as evenly as a wide one. Rows and their order are those of one thread.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "scan/scan_ahead.h"
#include "scan/scan_task.h"

namespace kelvane {

class SharedWalk {
  struct Lane;

 public:
  // The caller's thread is lane 0, the second thread lane 1.
  static constexpr int kLanes = 2;

  // Subkeys taken from the other thread: `names`, below the key `keyPath`, whose depth
  // below the walk's start is `depth`.
  struct Taken {
    std::string keyPath;
    int depth = 0;
    std::vector<std::string> names;
  };
  // Walks `taken` on thread `lane`, its rows going through `context`.
  using WalkTaken =
      std::function<void(SharedWalk& walk, int lane, const Taken& taken, ScanContext& context)>;

  // A walk by `owner`'s thread; the second thread starts at once (without one, the
  // caller walks everything itself).
  SharedWalk(const ScanContext& owner, WalkTaken walkTaken);
  ~SharedWalk();
  SharedWalk(const SharedWalk&) = delete;
  SharedWalk& operator=(const SharedWalk&) = delete;

  // The subkeys of one key, entered in order by the thread `lane` that walks the key;
  // the other thread may take some of them. Without a walk (nullptr) the thread enters
  // them all.
  class Siblings {
   public:
    Siblings(SharedWalk* walk, int lane, const std::string& keyPath, int depth,
             const std::vector<std::string>& names);
    ~Siblings();
    Siblings(const Siblings&) = delete;
    Siblings& operator=(const Siblings&) = delete;

    // The next name this thread enters itself; nullopt once the rest were taken.
    std::optional<size_t> Next();
    // Reports through `context`, after this thread's own names and in their order, the
    // rows of the names the other thread took. Throws OperationCancelled after Stop,
    // and ScannedAheadFailed where the other thread's walk failed (after its rows).
    void ReportTaken(ScanContext& context);

   private:
    friend class SharedWalk;
    SharedWalk* walk_;
    int lane_;
    const std::string& keyPath_;
    int depth_;
    const std::vector<std::string>& names_;
    bool first_ = true;  // the first name is not given yet
    size_t next_;        // the names from next_ up to end_ are nobody's yet
    size_t end_;         // the names from end_ on were taken
    // Where each part taken starts, and its rows, in the order taken: the last names first.
    std::vector<std::pair<size_t, ScannedPart*>> taken_;
    bool shown_ = false;  // on its lane's list of Siblings
  };

 private:
  void Run();
  // Under the lock: whether `lane` shows subkeys it has yet to enter, and taking half of
  // the highest such list.
  bool HasWork(int lane) const;
  std::pair<Taken, ScannedPart*> Take(int lane);
  void Walk(int lane, const Taken& taken, ScannedPart& part);
  void Await(int lane, const ScannedPart& part);
  void Show(Siblings& siblings);
  void Hide(Siblings& siblings);

  WalkTaken walkTaken_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<std::unique_ptr<Lane>> lanes_;
  std::deque<ScannedPart> parts_;
  bool leave_ = false;
  std::thread thread_;
};

}  // namespace kelvane
