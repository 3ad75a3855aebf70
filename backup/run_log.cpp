#include "backup/run_log.h"

#include <cstdio>

#include "options/settings.h"

namespace kelvane {

namespace {

std::string Two(int n) {
  return (n < 10 ? "0" : "") + std::to_string(n);
}

std::string Count(const std::optional<size_t>& count) {
  return count ? std::to_string(*count) : "-";
}

std::string OneLine(std::string text) {
  for (char& c : text) {
    if (c == '\t' || c == '\r' || c == '\n' || c == '\0')
      c = ' ';
  }
  return text;
}

// The log without the older half of its lines (a line ends with LF); of an odd count
// the middle line goes too, so that a single long line goes at last.
std::string NewerHalf(const std::string& text) {
  std::vector<size_t> starts{0};
  for (size_t at = text.find('\n'); at != std::string::npos && at + 1 < text.size();
       at = text.find('\n', at + 1)) {
    starts.push_back(at + 1);
  }
  const size_t dropped = (starts.size() + 1) / 2;
  return dropped < starts.size() ? text.substr(starts[dropped]) : std::string();
}

bool WriteAll(FileSystem& files, const std::string& path, const std::string& text,
              const char* mode) {
  FilePtr file = files.OpenFile(path, mode);
  if (!file)
    return false;
  const bool written = std::fwrite(text.data(), 1, text.size(), file.get()) == text.size();
  return std::fclose(file.release()) == 0 && written;
}

}  // namespace

std::string RunLogLine(const RunLogEntry& e) {
  std::string categories;
  for (const std::string& caption : e.categories)
    categories += (categories.empty() ? "" : "; ") + caption;
  const LocalTime& t = e.time;
  return std::to_string(t.year) + "-" + Two(t.month) + "-" + Two(t.day) + " " + Two(t.hour) + ":" +
         Two(t.minute) + ":" + Two(t.second) + "\t" + e.switchName +
         "\tcategories=" + OneLine(categories) + "\tfound=" + Count(e.found) +
         "\trepaired=" + Count(e.repaired) + "\tfile=" + OneLine(e.file) +
         "\texit=" + std::to_string(e.exitCode) +
         (e.note.empty() ? "" : "\tnote=" + OneLine(e.note));
}

std::string RunLogPath(Shell& shell) {
  const std::string options = OptionsFilePath(shell);
  return options.substr(0, options.find_last_of('\\') + 1) + "kelvane.log";
}

bool AppendRunLog(FileSystem& files, const std::string& path, const std::string& line,
                  uint64_t limit) {
  const std::string added = line + "\r\n";
  std::string text = ReadFileText(files, path).value_or("");
  if (text.size() + added.size() <= limit)
    return WriteAll(files, path, added, "ab");
  while (!text.empty() && text.size() + added.size() > limit)
    text = NewerHalf(text);
  // The shortened log goes in under another name first and then replaces the old
  // one, so that a failure half-way never leaves a cut-off log.
  const std::string temporary = path + ".tmp";
  if (!WriteAll(files, temporary, text + added, "wb"))
    return false;
  return files.MoveFileReplacing(temporary, path);
}

}  // namespace kelvane
