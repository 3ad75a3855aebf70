// On 64-bit Windows every category that reads fixed keys examines them in both
// registry views: stale entries seeded in the 64-bit key and in its 32-bit twin (the
// Wow6432Node path) are each reported under the path of their own key, repaired
// there, and brought back by importing the backup. Keys that Windows shares between
// the views are examined once. Under Wine the 64-bit prefix has the real views (and
// shares App Paths, TypeLib and the Explorer's drive icons through links); natively
// the in-memory registry is given the same links.
#include <algorithm>
#include <functional>

#include "options/settings.h"
#include "backup/backup_fixture.h"
#include "backup/repair.h"
#include "scan/registry_views.h"
#include "scan/scan_fixture.h"

namespace kelvane {
namespace {

using test::Row;
using test::Sz;

constexpr RootKey kHklm = RootKey::kLocalMachine;
constexpr RootKey kHkcr = RootKey::kClassesRoot;
constexpr const char* kAppPaths = "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths";
constexpr const char* kDriveIcons =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\DriveIcons";

class Prompts : public RepairPrompts {
 public:
  bool ConfirmCreateBackupFolder(const std::string&) override { return true; }
  bool MakeRestorePoint() override { return true; }
  void RowsProcessed() override {}
  void ShowRepairHint(size_t) override {}
  Recheck ScanAgain(std::vector<IssueRow>&) override { return Recheck::kSkipped; }
};

class BothViewsTest : public test::ScannerTest {
 protected:
  void SetUp() override {
#ifndef _WIN32
    auto& native = env.Native();
    native.system.SetIs64BitWindows(true);
    // The keys a 64-bit Wine prefix shares between the views, linked as there.
    for (const auto& [root, path] :
         {std::pair{kHklm, std::string(kAppPaths)}, std::pair{kHklm, std::string(kDriveIcons)},
          std::pair{kHkcr, std::string("TypeLib")}}) {
      native.registry.Link(root, *Wow64Twin(root, path), root, path);
    }
#endif
  }

  // One category's stale entry, seeded in a view (`tag` tells the two entries apart).
  struct Case {
    int line;
    int id;
    RootKey root;
    std::string key;  // the fixed key, as the 64-bit view names it
    bool shared;      // one key for both views
    std::function<void(const std::string& view, const std::string& tag)> seed;
    std::function<IssueRow(const std::string& view, const std::string& tag)> row;
    // The registry path (below the root) and value name whose presence shows the entry.
    std::function<std::pair<std::string, std::optional<std::string>>(const std::string& view,
                                                                     const std::string& tag)>
        entry;
  };

  bool Present(RootKey root, const std::pair<std::string, std::optional<std::string>>& entry) {
    Registry registry(env.Registry(), KeyAccess::kRead);
    registry.SetRoot(root);
    if (!registry.OpenKey("\\" + entry.first, false))
      return false;
    return !entry.second || registry.ValueExists(*entry.second);
  }

  std::string Gone(const std::string& tag) const {
    return dir + "\\" + token + tag + ".exe";
  }

