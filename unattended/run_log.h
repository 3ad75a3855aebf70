// kelvane.log beside options.ini: one line for each unattended run, so that an
// administrator can see afterwards what a scheduled run did. The file is UTF-8 with a
// byte order mark, so that names in any script stand in it as they are and Notepad and
// PowerShell read it right. The file stays small: a line that would take it past its
// limit first drops the older half of its lines.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "scan/categories.h"

namespace kelvane {

inline constexpr uint64_t kRunLogLimit = 1024 * 1024;

struct RunLogEntry {
  LocalTime time;
  std::string switchName;               // "-cleanonce", "-scan", "-restore"
  std::vector<std::string> categories;  // the captions of the categories scanned
  std::optional<size_t> found;          // rows found (after the ignore lists)
  std::optional<size_t> repaired;       // entries backed up and removed
  std::string file;  // the backup the clean wrote, the report, or the backup restored
  int exitCode = 0;
  std::string note;  // why the run did not do all it was asked; empty when it did
};

// "2026-12-08 03:00:05<TAB>-scan<TAB>categories=A; B<TAB>found=3<TAB>repaired=0<TAB>
// file=C:\Reports\scan.csv<TAB>exit=8", then "<TAB>note=..." when there is a note;
// without a line end. "-" stands for a count the run has none of; a tab, CR, LF or
// NUL inside a text becomes a blank, so that each run stays one line.
std::string RunLogLine(const RunLogEntry& entry);

// kelvane.log in the folder of options.ini.
std::string RunLogPath(Shell& shell);

// Text in the ANSI code page converted to UTF-8.
using AnsiToUtf8Text = std::function<std::string(std::string_view)>;

// Appends the line (UTF-8) and CRLF. A new file starts with the byte order mark; a log
// of an older version (ANSI, no mark) is made UTF-8 first, each of its lines that is
// not UTF-8 already converted by `fromAnsi`, so that the whole file is in one encoding.
// When the file would pass `limit` bytes, the older half of its lines goes first
// (again, until the line fits). False when the line could not be written.
bool AppendRunLog(FileSystem& files, const std::string& path, const std::string& line,
                  const AnsiToUtf8Text& fromAnsi, uint64_t limit = kRunLogLimit);

// Adds the run's line to kelvane.log; the time is filled in here. A clean that asked
// for a restore point adds "<TAB>restorepoint=" and what came of it (made, reused or
// failed, RestorePointLogText).
void LogUnattendedRun(Platform platform, RunLogEntry entry, const std::string& restorePoint = {});

// The line of a run that did nothing but end with `exitCode`: no counts, no file.
void LogUnattendedNote(Platform platform, const std::string& switchName, int exitCode,
                       const std::string& note);

// The captions of the categories, as the log lists them.
std::vector<std::string> CategoryCaptions(const std::vector<Category>& categories);

}  // namespace kelvane
