#include "backup/reg_reader.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "platform/text_codec.h"

namespace kelvane {

namespace {

// Raised inside the reader and turned into the result's error.
struct ReadFailure {
  int line;
  std::string message;
};

struct Line {
  std::string_view text;  // without its line end
  int number;
};

constexpr std::string_view kBlanks = " \t";

int HexDigit(char c) {
  if (c >= '0' && c <= '9')
    return c - '0';
  if (c >= 'a' && c <= 'f')
    return c - 'a' + 10;
  if (c >= 'A' && c <= 'F')
    return c - 'A' + 10;
  return -1;
}

bool StartsWithNoCase(std::string_view s, std::string_view prefix) {
  return s.size() >= prefix.size() && EqualsNoCase(s.substr(0, prefix.size()), prefix);
}

// Splits at LF (a CR before it belongs to the line end). The last line must end with
// a line end: a file cut short mostly ends inside a line, and a cut value line could
// otherwise pass for a whole one.
std::vector<Line> SplitLines(std::string_view text, int firstLine) {
  std::vector<Line> lines;
  int number = firstLine;
  size_t start = 0;
  while (start < text.size()) {
    const size_t end = text.find('\n', start);
    if (end == std::string_view::npos) {
      throw ReadFailure{number, "the file ends inside this line; it is cut short"};
    }
    std::string_view line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r')
      line.remove_suffix(1);
    lines.push_back({line, number++});
    start = end + 1;
  }
  return lines;
}

// The text of a Version 5.00 file, UTF-16LE after its byte order mark, as UTF-8.
std::string Utf8FromFileUtf16(std::string_view bytes) {
  const auto text = Utf8FromUtf16LeBytes(bytes.substr(0, bytes.size() & ~size_t{1}));
  if (bytes.size() % 2 != 0) {
    const int line = 1 + static_cast<int>(std::count(text->begin(), text->end(), '\n'));
    throw ReadFailure{line, "the file ends inside a character; it is cut short"};
  }
  return *text;
}

class Reader {
 public:
  Reader(std::vector<Line> lines, int version) : lines_(std::move(lines)) {
    file_.version = version;
  }

  RegFile Read(bool expectHeader) {
    if (expectHeader)
      ReadHeader();
    while (next_ < lines_.size()) {
      const Line& line = lines_[next_++];
      const std::string_view text = TrimLeft(line.text, kBlanks);
      if (text.empty() || text.front() == ';')
        continue;
      if (text.front() == '[') {
        ReadKeyLine(text, line.number);
      } else if (text.front() == '@' || text.front() == '"') {
        ReadValueLine(text, line.number);
      } else {
        throw ReadFailure{line.number, "neither a key line nor a value line"};
      }
    }
    return std::move(file_);
  }

 private:
  void ReadHeader() {
    if (lines_.empty())
      throw ReadFailure{1, "the file is empty"};
    const std::string_view header = TrimRight(lines_[0].text, kBlanks);
    if (header == kHeader4) {
      if (file_.version == 5)
        throw ReadFailure{lines_[0].number, "a \"REGEDIT4\" file is never UTF-16"};
    } else if (header == kHeader5) {
      // The registry editor imports nothing of such a file without the byte order mark.
      if (file_.version == 4)
        throw ReadFailure{lines_[0].number,
                          "a Version 5.00 file must be UTF-16 with a byte order mark"};
    } else {
      throw ReadFailure{lines_[0].number, "not a registry export file header"};
    }
    next_ = 1;
  }

  // Regedit reads "[" to the last "]", so a key name may hold "]".
  void ReadKeyLine(std::string_view text, int number) {
    const size_t close = text.rfind(']');
    if (close == std::string_view::npos)
      throw ReadFailure{number, "the key line has no closing \"]\""};
    if (!TrimRight(text.substr(close + 1), kBlanks).empty())
      throw ReadFailure{number, "text after the key line's \"]\""};
    std::string_view name = text.substr(1, close - 1);
    if (!name.empty() && name.front() == '-')
      throw ReadFailure{number, "key deletions are not supported"};
    const size_t slash = name.find('\\');
    const auto root = RootFromName(name.substr(0, slash));
    if (!root)
      throw ReadFailure{number, "unknown root key \"" + std::string(name.substr(0, slash)) + "\""};
    std::string_view path = slash == std::string_view::npos ? "" : name.substr(slash + 1);
    if (!path.empty() && path.back() == '\\')
      path.remove_suffix(1);
    if (!path.empty() && (path.front() == '\\' || path.back() == '\\' ||
                          path.find("\\\\") != std::string_view::npos))
      throw ReadFailure{number, "empty key name in the key path"};
    file_.keys.push_back(RegFileKey{*root, std::string(path), number, {}});
  }