  std::vector<Case> Cases() {
    const auto hklm = [](const std::string& path) { return "HKEY_LOCAL_MACHINE\\" + path; };
    const auto hkcr = [](const std::string& path) { return "HKEY_CLASSES_ROOT\\" + path; };
    return {
        {__LINE__, 6, kHklm, kAppPaths, true,
         [&](const std::string& v, const std::string& t) {
           Put(kHklm, v + "\\" + token + t + ".exe", "", Sz(Gone(t)));
           OwnKey(kHklm, v + "\\" + token + t + ".exe");
         },
         [&](const std::string& v, const std::string& t) {
           return Row("Software Locations Issue", hklm(v + "\\" + token + t + ".exe"), Gone(t),
                      RowKind::kKey);
         },
         [&](const std::string& v, const std::string& t) {
           return std::pair{v + "\\" + token + t + ".exe", std::optional<std::string>()};
         }},
        {__LINE__, 8, kHklm, "Software\\Microsoft\\Windows\\Help", false,
         [&](const std::string& v, const std::string& t) {
           PutOwnValue(kHklm, v, token + t + ".hlp", Sz(dir));
         },
         [&](const std::string& v, const std::string& t) {
           return Row("Invalid Help Files", hklm(v + "\\" + token + t + ".hlp"),
                      dir + "\\" + token + t + ".hlp", RowKind::kValueInPath);
         },
         [&](const std::string& v, const std::string& t) {
           return std::pair{v, std::optional<std::string>(token + t + ".hlp")};
         }},
        {__LINE__, 9, kHklm, "Software\\Microsoft\\Windows\\CurrentVersion\\SharedDlls", false,
         [&](const std::string& v, const std::string& t) {
           PutOwnValue(kHklm, v, Gone(t), test::Dword(1));
         },
         [&](const std::string& v, const std::string& t) {
           return Row("Missing Shared Dlls", hklm(v), Gone(t), RowKind::kValueNamed);
         },
         [&](const std::string& v, const std::string& t) {
           return std::pair{v, std::optional<std::string>(Gone(t))};
         }},
        {__LINE__, 10, kHklm, "Software\\Microsoft\\Windows\\CurrentVersion\\Run", false,
         [&](const std::string& v, const std::string& t) {
           PutOwnValue(kHklm, v, token + t, Sz(Gone(t)));
         },
         [&](const std::string& v, const std::string& t) {
           return Row("Missing Startup Programs", hklm(v + "\\" + token + t), Gone(t),
                      RowKind::kValueInPath);
         },
         [&](const std::string& v, const std::string& t) {
           return std::pair{v, std::optional<std::string>(token + t)};
         }},
        {__LINE__, 11, kHklm, "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall", false,
         [&](const std::string& v, const std::string& t) {
           OwnKey(kHklm, v + "\\" + token + t);
           MakeKey(kHklm, v + "\\" + token + t);
         },
         [&](const std::string& v, const std::string& t) {
           return Row("Add/Remove Programs Issue", hklm(v), token + t, RowKind::kSubkeyNamed);
         },
         [&](const std::string& v, const std::string& t) {
           return std::pair{v + "\\" + token + t, std::optional<std::string>()};
         }},
        {__LINE__, 12, kHklm, "Software\\Classes", false,
         [&](const std::string& v, const std::string& t) {
           OwnKey(kHklm, v + "\\." + token + t);
           Put(kHklm, v + "\\." + token + t, "", Sz(""));
         },
         [&](const std::string& v, const std::string& t) {
           return Row("Unused File Extension", hklm(v), "." + token + t, RowKind::kSubkeyNamed);
         },
         [&](const std::string& v, const std::string& t) {
           return std::pair{v + "\\." + token + t, std::optional<std::string>()};
         }},
        {__LINE__, 13, kHkcr, "CLSID", false,
         [&](const std::string& v, const std::string& t) {
           OwnKey(kHkcr, v + "\\{" + token + t + "}");
           Put(kHkcr, v + "\\{" + token + t + "}\\InprocServer32", "", Sz(Gone(t)));
         },
         [&](const std::string& v, const std::string& t) {
           return Row("Custom Controls Issue", hkcr(v + "\\{" + token + t + "}\\InprocServer32"),
                      Gone(t), RowKind::kKey);
         },
         [&](const std::string& v, const std::string& t) {
           return std::pair{v + "\\{" + token + t + "}\\InprocServer32",
                            std::optional<std::string>()};
         }},
        {__LINE__, 14, kHklm, "Software", false,
         [&](const std::string& v, const std::string& t) {
           OwnKey(kHklm, v + "\\" + token + t);
           MakeKey(kHklm, v + "\\" + token + t + "\\Only");
         },
         [&](const std::string& v, const std::string& t) {
           return Row("Obsolete Software Key", hklm(v), token + t, RowKind::kSubkeyNamed);
         },
         [&](const std::string& v, const std::string& t) {
           return std::pair{v + "\\" + token + t, std::optional<std::string>()};
         }},
        {__LINE__, 19, kHkcr, "TypeLib", true,
         [&](const std::string& v, const std::string& t) {
           OwnKey(kHkcr, v + "\\{" + token + t + "}");
           Put(kHkcr, v + "\\{" + token + t + "}\\1.0\\0\\win32", "", Sz(Gone(t) + ".dll"));
         },
         [&](const std::string& v, const std::string& t) {
           return Row("ActiveX Issue", hkcr(v + "\\{" + token + t + "}\\1.0\\0\\win32\\"),
                      Gone(t) + ".dll", RowKind::kValueInPath);
         },
         [&](const std::string& v, const std::string& t) {
           return std::pair{v + "\\{" + token + t + "}\\1.0\\0\\win32",
                            std::optional<std::string>("")};
         }},
        {__LINE__, 21, kHklm, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Installer\\Folders",
         false,
         [&](const std::string& v, const std::string& t) {
           PutOwnValue(kHklm, v, dir + "\\" + token + t + "\\", Sz(""));
         },
         [&](const std::string& v, const std::string& t) {
           return Row("Installer Refrence Issue", hklm(v), dir + "\\" + token + t + "\\",
                      RowKind::kValueNamed);
         },
         [&](const std::string& v, const std::string& t) {
           return std::pair{v, std::optional<std::string>(dir + "\\" + token + t + "\\")};
         }},
        {__LINE__, 22, kHklm, "Software\\Classes\\Applications", false,
         [&](const std::string& v, const std::string& t) {
           OwnKey(kHklm, v + "\\" + token + t + ".exe");
           Put(kHklm, v + "\\" + token + t + ".exe\\shell\\open\\command", "",
               Sz("\"" + Gone(t) + "\" \"%1\""));
         },
         [&](const std::string& v, const std::string& t) {
           return Row("Open with Application Issue",
                      hklm(v + "\\" + token + t + ".exe\\shell\\open\\command"),
                      "\"" + Gone(t) + "\" \"%1\"", RowKind::kDefaultValue);
         },
         [&](const std::string& v, const std::string& t) {
           return std::pair{v + "\\" + token + t + ".exe\\shell\\open\\command",
                            std::optional<std::string>("")};
         }},
    };
  }

