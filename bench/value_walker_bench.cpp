// Times the value walker on a generated registry tree against a bare enumeration of
// the same keys and values through the same registry layer. Natively the tree lives
// in the in-memory registry and drive C: in a temporary folder; as a Windows program
// (under Wine) in the real registry below HKEY_CURRENT_USER and on the real C:.
//
//   value_walker_bench [keys] [rounds]   (defaults 100000 and 1; three values per key;
//   the fastest of the rounds counts)
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "bench/bench_texts.h"
#include "platform/counted_calls.h"
#include "results/results_model.h"
#include "scan/scan_task.h"
#include "scan/value_walker.h"

#ifdef _WIN32
#include <windows.h>
#include <psapi.h>
// The file system interface has a method of this name; the macro would rename it here.
#undef GetDriveType

#include "platform/win32/win32_platform.h"
#else
#include <sys/resource.h>

#include <filesystem>

#include "platform/portable/portable_platform.h"
#endif

namespace kelvane {
namespace {

using Clock = std::chrono::steady_clock;

constexpr const char* kBenchKey = "Software\\KelvaneBench";
constexpr const char* kFilesFolder = "C:\\kelvane-bench";
constexpr int kFileCount = 200;

double Seconds(Clock::duration d) {
  return std::chrono::duration<double>(d).count();
}

// Peak resident memory of this process so far, in KiB.
long PeakKib() {
#ifdef _WIN32
  PROCESS_MEMORY_COUNTERS counters{};
  if (!K32GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters))
    return -1;
  return static_cast<long>(counters.PeakWorkingSetSize / 1024);
#else
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
#endif
}

struct TreeFigures {
  uint64_t keys = 0;
  uint64_t values = 0;
  uint64_t texts = 0;
  uint64_t missing = 0;  // text values naming a missing file on an allowed drive
};

void PutValue(BackendKey& key, const std::string& name, bench::Mix& mix, uint64_t serial,
              TreeFigures& figures) {
  const bench::MixedValue value = bench::NextMixedValue(mix, serial, kFilesFolder, kFileCount);
  if (value.text)
    ++figures.texts;
  if (value.namesMissingFile)
    ++figures.missing;
  key.Set(name, value.value);
  ++figures.values;
}

// Four levels of ten below one level of vendors: vendors x 10 x 10 x 10 leaf keys.
void Generate(RegistryBackend& backend, int vendorCount, TreeFigures& figures) {
  static const char* const kNames[] = {"InstallPath", "Version", "Path"};
  bench::Mix mix;
  uint64_t serial = 0;
  auto root = backend.OpenRoot(RootKey::kCurrentUser);
  auto base = root->Open(kBenchKey, KeyAccess::kFull, true);
  ++figures.keys;
  auto fill = [&](BackendKey& key) {
    for (int v = 0; v < 3; ++v) {
      ++serial;
      PutValue(key, kNames[v], mix, serial, figures);
    }
  };
  for (int a = 0; a < vendorCount; ++a) {
    auto vendor = base->Open("Vendor" + std::to_string(a), KeyAccess::kFull, true);
    ++figures.keys;
    fill(*vendor);
    for (int b = 0; b < 10; ++b) {
      auto product = vendor->Open("Product" + std::to_string(b), KeyAccess::kFull, true);
      ++figures.keys;
      fill(*product);
      for (int c = 0; c < 10; ++c) {
        auto part = product->Open("Part" + std::to_string(c), KeyAccess::kFull, true);
        ++figures.keys;
        fill(*part);
        for (int d = 0; d < 10; ++d) {
          auto item = part->Open("Item" + std::to_string(d), KeyAccess::kFull, true);
          ++figures.keys;
          fill(*item);
        }
      }
    }
  }
}

// The same walk without any judging: every key opened through its own handle, every
// value name listed and every value read, every subkey entered.
void Enumerate(RegistryBackend& backend, const std::string& path, TreeFigures& seen) {
  Registry registry(backend, KeyAccess::kRead);
  registry.SetRoot(RootKey::kCurrentUser);
  if (!registry.OpenKey(path, false))
    return;
  ++seen.keys;
  for (const std::string& name : registry.GetValueNames()) {
    if (registry.ReadRaw(name))
      ++seen.values;
  }
  for (const std::string& name : registry.GetKeyNames())
    Enumerate(backend, path + "\\" + name, seen);
}

void RemoveBenchKey(RegistryBackend& backend) {
  Registry registry(backend);
  registry.SetRoot(RootKey::kCurrentUser);
  registry.DeleteKey(std::string("\\") + kBenchKey);
}

int Main(int argc, char** argv) {
  const long keysWanted = argc > 1 ? std::max(1111L, std::atol(argv[1])) : 100000;
  const int vendors = static_cast<int>((keysWanted + 1110) / 1111);
#ifdef _WIN32
  Win32Platform system;
  const char* where = "Windows registry and files (Wine when run there)";
#else
  PortablePlatform system;
  const auto host = std::filesystem::temp_directory_path() / "kelvane-walker-bench";
  std::filesystem::create_directories(host);
  system.files.MapDrive('c', host.string(), DriveType::kFixed);
  const char* where = "in-memory registry, drive C: in a temporary folder";
#endif
  system.files.CreateFolders(kFilesFolder);
  for (int i = 0; i < kFileCount; ++i) {
    FilePtr file =
        system.files.OpenFile(std::string(kFilesFolder) + "\\f" + std::to_string(i) + ".dll", "wb");
  }
  RemoveBenchKey(system.registry);

  std::printf("value walker benchmark: %s\n", where);
  const auto generateStart = Clock::now();
  TreeFigures tree;
  Generate(system.registry, vendors, tree);
  const double generateSeconds = Seconds(Clock::now() - generateStart);
  const long peakAfterGenerate = PeakKib();
  std::printf(
      "tree: %llu keys, %llu values (%llu texts, %llu naming missing files), made in %.1f s\n",
      static_cast<unsigned long long>(tree.keys), static_cast<unsigned long long>(tree.values),
      static_cast<unsigned long long>(tree.texts), static_cast<unsigned long long>(tree.missing),
      generateSeconds);

  CountedFiles probes(system.files);
  const Platform platform{system.registry, probes,         system.shell,
                          system.system,   system.profile, system.processes};
  UnwatchedScan events;
  std::atomic<bool> stop{false};

  const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 1;
  {
    TreeFigures warm;  // the first pass brings the tree into the caches
    Enumerate(system.registry, kBenchKey, warm);
  }
  double bare = 1e9, scan = 1e9, probeSeconds = 0;
  TreeFigures seen;
  size_t rows = 0;
  for (int round = 0; round < rounds; ++round) {
    seen = {};
    auto start = Clock::now();
    Enumerate(system.registry, kBenchKey, seen);
    bare = std::min(bare, Seconds(Clock::now() - start));

    ResultsModel results;
    ScanContext context(platform, results, events, "c", stop);
    probes.Reset();
    start = Clock::now();
    WalkValues(context, "HKEY_CURRENT_USER", kBenchKey, "Invalid File or Folder", "");
    context.FlushRows();
    const double took = Seconds(Clock::now() - start);
    if (took < scan) {
      scan = took;
      probeSeconds = probes.Tally().Seconds();
    }
    rows = results.Count();
  }
  const long peakAfterScan = PeakKib();

  std::printf("bare enumeration: %.3f s  (%.0f keys/s, %.0f values/s)\n", bare, seen.keys / bare,
              seen.values / bare);
  std::printf("full scan:        %.3f s  (%.0f keys/s, %.0f values/s), %zu rows\n", scan,
              seen.keys / scan, seen.values / scan, rows);
  std::printf("file probes:      %llu in %.3f s of the scan (%.0f probes/s while probing)\n",
              static_cast<unsigned long long>(probes.Tally().Calls()), probeSeconds,
              probeSeconds > 0 ? probes.Tally().Calls() / probeSeconds : 0.0);
  std::printf("ratio scan / bare: %.2f; without the probes' own time: %.2f\n", scan / bare,
              (scan - probeSeconds) / bare);
  std::printf("peak memory: %ld KiB after making the tree, %ld KiB after the runs\n",
              peakAfterGenerate, peakAfterScan);
  if (rows != tree.missing) {
    std::printf("unexpected: %zu rows for %llu missing files\n", rows,
                static_cast<unsigned long long>(tree.missing));
  }

  RemoveBenchKey(system.registry);
#ifndef _WIN32
  std::filesystem::remove_all(host);
#endif
  return rows == tree.missing ? 0 : 1;
}

}  // namespace
}  // namespace kelvane

int main(int argc, char** argv) {
  return kelvane::Main(argc, argv);
}
