// Times a repair with and without reading every backed-up item back from the backup
// file before it is deleted. Natively against the in-memory registry and a temporary
// folder; as a Windows program (under Wine) against the real registry below
// HKEY_CURRENT_USER and the real C:.
//
//   repair_verify_bench [rows] [rounds]   (defaults 10000 and 3: half the rows are keys
//   holding three values and a subkey, half are single values; the fastest round of
//   each kind counts). The rows go in batches as in the repair command.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "results/results_model.h"
#include "backup/repair.h"

#ifdef _WIN32
#include "platform/win32/win32_platform.h"
#else
#include <filesystem>

#include "platform/portable/portable_platform.h"
#endif

namespace kelvane {
namespace {

using Clock = std::chrono::steady_clock;

constexpr const char* kBenchKey = "Software\\KelvaneRepairBench";

std::vector<IssueRow> Populate(RegistryBackend& backend, int rows) {
  Registry registry(backend);
  registry.SetRoot(RootKey::kCurrentUser);
  std::vector<IssueRow> issues;
  registry.OpenKey("\\" + std::string(kBenchKey) + "\\Values", true);
  for (int i = 0; i < rows / 2; ++i) {
    const std::string name = "C:\\Gone\\lib" + std::to_string(i) + ".dll";
    registry.WriteRaw(name, RegValue{kRegDword, std::string("\x01\0\0\0", 4)});
    issues.push_back(MakeIssueRow(
        "Shared DLL", ValueTarget(RootKey::kCurrentUser, std::string(kBenchKey) + "\\Values", name),
        RowKind::kValueNamed, name, ""));
    issues.back().ticked = true;
  }
  registry.CloseKey();
  for (int i = rows / 2; i < rows; ++i) {
    const std::string key = std::string(kBenchKey) + "\\Keys\\gone" + std::to_string(i) + ".exe";
    registry.OpenKey("\\" + key, true);
    registry.WriteRaw("", RegValue{kRegSz, "C:\\Gone\\gone" + std::to_string(i) + ".exe" + '\0'});
    registry.WriteRaw("Path", RegValue{kRegSz, std::string("C:\\Gone\0", 9)});
    registry.WriteRaw("Blob", RegValue{kRegBinary, std::string(40, '\x5A')});
    registry.CloseKey();
    registry.OpenKey("\\" + key + "\\Sub", true);
    registry.WriteRaw("x", RegValue{kRegSz, std::string("y\0", 2)});
    registry.CloseKey();
    issues.push_back(
        MakeIssueRow("App Path", KeyTarget(RootKey::kCurrentUser, key), RowKind::kKey, "", ""));
    issues.back().ticked = true;
  }
  return issues;
}

// Repairs every row, last first and in batches as the command does (each batch written
// through to the disk before its deletions); the seconds it took.
double Repair(Platform& platform, const std::vector<IssueRow>& rows, const std::string& file,
              bool verify) {
  platform.files.DeleteFileSilently(file);
  RegistryRepairer repairer(platform, file);
  repairer.SetVerification(verify);
  const RepairBatching batching;
  size_t repaired = 0;
  size_t staged = 0;
  const auto start = Clock::now();
  const auto commit = [&] {
    for (const auto& result : repairer.Commit()) {
      if (result.result != ItemResult::kCannotBackUp)
        ++repaired;
    }
    staged = 0;
  };
  for (size_t i = rows.size(); i-- > 0;) {
    if (staged == batching.items)
      commit();
    if (repairer.Stage(rows[i]))
      ++staged;
  }
  commit();
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  if (repaired != rows.size()) {
    std::fprintf(stderr, "only %zu of %zu rows repaired\n", repaired, rows.size());
    std::exit(1);
  }
  return seconds;
}

}  // namespace
}  // namespace kelvane

int main(int argc, char** argv) {
  using namespace kelvane;
  const int rows = argc > 1 ? std::atoi(argv[1]) : 10000;
  const int rounds = argc > 2 ? std::atoi(argv[2]) : 3;
#ifdef _WIN32
  Win32Platform system;
  const std::string folder = "C:\\kelvane-repair-bench";
#else
  PortablePlatform system;
  const auto host = std::filesystem::temp_directory_path() / "kelvane-repair-bench";
  std::filesystem::create_directories(host);
  system.files.MapDrive('c', host.string(), DriveType::kFixed);
  const std::string folder = "C:\\bench";
#endif
  Platform platform = system.Get();
  platform.files.CreateFolders(folder);
  const std::string file = folder + "\\Backup.reg";

  double best[2] = {1e30, 1e30};  // without, with
  for (int round = 0; round < rounds; ++round) {
    // Alternate the order, so that neither kind always meets a warmer cache.
    for (int k = 0; k < 2; ++k) {
      const bool verify = (round + k) % 2 == 1;
      const auto issues = Populate(platform.registry, rows);
      const double seconds = Repair(platform, issues, file, verify);
      best[verify ? 1 : 0] = std::min(best[verify ? 1 : 0], seconds);
      std::printf("round %d %-20s %8.3f s\n", round + 1,
                  verify ? "with verification" : "without verification", seconds);
    }
  }
  Registry cleanup(platform.registry);
  cleanup.SetRoot(RootKey::kCurrentUser);
  cleanup.DeleteKey(std::string("\\") + kBenchKey);
  platform.files.DeleteFileSilently(file);
  std::printf("repair of %d rows (half keys, half values), fastest of %d rounds:\n", rows, rounds);
  std::printf("  without verification  %8.3f s\n", best[0]);
  std::printf("  with verification     %8.3f s\n", best[1]);
  std::printf("  ratio                 %8.3f\n", best[1] / best[0]);
  return 0;
}