  // Keeps this test's rows only, ticked, and repairs them.
  RepairOutcome RepairMine() {
    const std::vector<IssueRow> mine = Mine();
    results.Clear();
    for (IssueRow row : mine) {
      row.ticked = true;
      results.AppendBatch({row});
    }
    RepairSettings settings;
    settings.OutputDirectory = dir + "\\Backup";
    settings.ShowHint = false;
    env.MakeFolder(settings.OutputDirectory);
    Platform platform = env.Get();
    Prompts prompts;
    return RepairTickedRows(platform, results, settings, prompts);
  }
};

TEST_F(BothViewsTest, EachFixedKeyCategoryReportsRepairsAndRestoresBothViews) {
  for (const Case& c : Cases()) {
    SCOPED_TRACE("category " + std::to_string(c.id) + ", line " + std::to_string(c.line));
    const std::string twin = *Wow64Twin(c.root, c.key);
    c.seed(c.key, "64");
    c.seed(twin, "32");
    results.Clear();
    std::vector<IssueRow> rows = Scan({c.id});
    if (c.shared) {
      // One key holds both entries, in the registry's order, each once and under its
      // 64-bit path.
      std::vector<IssueRow> expected{c.row(c.key, "32"), c.row(c.key, "64")};
      std::sort(rows.begin(), rows.end(),
                [](const IssueRow& a, const IssueRow& b) { return a.key < b.key; });
      EXPECT_EQ(rows, expected);
    } else {
      // The 64-bit view first, then the 32-bit one under its own path.
      EXPECT_EQ(rows, (std::vector<IssueRow>{c.row(c.key, "64"), c.row(twin, "32")}));
    }

    const RepairOutcome outcome = RepairMine();
    ASSERT_TRUE(outcome.finished) << outcome.error;
    EXPECT_FALSE(Present(c.root, c.entry(c.key, "64")));
    EXPECT_FALSE(Present(c.root, c.entry(twin, "32")));
#ifdef _WIN32
    ASSERT_EQ(test::ImportWithRegedit(outcome.backupFile), 0u);
    EXPECT_TRUE(Present(c.root, c.entry(c.key, "64")));
    EXPECT_TRUE(Present(c.root, c.entry(twin, "32")));
#endif
    results.Clear();
  }
}

// Files and Folders of HKEY_LOCAL_MACHINE walks the 32-bit view below Software's
// Wow6432Node key: its skip list holds there too, and a key both views share is
// examined once, under its 64-bit path.
TEST_F(BothViewsTest, FilesAndFoldersSkipsMirroredKeysAndWalksSharedKeysOnce) {
  const std::string run = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
  const std::string own = "Software\\KelvaneTests\\" + token;
  PutOwnValue(kHklm, *Wow64Twin(kHklm, run), token, Sz(Gone("run")));
  OwnKey(kHklm, own);
  OwnKey(kHklm, *Wow64Twin(kHklm, own));
  Put(kHklm, own, "v", Sz(Gone("64")));
  Put(kHklm, *Wow64Twin(kHklm, own), "v", Sz(Gone("32")));
  OwnKey(kHklm, std::string(kDriveIcons) + "\\" + token);
  Put(kHklm, std::string(kDriveIcons) + "\\" + token, "", Sz(Gone("icon")));

  // Which key the walk meets first is the registry's order: compare in one order.
  const auto sorted = [](std::vector<IssueRow> rows) {
    std::sort(rows.begin(), rows.end(),
              [](const IssueRow& a, const IssueRow& b) { return a.key < b.key; });
    return rows;
  };
  EXPECT_EQ(
      sorted(Scan({3})),
      sorted({
          Row("Invalid File or Folder",
              "HKEY_LOCAL_MACHINE\\" + std::string(kDriveIcons) + "\\" + token + "\\", Gone("icon"),
              RowKind::kValueInPath),
          Row("Invalid File or Folder", "HKEY_LOCAL_MACHINE\\" + own + "\\v", Gone("64"),
              RowKind::kValueInPath),
          Row("Invalid File or Folder", "HKEY_LOCAL_MACHINE\\" + *Wow64Twin(kHklm, own) + "\\v",
              Gone("32"), RowKind::kValueInPath),
      }));
}

// A 64-bit Wine prefix keeps "Software\Wow6432Node\Wine" with nothing in it but a link to
// the 64-bit "Wine\Ports", and shares "Software\Policies" between the views through a
// link; natively the in-memory registry is given the same shape.
// Deleting through such a link would delete the 64-bit key it leads to, so a key that
// holds one is neither called empty nor deleted.
TEST_F(BothViewsTest, AKeyHoldingALinkToTheOtherViewIsNeitherReportedNorDeleted) {
#ifndef _WIN32
  env.Native().registry.PutString(kHklm, "Software\\Wine", "Version", "wine-8.0");
  env.Native().registry.Link(kHklm, "Software\\Wow6432Node\\Wine\\Ports", kHklm,
                             "Software\\Wine\\Ports");
  env.Native().registry.Link(kHklm, "Software\\Wow6432Node\\Policies", kHklm, "Software\\Policies");
#endif
  for (const IssueRow& row : Scan({14})) {
    if (row.key != "HKEY_LOCAL_MACHINE\\Software\\Wow6432Node")
      continue;
    EXPECT_NE(row.value, "Wine") << "the 32-bit view's Wine key holds a shared key";
    EXPECT_NE(row.value, "Policies") << "a shared vendor key is examined under its 64-bit name";
  }

  const std::string shared = std::string(kDriveIcons) + "\\" + token;
  OwnKey(kHklm, shared);
  Put(kHklm, shared, "", Sz("kept"));
  Registry registry(env.Registry(), KeyAccess::kFull);
  registry.SetRoot(kHklm);
  for (const std::string& path :
       {*Wow64Twin(kHklm, kDriveIcons), std::string("Software\\Wow6432Node\\Microsoft\\Windows\\"
                                                    "CurrentVersion\\Explorer")}) {
    SCOPED_TRACE(path);
    EXPECT_FALSE(registry.DeleteKey("\\" + path));
    EXPECT_TRUE(Present(kHklm, {shared, std::string()}));
  }
}

}  // namespace
}  // namespace kelvane