  void ReadValueLine(std::string_view text, int number) {
    if (file_.keys.empty())
      throw ReadFailure{number, "a value line before any key line"};
    std::string name;
    if (text.front() == '@') {
      text.remove_prefix(1);
    } else {
      name = ReadQuoted(text, number);
    }
    text = TrimLeft(text, kBlanks);
    if (text.empty() || text.front() != '=')
      throw ReadFailure{number, "\"=\" missing after the value name"};
    text = TrimLeft(text.substr(1), kBlanks);
    file_.keys.back().values.push_back(RegFileValue{name, ReadData(text, number), number});
  }

  // Reads a quoted text from the start of `text` and leaves `text` after its closing
  // quote. Regedit knows the escapes \\, \", \n and \r; any other is refused, as
  // importers differ about them.
  static std::string ReadQuoted(std::string_view& text, int number) {
    std::string out;
    size_t i = 1;
    for (;; ++i) {
      if (i >= text.size())
        throw ReadFailure{number, "the closing double quote is missing"};
      const char c = text[i];
      if (c == '"')
        break;
      if (c != '\\') {
        out += c;
        continue;
      }
      if (++i >= text.size())
        throw ReadFailure{number, "the closing double quote is missing"};
      switch (text[i]) {
        case '\\':
        case '"':
          out += text[i];
          break;
        case 'n':
          out += '\n';
          break;
        case 'r':
          out += '\r';
          break;
        default:
          throw ReadFailure{number, std::string("unknown escape \"\\") + text[i] + "\""};
      }
    }
    text.remove_prefix(i + 1);
    return out;
  }

  RegValue ReadData(std::string_view text, int number) {
    if (!text.empty() && text.front() == '"') {
      std::string data = ReadQuoted(text, number);
      ExpectLineEnd(text, number);
      data += '\0';  // the importer stores the terminating zero
      return RegValue{kRegSz, std::move(data)};
    }
    if (!text.empty() && text.front() == '-')
      throw ReadFailure{number, "value deletions are not supported"};
    if (StartsWithNoCase(text, "dword:"))
      return ReadDword(text.substr(6), number);
    if (StartsWithNoCase(text, "hex:"))
      return RegValue{kRegBinary, ReadHexBytes(text.substr(4), number)};
    if (StartsWithNoCase(text, "hex(")) {
      const size_t close = text.find("):");
      if (close == std::string_view::npos || close == 4 || close > 12)
        throw ReadFailure{number, "bad \"hex(N):\" type"};
      uint32_t type = 0;
      for (const char c : text.substr(4, close - 4)) {
        const int digit = HexDigit(c);
        if (digit < 0)
          throw ReadFailure{number, "bad \"hex(N):\" type"};
        type = type * 16 + static_cast<uint32_t>(digit);
      }
      return TextFromHex(type, ReadHexBytes(text.substr(close + 2), number));
    }
    throw ReadFailure{number, "unknown value data"};
  }

  // The registry editor stores the hex data of text types as it converts the file's
  // text: from the ANSI code page in a REGEDIT4 file, as it stands (UTF-16) in a
  // Version 5.00 file. Bytes that are no whole UTF-16 text stay bytes (`exact` false).
  RegValue TextFromHex(uint32_t type, std::string bytes) const {
    if (!IsTextType(type))
      return RegValue{type, std::move(bytes)};
    if (file_.version == 4)
      return RegValue{type, Utf8FromAnsi(bytes)};
    if (auto text = Utf8FromUtf16LeBytes(bytes))
      return RegValue{type, std::move(*text)};
    return RegValue{type, std::move(bytes), false};
  }

