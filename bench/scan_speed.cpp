// Times kelvane.exe -cleanonce against the floors it is held to, in one run, inside
// the prefix it is started in (scripts/bench-scan.sh makes a fresh one):
//
// 1. every category ticked, on the registry as it is: kelvane.exe -cleanonce against
//    "regedit /e" of the whole registry;
// 2. a generated tree below HKEY_CURRENT_USER\Software (three values per key: a word,
//    the path of an existing file, a number; every 50th key also the path of a
//    missing file), only "Files and Folders - HKEY_CURRENT_USER" ticked:
//    kelvane.exe -cleanonce (scan, backup and deletion of the missing entries)
//    against bare_walk.exe over the same root;
// 3. a generated tree where every key names a missing file, the same category: the
//    repair of as many entries as there are keys. kelvane.exe -cleanonce against
//    bare_walk.exe, and where its time goes: the same tree with every such value naming
//    an existing file is scanned and nothing repaired (the scan alone); the rest of the
//    clean is the repair (backup file, disk flushes, deletions). kelvane.exe also says
//    how long its own scan and repair took (KELVANE_PHASE_TIMES).
//
//   scan_speed FOLDER [keys] [rounds] [OTHER] [missing keys]   FOLDER holds kelvane.exe
//   and bare_walk.exe (defaults: 30000 keys, 3 rounds, 20000 missing keys; 0 keys leaves
//   that tree out); OTHER, a folder with another kelvane.exe (an older version), adds it
//   to the rounds of the every-category run and of both trees. Each figure is the wall
//   time of the whole process, the fastest of the rounds (the build machine is shared);
//   before each round of a tree the missing-file values are put back.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>

#include "bench/bench_texts.h"

namespace {

constexpr const char* kTreeKey = "Software\\KelvaneTree";
constexpr const char* kMissingTreeKey = "Software\\KelvaneMissing";
constexpr const char* kFiles = "C:\\kelvane-tree";
constexpr int kFileCount = 200;

double RunTimed(const std::string& commandLine) {
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  std::string line = commandLine;
  const auto start = std::chrono::steady_clock::now();
  if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &process)) {
    std::printf("cannot start %s\n", commandLine.c_str());
    return -1;
  }
  WaitForSingleObject(process.hProcess, INFINITE);
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return seconds;
}

enum class Ticks { kNone, kTree, kEvery };

void WriteOptions(const std::string& folder, Ticks ticks) {
  std::string text = "[Options]\r\nShowHint=0\r\nRestorePoint=0\r\n[TreeViewNodeCheck]\r\n";
  for (int id = 1; id <= 22; ++id) {
    const bool ticked =
        ticks == Ticks::kEvery || (ticks == Ticks::kTree && (id == 1 || id == 2 || id == 4));
    text += std::to_string(id) + (ticked ? "=1\r\n" : "=0\r\n");
  }
  FILE* file = std::fopen((folder + "\\options.ini").c_str(), "wb");
  if (file) {
    std::fputs(text.c_str(), file);
    std::fclose(file);
  }
}

void SetText(HKEY key, const char* name, const std::string& text) {
  RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                 static_cast<DWORD>(text.size() + 1));
}

std::string TreeKeyPath(int i, const char* tree = kTreeKey) {
  return std::string(tree) + "\\Group" + std::to_string(i / 1000) + "\\Set" +
         std::to_string(i / 100 % 10) + "\\Key" + std::to_string(i);
}

// Puts back the values naming missing files; the number of them.
int SeedMissing(int keys) {
  int missing = 0;
  for (int i = 0; i < keys; ++i) {
    const std::string target = kelvane::bench::CleanTreeText(i, 2, kFiles, kFileCount);
    if (target.empty())
      continue;
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, TreeKeyPath(i).c_str(), 0, KEY_SET_VALUE, &key) ==
        ERROR_SUCCESS) {
      SetText(key, "Target", target);
      RegCloseKey(key);
      ++missing;
    }
  }
  return missing;
}

