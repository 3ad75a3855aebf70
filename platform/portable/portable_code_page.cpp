// The portable layer's ANSI code page: Windows-1252, as Wine and Western Windows have it.
#include <array>

#include "platform/text_codec.h"

namespace kelvane {

namespace {

// 0x80 to 0x9F; the five bytes Windows-1252 leaves unassigned map to the same C1 code,
// as the system's conversion maps them.
constexpr std::array<char16_t, 32> kHigh = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char16_t FromByte(unsigned char b) {
  return b >= 0x80 && b < 0xA0 ? kHigh[b - 0x80] : static_cast<char16_t>(b);
}

}  // namespace

std::optional<std::string> AnsiFromUtf8(std::string_view text) {
  if (IsAscii(text))
    return std::string(text);
  std::string out;
  for (const char16_t unit : Utf16FromUtf8(text)) {
    int byte = -1;
    if (unit < 0x80 || (unit >= 0xA0 && unit < 0x100)) {
      byte = unit;
    } else {
      for (size_t k = 0; k < kHigh.size(); ++k) {
        if (kHigh[k] == unit)
          byte = static_cast<int>(0x80 + k);
      }
    }
    if (byte < 0)
      return std::nullopt;
    out.push_back(static_cast<char>(byte));
  }
  // U+FFFD from a broken sequence has no ANSI form, so what remains converts back.
  return out;
}

std::string Utf8FromAnsi(std::string_view text) {
  if (IsAscii(text))
    return std::string(text);
  std::u16string wide;
  for (const char c : text)
    wide.push_back(FromByte(static_cast<unsigned char>(c)));
  return Utf8FromUtf16(wide);
}

}  // namespace kelvane