  static void ExpectLineEnd(std::string_view rest, int number) {
    if (!TrimRight(rest, kBlanks).empty())
      throw ReadFailure{number, "text after the value data"};
  }

  static RegValue ReadDword(std::string_view text, int number) {
    text = TrimRight(text, kBlanks);
    if (text.empty() || text.size() > 8)
      throw ReadFailure{number, "\"dword:\" needs 1 to 8 hexadecimal digits"};
    uint32_t value = 0;
    for (const char c : text) {
      const int digit = HexDigit(c);
      if (digit < 0)
        throw ReadFailure{number, "\"dword:\" needs 1 to 8 hexadecimal digits"};
      value = value * 16 + static_cast<uint32_t>(digit);
    }
    std::string data(4, '\0');
    for (size_t i = 0; i < 4; ++i)
      data[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
    return RegValue{kRegDword, std::move(data)};
  }

  // Bytes as two hexadecimal digits each, separated by ","; a line ending in "\"
  // continues on the next line (leading blanks skipped).
  std::string ReadHexBytes(std::string_view text, int number) {
    std::string bytes;
    bool needByte = false;  // after a "," another byte must follow
    for (;;) {
      std::string_view part = TrimRight(text, kBlanks);
      const bool continued = !part.empty() && part.back() == '\\';
      if (continued)
        part = TrimRight(part.substr(0, part.size() - 1), kBlanks);
      while (!part.empty()) {
        part = TrimLeft(part, kBlanks);
        if (part.size() < 2 || HexDigit(part[0]) < 0 || HexDigit(part[1]) < 0)
          throw ReadFailure{number, "bad hexadecimal byte"};
        bytes += static_cast<char>(HexDigit(part[0]) * 16 + HexDigit(part[1]));
        part = TrimLeft(part.substr(2), kBlanks);
        needByte = false;
        if (part.empty())
          break;
        if (part.front() != ',')
          throw ReadFailure{number, "\",\" expected between hexadecimal bytes"};
        part.remove_prefix(1);
        needByte = true;
      }
      if (!continued)
        break;
      if (next_ >= lines_.size())
        throw ReadFailure{number, "the file ends inside a continued value; it is cut short"};
      text = TrimLeft(lines_[next_].text, kBlanks);
      number = lines_[next_].number;
      ++next_;
    }
    if (needByte)
      throw ReadFailure{number, "a hexadecimal byte is missing after the last \",\""};
    return bytes;
  }

  std::vector<Line> lines_;
  size_t next_ = 0;
  RegFile file_;
};

// The text is made UTF-8 first (from the ANSI code page, or from UTF-16 after a byte
// order mark), so that every name and text reads whatever its script.
RegReadResult Read(std::string_view text, int firstLine, bool expectHeader, int version) {
  try {
    if (expectHeader) {
      const bool bom = text.size() >= 2 && static_cast<unsigned char>(text[0]) == 0xFF &&
                       static_cast<unsigned char>(text[1]) == 0xFE;
      version = bom ? 5 : 4;
      text.remove_prefix(bom ? 2 : 0);
    }
    const std::string utf8 = version == 5 ? Utf8FromFileUtf16(text) : Utf8FromAnsi(text);
    Reader reader(SplitLines(utf8, firstLine), version);
    RegReadResult result;
    result.file = reader.Read(expectHeader);
    return result;
  } catch (const ReadFailure& failure) {
    RegReadResult result;
    result.error = "Line " + std::to_string(failure.line) + ": " + failure.message;
    return result;
  }
}

}  // namespace

RegReadResult ReadRegText(std::string_view text) {
  return Read(text, 1, true, 4);
}

RegReadResult ReadRegItems(std::string_view text, int firstLine, int version) {
  return Read(text, firstLine, false, version);
}

RegReadResult ReadRegFile(FileSystem& files, const std::string& path) {
  FilePtr file = files.OpenFile(path, "rb");
  const std::optional<std::string> text = file ? ReadToEnd(file.Get()) : std::nullopt;
  if (text)
    return ReadRegText(*text);
  RegReadResult result;
  result.error = (file ? "Cannot read " : "Cannot open ") + path;
  return result;
}

}  // namespace kelvane
