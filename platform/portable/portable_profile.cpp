// Initialization files kept like the private-profile functions keep them: sections
// and keys matched without regard to case, a new key at the end of its section,
// a new section at the end of the file, every other line left as it was.
#include <string_view>

#include "platform/portable/portable_platform.h"

namespace kelvane {

namespace {

std::string_view Trim(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) {
    text.remove_suffix(1);
  }
  return text;
}

std::vector<std::string> ReadLines(FileSystem& files, const std::string& file) {
  std::vector<std::string> lines;
  FilePtr in = files.OpenFile(file, "rb");
  if (!in) return lines;
  std::string content;
  char buffer[4096];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, in.get())) > 0) content.append(buffer, n);
  size_t start = 0;
  while (start < content.size()) {
    size_t end = content.find('\n', start);
    if (end == std::string::npos) end = content.size();
    std::string line = content.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
    start = end + 1;
  }
  return lines;
}

bool IsSection(std::string_view line, std::string_view* name) {
  line = Trim(line);
  if (line.empty() || line.front() != '[') return false;
  const size_t close = line.find(']');
  *name = Trim(line.substr(1, close == std::string_view::npos ? line.size() - 1 : close - 1));
  return true;
}

bool IsKey(std::string_view line, std::string_view key, std::string_view* value) {
  const size_t eq = line.find('=');
  if (eq == std::string_view::npos) return false;
  if (!EqualsNoCase(Trim(line.substr(0, eq)), key)) return false;
  *value = Trim(line.substr(eq + 1));
  return true;
}

}  // namespace

std::string PortableProfileStore::GetString(const std::string& section, const std::string& key,
                                            const std::string& fallback,
                                            const std::string& file) {
  bool inSection = false;
  for (const std::string& line : ReadLines(files_, file)) {
    std::string_view name;
    if (IsSection(line, &name)) {
      inSection = EqualsNoCase(name, Trim(section));
      continue;
    }
    std::string_view value;
    if (inSection && IsKey(line, Trim(key), &value)) {
      // Like the system call: one pair of enclosing quotes is dropped.
      if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
          value.back() == value.front()) {
        value = value.substr(1, value.size() - 2);
      }
      return std::string(value.substr(0, 2047));
    }
  }
  return fallback.substr(0, 2047);
}

bool PortableProfileStore::WriteString(const std::string& section, const std::string& key,
                                       const std::string& value, const std::string& file) {
  std::vector<std::string> lines = ReadLines(files_, file);
  const std::string entry = std::string(Trim(key)) + "=" + value;
  bool inSection = false;
  bool found = false;
  size_t insertAt = lines.size();
  for (size_t i = 0; i < lines.size(); ++i) {
    std::string_view name;
    if (IsSection(lines[i], &name)) {
      if (inSection) break;
      inSection = EqualsNoCase(name, Trim(section));
      if (inSection) {
        found = true;
        insertAt = i + 1;
      }
      continue;
    }
    if (!inSection) continue;
    std::string_view old;
    if (IsKey(lines[i], Trim(key), &old)) {
      lines[i] = entry;
      insertAt = std::string::npos;
      break;
    }
    if (!Trim(lines[i]).empty()) insertAt = i + 1;
  }
  if (!found) {
    lines.push_back("[" + std::string(Trim(section)) + "]");
    lines.push_back(entry);
  } else if (insertAt != std::string::npos) {
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(insertAt), entry);
  }
  FilePtr out = files_.OpenFile(file, "wb");
  if (!out) return false;
  for (const std::string& line : lines) {
    if (std::fprintf(out.get(), "%s\r\n", line.c_str()) < 0) return false;
  }
  return std::fflush(out.get()) == 0;
}

}  // namespace kelvane
