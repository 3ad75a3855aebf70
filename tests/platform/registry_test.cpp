// The registry handle against the in-memory registry natively and the real
// registry under Wine: the same expectations hold on both.
#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

#include "platform/counted_calls.h"
#include "platform/text_codec.h"
#include "test_env.h"

namespace kelvane {
namespace {

using test::ScratchKey;
using test::Sz;

// Every UTF-16 text converts to UTF-8 and back to itself, half a surrogate pair
// included, so that no name reaches the system as another; only text with an exact
// ANSI form has one (the portable layer's code page is Windows-1252, as Wine's).
TEST(TextCodec, EveryUtf16TextComesBackAndOnlyExactTextIsAnsi) {
  struct Case {
    int line;
    std::u16string wide;
    std::string utf8;
    std::optional<std::string> ansi;
  };
  const Case cases[] = {
      {__LINE__, u"C:\\a.exe", "C:\\a.exe", "C:\\a.exe"},
      {__LINE__, std::u16string(u"one\0two", 7), std::string("one\0two", 7),
       std::string("one\0two", 7)},
      {__LINE__, u"caf\u00E9 \u20AC", "caf\xC3\xA9 \xE2\x82\xAC", "caf\xE9 \x80"},
      {__LINE__, u"\u03A9mega", "\xCE\xA9mega", std::nullopt},  // not "Omega"
      {__LINE__, u"\u0416", "\xD0\x96", std::nullopt},
      {__LINE__, u"\u5DE5\u5177", "\xE5\xB7\xA5\xE5\x85\xB7", std::nullopt},
      {__LINE__, u"\U0001F680", "\xF0\x9F\x9A\x80", std::nullopt},  // a surrogate pair
      {__LINE__, u"a\xD83D", "a\xED\xA0\xBD", std::nullopt},        // half a pair
      {__LINE__, u"\xDC00\xD800", "\xED\xB0\x80\xED\xA0\x80", std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    EXPECT_EQ(Utf8FromUtf16(c.wide), c.utf8);
    EXPECT_EQ(Utf16FromUtf8(c.utf8), c.wide);
    std::string bytes;
    for (const char16_t unit : c.wide) {
      bytes.push_back(static_cast<char>(unit & 0xFF));
      bytes.push_back(static_cast<char>(unit >> 8));
    }
    EXPECT_EQ(Utf16LeBytesFromUtf8(c.utf8), bytes);
    EXPECT_EQ(Utf8FromUtf16LeBytes(bytes), c.utf8);
    EXPECT_EQ(AnsiFromUtf8(c.utf8), c.ansi);
    if (c.ansi) {
      EXPECT_EQ(Utf8FromAnsi(*c.ansi), c.utf8);
    }
  }
  EXPECT_EQ(Utf8FromUtf16LeBytes("abc"), std::nullopt);  // an odd byte is no UTF-16
  EXPECT_EQ(Utf16FromUtf8("\xC3"), u"\xFFFD");           // cut short
}

class RegistryTest : public ::testing::Test {
 protected:
  test::TestEnv env;
  ScratchKey scratch{env.Registry()};
  Registry Handle() {
    Registry registry(env.Registry());
    registry.SetRoot(RootKey::kCurrentUser);
    return registry;
  }
};

TEST(RootNames, FullNamesInAnyCaseResolveAndAbbreviationsDoNot) {
  EXPECT_EQ(RootFromName("HKEY_LOCAL_MACHINE"), RootKey::kLocalMachine);
  EXPECT_EQ(RootFromName("hkey_classes_root"), RootKey::kClassesRoot);
  EXPECT_EQ(RootFromName("Hkey_Current_User"), RootKey::kCurrentUser);
  EXPECT_EQ(RootFromName("HKEY_USERS"), RootKey::kUsers);
  EXPECT_EQ(RootFromName("HKEY_CURRENT_CONFIG"), RootKey::kCurrentConfig);
  EXPECT_FALSE(RootFromName("HKLM"));
  EXPECT_FALSE(RootFromName("HKCU"));
  EXPECT_FALSE(RootFromName(""));
  EXPECT_FALSE(RootFromName("HKEY_LOCAL_MACHINE "));
  EXPECT_STREQ(RootName(RootKey::kUsers), "HKEY_USERS");
}

TEST_F(RegistryTest, OpenMissingKeyFailsAndCreateMakesIt) {
  Registry r = Handle();
  EXPECT_FALSE(r.OpenKey("\\" + scratch.Path() + "\\Missing", false));
  EXPECT_FALSE(r.KeyExists("\\" + scratch.Path() + "\\Missing"));
  EXPECT_TRUE(r.OpenKey("\\" + scratch.Path() + "\\Made\\Deep", true));
  EXPECT_EQ(r.CurrentPath(), scratch.Path() + "\\Made\\Deep");
  r.CloseKey();
  EXPECT_TRUE(r.KeyExists("\\" + scratch.Path() + "\\made\\DEEP"));
}

TEST_F(RegistryTest, RelativePathsStartAtTheOpenKey) {
  Registry r = Handle();
  ASSERT_TRUE(r.OpenKey("\\" + scratch.Path() + "\\A\\B", true));
  ASSERT_TRUE(r.OpenKey("\\" + scratch.Path(), false));
  EXPECT_TRUE(r.KeyExists("A\\B"));
  EXPECT_TRUE(r.OpenKey("A", false));
  EXPECT_EQ(r.CurrentPath(), scratch.Path() + "\\A");
  EXPECT_TRUE(r.OpenKey("B", false));
  EXPECT_EQ(r.CurrentPath(), scratch.Path() + "\\A\\B");
}

TEST_F(RegistryTest, NamesEnumerateInOrderAndMatchWithoutCase) {
  Registry r = Handle();
  ASSERT_TRUE(r.OpenKey("\\" + scratch.Path(), false));
  r.WriteString("First", "1");
  r.WriteString("second", "2");
  r.WriteString("", "default");
  // The in-memory registry enumerates in insertion order; Wine's keeps names sorted.
  auto names = r.GetValueNames();
  if (!env.IsNative())
    std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (env.IsNative() ? std::vector<std::string>{"First", "second", ""}
                                   : std::vector<std::string>{"", "First", "second"}));
  EXPECT_TRUE(r.ValueExists("FIRST"));
  EXPECT_TRUE(r.ValueExists(""));
  EXPECT_FALSE(r.ValueExists("third"));
  EXPECT_EQ(r.ReadString("SECOND"), "2");
  EXPECT_TRUE(r.OpenKey("Sub1", true));
  r.CloseKey();
  ASSERT_TRUE(r.OpenKey("\\" + scratch.Path(), false));
  EXPECT_EQ(r.GetKeyNames(), (std::vector<std::string>{"Sub1"}));
}

// The benchmarks' figures: one call per question, per listed name or value, for a
// key's sizes with its first list, and per close, the calls of every thread added up,
// and the time inside them with them.
TEST_F(RegistryTest, CountedCallsAreTheRegistrysRoundTripsOfEveryThread) {
  Registry made = Handle();
  ASSERT_TRUE(made.OpenKey("\\" + scratch.Path() + "\\Sub", true));
  made.WriteString("a", "1");
  made.WriteString("b", "2");
  made.CloseKey();
  CountedRegistry counted(env.Registry());
  const auto walk = [&] {
    Registry r(counted);
    r.SetRoot(RootKey::kCurrentUser);
    ASSERT_TRUE(r.OpenKey(scratch.Path(), false));  // 1
    EXPECT_EQ(r.GetKeyNames().size(), 1u);          // the sizes and 1 name
    Registry sub = r.OpenSubkey("Sub");             // 1
    EXPECT_EQ(sub.GetValues().size(), 2u);          // the sizes and 2 values
    EXPECT_EQ(sub.ReadString("a"), "1");            // 1
  };                                                // 2 closes: 10 calls
  walk();
  EXPECT_EQ(counted.Tally().Calls(), 10u);
  std::thread other(walk);
  walk();
  other.join();
  EXPECT_EQ(counted.Tally().Calls(), 30u);
  EXPECT_GT(counted.Tally().Seconds(), 0.0);
}

TEST_F(RegistryTest, TypesAndReadsFollowTheStoredType) {
  auto& backend = env.Registry();
  const std::string key = scratch.Path();
  test::PutValue(backend, RootKey::kCurrentUser, key, "s", Sz("text"));
  test::PutValue(backend, RootKey::kCurrentUser, key, "e", test::ExpandSz("%TEMP%\\x"));
  test::PutValue(backend, RootKey::kCurrentUser, key, "d", test::Dword(0x12345678));
  test::PutValue(backend, RootKey::kCurrentUser, key, "b", RegValue{kRegBinary, "\x01\x02"});
  test::PutValue(backend, RootKey::kCurrentUser, key, "m",
                 RegValue{kRegMultiSz, std::string("a\0b\0\0", 5)});
  test::PutValue(backend, RootKey::kCurrentUser, key, "nul",
                 RegValue{kRegSz, std::string("ab\0cd\0", 6)});
  Registry r = Handle();
  ASSERT_TRUE(r.OpenKey("\\" + key, false));
  EXPECT_EQ(r.GetDataType("s"), DataType::kString);
  EXPECT_EQ(r.GetDataType("e"), DataType::kExpandString);
  EXPECT_EQ(r.GetDataType("d"), DataType::kInteger);
  EXPECT_EQ(r.GetDataType("b"), DataType::kBinary);
  EXPECT_EQ(r.GetDataType("m"), DataType::kUnknown);
  EXPECT_EQ(r.GetDataType("missing"), DataType::kUnknown);
  EXPECT_EQ(r.ReadString("e"), "%TEMP%\\x");  // never expanded
  EXPECT_EQ(r.ReadString("nul"), "ab");       // cut at the first NUL
  EXPECT_EQ(r.ReadString("missing"), "");
  EXPECT_THROW(r.ReadString("d"), RegistryError);
  EXPECT_THROW(r.ReadString("b"), RegistryError);
  EXPECT_THROW(r.ReadString("m"), RegistryError);
  EXPECT_EQ(r.ReadInteger("d"), 0x12345678);
  EXPECT_THROW(r.ReadInteger("s"), RegistryError);
  EXPECT_EQ(r.ReadRaw("m"), (RegValue{kRegMultiSz, std::string("a\0b\0\0", 5)}));
  auto info = r.GetKeyInfo();
  ASSERT_TRUE(info);
  EXPECT_EQ(info->valueCount, 6u);
  EXPECT_EQ(info->subkeyCount, 0u);
}

TEST_F(RegistryTest, DeleteKeyRemovesTheWholeSubtree) {
  auto& backend = env.Registry();
  const std::string base = scratch.Path() + "\\Tree";
  for (const char* sub : {"A\\A1\\A11", "A\\A2", "B", "C\\C1"}) {
    test::PutString(backend, RootKey::kCurrentUser, base + "\\" + sub, "v", "x");
  }
  test::PutString(backend, RootKey::kCurrentUser, scratch.Path() + "\\Treeish", "v", "kept");
  Registry r = Handle();
  EXPECT_TRUE(r.DeleteKey("\\" + base));
  EXPECT_FALSE(r.KeyExists("\\" + base));
  EXPECT_TRUE(r.KeyExists("\\" + scratch.Path() + "\\Treeish"));
  EXPECT_FALSE(r.DeleteKey("\\" + base));  // already gone
  EXPECT_FALSE(r.DeleteKey(""));           // never a whole root
}

TEST_F(RegistryTest, DeleteValueAndDefaultValue) {
  Registry r = Handle();
  ASSERT_TRUE(r.OpenKey("\\" + scratch.Path(), false));
  r.WriteString("", "default");
  r.WriteString("named", "x");
  EXPECT_TRUE(r.DeleteValue(""));
  EXPECT_FALSE(r.ValueExists(""));
  EXPECT_TRUE(r.ValueExists("named"));
  EXPECT_TRUE(r.DeleteValue("NAMED"));
  EXPECT_FALSE(r.DeleteValue("named"));
}

TEST_F(RegistryTest, ChangingTheRootClosesTheOpenKey) {
  Registry r = Handle();
  ASSERT_TRUE(r.OpenKey("\\" + scratch.Path(), false));
  r.SetRoot(RootKey::kLocalMachine);
  EXPECT_FALSE(r.HasOpenKey());
  // A relative path now starts at the new root, not at the key that was open.
  EXPECT_FALSE(r.KeyExists(scratch.Path()));
  r.SetRoot(RootKey::kCurrentUser);
  EXPECT_TRUE(r.KeyExists(scratch.Path()));
}

TEST_F(RegistryTest, RaisedCancelFlagStopsEveryOperation) {
  std::atomic<bool> stop{false};
  Registry r(env.Registry(), KeyAccess::kRead, &stop);
  r.SetRoot(RootKey::kCurrentUser);
  ASSERT_TRUE(r.OpenKey("\\" + scratch.Path(), false));
  stop = true;
  EXPECT_THROW(r.GetValueNames(), OperationCancelled);
  EXPECT_THROW(r.OpenKey("x", false), OperationCancelled);
  EXPECT_THROW(r.ReadString("x"), OperationCancelled);
}

}  // namespace
}  // namespace kelvane
