// File Extensions and Custom Controls with class keys in their real locations.
#include <gtest/gtest.h>

#include "backup/reg_reader.h"
#include "scan/scan_fixture.h"
#include "scan/scanners.h"

namespace {
#include "demo_reg.inc"
}

namespace kelvane {
namespace {

using test::ExpandSz;
using test::Row;
using test::Sz;

constexpr RootKey kHklm = RootKey::kLocalMachine;
constexpr RootKey kHkcr = RootKey::kClassesRoot;
const std::string kClasses = "Software\\Classes";
const std::string kFileExts = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts";

using ClassScannersTest = test::ScannerTest;

TEST_F(ClassScannersTest, FileExtensionsReportsEmptyClassesAndOrphanedUserRecords) {
  const std::string dot = "." + token;
  const auto classKey = [&](const std::string& name) {
    OwnKey(kHklm, kClasses + "\\" + name);
    MakeKey(kHklm, kClasses + "\\" + name);
    return kClasses + "\\" + name;
  };
  Put(kHklm, classKey(dot + "a"), "", Sz(""));
  Put(kHklm, classKey(dot + "b"), "", Sz("foofile"));
  Put(kHklm, classKey(dot + "d"), "", Sz(""));
  Put(kHklm, kClasses + "\\" + dot + "d", "Content Type", Sz(""));
  Put(kHklm, classKey(dot + "e"), "", Sz(""));
  MakeKey(kHklm, kClasses + "\\" + dot + "e\\ShellNew");
  Put(kHklm, classKey(dot + "f"), "", test::Dword(0));  // skipped, the next still examined
  Put(kHklm, classKey(dot + "g"), "", ExpandSz(""));
  classKey(dot + "h");                                 // no default value at all: skipped
  Put(kHklm, classKey(token + "c.file"), "", Sz(""));  // a programmatic identifier
  // Per-user records: .x has no class, .y has one.
  OwnKey(kHkcr, dot + "y");
  Put(kHkcr, dot + "y", "", Sz("yfile"));
  for (const char* ext : {"x", "y"}) {
    OwnKey(RootKey::kCurrentUser, kFileExts + "\\" + dot + ext);
    Put(RootKey::kCurrentUser, kFileExts + "\\" + dot + ext + "\\OpenWithList", "a",
        Sz("notepad.exe"));
  }

  const std::string problem = "Unused File Extension";
  const std::string classes = "HKEY_LOCAL_MACHINE\\" + kClasses;
  EXPECT_EQ(Scan({12}),
            (std::vector<IssueRow>{
                Row(problem, classes, dot + "a", RowKind::kSubkeyNamed),
                Row(problem, classes, dot + "g", RowKind::kSubkeyNamed),
                Row(problem, classes, token + "c.file", RowKind::kSubkeyNamed),
                Row(problem, "HKEY_CURRENT_USER\\" + kFileExts, dot + "x", RowKind::kSubkeyNamed),
            }));
  EXPECT_TRUE(ShownKey(kClasses + "\\" + dot + "h"));
  EXPECT_TRUE(ShownKey(kFileExts + "\\" + dot + "y"));
  EXPECT_EQ(events.log, (std::vector<std::string>{"begin", "status:Scanning File Extensions...",
                                                  "end", "close"}));
}

TEST_F(ClassScannersTest, ClassKeyExistsAsksOnlyWhetherTheKeyIsThere) {
  OwnKey(kHkcr, "." + token);
  MakeKey(kHkcr, "." + token + "\\sub");
  Platform platform = env.Get();
  std::atomic<bool> stop{false};
  ScanContext context(platform, results, events, "c", stop);
  EXPECT_TRUE(ClassKeyExists(context, kHkcr, "." + token));
  EXPECT_TRUE(ClassKeyExists(context, kHkcr, "." + UpperAscii(token) + "\\SUB"));
  EXPECT_FALSE(ClassKeyExists(context, kHkcr, "." + token + "x"));
}

TEST_F(ClassScannersTest, CustomControlsWalksEveryKeyBelowClsidOneOpenKeyPerLevel) {
  env.WriteFile(dir + "\\Srv\\there.exe");
  test::SetVariable(env, "KELVANE_TEST_DIR", dir);
  const std::string gone = dir + "\\Srv\\" + token + "gone.dll";
  const std::string c1 = "CLSID\\{" + token + "-1}";
  const std::string c2 = "CLSID\\{" + token + "-2}";
  const std::string c3 = "CLSID\\{" + token + "-3}";
  for (const std::string& c : {c1, c2, c3})
    OwnKey(kHkcr, c);
  Put(kHkcr, c1, "", Sz("Some Control"));
  Put(kHkcr, c1 + "\\InprocServer32", "", Sz(gone));
  Put(kHkcr, c1 + "\\InprocServer32", "ThreadingModel", Sz("Apartment"));
  Put(kHkcr, c1 + "\\LocalServer32", "", Sz("\"" + dir + "\\Srv\\there.exe\" -Embedding"));
  // A chain eleven keys deep below the class key.
  std::string chain = c2;
  std::vector<std::string> levels;
  for (int i = 1; i <= 11; ++i) {
    chain += "\\L" + std::string(i < 10 ? "0" : "") + std::to_string(i);
    levels.push_back(chain);
  }
  MakeKey(kHkcr, chain);
  Put(kHkcr, levels[1], "", Sz(token + "bare.dll"));  // a bare name is never judged
  Put(kHkcr, levels[4], "", Sz(gone + ",5"));
  Put(kHkcr, levels[10], "", Sz(gone));
  Put(kHkcr, c3 + "\\InprocServer32", "", ExpandSz("%KELVANE_TEST_DIR%\\Srv\\gone3.dll"));
  Put(kHkcr, c3 + "\\InprocServer32\\x", "", Sz("D:\\gone.dll"));

  test::WatchingBackend counting(env.Registry());
  Platform real = env.Get();
  Platform platform{counting, real.files, real.shell, real.system, real.profile, real.processes};
  ScanTask task(platform, results, events, {*FindCategory(13)}, "c");
  task.Execute();

  const std::string problem = "Custom Controls Issue";
  const std::string root = "HKEY_CLASSES_ROOT\\";
  EXPECT_EQ(Mine(), (std::vector<IssueRow>{
                        Row(problem, root + c1 + "\\InprocServer32", gone, RowKind::kKey),
                        Row(problem, root + levels[4], gone + ",5", RowKind::kKey),
                        Row(problem, root + levels[10], gone, RowKind::kKey),
                        Row(problem, root + c3 + "\\InprocServer32",
                            "%KELVANE_TEST_DIR%\\Srv\\gone3.dll", RowKind::kKey),
                    }));
  EXPECT_TRUE(ShownKey(levels[10]));
  EXPECT_TRUE(ShownKey("CLSID"));
  // CLSID itself, the class key and its eleven levels: thirteen keys, never more.
  EXPECT_EQ(counting.maxOpen, 13);
  EXPECT_EQ(counting.open, 0);
  EXPECT_EQ(events.log[1], "status:Scanning Custom Controls...");
}

TEST_F(ClassScannersTest, ClassKeyWalkStartsAnywhereUnderAFullRootName) {
  const std::string base = "Software\\KelvaneTests\\" + token;
  OwnKey(RootKey::kCurrentUser, base);
  Put(RootKey::kCurrentUser, base + "\\a", "", Sz(dir + "\\" + token + ".dll"));
  Platform platform = env.Get();
  std::atomic<bool> stop{false};
  ScanContext context(platform, results, events, "c", stop);
  ScanClassKey(context, "HKCU", base + "\\", "a");
  ScanClassKey(context, "HKEY_CURRENT_USER", base + "\\", "missing");
  context.FlushRows();
  EXPECT_TRUE(Mine().empty());
  ScanClassKey(context, "hkey_current_user", base + "\\", "a");
  ScanClassKey(context, "HKEY_CURRENT_USER", base, "");
  context.FlushRows();
  const IssueRow row = Row("Custom Controls Issue", "HKEY_CURRENT_USER\\" + base + "\\a",
                           dir + "\\" + token + ".dll", RowKind::kKey);
  EXPECT_EQ(Mine(), (std::vector<IssueRow>{row, row}));
}

// The demo (scripts/demo.reg) seeds File Extensions entries that the rule reports.
TEST_F(ClassScannersTest, TheDemosFileExtensionEntriesAreReported) {
  const RegReadResult demo = ReadRegText(kDemoReg);
  ASSERT_TRUE(demo.file) << demo.error;
  std::vector<std::string> expected;
  for (const RegFileKey& key : demo.file->keys) {
    const bool classKey = key.root == kHklm && key.path.rfind("SOFTWARE\\Classes\\", 0) == 0;
    const bool userRecord = key.root == RootKey::kCurrentUser && key.path.rfind(kFileExts, 0) == 0;
    if (!classKey && !userRecord)
      continue;
    // The demo's class key and the user record's extension key (its first level).
    const size_t base = (classKey ? kClasses : kFileExts).size() + 1;
    const std::string name = key.path.substr(base, key.path.find('\\', base) - base);
    OwnKey(key.root, key.path.substr(0, base + name.size()));
    for (const RegFileValue& value : key.values)
      Put(key.root, key.path, value.name, *value.value);
    expected.push_back(name);
  }
  ASSERT_EQ(expected.size(), 2u);
  std::vector<std::string> found;
  Run(&ScanFileExtensions);
  for (const IssueRow& row : results.Rows()) {  // the demo's names hold no test token
    if (std::find(expected.begin(), expected.end(), row.value) != expected.end())
      found.push_back(row.value);
  }
  EXPECT_EQ(found, expected);
}

}  // namespace
}  // namespace kelvane
