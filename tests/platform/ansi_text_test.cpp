// The Windows side of texts the ANSI code page cannot carry: what a window shows of a
// message with inexact names in it, and which listed paths may still be read.
#ifdef _WIN32
#include <gtest/gtest.h>

#include "platform/registry.h"
#include "platform/win32/ansi_text.h"

namespace kelvane {
namespace {

TEST(AnsiText, AMessageShowsItsInexactNamesAsTheyAre) {
  const std::string name = ListedName(L"Backup_\u0416.reg");
  ASSERT_TRUE(IsInexactName(name));
  EXPECT_EQ(ListedName(L"Backup.reg"), "Backup.reg");
  EXPECT_EQ(WideFromListed(name), L"Backup_\u0416.reg");
  EXPECT_EQ(
      WideFromShown("File " + ShownText(name) + " and " + ShownText("C:\\x\\" + name) + " kept."),
      L"File Backup_\u0416.reg and C:\\x\\Backup_\u0416.reg kept.");
  EXPECT_EQ(WideFromShown("Plain text."), L"Plain text.");
}

TEST(AnsiText, OnlyAPathEndingInOneListedNameHasAWideForm) {
  const std::string name = ListedName(L"\u03A9.lnk");
  struct Case {
    int line;
    std::string path;
    std::optional<std::wstring> wide;
  };
  const Case cases[] = {
      {__LINE__, "C:\\Startup\\Tool.lnk", L"C:\\Startup\\Tool.lnk"},
      {__LINE__, "C:\\Startup\\" + name, L"C:\\Startup\\\u03A9.lnk"},
      {__LINE__, name, std::nullopt},                          // no folder
      {__LINE__, "C:\\Startup" + name, std::nullopt},          // glued to the folder
      {__LINE__, "C:\\" + name + "\\Tool.lnk", std::nullopt},  // a folder below it
      {__LINE__, "C:\\" + name + "\\" + name, std::nullopt},   // two of them
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    EXPECT_EQ(WideFromListedPath(c.path), c.wide);
  }
}

}  // namespace
}  // namespace kelvane
#endif
