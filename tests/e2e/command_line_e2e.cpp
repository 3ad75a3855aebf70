// The switches a scheduler or a management tool drives: -scan writes its report and
// deletes nothing, -restore restores one backup and proves it, /? and an unknown switch
// show the usage; each with its exit code and, for the unattended runs, its log line.
// The report of the awkward entry is left in C:\Kelvane\host-check for e2e-run.sh,
// which reads it back with Python's csv module (tests/e2e/check_report.py).
#include <gtest/gtest.h>

#include <shlobj.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "e2e_support.h"
#include "platform/registry_locations.h"

namespace kelvane::e2e {
namespace {

// A startup entry whose name and command hold a comma, quotes, a line break and a
// character beyond ASCII, pointing at a file that does not exist. check_report.py
// expects the same texts.
constexpr const wchar_t* kAwkwardName = L"Kv,\"Gone\" \u00e9";
constexpr const wchar_t* kAwkwardCommand =
    L"\"C:\\KvGone\\kv,gone.exe\" /say \"hi, there\"\r\nnext";

std::string LastLogLine() {
  const std::string log = ReadTextFile(std::string(kFolder) + "kelvane.log");
  const size_t end = log.rfind("\r\n");
  if (end == std::string::npos)
    return {};
  const size_t start = log.rfind("\r\n", end - 1);
  return log.substr(start == std::string::npos ? 0 : start + 2,
                    end - (start == std::string::npos ? 0 : start + 2));
}

// Runs kelvane.exe with the arguments; no window may show while it runs. The exit
// code, or 99 when it did not end.
DWORD RunUnattended(const std::string& arguments) {
  Process kelvane(std::string(kExe) + " " + arguments);
  EXPECT_TRUE(kelvane.Started());
  const ULONGLONG end = GetTickCount64() + 300000;
  DWORD code = 99;
  while (!kelvane.WaitExit(100, &code) && GetTickCount64() < end) {
    for (const char* cls : {kMainClass, kProgressClass, "#32770"}) {
      for (HWND window : TopWindows(cls, kelvane.Id()))
        EXPECT_FALSE(IsWindowVisible(window)) << arguments << ": a " << cls << " was shown";
    }
  }
  return code;
}

void WriteFile(const std::string& path, const std::string& text) {
  FILE* file = std::fopen(path.c_str(), "wb");
  ASSERT_NE(file, nullptr) << path;
  std::fwrite(text.data(), 1, text.size(), file);
  std::fclose(file);
}

TEST(CommandLine, ScanWritesTheReportAndTheLogAndDeletesNothing) {
  HKEY run;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kRunKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                            &run, nullptr),
            ERROR_SUCCESS);
  const std::wstring command = kAwkwardCommand;
  ASSERT_EQ(
      RegSetValueExW(run, kAwkwardName, 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                     static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t))),
      ERROR_SUCCESS);
  RegCloseKey(run);
  WriteSettings("ShowHint=0\r\n", {1, 10});
  CreateDirectoryA((std::string(kFolder) + "host-check").c_str(), nullptr);
  const std::string report = std::string(kFolder) + "host-check\\report, 1.csv";

  EXPECT_EQ(RunUnattended("-SCAN \"" + report + "\""), 8u);

  EXPECT_TRUE(ValueExists(HKEY_CURRENT_USER, kRunKey, "Kv,\"Gone\" \xE9"));
  const std::string csv = ReadTextFile(report);
  EXPECT_EQ(csv.rfind("\xEF\xBB\xBF"
                      "Ticked,Problem,Registry key,Value,Reason\r\n",
                      0),
            0u)
      << csv;
  EXPECT_NE(csv.find("\"HKEY_CURRENT_USER\\" + std::string(kRunKey) +
                     "\\Kv,\"\"Gone\"\" \xC3\xA9\",\"\"\"C:\\KvGone\\kv,gone.exe\"\" /say "
                     "\"\"hi, there\"\"\r\nnext\""),
            std::string::npos)
      << csv;
  const std::string line = LastLogLine();
  EXPECT_NE(line.find("\t-scan\tcategories=My Computers; Startup Programs\tfound="),
            std::string::npos)
      << line;
  EXPECT_NE(line.find("\trepaired=0\tfile=" + report + "\texit=8"), std::string::npos) << line;
  EXPECT_EQ(line.find("note="), std::string::npos) << line;
}

// A message box of the process: its texts, then closed with its OK button.
std::string CloseMessageBox(const Process& process) {
  HWND box = WaitForDialog("Varnok Kelvane", process.Id(), 30000);
  if (!box)
    return {};
  const std::string texts = ControlTexts(box);
  PostMessageA(box, WM_COMMAND, IDOK, 0);
  return texts;
}

