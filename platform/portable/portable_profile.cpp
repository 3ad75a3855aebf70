// Initialization files kept the way the system's private-profile functions keep them.
// A write loads the whole file into sections and keys, changes one entry and writes
// the whole file back, so the file always comes out in one normal form: one
// "[Section]" line per section, "key=value" lines without blanks around "=",
// no empty lines, CR LF line ends. Section and key names match without regard to
// case; the first section of a name wins; a new key goes to the end of its section,
// a new section to the end of the file; every other line keeps its place and text
// (a comment line stays as a key without value). A file that starts with the UTF-16LE
// byte order mark is read and written in UTF-16LE, as the system keeps such a file; an
// ANSI file becomes one when a text written to it has no ANSI form (here: any text
// beyond ASCII, the part every ANSI code page shares), and stays ANSI otherwise.
#include <sys/stat.h>

#include <cstdint>
#include <optional>
#include <string_view>

#include "platform/portable/portable_platform.h"
#include "platform/text_codec.h"

namespace kelvane {

namespace {

// The longest text a read returns (the read buffer holds 2048 characters with its NUL).
constexpr size_t kReadBuffer = 2048;

// What the profile functions take for blanks around names and values.
constexpr std::string_view kBlanks(" \t\n\v\f\r\x1a");

struct IniKey {
  std::string name;
  std::optional<std::string> value;  // nothing for a line without "="
};

struct IniSection {
  std::string name;  // empty for the lines before the first section header
  std::vector<IniKey> keys;
};

using IniFile = std::vector<IniSection>;

constexpr std::string_view kUtf16Mark("\xFF\xFE");

// The file's text (UTF-8 for a Unicode file, as it stands for an ANSI one) and its kind.
struct FileText {
  std::string text;
  bool unicode = false;
};

FileText Decode(const std::string& content) {
  if (content.rfind(kUtf16Mark, 0) == 0) {
    // A file cut short in its last character loses that character only.
    std::string_view units = std::string_view(content).substr(kUtf16Mark.size());
    units.remove_suffix(units.size() % 2);
    return {Utf8FromUtf16LeBytes(units).value_or(""), true};
  }
  return {content, false};
}

IniFile Parse(const std::string& content) {
  IniFile file(1);
  size_t start = 0;
  while (start < content.size()) {
    size_t end = content.find('\n', start);
    if (end == std::string::npos)
      end = content.size();
    const std::string_view line =
        Trim(std::string_view(content).substr(start, end - start), kBlanks);
    start = end + 1;
    if (line.empty())
      continue;
    if (line.front() == '[') {
      const size_t close = line.rfind(']');
      if (close != std::string_view::npos) {
        file.push_back(IniSection{std::string(Trim(line.substr(1, close - 1), kBlanks)), {}});
        continue;
      }
    }
    IniKey key;
    const size_t eq = line.find('=');
    if (eq == std::string_view::npos) {
      key.name = std::string(line);
    } else {
      key.name = std::string(TrimRight(line.substr(0, eq), kBlanks));
      key.value = std::string(TrimLeft(line.substr(eq + 1), kBlanks));
    }
    // A run of lines without a name keeps only its first line.
    std::vector<IniKey>& keys = file.back().keys;
    if (key.name.empty() && !keys.empty() && keys.back().name.empty())
      continue;
    keys.push_back(std::move(key));
  }
  return file;
}

std::string Serialise(const IniFile& file) {
  std::string out;
  for (const IniSection& section : file) {
    if (!section.name.empty())
      out += "[" + section.name + "]\r\n";
    for (const IniKey& key : section.keys) {
      out += key.name;
      if (key.value)
        out += "=" + *key.value;
      out += "\r\n";
    }
  }
  return out;
}

// The first section or key of that name, in any letter case.
template <class Named>
Named* FindNamed(std::vector<Named>& entries, std::string_view name) {
  for (Named& entry : entries) {
    if (EqualsNoCase(entry.name, name))
      return &entry;
  }
  return nullptr;
}

// Value text as a read returns it: one pair of enclosing quotes dropped, cut to the
// read buffer. A value cut short loses its last character where the closing quote
// would have been, as the system call does.
std::string ReadForm(std::string_view value) {
  bool quoted = false;
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front()) {
    quoted = true;
    value.remove_prefix(1);
  }
  std::string out(value.substr(0, kReadBuffer - 1));
  if (quoted && value.size() <= kReadBuffer && !out.empty())
    out.pop_back();
  return out;
}

}  // namespace

std::string PortableProfileStore::GetString(const std::string& section, const std::string& key,
                                            const std::string& fallback, const std::string& file) {
  // Trailing blanks of the default are dropped before anything else.
  const std::string_view defaultText = TrimRight(fallback, " ");
  const std::string_view keyName = Trim(key, kBlanks);
  if (keyName.empty())
    return ReadForm(defaultText);
  const auto content = ReadFileText(files_, file);
  if (!content)
    return ReadForm(defaultText);
  IniFile ini = Parse(Decode(*content).text);
  IniSection* found = FindNamed(ini, Trim(section, kBlanks));
  IniKey* entry = found ? FindNamed(found->keys, keyName) : nullptr;
  if (!entry || !entry->value)
    return ReadForm(defaultText);
  return ReadForm(*entry->value);
}

bool PortableProfileStore::WriteString(const std::string& section, const std::string& key,
                                       const std::string& value, const std::string& file) {
  // Windows refuses to open a read-only file or a folder for writing, whoever asks;
  // the host would let a privileged user through, so look at the file first.
  const auto host = files_.HostPath(file);
  if (!host)
    return false;
  struct stat st {};
  const bool exists = ::stat(host->c_str(), &st) == 0;
  if (exists && (S_ISDIR(st.st_mode) || !(st.st_mode & S_IWUSR)))
    return false;

  IniFile ini;
  bool unicode = !IsAscii(section) || !IsAscii(key) || !IsAscii(value);
  if (exists) {
    const auto content = ReadFileText(files_, file);
    if (!content)
      return false;
    const FileText decoded = Decode(*content);
    unicode = unicode || decoded.unicode;
    ini = Parse(decoded.text);
  } else {
    ini.resize(1);
  }
  const std::string_view sectionName = Trim(section, kBlanks);
  const std::string_view keyName = Trim(key, kBlanks);
  const std::string text(Trim(value, kBlanks));
  IniSection* target = FindNamed(ini, sectionName);
  if (!target) {
    // A new section keeps the names as given, without their leading blanks.
    ini.push_back(IniSection{std::string(TrimLeft(section, kBlanks)), {}});
    ini.back().keys.push_back(IniKey{std::string(TrimLeft(key, kBlanks)), text});
  } else if (IniKey* entry = FindNamed(target->keys, keyName)) {
    if (entry->value == text)
      return true;  // nothing changes, the file is not touched
    entry->value = text;
  } else {
    target->keys.push_back(IniKey{std::string(keyName), text});
  }

  const std::string content =
      unicode ? std::string(kUtf16Mark) + Utf16LeBytesFromUtf8(Serialise(ini)) : Serialise(ini);
  FilePtr out = files_.OpenFile(file, "wb");
  if (!out)
    return false;
  if (std::fwrite(content.data(), 1, content.size(), out.Get()) != content.size())
    return false;
  return std::fflush(out.Get()) == 0;
}

}  // namespace kelvane
