#include "scan/value_walker.h"

#include <algorithm>

#include "platform/registry_locations.h"
#include "scan/path_check.h"
#include "scan/registry_views.h"
#include "scan/shared_walk.h"
#include "scan/scanners.h"

namespace kelvane {

namespace {

// A listed key is skipped in both registry views.
bool Skipped(const WalkSkip& skip, RootKey root, const std::string& keyPath) {
  for (const char* key : skip.keys) {
    if (MatchesInEitherView(root, keyPath, key))
      return true;
  }
  return false;
}

// One walk: what stays the same from level to level.
class Walker {
 public:
  Walker(ScanContext& context, RootKey root, std::string_view rootName, const std::string& problem,
         const std::string& endMarker, const WalkSkip& skip)
      : context_(&context),
        root_(root),
        rootName_(rootName),
        problem_(problem),
        endMarker_(endMarker),
        skip_(skip) {}

  // Keys that are other names of keys walked elsewhere, by their identity: a key below
  // the start key whose identity is one of these is left out.
  void LeaveOut(std::vector<std::string> identities) { leaveOut_ = std::move(identities); }

  // `other`'s walk, through `context` on the thread `lane` of `shared`.
  Walker(const Walker& other, ScanContext& context, SharedWalk* shared, int lane) : Walker(other) {
    context_ = &context;
    shared_ = shared;
    lane_ = lane;
  }

  // The start key, opened from the root.
  void Start(const std::string& keyPath) {
    Registry registry = context_->NewRegistry(root_, KeyAccess::kRead);
    if (registry.OpenKey(keyPath, false))
      Visit(registry, keyPath, 0);
  }

  // The same walk, rows and order, shared with a second thread (SharedWalk).
  void StartShared(const std::string& keyPath) {
    Registry registry = context_->NewRegistry(root_, KeyAccess::kRead);
    if (!registry.OpenKey(keyPath, false))
      return;
    SharedWalk shared(*context_, [this](SharedWalk& walk, int lane, const SharedWalk::Taken& taken,
                                        ScanContext& context) {
      Walker(*this, context, &walk, lane).WalkTaken(taken);
    });
    Walker(*this, *context_, &shared, 0).Visit(registry, keyPath, 0);
  }

 private:
  static std::string Join(const std::string& keyPath, const std::string& name) {
    return keyPath.empty() ? name : keyPath + "\\" + name;
  }

  // Opens the subkey `name` of `registry` (the key `keyPath`) to walk it; no key when
  // it is skipped, cannot be opened, or is a link to a key of the other view.
  Registry Enter(Registry& registry, std::optional<std::string>& identity,
                 const std::string& keyPath, const std::string& name) {
    const std::string childPath = Join(keyPath, name);
    if (Skipped(skip_, root_, childPath))
      return context_->NewRegistry(root_, KeyAccess::kRead);
    Registry child = registry.OpenSubkey(name);
    if (child.HasOpenKey() && !leaveOut_.empty() && keyPath.empty()) {
      const auto childIdentity = child.KeyIdentity();
      for (const std::string& other : leaveOut_) {
        if (childIdentity && EqualsNoCase(*childIdentity, other))
          return context_->NewRegistry(root_, KeyAccess::kRead);
      }
    }
    // In the 32-bit view the keys that both views share are links to their 64-bit
    // selves, which are examined (or skipped) under their own names.
    if (child.HasOpenKey() && IsLinkedSubkey(registry, identity, child, childPath, name))
      return context_->NewRegistry(root_, KeyAccess::kRead);
    return child;
  }

  // Subkeys taken from the other thread of a shared walk.
  void WalkTaken(const SharedWalk::Taken& taken) {
    Registry registry = context_->NewRegistry(root_, KeyAccess::kRead);
    if (registry.OpenKey(taken.keyPath, false))
      VisitSubkeys(registry, taken.keyPath, taken.depth, taken.names);
  }

