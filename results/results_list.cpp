#include "results/results_list.h"

#include <cstdio>
#include <optional>
#include <string_view>
#include <unordered_set>

#include "platform/registry.h"

namespace kelvane {

namespace {

constexpr const char* kRegeditKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Applets\\Regedit";

// The key path K and value name V a row stands for in the ignore lists, upper-cased.
// Nothing for rows the filter never removes.
struct FilterTarget {
  std::string key;
  std::string value;
};

std::optional<FilterTarget> FilterTargetOf(const IssueRow& row) {
  const RowTarget& target = row.target;
  if (target.kind == TargetKind::kNone || target.kind == TargetKind::kFile)
    return std::nullopt;
  FilterTarget filter{UpperAscii(std::string(RootName(target.root)) + "\\" + target.keyPath), ""};
  if (row.kind == RowKind::kDefaultValue)
    filter.value.assign(1, '@');  // the default value's name in the lists
  else if (target.kind == TargetKind::kValue)
    filter.value = UpperAscii(target.valueName);
  return filter;
}

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

std::string WithBackslash(std::string text) {
  if (text.empty() || text.back() != '\\')
    text.push_back('\\');
  return text;
}

// The entries of the list, upper-cased, empty ones left out.
std::vector<std::string> Entries(const std::vector<std::string>& list, bool endWithBackslash) {
  std::vector<std::string> entries;
  for (const std::string& entry : list) {
    if (entry.empty())
      continue;
    const std::string upper = UpperAscii(entry);
    entries.push_back(endWithBackslash ? WithBackslash(upper) : upper);
  }
  return entries;
}

bool Ignored(const FilterTarget& target, const std::vector<std::string>& values,
             const std::vector<std::string>& keys) {
  const bool hasValue = !target.value.empty();
  const std::string valuePath = target.key + "\\" + target.value;
  for (const std::string& entry : values) {
    if (hasValue ? valuePath == entry : Contains(entry, target.key))
      return true;
  }
  // "\" at both ends keeps "Software\X" from covering "Software\XY".
  const std::string key = WithBackslash(target.key);
  for (const std::string& entry : keys) {
    if (Contains(key, entry))
      return true;
    // An ignored key below the row's key covers the row as well.
    if (!hasValue && Contains(entry, key))
      return true;
  }
  return false;
}

std::string CountText(size_t count, const std::string& tableText) {
  return " " + std::to_string(count) + tableText;
}

// One entry, one row: a row whose target (key, value or file, letter case aside) an
// earlier row names already leaves the list, wherever it came from (a shortcut of the
// Start menu inside Application Data is reached by two walks; a Run value by two
// categories). Row order is kept.
void RemoveRepeatedEntries(ResultsModel& model) {
  model.Edit([&](std::vector<IssueRow>& rows) {
    std::unordered_set<std::string> seen;
    seen.reserve(rows.size());
    std::erase_if(rows, [&](const IssueRow& row) {
      return row.target.kind != TargetKind::kNone &&
             !seen.insert(TargetIdentity(row.target)).second;
    });
  });
}

constexpr const char* kByteOrderMark = "\xEF\xBB\xBF";
constexpr const char* kHeader[] = {"Ticked", "Problem", "Registry key", "Value", "Reason"};

// One CSV field: quoted (its quotes doubled) when it holds a comma, a quote, CR or LF.
std::string CsvField(std::string_view text) {
  if (text.find_first_of(",\"\r\n") == std::string_view::npos)
    return std::string(text);
  std::string quoted = "\"";
  for (const char c : text) {
    if (c == '"')
      quoted += '"';
    quoted += c;
  }
  return quoted + '"';
}

std::string TextField(std::string text) {
  for (char& c : text) {
    if (c == '\t' || c == '\r' || c == '\n')
      c = ' ';
  }
  return text;
}

void AppendLine(std::string& out, const std::vector<std::string>& fields, ReportForm form) {
  for (size_t i = 0; i < fields.size(); ++i) {
    if (i > 0)
      out += form == ReportForm::kCsv ? ',' : '\t';
    out += form == ReportForm::kCsv ? CsvField(fields[i]) : TextField(fields[i]);
  }
  out += "\r\n";
}

}  // namespace

void ApplyIgnoreLists(ResultsModel& model, const IgnoreLists& lists) {
  const auto values = Entries(lists.values, false);
  const auto keys = Entries(lists.keys, true);
  if (values.empty() && keys.empty())
    return;
  model.Edit([&](std::vector<IssueRow>& rows) {
    std::erase_if(rows, [&](const IssueRow& row) {
      const auto target = FilterTargetOf(row);
      return target && Ignored(*target, values, keys);
    });
  });
}

ResultCounts FinishScan(ResultsModel& model, const IgnoreLists& lists,
                        const std::function<void()>& everyRowFound) {
  RemoveRepeatedEntries(model);
  model.SetAllTicked(true);
  if (everyRowFound)
    everyRowFound();
  ApplyIgnoreLists(model, lists);
  return ResultCounts{model.Count(), model.TickedCount()};
}

std::string StatusFoundText(const ResultsModel& model, const std::string& tableText) {
  return CountText(model.Count(), tableText);
}

std::string StatusSelectedText(const ResultsModel& model, const std::string& tableText) {
  return CountText(model.TickedCount(), tableText);
}

void SelectOfType(ResultsModel& model, size_t selectedRow, bool tick) {
  model.Edit([&](std::vector<IssueRow>& rows) {
    if (selectedRow >= rows.size())
      return;
    const std::string problem = rows[selectedRow].problem;
    for (IssueRow& row : rows) {
      if (row.problem == problem)
        row.ticked = tick;
    }
  });
}

bool CanOpenInRegedit(const IssueRow& row) {
  return row.kind != RowKind::kShortcutFile;
}

std::string RegeditKeyText(const IssueRow& row) {
  return TargetKeyText(row.target);
}

void WriteCurrentUserString(RegistryBackend& registry, const std::string& key,
                            const std::string& name, const std::string& data) {
  Registry handle(registry);
  handle.SetRoot(RootKey::kCurrentUser);
  if (!handle.OpenKey(key.starts_with('\\') ? key : "\\" + key, true))
    return;
  // The handle closes the key when it goes, also when the write raises.
  handle.WriteString(name, data);
}

bool OpenInRegedit(Platform& platform, const IssueRow& row) {
  if (!CanOpenInRegedit(row))
    return true;
  try {
    WriteCurrentUserString(platform.registry, kRegeditKey, "LastKey", RegeditKeyText(row));
  } catch (const RegistryError&) {
    // The editor then opens where it last was.
  }
  // Without switches: Windows' editor opens at "LastKey", and Wine's refuses "-m".
  return platform.shell.Open(RegistryEditorPath(platform.shell), "", ShellOpen{});
}

size_t DropRowsNoLongerReported(ResultsModel& model, const std::vector<IssueRow>& current) {
  // The whole row is the key: many rows share their key path (every value of one key).
  // The reason takes part: it names what the check found (the path it probed, a count
  // of 0 rather than a missing library), so a row that now fails for another cause is
  // a verdict the user has not seen, and it is left alone like a row no longer broken.
  // Reasons come from the same scanner code on both scans, so an unchanged verdict
  // gives the same text.
  const auto text = [](const IssueRow& row) {
    return std::to_string(static_cast<int>(row.kind)) + '\n' + row.problem + '\n' + row.key + '\n' +
           row.value + '\n' + row.reason;
  };
  std::unordered_set<std::string> reported;
  reported.reserve(current.size());
  for (const IssueRow& row : current)
    reported.insert(text(row));
  size_t dropped = 0;
  model.Edit([&](std::vector<IssueRow>& rows) {
    std::erase_if(rows, [&](const IssueRow& row) {
      if (!row.ticked || reported.count(text(row)) > 0)
        return false;
      ++dropped;
      return true;
    });
  });
  return dropped;
}

std::string ScanReportText(const std::vector<IssueRow>& rows, ReportForm form) {
  std::string out = kByteOrderMark;
  AppendLine(out, {std::begin(kHeader), std::end(kHeader)}, form);
  for (const IssueRow& row : rows) {
    AppendLine(out, {row.ticked ? "1" : "0", row.problem, row.key, row.value, row.reason}, form);
  }
  return out;
}

std::string RowsAsText(const std::vector<IssueRow>& rows) {
  std::string out;
  for (const IssueRow& row : rows)
    AppendLine(out, {row.problem, row.key, row.value, row.reason}, ReportForm::kText);
  return out;
}

std::optional<std::string> SaveScanReport(FileSystem& files, const std::string& path,
                                          const ResultsModel& model, ReportForm form) {
  const std::string failed = "The report could not be written: " + path;
  if (path.empty() || HoldsNul(path))
    return failed;
  const std::string text = ScanReportText(model.Rows(), form);
  FilePtr file = files.OpenFile(path, "wb");
  if (!file)
    return failed;
  const bool written = std::fwrite(text.data(), 1, text.size(), file.Get()) == text.size();
  if (!written || !CloseFile(file))
    return failed;
  return std::nullopt;
}

}  // namespace kelvane
