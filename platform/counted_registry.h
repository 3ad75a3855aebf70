// A registry backend that counts the calls the program makes of the one it wraps:
// the benchmarks ask how many registry calls a scan and a repair take per entry. One
// call is counted for each question a key is asked, one for each name or value a
// whole list returns and one for the sizes the first list of a key asks for, and one
// when a key is closed: the round trips the system's registry makes of them.
#pragma once

#include <atomic>
#include <cstdint>

#include "platform/registry.h"

namespace kelvane {

class CountedRegistry : public RegistryBackend {
 public:
  explicit CountedRegistry(RegistryBackend& inner) : inner_(inner) {}
  std::unique_ptr<BackendKey> OpenRoot(RootKey root) override;
  // The calls so far, of every thread.
  uint64_t Calls() const { return calls_.load(std::memory_order_relaxed); }

 private:
  RegistryBackend& inner_;
  std::atomic<uint64_t> calls_{0};
};

}  // namespace kelvane