// Keys Group/Set/Key: 100 keys per set, 10 sets per group.
void Generate(int keys, const char* tree = kTreeKey) {
  CreateDirectoryA(kFiles, nullptr);
  for (int i = 0; i < kFileCount; ++i) {
    const std::string path = std::string(kFiles) + "\\f" + std::to_string(i) + ".dll";
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file != INVALID_HANDLE_VALUE)
      CloseHandle(file);
  }
  for (int i = 0; i < keys; ++i) {
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, TreeKeyPath(i, tree).c_str(), 0, nullptr, 0,
                        KEY_ALL_ACCESS, nullptr, &key, nullptr) != ERROR_SUCCESS) {
      continue;
    }
    SetText(key, "Name", kelvane::bench::CleanTreeText(i, 0, kFiles, kFileCount));
    SetText(key, "Path", kelvane::bench::CleanTreeText(i, 1, kFiles, kFileCount));
    const DWORD number = static_cast<DWORD>(i);
    RegSetValueExA(key, "Count", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number),
                   sizeof number);
    RegCloseKey(key);
  }
}

// Gives every key of the third tree its "Target": a missing file, or (`missing` false)
// an existing one, which the scan passes over.
void SeedEveryKey(int keys, bool missing) {
  for (int i = 0; i < keys; ++i) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, TreeKeyPath(i, kMissingTreeKey).c_str(), 0, KEY_SET_VALUE,
                      &key) == ERROR_SUCCESS) {
      SetText(key, "Target",
              missing ? std::string(kFiles) + "\\gone\\missing" + std::to_string(i) + ".exe"
                      : kelvane::bench::CleanTreeText(i, 1, kFiles, kFileCount));
      RegCloseKey(key);
    }
  }
}

// What the clean just run said of its phases (kelvane.exe writes "scan S repair R" to
// the file named by KELVANE_PHASE_TIMES); the file is emptied for the next run.
std::string TakePhases(const std::string& path) {
  std::string line;
  if (FILE* file = std::fopen(path.c_str(), "rb")) {
    // A line is read whole, however long.
    std::string current;
    char buffer[256] = {};
    while (std::fgets(buffer, sizeof buffer, file)) {
      current += buffer;
      if (current.back() == '\n') {
        line = std::move(current);
        current.clear();
      }
    }
    if (!current.empty())
      line = std::move(current);
    std::fclose(file);
  }
  DeleteFileA(path.c_str());
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
    line.pop_back();
  return line;
}

