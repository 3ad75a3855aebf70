// The file-system answers of one scan. The path check asks about the same folders and
// names over and over (every prefix of a command line, the same program folders in
// thousands of values); within one scan the answer to a path does not change, so each
// is asked once. A new cache, and so fresh answers, comes with every scan.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

#include "platform/platform.h"

namespace kelvane {

class FileAnswerCache : public ForwardingFileSystem {
 public:
  explicit FileAnswerCache(FileSystem& inner) : ForwardingFileSystem(inner) {}

  // Existence answers come from the cache; everything else goes to the file system,
  // and a change made through the cache makes its answers stale.
  bool FileExists(const std::string& path) override;
  bool FolderExists(const std::string& path) override;
  PathState Probe(const std::string& path) override;
  bool CreateFolders(const std::string& path) override { return Changing().CreateFolders(path); }
  bool DeleteFileSilently(const std::string& path) override {
    return Changing().DeleteFileSilently(path);
  }
  FilePtr OpenFile(const std::string& path, const char* mode) override;
  bool MoveFileReplacing(const std::string& from, const std::string& to) override {
    return Changing().MoveFileReplacing(from, to);
  }

  // Forgets every answer.
  void Clear();
  // How many questions reached the file system.
  uint64_t Asked() const { return asked_; }

  // Whether a path is read by the system exactly as written, name by name, so that a
  // folder found absent answers for every name below it: a drive path whose names
  // hold no "." or ".." of their own, no trailing dot or blank, no "~" (short names),
  // no "/" and no ":" (streams), and no byte outside ASCII (where a multi-byte code
  // page could hide a "\" inside a character).
  static bool IsPlainPath(std::string_view path);
  // Whether a folder found absent answers for `path`: a plain path, or one whose last
  // name only gains trailing dots or blanks.
  static bool IsInItsFolder(std::string_view path);

 private:
  struct Hash {
    using is_transparent = void;
    size_t operator()(std::string_view text) const { return std::hash<std::string_view>{}(text); }
  };

  // More answers than this are dropped and asked again: a bound on the memory of a
  // scan over a huge registry.
  static constexpr size_t kMaxAnswers = 250000;

  // The file system, for a change that makes every answer stale.
  FileSystem& Changing() {
    Clear();
    return inner_;
  }
  bool AbsentAbove(std::string_view key) const;
  void Remember(std::string key, PathState state, bool plain);

  std::unordered_map<std::string, PathState, Hash, std::equal_to<>> answers_;
  std::unordered_set<std::string, Hash, std::equal_to<>> absentFolders_;
  uint64_t asked_ = 0;
};

}  // namespace kelvane
