// Times the results-list work the main window does on a large scan: the ignore-list
// filter, the status counts and the selection commands, on 50,000 rows. Prints the
// figures; asserts nothing.
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "options/settings.h"
#include "results/results_list.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr size_t kRows = 50000;
constexpr int kRepeats = 5;

const char* const kProblems[] = {"Invalid File or Folder", "Missing Shared DLL",
                                 "Invalid Help File", "Obsolete Software Entry",
                                 "Missing MRU and History Lists file"};

kelvane::IssueRow MakeRow(size_t i) {
  using kelvane::RowKind;
  const RowKind kinds[] = {RowKind::kKey,         RowKind::kValueInPath,  RowKind::kValueNamed,
                           RowKind::kSubkeyNamed, RowKind::kShortcutFile, RowKind::kDefaultValue};
  const RowKind kind = kinds[i % 6];
  const std::string n = std::to_string(i);
  using kelvane::RootKey;
  const RootKey root = i % 2 ? RootKey::kLocalMachine : RootKey::kCurrentUser;
  const std::string path = std::string(i % 2 ? "SOFTWARE\\Vendor" : "Software\\Vendor") +
                           std::to_string(i % 97) + "\\Product";
  const std::string file = "C:\\Program Files\\Vendor\\file" + n + ".dll";
  kelvane::RowTarget target;
  std::string value = file;
  switch (kind) {
    case RowKind::kShortcutFile:
      target = kelvane::FileTarget("C:\\Documents and Settings\\All Users\\Start Menu\\Link" + n +
                                   ".lnk");
      break;
    case RowKind::kValueInPath:
    case RowKind::kValueNamed:
      target = kelvane::ValueTarget(root, path, "Setting" + n);
      if (kind == RowKind::kValueNamed)
        value = "Setting" + n;
      break;
    case RowKind::kSubkeyNamed:
      target = kelvane::SubkeyTarget(root, path, "Setting" + n);
      value = "Setting" + n;
      break;
    case RowKind::kDefaultValue:
      target = kelvane::ValueTarget(root, path + "\\Setting" + n, "");
      break;
    default:
      target = kelvane::KeyTarget(root, path + "\\Setting" + n);
      break;
  }
  kelvane::IssueRow row =
      kelvane::MakeIssueRow(kProblems[i % 5], target, kind, value, "File not found: " + file);
  row.ticked = true;
  return row;
}

void Fill(kelvane::ResultsModel& model) {
  model.Clear();
  for (size_t i = 0; i < kRows; ++i)
    model.AppendBatch({MakeRow(i)});
}

template <typename Fn>
double Millis(Fn&& fn) {
  const auto start = Clock::now();
  fn();
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

}  // namespace

int main() {
  using namespace kelvane;
  TOptionsSetting settings;
  for (int i = 0; i < 20; ++i) {
    settings.IgnoreValues.push_back("HKEY_CURRENT_USER\\Software\\Vendor" + std::to_string(i * 2) +
                                    "\\Product\\Setting" + std::to_string(i * 194) + "\\Value");
    settings.IgnoreKeys.push_back("HKEY_LOCAL_MACHINE\\SOFTWARE\\Vendor" +
                                  std::to_string(i * 5 + 1) + "\\Product");
  }

  ResultsModel model;
  std::printf("rows: %zu, ignored values: %zu, ignored keys: %zu, best of %d runs\n", kRows,
              settings.IgnoreValues.size(), settings.IgnoreKeys.size(), kRepeats);

  double fill = 1e9, filter = 1e9, counts = 1e9, all = 1e9, ofType = 1e9;
  size_t left = 0;
  std::string found, selected;
  for (int run = 0; run < kRepeats; ++run) {
    fill = std::min(fill, Millis([&] { Fill(model); }));
    filter = std::min(filter, Millis([&] { ApplyIgnoreLists(model, IgnoreListsOf(settings)); }));
    left = model.Count();
    counts = std::min(counts, Millis([&] {
                        found = StatusFoundText(model, " problems found");
                        selected = StatusSelectedText(model, " problems selected for repairing");
                      }));
    all = std::min(all, Millis([&] {
                          model.SetAllTicked(false);
                          model.SetAllTicked(true);
                        }) / 2);
    ofType = std::min(ofType, Millis([&] {
                                SelectOfType(model, 1, false);
                                SelectOfType(model, 1, true);
                              }) / 2);
  }
  std::printf("append %zu rows:         %8.2f ms\n", kRows, fill);
  std::printf("ApplyIgnoreLists:        %8.2f ms (%zu rows left)\n", filter, left);
  std::printf("status counts:           %8.3f ms (\"%s\", \"%s\")\n", counts, found.c_str(),
              selected.c_str());
  std::printf("Select All / None:       %8.3f ms\n", all);
  std::printf("Select (None) of Type:   %8.3f ms\n", ofType);
  return 0;
}