TEST(CommandLine, EverySwitchEndsWithItsExitCode) {
  const std::string folder = kFolder;
  const std::string good = folder + "Good.reg";
  const std::string damaged = folder + "Damaged.reg";
  struct Case {
    const char* arguments;
    DWORD expected;
    bool usage;           // the usage box shows; nothing is logged
    const char* logLine;  // what the log's last line holds then
  };
  const Case cases[] = {
      {"-scan C:\\Kelvane\\none\\r.csv", 9, false,
       "\tfile=\texit=9\tnote=The report could not be written: C:\\Kelvane\\none\\r.csv"},
      // Nothing ticked: nothing scanned, and a code of its own.
      {"-Scan C:\\Kelvane\\empty.csv", 14, false,
       "\tfound=0\trepaired=0\tfile=C:\\Kelvane\\empty.csv\texit=14\tnote=No category is ticked"},
      {"-cleanonce", 14, false,
       "\t-cleanonce\tcategories=\tfound=0\trepaired=0\tfile=\texit=14\tnote=No category"},
      {"-restore C:\\Kelvane\\Missing.reg", 12, false, "file=C:\\Kelvane\\Missing.reg\texit=12"},
      {"-restore C:\\Kelvane\\Damaged.reg", 11, false, "\texit=11\tnote=The backup file cannot"},
      {"-RESTORE Good.reg", 0, false,
       "\t-restore\tcategories=\tfound=-\trepaired=-\t"
       "file=C:\\Kelvane\\Good.reg\texit=0"},
      {"/?", 0, true, nullptr},
      {"-help", 0, true, nullptr},
      {"-bogus", 13, true, nullptr},
      {"-scan", 13, true, nullptr},
  };
  WriteSettings("ShowHint=0\r\nDeleteBackupFile=1\r\n", {});
  // A relative file name is taken from the current folder, which the program inherits.
  ASSERT_TRUE(SetCurrentDirectoryA(kFolder));
  CreateDirectoryA((folder + "Backup").c_str(), nullptr);
  WriteFile(damaged, "REGEDIT4\r\n[HKEY_CURRENT_USER\\Software\\KvRestored\r\n");
  WriteFile(good,
            "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\KvRestored]\r\n"
            "\"Back\"=\"again\"\r\n\r\n");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.arguments);
    if (!c.usage) {
      EXPECT_EQ(RunUnattended(c.arguments), c.expected);
      EXPECT_NE(LastLogLine().find(c.logLine), std::string::npos) << LastLogLine();
      EXPECT_NE(LastLogLine().find("\texit=" + std::to_string(c.expected)), std::string::npos);
      continue;
    }
    const std::string before = ReadTextFile(folder + "kelvane.log");
    Process kelvane(std::string(kExe) + " " + c.arguments);
    if (std::getenv("KELVANE_SHOT_DIR") && std::string(c.arguments) == "/?") {
      HWND usage = WaitForDialog("Varnok Kelvane", kelvane.Id(), 30000);
      ASSERT_NE(usage, nullptr);
      EXPECT_TRUE(SaveWindow(usage, "usage"));
    }
    const std::string texts = CloseMessageBox(kelvane);
    EXPECT_NE(texts.find("-restore FILE"), std::string::npos) << texts;
    EXPECT_NE(texts.find("Exit codes:"), std::string::npos) << texts;
    DWORD code = 99;
    ASSERT_TRUE(kelvane.WaitExit(30000, &code));
    EXPECT_EQ(code, c.expected);
    // A wrong command line says so in the log; the help asked for leaves it alone.
    if (c.expected == 13) {
      EXPECT_NE(LastLogLine().find("\t(unknown)\t"), std::string::npos) << LastLogLine();
      EXPECT_NE(LastLogLine().find("\texit=13\tnote=Unknown switch"), std::string::npos);
    } else {
      EXPECT_EQ(ReadTextFile(folder + "kelvane.log"), before);
    }
    EXPECT_TRUE(TopWindows(kMainClass, kelvane.Id()).empty());
  }
  EXPECT_EQ(ReadTextFile(folder + "empty.csv"),
            "\xEF\xBB\xBF"
            "Ticked,Problem,Registry key,Value,Reason\r\n");
  EXPECT_TRUE(FileExists(damaged));
  EXPECT_FALSE(FileExists(good));
  EXPECT_TRUE(ValueExists(HKEY_CURRENT_USER, "Software\\KvRestored", "Back"));
}

