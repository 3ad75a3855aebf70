// Obsolete Software, Windows Services and Applications, on both backends.
#include "scan/scan_fixture.h"
#include "scan/scanners.h"

namespace kelvane {
namespace {

using test::ExpandSz;
using test::Row;
using test::Sz;

constexpr const char* kServicesKey = "SYSTEM\\CurrentControlSet\\Services";
constexpr const char* kApplicationsKey = "Software\\Classes\\Applications";

class ObsoleteSoftwareTest : public test::ScannerTest {
 protected:
  void Vendor(RootKey root, const std::string& suffix) {
    OwnKey(root, "Software\\" + token + suffix);
  }
  void SetUp() override {
    const RootKey cu = RootKey::kCurrentUser;
    const std::string base = "Software\\" + token;
    // a: a chain of single subkeys without values.
    Vendor(cu, "a");
    MakeKey(cu, base + "a\\x\\y");
    // b: the same chain with one value at its end.
    Vendor(cu, "b");
    Put(cu, base + "b\\x\\y", "v", test::Dword(1));
    // c: two empty subkeys.
    Vendor(cu, "c");
    MakeKey(cu, base + "c\\x");
    MakeKey(cu, base + "c\\y");
    // d: only an empty default text, which counts as a value here.
    Vendor(cu, "d");
    Put(cu, base + "d", "", Sz(""));
    // e: empty, but it cannot be opened in the refusing run.
    Vendor(cu, "e");
    MakeKey(cu, base + "e");
    // f: an empty key.
    Vendor(cu, "f");
    MakeKey(cu, base + "f");
    // g: two empty subkeys one level down the chain.
    Vendor(cu, "g");
    MakeKey(cu, base + "g\\x\\p");
    MakeKey(cu, base + "g\\x\\q");
    Vendor(RootKey::kLocalMachine, "h");
    MakeKey(RootKey::kLocalMachine, base + "h");
  }
  IssueRow Obsolete(const std::string& root, const std::string& suffix) {
    return Row("Obsolete Software Key", root + "\\Software", token + suffix, RowKind::kSubkeyNamed);
  }
};

TEST_F(ObsoleteSoftwareTest, ReportsVendorKeysWithNothingInThem) {
  EXPECT_EQ(Scan({14}), (std::vector<IssueRow>{
                            Obsolete("HKEY_CURRENT_USER", "a"),
                            Obsolete("HKEY_CURRENT_USER", "e"),
                            Obsolete("HKEY_CURRENT_USER", "f"),
                            Obsolete("HKEY_LOCAL_MACHINE", "h"),
                        }));
  EXPECT_EQ(events.statuses, (std::vector<std::string>{"Scanning Software Locations..."}));
  EXPECT_TRUE(ShownKey("Software\\" + token + "b"));
}

TEST_F(ObsoleteSoftwareTest, AVendorKeyThatCannotBeOpenedIsNotCalledEmpty) {
  test::RefusingRegistry refusing(env.Registry());
  refusing.Refuse("Software\\" + token + "e");
  const auto rows = Run(&ScanObsoleteSoftware, &refusing);
  EXPECT_EQ(rows, (std::vector<IssueRow>{
                      Obsolete("HKEY_CURRENT_USER", "a"),
                      Obsolete("HKEY_CURRENT_USER", "f"),
                      Obsolete("HKEY_LOCAL_MACHINE", "h"),
                  }));
}

TEST_F(ObsoleteSoftwareTest, UnknownRootOrMissingKeyGivesNothing) {
  EXPECT_TRUE(Run([](ScanContext& c) {
                ScanSoftwareKey(c, "HKCU", "Software");
                ScanSoftwareKey(c, "hkey_current_user", "Software\\missing-kelvane-key");
              }).empty());
}

using ServicesTest = test::ScannerTest;

TEST_F(ServicesTest, ReportsServicesWhoseImagePathIsMissing) {
  const RootKey lm = RootKey::kLocalMachine;
  env.WriteFile(dir + "\\present.exe");
  const std::string base = std::string(kServicesKey) + "\\" + token;
  for (const char* suffix : {"a", "b", "c", "d", "e"})
    OwnKey(lm, base + suffix);
  Put(lm, base + "a", "ImagePath", Sz(dir + "\\gone.exe -k netsvcs"));
  Put(lm, base + "b", "ImagePath", ExpandSz(dir + "\\present.exe"));
  Put(lm, base + "c", "ImagePath", test::Dword(3));
  Put(lm, base + "d", "Start", test::Dword(3));
  Put(lm, base + "e", "ImagePath", Sz(dir));
  EXPECT_EQ(Scan({15}), (std::vector<IssueRow>{Row(
                            "Windows Service Issue", "HKEY_LOCAL_MACHINE\\" + base + "a\\ImagePath",
                            dir + "\\gone.exe -k netsvcs", RowKind::kValueInPath)}));
  EXPECT_EQ(events.statuses, (std::vector<std::string>{"Scanning Windows Services..."}));
  EXPECT_TRUE(ShownKey(base + "d"));
}

class ApplicationsTest : public test::ScannerTest {
 protected:
  void SetUp() override {
    const RootKey lm = RootKey::kLocalMachine;
    env.WriteFile(dir + "\\present.exe");
    for (const char* app : {"a.exe", "b.exe", "c.exe"})
      OwnKey(lm, App(app));
    Put(lm, App("a.exe") + "\\shell\\open\\command", "", Sz("\"" + dir + "\\present.exe\" \"%1\""));
    Put(lm, App("a.exe") + "\\shell\\print\\command", "", Sz(dir + "\\gone.exe /p"));
    Put(lm, App("b.exe") + "\\shell\\edit\\command", "", Sz(dir + "\\gone2.exe"));
    Put(lm, App("b.exe") + "\\shell\\edit\\sub\\command", "", ExpandSz(dir + "\\gone3.exe"));
    Put(lm, App("b.exe") + "\\shell\\empty\\command", "", Sz(""));
    Put(lm, App("c.exe") + "\\shell\\open\\command", "x", Sz(dir + "\\gone4.exe"));
  }
  std::string App(const std::string& name) const {
    return std::string(kApplicationsKey) + "\\" + token + name;
  }
  IssueRow Open(const std::string& holder, const std::string& command) const {
    return Row("Open with Application Issue", "HKEY_LOCAL_MACHINE\\" + holder + "\\command",
               command, RowKind::kDefaultValue);
  }
};

TEST_F(ApplicationsTest, EveryCommandHolderIsJudgedOnceInDepthFirstOrder) {
  EXPECT_EQ(Scan({22}), (std::vector<IssueRow>{
                            Open(App("a.exe") + "\\shell\\print", dir + "\\gone.exe /p"),
                            Open(App("b.exe") + "\\shell\\edit", dir + "\\gone2.exe"),
                            Open(App("b.exe") + "\\shell\\edit\\sub", dir + "\\gone3.exe"),
                        }));
  EXPECT_TRUE(events.statuses.empty());  // the previous category's text stays
  EXPECT_TRUE(ShownKey(App("c.exe")));
}

TEST_F(ApplicationsTest, FindNextCommandWalksFromHolderToHolderAndEndsWithAnEmptyHolder) {
  std::vector<std::pair<std::string, std::string>> found;
  Run([&](ScanContext& c) {
    std::string holder, command;
    for (const char* app : {"b.exe", "c.exe", "a.exe"}) {
      do {
        FindNextCommand(c, RootKey::kLocalMachine, App(app), holder, command);
        found.emplace_back(holder, command);
      } while (!command.empty());
    }
  });
  EXPECT_EQ(found, (std::vector<std::pair<std::string, std::string>>{
                       {App("b.exe") + "\\shell\\edit", dir + "\\gone2.exe"},
                       {App("b.exe") + "\\shell\\edit\\sub", dir + "\\gone3.exe"},
                       {"", ""},
                       {"", ""},
                       {App("a.exe") + "\\shell\\open", "\"" + dir + "\\present.exe\" \"%1\""},
                       {App("a.exe") + "\\shell\\print", dir + "\\gone.exe /p"},
                       {"", ""},
                   }));
}

}  // namespace
}  // namespace kelvane
