// The Windows side of the program's text: UTF-8 and the system's UTF-16 are each the
// exact form of the other (also where the system's own UTF-8 conversion would put in
// U+FFFD), and only text the ANSI code page carries exactly has an ANSI form.
#ifdef _WIN32
#include <gtest/gtest.h>

#include <windows.h>

#include "platform/text_codec.h"
#include "platform/win32/ansi_text.h"

namespace kelvane {
namespace {

TEST(AnsiText, EveryWideTextComesBackAndOnlyExactTextIsAnsi) {
  for (const std::wstring& wide :
       {std::wstring(L"Backup_\u0416.reg"), std::wstring(L"\u03A9mega"),
        std::wstring(L"\U0001F680 \u5DE5"), std::wstring(L"a\xD83D"), std::wstring(L"x\0y", 3)}) {
    EXPECT_EQ(WideFromUtf8(Utf8FromWide(wide)), wide);
  }
  // Where the system's conversion gives the same text, so does the program's.
  const std::wstring greek = L"\u03A9\u03BC\u03AD\u03B3\u03B1 \U0001F680";
  char system[64] = {};
  const int n = WideCharToMultiByte(CP_UTF8, 0, greek.c_str(), static_cast<int>(greek.size()),
                                    system, sizeof system, nullptr, nullptr);
  EXPECT_EQ(Utf8FromWide(greek), std::string(system, static_cast<size_t>(n)));
  EXPECT_EQ(AnsiFromUtf8(Utf8FromWide(L"\u03A9mega")), std::nullopt);  // never "Omega"
  EXPECT_EQ(AnsiFromUtf8("plain"), "plain");
  if (GetACP() == 1252) {
    EXPECT_EQ(AnsiFromUtf8("caf\xC3\xA9 \xE2\x82\xAC"), "caf\xE9 \x80");
    EXPECT_EQ(Utf8FromAnsi("caf\xE9 \x80"), "caf\xC3\xA9 \xE2\x82\xAC");
  }
}

}  // namespace
}  // namespace kelvane
#endif