  void VisitValues(Registry& registry, const std::string& keyPath) {
    context_->ShowScanKey(keyPath);
    // Names, types and data come with one call per value.
    for (const NamedValue& entry : registry.GetValues()) {
      const auto text = TextOf(entry.value);
      if (!text)
        continue;
      const PathVerdict verdict = context_->CheckPath(root_, keyPath, *text, endMarker_, true);
      if (verdict.missing) {
        context_->AddIssueRow(problem_, ValueTarget(root_, keyPath, entry.name), *text,
                              MissingPathReason(verdict), RowKind::kValueInPath);
      }
    }
  }

  // `registry` holds the key `keyPath`, open. Each subkey is opened relative to it:
  // one open per key, and this key stays open while its subtree is walked.
  void Visit(Registry& registry, const std::string& keyPath, int depth) {
    VisitValues(registry, keyPath);
    // The names are taken before the first subkey is entered.
    if (depth < kMaxKeyDepth)
      VisitSubkeys(registry, keyPath, depth, registry.GetKeyNames());
  }

  // Enters `names`, subkeys of `registry` (the key `keyPath` at `depth`), in order; in a
  // shared walk the other thread may take some of them.
  void VisitSubkeys(Registry& registry, const std::string& keyPath, int depth,
                    const std::vector<std::string>& names) {
    std::optional<std::string> identity;
    SharedWalk::Siblings siblings(shared_, lane_, keyPath, depth, names);
    while (const auto index = siblings.Next()) {
      const std::string& name = names[*index];
      Registry child = Enter(registry, identity, keyPath, name);
      if (child.HasOpenKey())
        Visit(child, Join(keyPath, name), depth + 1);
    }
    siblings.ReportTaken(*context_);
  }

  ScanContext* context_;
  RootKey root_;
  std::string_view rootName_;
  const std::string& problem_;
  const std::string& endMarker_;
  const WalkSkip& skip_;
  std::vector<std::string> leaveOut_;
  SharedWalk* shared_ = nullptr;
  int lane_ = 0;
};

// The identities of the current user's hive and of its classes (the keys that
// HKEY_USERS shows again as "<the user's SID>" and "<the user's SID>_Classes"). The
// hive's own is read off its Software key: the root handle itself has no name to ask.
std::vector<std::string> CurrentUserIdentities(ScanContext& context) {
  std::vector<std::string> identities;
  const auto identityOf = [&](const char* path) -> std::optional<std::string> {
    Registry registry = context.NewRegistry(RootKey::kCurrentUser, KeyAccess::kRead);
    if (!registry.OpenKey(path, false))
      return std::nullopt;
    return registry.KeyIdentity();
  };
  constexpr std::string_view kSoftware = "\\SOFTWARE";
  if (const auto software = identityOf("Software");
      software && software->size() > kSoftware.size() &&
      EqualsNoCase(std::string_view(*software).substr(software->size() - kSoftware.size()),
                   kSoftware)) {
    identities.push_back(software->substr(0, software->size() - kSoftware.size()));
  }
  if (auto classes = identityOf(kClassesKey); classes && !classes->empty())
    identities.push_back(std::move(*classes));
  return identities;
}

}  // namespace

std::string ValuePathText(std::string_view rootName, const std::string& keyPath,
                          const std::string& valueName) {
  std::string text(rootName);
  text.reserve(text.size() + keyPath.size() + valueName.size() + 2);
  if (!keyPath.empty())
    text.append("\\").append(keyPath);
  text.append("\\").append(valueName);
  return text;
}

void WalkValues(ScanContext& context, std::string_view rootName, const std::string& keyPath,
                const std::string& problem, const std::string& endMarker, const WalkSkip& skip,
                WalkThreads threads) {
  const auto root = RootFromName(rootName);
  if (!root || Skipped(skip, *root, keyPath))
    return;
  Walker walker(context, *root, rootName, problem, endMarker, skip);
  if (skip.currentUser && keyPath.empty())
    walker.LeaveOut(CurrentUserIdentities(context));
  if (threads == WalkThreads::kShared && kMaxKeyDepth >= 2)
    walker.StartShared(keyPath);
  else
    walker.Start(keyPath);
}

}  // namespace kelvane
