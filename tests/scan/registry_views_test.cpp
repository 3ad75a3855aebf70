// The two registry views of 64-bit Windows: where a key's 32-bit twin lies, which
// twins are keys of their own, and skip lists that hold in both views. Natively the
// in-memory registry plays 64-bit Windows (with the links by which Windows shares
// keys between the views); under Wine the 64-bit prefix is the real thing.
#include "scan/registry_views.h"

#include "scan/scan_fixture.h"

namespace kelvane {
namespace {

TEST(Wow64Twin, NamesTheThirtyTwoBitKeyAsTheSixtyFourBitViewShowsIt) {
  const struct {
    int line;
    RootKey root;
    const char* path;
    const char* twin;  // nullptr: none
  } cases[] = {
      {__LINE__, RootKey::kLocalMachine, "Software\\Microsoft\\Windows\\CurrentVersion\\Run",
       "Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Run"},
      {__LINE__, RootKey::kLocalMachine, "SOFTWARE", "SOFTWARE\\Wow6432Node"},
      {__LINE__, RootKey::kLocalMachine, "Software\\Classes\\Applications",
       "Software\\Classes\\Wow6432Node\\Applications"},
      {__LINE__, RootKey::kLocalMachine, "software\\classes", "software\\classes\\Wow6432Node"},
      {__LINE__, RootKey::kLocalMachine, "Software\\ClassesX", "Software\\Wow6432Node\\ClassesX"},
      {__LINE__, RootKey::kClassesRoot, "CLSID", "Wow6432Node\\CLSID"},
      {__LINE__, RootKey::kLocalMachine, "SoftwareX\\a", nullptr},
      {__LINE__, RootKey::kLocalMachine, "SYSTEM\\CurrentControlSet\\Services", nullptr},
      {__LINE__, RootKey::kLocalMachine, "Software\\WOW6432NODE\\Microsoft", nullptr},
      {__LINE__, RootKey::kClassesRoot, "Wow6432Node\\CLSID", nullptr},
      {__LINE__, RootKey::kCurrentUser, "Software\\Microsoft\\Windows\\CurrentVersion\\Run",
       nullptr},
      {__LINE__, RootKey::kClassesRoot, "", nullptr},
  };
  for (const auto& c : cases) {
    const auto twin = Wow64Twin(c.root, c.path);
    if (c.twin)
      EXPECT_EQ(twin, std::optional<std::string>(c.twin)) << "line " << c.line;
    else
      EXPECT_EQ(twin, std::nullopt) << "line " << c.line;
  }
}

TEST(Wow64Twin, SkipListsHoldInBothViews) {
  const struct {
    int line;
    const char* path;
    const char* listed;
    bool match;
  } cases[] = {
      {__LINE__, "Software\\Microsoft\\Windows\\CurrentVersion\\Run",
       "Software\\Microsoft\\Windows\\CurrentVersion\\Run", true},
      {__LINE__, "SOFTWARE\\WOW6432NODE\\Microsoft\\Windows\\CurrentVersion\\Run",
       "Software\\Microsoft\\Windows\\CurrentVersion\\Run", true},
      {__LINE__, "Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Run\\x",
       "Software\\Microsoft\\Windows\\CurrentVersion\\Run", false},
      {__LINE__, "Software\\Classes\\Wow6432Node\\CLSID", "SOFTWARE\\Classes\\CLSID", true},
      {__LINE__, "Software\\Wow6432Node\\Classes\\CLSID", "SOFTWARE\\Classes\\CLSID", true},
      {__LINE__, "Software\\Wow6432Node\\Classes", "SOFTWARE\\Classes\\CLSID", false},
      {__LINE__, "Software\\Wow6432Node\\Microsoft\\Windows\\Help",
       "Software\\Microsoft\\Windows\\Html Help", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(MatchesInEitherView(RootKey::kLocalMachine, c.path, c.listed), c.match)
        << "line " << c.line;
  }
}

class KeyViewsTest : public test::ScannerTest {
 protected:
  void SetUp() override {
#ifndef _WIN32
    env.Native().system.SetIs64BitWindows(true);
#endif
  }
  std::vector<std::string> Views(RootKey root, const std::string& path) {
    const Platform platform = env.Get();
    std::atomic<bool> stop{false};
    ScanContext context(platform, results, events, "c", stop);
    return KeyViews(context, root, path);
  }
  const std::string own = "Software\\KelvaneTests\\" + token;
  const std::string twin = "Software\\Wow6432Node\\KelvaneTests\\" + token;
};

TEST_F(KeyViewsTest, ATwinOfItsOwnIsExaminedAfterTheKey) {
  OwnKey(RootKey::kLocalMachine, own);
  OwnKey(RootKey::kLocalMachine, twin);
  MakeKey(RootKey::kLocalMachine, own);
  EXPECT_EQ(Views(RootKey::kLocalMachine, own), std::vector<std::string>{own});
  MakeKey(RootKey::kLocalMachine, twin);
  EXPECT_EQ(Views(RootKey::kLocalMachine, own), (std::vector<std::string>{own, twin}));
  Registry registry(env.Registry());
  registry.SetRoot(RootKey::kLocalMachine);
  ASSERT_TRUE(registry.DeleteKey("\\" + own));
  EXPECT_EQ(Views(RootKey::kLocalMachine, own), std::vector<std::string>{twin});
}

// Windows shares App Paths between the views: the 32-bit path leads to the same key.
TEST_F(KeyViewsTest, AKeyBothViewsShareIsExaminedOnce) {
  const std::string appPaths = "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths";
#ifndef _WIN32
  env.Native().registry.Link(RootKey::kLocalMachine,
                             "Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\App Paths",
                             RootKey::kLocalMachine, appPaths);
#endif
  EXPECT_EQ(Views(RootKey::kLocalMachine, appPaths), std::vector<std::string>{appPaths});
}

}  // namespace
}  // namespace kelvane
