#include "platform/text_codec.h"

namespace kelvane {

namespace {

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out.push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (c >> 6)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else if (c < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (c >> 12)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (c >> 18)));
    out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}

bool IsHigh(char32_t c) {
  return c >= 0xD800 && c < 0xDC00;
}
bool IsLow(char32_t c) {
  return c >= 0xDC00 && c < 0xE000;
}

template <typename Unit>
std::string Utf8FromUnits(size_t count, Unit unit) {
  // Most registry names and texts are ASCII: one pass to tell, one to copy.
  size_t ascii = 0;
  while (ascii < count && unit(ascii) < 0x80)
    ++ascii;
  std::string out(ascii, '\0');
  for (size_t i = 0; i < ascii; ++i)
    out[i] = static_cast<char>(unit(i));
  if (ascii == count)
    return out;
  out.reserve(count + (count - ascii) * 2);
  for (size_t i = ascii; i < count; ++i) {
    char32_t c = unit(i);
    if (IsHigh(c) && i + 1 < count && IsLow(unit(i + 1)))
      c = 0x10000 + ((c - 0xD800) << 10) + (unit(++i) - 0xDC00);
    AppendUtf8(out, c);
  }
  return out;
}

// Decodes one sequence at `i` and moves past it; U+FFFD and one byte for a broken one.
// The three-byte form of a lone surrogate is taken as that code unit.
char32_t DecodeAt(std::string_view text, size_t& i) {
  const auto byte = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
  const unsigned char lead = byte(i);
  size_t length = 0;
  char32_t c = 0;
  if (lead < 0x80) {
    ++i;
    return lead;
  } else if ((lead & 0xE0) == 0xC0) {
    length = 2;
    c = lead & 0x1F;
  } else if ((lead & 0xF0) == 0xE0) {
    length = 3;
    c = lead & 0x0F;
  } else if ((lead & 0xF8) == 0xF0) {
    length = 4;
    c = lead & 0x07;
  }
  if (length == 0 || i + length > text.size()) {
    ++i;
    return 0xFFFD;
  }
  for (size_t k = 1; k < length; ++k) {
    if ((byte(i + k) & 0xC0) != 0x80) {
      ++i;
      return 0xFFFD;
    }
    c = (c << 6) | (byte(i + k) & 0x3F);
  }
  static constexpr char32_t kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
  if (c < kLeast[length] || c > 0x10FFFF) {
    ++i;
    return 0xFFFD;
  }
  i += length;
  return c;
}

template <typename Put>
void ForEachUnit(std::string_view text, Put put) {
  for (size_t i = 0; i < text.size();) {
    const char32_t c = DecodeAt(text, i);
    if (c >= 0x10000) {
      put(static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)));
      put(static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF)));
    } else {
      put(static_cast<char16_t>(c));
    }
  }
}

}  // namespace

bool IsAscii(std::string_view text) {
  for (const char c : text) {
    if (static_cast<unsigned char>(c) >= 0x80)
      return false;
  }
  return true;
}

std::string Utf8FromUtf16(std::u16string_view text) {
  return Utf8FromUnits(text.size(), [&](size_t i) { return static_cast<char32_t>(text[i]); });
}

std::u16string Utf16FromUtf8(std::string_view text) {
  if (IsAscii(text))
    return std::u16string(text.begin(), text.end());
  std::u16string out;
  out.reserve(text.size());
  ForEachUnit(text, [&](char16_t unit) { out.push_back(unit); });
  return out;
}

std::string Utf16LeBytesFromUtf8(std::string_view text) {
  std::string out;
  out.reserve(text.size() * 2);
  ForEachUnit(text, [&](char16_t unit) {
    out.push_back(static_cast<char>(unit & 0xFF));
    out.push_back(static_cast<char>(unit >> 8));
  });
  return out;
}

std::optional<std::string> Utf8FromUtf16LeBytes(std::string_view bytes) {
  if (bytes.size() % 2 != 0)
    return std::nullopt;
  return Utf8FromUnits(bytes.size() / 2, [&](size_t i) {
    return static_cast<char32_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                 (static_cast<unsigned char>(bytes[2 * i + 1]) << 8));
  });
}

}  // namespace kelvane
