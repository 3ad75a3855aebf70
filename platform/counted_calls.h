// Wrappers that count the calls the program makes of the registry and of the file
// system, and the time spent inside them, over all threads: the benchmarks ask where
// an unattended run's time goes (KELVANE_PHASE_TIMES).
#pragma once

#include <atomic>
#include <cstdint>

#include "platform/platform.h"
#include "platform/registry.h"

namespace kelvane {

// What the calls of every thread came to so far.
struct CallTally {
  std::atomic<uint64_t> calls{0};
  std::atomic<uint64_t> nanoseconds{0};  // inside the wrapped calls
  uint64_t Calls() const { return calls.load(std::memory_order_relaxed); }
  double Seconds() const { return nanoseconds.load(std::memory_order_relaxed) / 1e9; }
};

// One call is counted for each question a key is asked, one for each name or value a
// whole list returns and one for the sizes the first list of a key asks for, and one
// when a key is closed: the round trips the system's registry makes of them.

class CountedRegistry : public RegistryBackend {
 public:
  explicit CountedRegistry(RegistryBackend& inner) : inner_(inner) {}
  std::unique_ptr<BackendKey> OpenRoot(RootKey root) override;
  const CallTally& Tally() const { return tally_; }

 private:
  RegistryBackend& inner_;
  CallTally tally_;
};

// Counts the questions that judge a path (whether a file or folder is there, a
// folder's names, an environment expansion) and the time they take.
class CountedFiles : public ForwardingFileSystem {
 public:
  explicit CountedFiles(FileSystem& inner) : ForwardingFileSystem(inner) {}
  bool FileExists(const std::string& path) override;
  bool FolderExists(const std::string& path) override;
  PathState Probe(const std::string& path) override;
  std::vector<FileEntry> ListFolder(const std::string& folder) override;
  std::optional<std::string> ExpandEnvironment(const std::string& text) override;
  const CallTally& Tally() const { return tally_; }
  void Reset() {
    tally_.calls = 0;
    tally_.nanoseconds = 0;
  }

 private:
  CallTally tally_;
};

}  // namespace kelvane
