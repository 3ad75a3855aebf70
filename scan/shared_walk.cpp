#include "scan/shared_walk.h"

#include <system_error>

namespace kelvane {

namespace {

// How many taken parts a thread walks inside one another while it waits for the other
// thread: enough to keep both busy, few enough to bound the thread's stack.
constexpr int kMostNested = 4;

}  // namespace

// One thread's side of the walk: the Siblings it shows, from the start key down, and
// the context its taken parts are walked through.
struct SharedWalk::Lane {
  Lane(const ScanContext& owner)
      : context(owner.GetPlatform(), keyText, owner.AllowedDrives(), owner.StopFlag()) {}
  std::vector<Siblings*> shown;
  LastKeyText keyText;
  ScanContext context;
  int nested = 0;
  bool waiting = false;
};

SharedWalk::SharedWalk(const ScanContext& owner, WalkTaken walkTaken)
    : walkTaken_(std::move(walkTaken)) {
  for (int lane = 0; lane < kLanes; ++lane)
    lanes_.push_back(std::make_unique<Lane>(owner));
  try {
    thread_ = std::thread([this] { Run(); });
  } catch (const std::system_error&) {
    // No second thread: nobody takes anything, the caller walks it all.
  }
}

SharedWalk::~SharedWalk() {
  {
    std::lock_guard lock(mutex_);
    leave_ = true;
  }
  changed_.notify_all();
  if (thread_.joinable())
    thread_.join();
}

SharedWalk::Siblings::Siblings(SharedWalk* walk, int lane, const std::string& keyPath, int depth,
                               const std::vector<std::string>& names)
    : walk_(walk),
      lane_(lane),
      keyPath_(keyPath),
      depth_(depth),
      names_(names),
      next_(names.empty() ? 0 : 1),
      end_(names.size()) {
  // The first name is this thread's at once; the others are shown.
  if (walk_ && names.size() > 1)
    walk_->Show(*this);
}

SharedWalk::Siblings::~Siblings() {
  if (shown_)
    walk_->Hide(*this);
}

std::optional<size_t> SharedWalk::Siblings::Next() {
  if (first_) {
    first_ = false;
    if (!names_.empty())
      return 0;
  }
  if (!shown_)
    return next_ < end_ ? std::optional<size_t>(next_++) : std::nullopt;
  std::lock_guard lock(walk_->mutex_);
  if (next_ >= end_)
    return std::nullopt;
  return next_++;
}

void SharedWalk::Siblings::ReportTaken(ScanContext& context) {
  if (shown_)
    walk_->Hide(*this);
  for (auto taken = taken_.rbegin(); taken != taken_.rend(); ++taken) {
    walk_->Await(lane_, *taken->second);
    taken->second->ReportTo(context);
  }
}

void SharedWalk::Show(Siblings& siblings) {
  std::lock_guard lock(mutex_);
  lanes_[siblings.lane_]->shown.push_back(&siblings);
  siblings.shown_ = true;
  if (lanes_[1 - siblings.lane_]->waiting)
    changed_.notify_all();
}

void SharedWalk::Hide(Siblings& siblings) {
  std::lock_guard lock(mutex_);
  auto& shown = lanes_[siblings.lane_]->shown;
  // Siblings end in the reverse order of their start, so this is the last one.
  if (!shown.empty() && shown.back() == &siblings)
    shown.pop_back();
  siblings.shown_ = false;
}

bool SharedWalk::HasWork(int lane) const {
  for (const Siblings* siblings : lanes_[lane]->shown) {
    if (siblings->next_ < siblings->end_)
      return true;
  }
  return false;
}

std::pair<SharedWalk::Taken, ScannedPart*> SharedWalk::Take(int lane) {
  for (Siblings* siblings : lanes_[lane]->shown) {
    const size_t left = siblings->end_ - siblings->next_;
    if (left == 0)
      continue;
    const size_t start = siblings->end_ - (left + 1) / 2;
    const auto& names = siblings->names_;
    Taken taken{siblings->keyPath_,
                siblings->depth_,
                {names.begin() + static_cast<std::ptrdiff_t>(start),
                 names.begin() + static_cast<std::ptrdiff_t>(siblings->end_)}};
    ScannedPart* part = &parts_.emplace_back();
    siblings->taken_.emplace_back(start, part);
    siblings->end_ = start;
    return {std::move(taken), part};
  }
  return {};
}

void SharedWalk::Walk(int lane, const Taken& taken, ScannedPart& part) {
  Lane& side = *lanes_[lane];
  // A part walked while this thread waits inside another keeps the outer part's rows
  // and key text apart from its own.
  ++side.nested;
  part.Scan(side.context, side.keyText, [&] { walkTaken_(*this, lane, taken, side.context); });
  --side.nested;
  {
    std::lock_guard lock(mutex_);
    part.done = true;
  }
  changed_.notify_all();
}

void SharedWalk::Await(int lane, const ScannedPart& part) {
  std::unique_lock lock(mutex_);
  Lane& side = *lanes_[lane];
  while (!part.done) {
    if (side.nested < kMostNested && HasWork(1 - lane)) {
      auto [taken, mine] = Take(1 - lane);
      lock.unlock();
      Walk(lane, taken, *mine);
      lock.lock();
      continue;
    }
    side.waiting = true;
    changed_.wait(lock);
    side.waiting = false;
  }
}

void SharedWalk::Run() {
  std::unique_lock lock(mutex_);
  for (;;) {
    lanes_[1]->waiting = true;
    changed_.wait(lock, [this] { return leave_ || HasWork(0); });
    lanes_[1]->waiting = false;
    if (leave_)
      return;
    auto [taken, part] = Take(0);
    lock.unlock();
    Walk(1, taken, *part);
    lock.lock();
  }
}

}  // namespace kelvane
