#include "unattended/run_log.h"

#include <cstdio>
#include <string_view>

#include "options/settings.h"
#include "platform/text_codec.h"

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

constexpr std::string_view kUtf8Mark("\xEF\xBB\xBF");

bool IsUtf8(std::string_view text) {
  for (size_t i = 0; i < text.size();) {
    const auto byte = [&](size_t at) { return static_cast<unsigned char>(text[at]); };
    const unsigned char lead = byte(i);
    const size_t length = lead < 0x80                   ? 1
                          : lead >= 0xC2 && lead < 0xE0 ? 2
                          : lead >= 0xE0 && lead < 0xF0 ? 3
                          : lead >= 0xF0 && lead < 0xF5 ? 4
                                                        : 0;
    if (length == 0 || i + length > text.size())
      return false;
    for (size_t k = 1; k < length; ++k) {
      if ((byte(i + k) & 0xC0) != 0x80)
        return false;
    }
    i += length;
  }
  return true;
}

// An older version's log in UTF-8: each line that is not UTF-8 already is ANSI.
std::string Utf8Lines(const std::string& text, const AnsiToUtf8Text& fromAnsi) {
  std::string out;
  for (size_t start = 0; start < text.size();) {
    size_t end = text.find('\n', start);
    end = end == std::string::npos ? text.size() : end + 1;
    const std::string_view line = std::string_view(text).substr(start, end - start);
    out += IsUtf8(line) ? std::string(line) : fromAnsi(line);
    start = end;
  }
  return out;
}

bool WriteAll(FileSystem& files, const std::string& path, const std::string& text,
              const char* mode) {
  FilePtr file = files.OpenFile(path, mode);
  if (!file)
    return false;
  const bool written = std::fwrite(text.data(), 1, text.size(), file.Get()) == text.size();
  return CloseFile(file) && written;
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
                  const AnsiToUtf8Text& fromAnsi, uint64_t limit) {
  const std::string added = line + "\r\n";
  std::string text = ReadFileText(files, path).value_or("");
  const bool marked = text.rfind(kUtf8Mark, 0) == 0;
  const bool fits = (marked ? 0 : kUtf8Mark.size()) + text.size() + added.size() <= limit;
  if (fits && (marked || text.empty()))
    return WriteAll(files, path, (marked ? "" : std::string(kUtf8Mark)) + added, "ab");
  text = marked ? text.substr(kUtf8Mark.size()) : Utf8Lines(text, fromAnsi);
  while (!text.empty() && kUtf8Mark.size() + text.size() + added.size() > limit)
    text = NewerHalf(text);
  text.insert(0, kUtf8Mark);
  // The shortened log goes in under another name first and then replaces the old
  // one, so that a failure half-way never leaves a cut-off log.
  const std::string temporary = path + ".tmp";
  if (!WriteAll(files, temporary, text + added, "wb"))
    return false;
  return files.MoveFileReplacing(temporary, path);
}

std::vector<std::string> CategoryCaptions(const std::vector<Category>& categories) {
  std::vector<std::string> captions;
  for (const Category& category : categories)
    captions.push_back(category.caption);
  return captions;
}

void LogUnattendedRun(Platform platform, RunLogEntry entry, const std::string& restorePoint) {
  entry.time = platform.system.Now();
  // The run's exit code tells the outcome already; a log that cannot be written
  // (a read-only program folder) does not change it.
  AppendRunLog(platform.files, RunLogPath(platform.shell),
               RunLogLine(entry) + (restorePoint.empty() ? "" : "\trestorepoint=" + restorePoint),
               Utf8FromAnsi);
}

void LogUnattendedNote(Platform platform, const std::string& switchName, int exitCode,
                       const std::string& note) {
  RunLogEntry entry;
  entry.switchName = switchName;
  entry.exitCode = exitCode;
  entry.note = note;
  LogUnattendedRun(platform, entry);
}

}  // namespace kelvane
