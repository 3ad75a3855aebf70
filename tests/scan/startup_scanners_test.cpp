// Startup Programs and Add/Remove Programs with entries in their real registry
// locations, and the entry counter they share with Obsolete Software.
#include <gtest/gtest.h>

#include "scan/scan_fixture.h"
#include "scan/scanners.h"

namespace kelvane {
namespace {

using test::ExpandSz;
using test::Row;
using test::Sz;

constexpr RootKey kHklm = RootKey::kLocalMachine;
constexpr RootKey kHkcu = RootKey::kCurrentUser;
const std::string kRun = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const std::string kRunOnce = "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
const std::string kStartupReg = "Software\\Microsoft\\Shared Tools\\MSConfig\\startupreg";
const std::string kUninstall = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

using StartupScannersTest = test::ScannerTest;

TEST_F(StartupScannersTest, RunKeysAndDisabledEntriesReportMissingPrograms) {
  env.WriteFile(dir + "\\App\\app.exe");
  test::SetVariable(env, "KELVANE_TEST_DIR", dir);
  const std::string gone = dir + "\\App\\" + token + "gone.exe";
  PutOwnValue(kHkcu, kRun, token + "1", Sz("\"" + dir + "\\App\\app.exe\" /background"));
  PutOwnValue(kHkcu, kRun, token + "2", Sz(gone + " /background"));
  PutOwnValue(kHkcu, kRun, token + "3", Sz("rundll32.exe shell32.dll,Control_RunDLL"));
  PutOwnValue(kHkcu, kRun, token + "4", RegValue{kRegBinary, "C:\\gone.exe"});
  PutOwnValue(kHkcu, kRun, token + "5", test::Dword(1));
  PutOwnValue(kHkcu, kRunOnce, token + "6", Sz(gone));
  PutOwnValue(kHklm, kRun, token + "7", ExpandSz("%KELVANE_TEST_DIR%\\" + token + "7.exe"));
  PutOwnValue(kHklm, kRunOnce, token + "8", Sz("D:\\" + token + "8.exe"));
  const std::string reg = kStartupReg + "\\" + token;
  for (const char* entry : {"a", "b", "c", "d", "e"})
    OwnKey(kHklm, reg + entry);
  Put(kHklm, reg + "a", "command", Sz(gone + " -min"));
  Put(kHklm, reg + "b", "item", Sz(gone));  // no command: skipped
  Put(kHklm, reg + "c", "command", test::Dword(1));
  Put(kHklm, reg + "d", "command", Sz(dir + "\\App\\app.exe -min"));
  Put(kHklm, reg + "e", "command", Sz("\"" + gone + "\""));

  const std::string suffix = "\\Software\\Microsoft\\Windows\\CurrentVersion\\";
  const std::string problem = "Missing Startup Programs";
  EXPECT_EQ(Scan({10}),
            (std::vector<IssueRow>{
                Row(problem, "HKEY_CURRENT_USER" + suffix + "Run\\" + token + "2",
                    gone + " /background", RowKind::kValueInPath),
                Row(problem, "HKEY_CURRENT_USER" + suffix + "RunOnce\\" + token + "6", gone,
                    RowKind::kValueInPath),
                Row(problem, "HKEY_LOCAL_MACHINE" + suffix + "Run\\" + token + "7",
                    "%KELVANE_TEST_DIR%\\" + token + "7.exe", RowKind::kValueInPath),
                Row(problem, "HKEY_LOCAL_MACHINE\\" + reg + "a", gone + " -min", RowKind::kKey),
                Row(problem, "HKEY_LOCAL_MACHINE\\" + reg + "e", "\"" + gone + "\"", RowKind::kKey),
            }));
  EXPECT_EQ(events.log, (std::vector<std::string>{"begin", "status:Scanning Startup Programs...",
                                                  "end", "close"}));
  for (const std::string& key : {kRun, kRunOnce, kStartupReg})
    EXPECT_TRUE(ShownKey(key)) << key;
}

TEST_F(StartupScannersTest, RunKeyNeedsAFullRootName) {
  PutOwnValue(kHkcu, kRun, token, Sz(dir + "\\" + token + ".exe"));
  Platform platform = env.Get();
  std::atomic<bool> stop{false};
  ScanContext context(platform, results, events, "c", stop);
  for (const char* name : {"HKCU", "HKEY_CURRENT", "", "HKEY_LOCAL_MACHINE"}) {
    ScanRunKey(context, name, kRun);
  }
  context.FlushRows();
  EXPECT_TRUE(Mine().empty());
  ScanRunKey(context, "hkey_current_user", kRun);
  context.FlushRows();
  EXPECT_EQ(Mine(), (std::vector<IssueRow>{
                        Row("Missing Startup Programs", "HKEY_CURRENT_USER\\" + kRun + "\\" + token,
                            dir + "\\" + token + ".exe", RowKind::kValueInPath)}));
}

// The disabled entries are read inside a guard that ends only that part on a failure;
// Stop must still get through it.
TEST_F(StartupScannersTest, StopGetsThroughTheDisabledEntriesGuard) {
  const std::string reg = kStartupReg + "\\" + token;
  for (const char* entry : {"a", "b"}) {
    OwnKey(kHklm, reg + entry);
    Put(kHklm, reg + entry, "command", Sz(dir + "\\" + token + entry + ".exe"));
  }
  test::WatchingBackend watching(env.Registry());
  std::atomic<bool> stop{false};
  watching.onOpen = [&](const std::string& subPath) {
    if (subPath.find(token + "a") != std::string::npos)
      stop = true;
  };
  Platform real = env.Get();
  Platform platform{watching, real.files, real.shell, real.system, real.profile, real.processes};
  ScanContext context(platform, results, events, "c", stop);
  EXPECT_THROW(ScanStartupPrograms(context), OperationCancelled);
  EXPECT_TRUE(Mine().empty());
}

TEST_F(StartupScannersTest, AddRemoveReportsEntriesThatHoldNothing) {
  const std::string base = kUninstall + "\\" + token;
  const auto entry = [&](const std::string& name) {
    OwnKey(kHklm, base + name);
    MakeKey(kHklm, base + name);
    return base + name;
  };
  entry("1");
  Put(kHklm, entry("2"), "", Sz(""));
  MakeKey(kHklm, entry("3") + "\\a\\b\\c");
  MakeKey(kHklm, entry("4") + "\\a");
  MakeKey(kHklm, base + "4\\b");
  Put(kHklm, entry("5"), "", Sz("Some Program"));
  Put(kHklm, entry("6"), "", RegValue{kRegBinary, ""});
  Put(kHklm, entry("7") + "\\a\\b", "DisplayName", Sz("x"));
  Put(kHklm, entry("8") + "\\a", "", Sz(""));
  Put(kHklm, entry("9"), "DisplayName", Sz(""));
  OwnKey(kHklm, kUninstall + "\\{" + token + "}");
  MakeKey(kHklm, kUninstall + "\\{" + token + "}");

  const std::string key = "HKEY_LOCAL_MACHINE\\" + kUninstall;
  const auto row = [&](const std::string& suffix) {
    return Row("Add/Remove Programs Issue", key, token + suffix, RowKind::kSubkeyNamed);
  };
  EXPECT_EQ(Scan({11}), (std::vector<IssueRow>{row("1"), row("2"), row("3"), row("8")}));
  EXPECT_TRUE(ShownKey(base + "1"));
  EXPECT_FALSE(ShownKey(kUninstall + "\\{" + token + "}"));
  EXPECT_EQ(events.log[1], "status:Scanning Add/Remove Programs...");
}

TEST_F(StartupScannersTest, CountKeyEntriesStopsAtTheLimit) {
  test::ScratchKey scratch(env.Registry());
  const std::string s = scratch.Path();
  // t1: three values, and a subkey with two more.  t2: two empty subkeys.
  // t3: a lone empty default value.  t4: a chain whose last key holds a value.
  Put(kHkcu, s + "\\t1", "a", Sz("1"));
  Put(kHkcu, s + "\\t1", "b", Sz("2"));
  Put(kHkcu, s + "\\t1", "", Sz("3"));
  Put(kHkcu, s + "\\t1\\sub", "c", Sz("4"));
  Put(kHkcu, s + "\\t1\\sub", "d", test::Dword(5));
  MakeKey(kHkcu, s + "\\t2\\x");
  MakeKey(kHkcu, s + "\\t2\\y");
  Put(kHkcu, s + "\\t3", "", Sz(""));
  Put(kHkcu, s + "\\t4\\a\\b\\c", "v", Sz(""));
  Platform platform = env.Get();
  std::atomic<bool> stop{false};
  ScanContext context(platform, results, events, "c", stop);
  const struct {
    int line;
    std::string path;
    int limit;
    bool subkeyRule, emptyDefaultRule;
    int expected;
  } cases[] = {
      {__LINE__, "t1", 0, false, false, 5}, {__LINE__, "t1", 1, true, false, 3},
      {__LINE__, "t1", 4, false, false, 5}, {__LINE__, "t1", 10, true, false, 5},
      {__LINE__, "t2", 0, false, false, 0}, {__LINE__, "t2", 1, true, false, 2},
      {__LINE__, "t2", 1, false, false, 0}, {__LINE__, "t2", 2, true, false, 0},
      {__LINE__, "t3", 1, true, false, 0},  {__LINE__, "t3", 1, true, true, 1},
      {__LINE__, "t3", 0, false, false, 0}, {__LINE__, "t4", 1, true, false, 1},
      {__LINE__, "t4", 0, true, true, 1},   {__LINE__, "missing", 1, true, false, 0},
      {__LINE__, "", 0, false, false, 6},
  };
  for (const auto& c : cases) {
    const std::string path = c.path.empty() ? s : s + "\\" + c.path;
    EXPECT_EQ(CountKeyEntries(context, kHkcu, path, c.limit, c.subkeyRule, c.emptyDefaultRule),
              c.expected)
        << "line " << c.line;
  }
}

}  // namespace
}  // namespace kelvane