// One flow through what the unattended runs promise: a broken Start menu shortcut,
// inside Application Data too, is one row; a value named by a path is repaired and
// given back by regedit /s; of two runs started together one ends with 6; the
// vendor key the repair empties is taken in a further pass, so -scan then finds nothing.
TEST(CommandLine, TheCleanRunsAloneAndFinishesWhatItStarts) {
  const char* kApp = "Software\\KvSlash\\App";
  HKEY app;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kApp, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &app,
                            nullptr),
            ERROR_SUCCESS);
  const auto put = [app](const char* name, const std::string& data) {
    RegSetValueExA(app, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                   static_cast<DWORD>(data.size() + 1));
  };
  put("C:\\kvt\\old\\tool.exe", "C:\\kvt\\missing\\tool.exe");
  put("plain", "C:\\kvt\\missing\\plain.exe");
  RegCloseKey(app);
  // The shortcut, named anew each run: Wine's recycle bin is the desktop's trash in a
  // home folder that lies inside Application Data and outlives the prefix.
  char programs[MAX_PATH] = {};
  ASSERT_TRUE(SHGetSpecialFolderPathA(nullptr, programs, CSIDL_PROGRAMS, TRUE));
  const std::string name = "KvGone" + std::to_string(GetTickCount64()) + ".lnk";
  const std::string link = std::string(programs) + "\\" + name;
  ASSERT_TRUE(CreateShortcut(link, "C:\\kvt\\missing\\gone.exe"));
  WriteSettings("ShowHint=0\r\n", {1, 17});
  EXPECT_EQ(RunUnattended("-scan C:\\Kelvane\\links.csv"), 8u);
  const std::string links = ReadTextFile(std::string(kFolder) + "links.csv");
  EXPECT_NE(links.find(name), std::string::npos) << links;
  EXPECT_EQ(links.find(name), links.rfind(name)) << links;
  DeleteFileA(link.c_str());

  // Files and Folders of the current user, Obsolete Software.
  WriteSettings("ShowHint=0\r\n", {1, 2, 4, 14});
  CreateDirectoryA((std::string(kFolder) + "Backup").c_str(), nullptr);
  EXPECT_EQ(RunUnattended("-scan C:\\Kelvane\\before.csv"), 8u);
  EXPECT_NE(ReadTextFile(std::string(kFolder) + "before.csv").find("App\\C:\\kvt\\old\\tool.exe,"),
            std::string::npos);

  Process first(std::string(kExe) + " -cleanonce");
  Process second(std::string(kExe) + " -cleanonce");
  DWORD codes[2] = {99, 99};
  ASSERT_TRUE(first.WaitExit(300000, &codes[0]));
  ASSERT_TRUE(second.WaitExit(300000, &codes[1]));
  EXPECT_EQ(std::min(codes[0], codes[1]), 0u);
  EXPECT_EQ(std::max(codes[0], codes[1]), 6u);
  const auto backups = ListFiles(std::string(kFolder) + "Backup\\Backup*.reg");
  ASSERT_EQ(backups.size(), 1u);
  // The clean's line: every entry found was removed, the emptied vendor key with them.
  const std::string log = ReadTextFile(std::string(kFolder) + "kelvane.log");
  const size_t done = log.find("\texit=0");
  ASSERT_NE(done, std::string::npos) << log;
  const std::string line =
      log.substr(log.rfind('\n', done) + 1, log.find('\r', done) - log.rfind('\n', done) - 1);
  std::printf("%s\n", line.c_str());
  const size_t found = line.find("found="), repaired = line.find("\trepaired=");
  EXPECT_EQ(line.substr(found + 6, line.find('\t', found) - found - 6),
            line.substr(repaired + 10, line.find('\t', repaired + 1) - repaired - 10));
  EXPECT_NE(line.find("\tfile=C:\\Kelvane\\Backup\\" + backups[0]), std::string::npos);
  EXPECT_NE(line.find("a further pass took"), std::string::npos);
  EXPECT_NE(log.find("\texit=6\tnote=Kelvane was already running."), std::string::npos);
  EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, kApp, "C:\\kvt\\old\\tool.exe"));
  HKEY vendor;
  EXPECT_NE(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\KvSlash", 0, KEY_READ, &vendor),
            ERROR_SUCCESS);

  EXPECT_EQ(RunUnattended("-scan C:\\Kelvane\\after.csv"), 0u)
      << ReadTextFile(std::string(kFolder) + "after.csv");

  ASSERT_EQ(RegeditImport(std::string(kFolder) + "Backup\\" + backups[0]), 0);
  EXPECT_TRUE(ValueExists(HKEY_CURRENT_USER, kApp, "C:\\kvt\\old\\tool.exe"));
  EXPECT_TRUE(ValueExists(HKEY_CURRENT_USER, kApp, "plain"));
}

}  // namespace
}  // namespace kelvane::e2e
