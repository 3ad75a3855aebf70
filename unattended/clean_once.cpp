#include "unattended/clean_once.h"

#include <chrono>
#include <cstdio>

#include "platform/counted_calls.h"
#include "unattended/exit_codes.h"
#include "unattended/run_log.h"

namespace kelvane {

namespace {

using Clock = std::chrono::steady_clock;

// What the counting wrappers of the registry and the file system (when the platform's
// are) had counted at one moment of the run.
struct Tallies {
  uint64_t calls = 0;
  double registrySeconds = 0;
  uint64_t questions = 0;
  double fileSeconds = 0;
};

Tallies TakeTallies(Platform platform) {
  Tallies now;
  if (const auto* counted = dynamic_cast<const CountedRegistry*>(&platform.registry)) {
    now.calls = counted->Tally().Calls();
    now.registrySeconds = counted->Tally().Seconds();
  }
  if (const auto* counted = dynamic_cast<const CountedFiles*>(&platform.files)) {
    now.questions = counted->Tally().Calls();
    now.fileSeconds = counted->Tally().Seconds();
  }
  return now;
}

// Where the time of the run went, and the registry calls of its parts.
struct PhaseTimes {
  Clock::time_point start, scanned, repaired;
  Tallies before, afterScan, afterRepair;
};

void WritePhaseTimes(FileSystem& files, const std::string& path, const PhaseTimes& p, size_t found,
                     const RepairTimes& t) {
  FilePtr times = files.OpenFile(path, "ab");
  if (!times)
    return;
  const uint64_t repairCalls = p.afterRepair.calls - p.afterScan.calls;
  std::fprintf(times.Get(),
               "scan %.3f repair %.3f (%zu items: read %.3f, write %.3f, proof %.3f, "
               "flush %.3f, deletes %.3f, look %.3f; registry calls: scan %llu for %zu "
               "rows, repair %llu, %.2f per item; inside them, over all threads: scan "
               "%.3f, repair %.3f; the scan's file questions: %llu in %.3f)\r\n",
               std::chrono::duration<double>(p.scanned - p.start).count(),
               std::chrono::duration<double>(p.repaired - p.scanned).count(), t.items, t.read,
               t.backup.write, t.backup.proof, t.backup.flush, t.deletes, t.look,
               static_cast<unsigned long long>(p.afterScan.calls - p.before.calls), found,
               static_cast<unsigned long long>(repairCalls),
               t.items ? static_cast<double>(repairCalls) / t.items : 0.0,
               p.afterScan.registrySeconds - p.before.registrySeconds,
               p.afterRepair.registrySeconds - p.afterScan.registrySeconds,
               static_cast<unsigned long long>(p.afterScan.questions - p.before.questions),
               p.afterScan.fileSeconds - p.before.fileSeconds);
}

}  // namespace

int CleanUnattended(Platform platform, CleanOnceSteps& steps, const std::string& phaseTimesFile) {
  if (steps.Ticked().empty()) {
    RunLogEntry entry;
    entry.switchName = kCleanOnceSwitch;
    entry.found = 0;
    entry.repaired = 0;
    entry.exitCode = kNothingTicked;
    entry.note = kNothingTickedText;
    LogUnattendedRun(platform, entry);
    return kNothingTicked;
  }
  PhaseTimes times{Clock::now(), {}, {}, TakeTallies(platform), {}, {}};
  const size_t found = steps.Scan();
  times.scanned = Clock::now();
  times.afterScan = TakeTallies(platform);
  const RepairOutcome outcome = steps.Repair();
  times.repaired = Clock::now();
  times.afterRepair = TakeTallies(platform);
  RunLogEntry entry;
  entry.switchName = kCleanOnceSwitch;
  entry.categories = CategoryCaptions(steps.Ticked());
  // The entries the repair left broken and took in a further pass were found too.
  entry.found = found + (outcome.followUpRepaired ? outcome.followUpFound : 0);
  entry.repaired = outcome.removedCount;
  entry.file = outcome.backupWritten ? outcome.backupFile : "";
  entry.exitCode = CleanOnceExitCode(outcome);
  entry.note = RepairLogNote(outcome);
  LogUnattendedRun(platform, entry, steps.RestorePointLog());
  if (!phaseTimesFile.empty())
    WritePhaseTimes(platform.files, phaseTimesFile, times, found, outcome.times);
  return entry.exitCode;
}

}  // namespace kelvane