// Values of the tree that still name a missing file, and values that name an existing one.
void CountLeft(HKEY key, int& missing, int& present) {
  char name[256];
  for (DWORD i = 0;; ++i) {
    DWORD size = sizeof name;
    if (RegEnumValueA(key, i, name, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
      break;
    if (!std::string(name).compare("Target"))
      ++missing;
    if (!std::string(name).compare("Path"))
      ++present;
  }
  for (DWORD i = 0;; ++i) {
    DWORD size = sizeof name;
    if (RegEnumKeyExA(key, i, name, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
      break;
    HKEY child = nullptr;
    if (RegOpenKeyExA(key, name, 0, KEY_READ, &child) == ERROR_SUCCESS) {
      CountLeft(child, missing, present);
      RegCloseKey(child);
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::printf("usage: scan_speed FOLDER [keys]\n");
    return 2;
  }
  const std::string folder = argv[1];
  const int keys = argc > 2 ? std::atoi(argv[2]) : 30000;
  const int rounds = argc > 3 ? std::max(1, std::atoi(argv[3])) : 3;
  const std::string kelvane = "\"" + folder + "\\kelvane.exe\" -cleanonce";
  const std::string other = argc > 4 ? argv[4] : "";
  const std::string otherKelvane = "\"" + other + "\\kelvane.exe\" -cleanonce";
  CreateDirectoryA((folder + "\\Backup").c_str(), nullptr);
  char windows[MAX_PATH] = {};
  GetWindowsDirectoryA(windows, MAX_PATH);

  // 1. The registry as the prefix holds it, every category. The first clean repairs
  //    what a fresh prefix holds; the rounds after it scan the same registry.
  WriteOptions(folder, Ticks::kEvery);
  if (!other.empty())
    WriteOptions(other, Ticks::kEvery);
  const std::string exportAll =
      std::string(windows) + "\\regedit.exe /e \"" + folder + "\\whole.reg\"";
  double exportBest = 1e9, scanBest = 1e9, otherBest = 1e9;
  for (int round = 0; round < rounds; ++round) {
    const double exportRound = RunTimed(exportAll);
    const double scanRound = RunTimed(kelvane);
    std::printf("  round %d: kelvane -cleanonce %.2f s, regedit /e %.2f s", round + 1, scanRound,
                exportRound);
    if (!other.empty()) {
      const double otherRound = RunTimed(otherKelvane);
      std::printf(", other kelvane %.2f s", otherRound);
      otherBest = std::min(otherBest, otherRound);
    }
    std::printf("\n");
    exportBest = std::min(exportBest, exportRound);
    scanBest = std::min(scanBest, scanRound);
  }
  std::printf("every category: kelvane -cleanonce %.2f s, regedit /e %.2f s, ratio %.2f\n",
              scanBest, exportBest, scanBest / exportBest);
  if (!other.empty()) {
    std::printf("every category: other kelvane -cleanonce %.2f s, ratio %.2f\n", otherBest,
                otherBest / exportBest);
  }
  // What the program costs with nothing to scan: start-up, settings, windows and exit.
  WriteOptions(folder, Ticks::kNone);
  double idleBest = 1e9;
  for (int round = 0; round < rounds; ++round)
    idleBest = std::min(idleBest, RunTimed(kelvane));
  std::printf("no category ticked: kelvane -cleanonce %.2f s\n", idleBest);

  // 2. The generated tree, Files and Folders - HKEY_CURRENT_USER only.
  int missingLeft = 0, presentLeft = 0;
  bool treeKept = true;
  if (keys > 0) {
    const auto generateStart = std::chrono::steady_clock::now();
    Generate(keys);
    std::printf(
        "tree: %d keys below HKEY_CURRENT_USER\\%s, made in %.1f s\n", keys, kTreeKey,
        std::chrono::duration<double>(std::chrono::steady_clock::now() - generateStart).count());
    WriteOptions(folder, Ticks::kTree);
    if (!other.empty())
      WriteOptions(other, Ticks::kTree);
    const std::string bare = "\"" + folder + "\\bare_walk.exe\" HKCU";
    double bareBest = 1e9, treeBest = 1e9, otherTreeBest = 1e9;
    int missing = 0;
    for (int round = 0; round < rounds; ++round) {
      missing = SeedMissing(keys);
      const double bareRound = RunTimed(bare);
      const double treeRound = RunTimed(kelvane);
      std::printf("  round %d: kelvane -cleanonce %.2f s, bare walk %.2f s", round + 1, treeRound,
                  bareRound);
      if (!other.empty()) {
        // The other version cleans the same tree, its missing-file values put back.
        SeedMissing(keys);
        const double otherRound = RunTimed(otherKelvane);
        std::printf(", other kelvane %.2f s", otherRound);
        otherTreeBest = std::min(otherTreeBest, otherRound);
      }
      std::printf("\n");
      bareBest = std::min(bareBest, bareRound);
      treeBest = std::min(treeBest, treeRound);
      missingLeft = presentLeft = 0;
      HKEY tree = nullptr;
      if (RegOpenKeyExA(HKEY_CURRENT_USER, kTreeKey, 0, KEY_READ, &tree) == ERROR_SUCCESS) {
        CountLeft(tree, missingLeft, presentLeft);
        RegCloseKey(tree);
      }
    }
    std::printf(
        "tree: kelvane -cleanonce %.2f s (scan, backup and deletion of %d values), "
        "bare walk %.2f s, ratio %.2f\n",
        treeBest, missing, bareBest, treeBest / bareBest);
    if (!other.empty()) {
      std::printf("tree: other kelvane -cleanonce %.2f s, ratio %.2f; this one to the other %.3f\n",
                  otherTreeBest, otherTreeBest / bareBest, treeBest / otherTreeBest);
    }
    std::printf(
        "after each clean: %d of %d missing-file values left, %d of %d existing-file "
        "values\n",
        missingLeft, missing, presentLeft, keys);
    treeKept = missingLeft == 0 && presentLeft == keys;
    RegDeleteTreeA(HKEY_CURRENT_USER, kTreeKey);
    RegDeleteKeyA(HKEY_CURRENT_USER, kTreeKey);
  }

  // 3. Every key names a missing file: a repair as large as the walk.
  const int everyKeys = argc > 5 ? std::atoi(argv[5]) : 20000;
  bool everyKept = true;
  if (everyKeys > 0) {
    Generate(everyKeys, kMissingTreeKey);
    WriteOptions(folder, Ticks::kTree);
    if (!other.empty())
      WriteOptions(other, Ticks::kTree);
    const std::string bare = "\"" + folder + "\\bare_walk.exe\" HKCU";
    const std::string phases = folder + "\\phases.txt";
    SetEnvironmentVariableA("KELVANE_PHASE_TIMES", phases.c_str());
    TakePhases(phases);
    double bareBest = 1e9, cleanBest = 1e9, scanOnlyBest = 1e9, otherCleanBest = 1e9;
    double repairBest = 1e9;  // the program's own figure of its repair
    std::string cleanPhases;
    for (int round = 0; round < rounds; ++round) {
      SeedEveryKey(everyKeys, false);
      const double scanOnly = RunTimed(kelvane);
      const std::string scanOnlyPhases = TakePhases(phases);
      SeedEveryKey(everyKeys, true);
      const double bareRound = RunTimed(bare);
      const double cleanRound = RunTimed(kelvane);
      const std::string roundPhases = TakePhases(phases);
      std::printf(
          "  round %d: kelvane -cleanonce %.2f s (%s), scan alone %.2f s (%s), bare walk %.2f s",
          round + 1, cleanRound, roundPhases.c_str(), scanOnly, scanOnlyPhases.c_str(), bareRound);
      if (cleanRound < cleanBest)
        cleanPhases = roundPhases;
      double scanPart = 0, repairPart = 0;
      if (std::sscanf(roundPhases.c_str(), "scan %lf repair %lf", &scanPart, &repairPart) == 2)
        repairBest = std::min(repairBest, repairPart);
      if (!other.empty()) {
        SeedEveryKey(everyKeys, true);
        const double otherRound = RunTimed(otherKelvane);
        std::printf(", other kelvane %.2f s", otherRound);
        otherCleanBest = std::min(otherCleanBest, otherRound);
      }
      std::printf("\n");
      bareBest = std::min(bareBest, bareRound);
      cleanBest = std::min(cleanBest, cleanRound);
      scanOnlyBest = std::min(scanOnlyBest, scanOnly);
    }
    int left = 0, present = 0;
    HKEY tree = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kMissingTreeKey, 0, KEY_READ, &tree) == ERROR_SUCCESS) {
      CountLeft(tree, left, present);
      RegCloseKey(tree);
    }
    std::printf(
        "every key missing: %d keys, kelvane -cleanonce %.2f s (%s), bare walk %.2f s, ratio "
        "%.2f\n",
        everyKeys, cleanBest, cleanPhases.c_str(), bareBest, cleanBest / bareBest);
    std::printf(
        "every key missing: scan alone %.2f s (ratio %.2f), so the repair of %d entries "
        "about %.2f s\n",
        scanOnlyBest, scanOnlyBest / bareBest, everyKeys, cleanBest - scanOnlyBest);
    if (repairBest < 1e9) {
      std::printf(
          "every key missing: the repair of %d entries %.2f s (the program's own figure) "
          "against the bare walk %.2f s, ratio %.2f\n",
          everyKeys, repairBest, bareBest, repairBest / bareBest);
    }
    if (!other.empty()) {
      std::printf(
          "every key missing: other kelvane -cleanonce %.2f s, ratio %.2f; its repair about "
          "%.2f s (its clean less this scan alone), ratio %.2f\n",
          otherCleanBest, otherCleanBest / bareBest, otherCleanBest - scanOnlyBest,
          (otherCleanBest - scanOnlyBest) / bareBest);
    }
    std::printf("after the last clean: %d of %d missing-file values left\n", left, everyKeys);
    everyKept = left == 0 && present == everyKeys;
    RegDeleteTreeA(HKEY_CURRENT_USER, kMissingTreeKey);
    RegDeleteKeyA(HKEY_CURRENT_USER, kMissingTreeKey);
  }
  return treeKept && everyKept ? 0 : 1;
}
