#include "app/results_list.h"

#include <algorithm>
#include <optional>

#include "platform/registry.h"

namespace kelvane {

namespace {

constexpr const char* kRegeditKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Applets\\Regedit";

// The key path K and value name V a row stands for, upper-cased. Nothing for rows
// the filter never removes.
struct RowTarget {
  std::string key;
  std::string value;
};

std::optional<RowTarget> TargetOf(const IssueRow& row) {
  if (row.kind == RowKind::kShortcutFile)
    return std::nullopt;
  const size_t first = row.key.find('\\');
  if (first == std::string::npos)
    return std::nullopt;
  // Root name and "\", then the rest of the cell by the row's kind.
  RowTarget target{row.key.substr(0, first + 1), ""};
  const std::string rest = row.key.substr(first + 1);
  switch (row.kind) {
    case RowKind::kValueInPath: {
      const size_t last = rest.rfind('\\');
      if (last == std::string::npos) {
        target.value = rest;
      } else {
        target.key.append(rest, 0, last);
        target.value = rest.substr(last + 1);
      }
      break;
    }
    case RowKind::kValueNamed:
      target.key += rest;
      target.value = row.value;
      break;
    case RowKind::kSubkeyNamed:
      target.key += rest;
      target.key += '\\';
      target.key += row.value;
      break;
    case RowKind::kDefaultValue:
      target.key += rest;
      target.value.assign(1, '@');  // the default value's name in the lists
      break;
    case RowKind::kKey:
    default:
      target.key += rest;
      break;
  }
  target.key = UpperAscii(target.key);
  target.value = UpperAscii(target.value);
  return target;
}

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

std::string WithBackslash(std::string text) {
  if (text.empty() || text.back() != '\\')
    text.push_back('\\');
  return text;
}

// The first `count` entries of the list, upper-cased, empty ones left out.
std::vector<std::string> Entries(const std::vector<std::string>& list, int32_t count,
                                 bool endWithBackslash) {
  std::vector<std::string> entries;
  const size_t n = count > 0 ? std::min(list.size(), static_cast<size_t>(count)) : 0;
  for (size_t i = 0; i < n; ++i) {
    if (list[i].empty())
      continue;
    const std::string upper = UpperAscii(list[i]);
    entries.push_back(endWithBackslash ? WithBackslash(upper) : upper);
  }
  return entries;
}

bool Ignored(const RowTarget& target, const std::vector<std::string>& values,
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
  std::string text(1, ' ');
  text += std::to_string(count);
  text += tableText;
  return text;
}

}  // namespace

void ApplyIgnoreLists(ResultsModel& model, const TOptionsSetting& settings) {
  const auto values = Entries(settings.IgnoreValues, settings.IgnoreValueCount, false);
  const auto keys = Entries(settings.IgnoreKeys, settings.IgnoreKeyCount, true);
  if (values.empty() && keys.empty())
    return;
  model.Edit([&](std::vector<IssueRow>& rows) {
    rows.erase(std::remove_if(rows.begin(), rows.end(),
                              [&](const IssueRow& row) {
                                const auto target = TargetOf(row);
                                return target && Ignored(*target, values, keys);
                              }),
               rows.end());
  });
}

std::string StatusFoundText(const ResultsModel& model, const std::string& tableText) {
  return CountText(model.Count(), tableText);
}

std::string StatusSelectedText(const ResultsModel& model, const std::string& tableText) {
  return CountText(model.TickedCount(), tableText);
}

void SelectAll(ResultsModel& model, bool tick) {
  model.SetAllTicked(tick);
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
  switch (row.kind) {
    case RowKind::kValueInPath: {
      const size_t last = row.key.rfind('\\');
      return last == std::string::npos ? std::string() : row.key.substr(0, last);
    }
    case RowKind::kSubkeyNamed:
      return row.key + "\\" + row.value;
    default:
      return row.key;
  }
}

void OpenInRegedit(Platform& platform, const IssueRow& row) {
  if (!CanOpenInRegedit(row))
    return;
  try {
    WriteCurrentUserString(platform.registry, kRegeditKey, "LastKey", RegeditKeyText(row));
  } catch (const RegistryError&) {
    // The editor then opens where it last was.
  }
  platform.shell.Open(RegistryEditorPath(platform.shell), "-m", ShellOpen{});
}

}  // namespace kelvane
