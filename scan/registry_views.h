// The two registry views of 64-bit Windows. The program reads every key in the 64-bit
// view, where the 32-bit view's own keys show below "Wow6432Node" keys; a category
// that reads fixed keys examines each in both views, the 32-bit one under the path
// that names it in the 64-bit view, so that a row's path is the key that repair
// removes. Keys that Windows shares between the views are examined once.
#pragma once

#include <atomic>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/registry.h"

namespace kelvane {

class ScanContext;

// The path of the 32-bit view's twin of `path`, as the 64-bit view names it:
// HKEY_LOCAL_MACHINE "Software\X" is "Software\Wow6432Node\X", but the classes below
// "Software\Classes" keep theirs in "Software\Classes\Wow6432Node"; HKEY_CLASSES_ROOT
// "X" is "Wow6432Node\X". Nothing for keys of one view only (the other roots, and
// paths that already pass through a Wow6432Node key).
std::optional<std::string> Wow64Twin(RootKey root, std::string_view path);

// The paths under which a category examines the fixed key `path`: the key itself
// and, on 64-bit Windows, its twin, when the twin is a key of its own (it exists and
// is not the same key shared by both views). A key that does not open is left out.
std::vector<std::string> KeyViews(ScanContext& context, RootKey root, const std::string& path);
// The same outside a scan: `is64BitWindows` says whether there is a second view, and
// `stop`, when given, ends the reads.
std::vector<std::string> KeyViews(RegistryBackend& backend, bool is64BitWindows, RootKey root,
                                  const std::string& path, const std::atomic<bool>* stop = nullptr);

// Whether `keyPath` is `listed` or the twin of it (or, for a class key, the same twin
// as the 64-bit view's "Software\Wow6432Node\Classes" names it), letter case aside.
bool MatchesInEitherView(RootKey root, std::string_view keyPath, std::string_view listed);

// Whether `path` is `key` or a path below it, letter case aside.
bool IsAtOrBelow(std::string_view path, std::string_view key);

// Whether the path passes through a Wow6432Node key, into the 32-bit view.
bool BelowWow64Node(std::string_view path);

// Whether `child`, opened as the subkey `name` of `parent` at `childPath`, is a link to
// a key elsewhere: in the 32-bit view the keys that both views share are links to their
// 64-bit selves. `parentIdentity` keeps the parent's identity from call to call.
bool IsLinkedSubkey(Registry& parent, std::optional<std::string>& parentIdentity, Registry& child,
                    std::string_view childPath, const std::string& name);

}  // namespace kelvane
