// The backup file writer, byte for byte against the in-memory registry natively and
// the real registry under Wine, and the round trip through Wine's regedit /s.
#include <gtest/gtest.h>

#include "backup/export_writer.h"
#include "backup_fixture.h"
#include "platform/text_codec.h"
#include "test_env.h"

namespace kelvane {
namespace {

using test::CountingBytes;
using test::CrLfLines;
using test::Dword;
using test::ExpandSz;
using test::ReadWholeFile;
using test::ScratchKey;
using test::Sz;
using test::Typed;

// "00,01,...": the bytes counting up from `first`, as the writer spells them.
std::string HexList(size_t count, int first = 0) {
  std::string out;
  for (size_t i = 0; i < count; ++i) {
    char buffer[4];
    std::snprintf(buffer, sizeof buffer, "%02X", (first + static_cast<int>(i)) & 0xFF);
    if (i)
      out += ",";
    out += buffer;
  }
  return out;
}

// The data part of the value's line as a backup file of `version` holds it; nothing
// when that file cannot carry the value.
std::optional<std::string> ValueData(const std::optional<RegValue>& value, int version) {
  const std::vector<RegFileKey> keys{RegFileKey{RootKey::kCurrentUser, "K", 0, {{"v", value, 0}}}};
  const auto text = FormatKeysText(keys, version);
  if (!text)
    return std::nullopt;
  const std::string line = version == 4 ? *text : Utf8FromUtf16LeBytes(*text).value_or("");
  const std::string start = "\r\n[HKEY_CURRENT_USER\\K]\r\n\"v\"=";
  EXPECT_TRUE(line.starts_with(start) && line.ends_with("\r\n")) << line;
  return line.substr(start.size(), line.size() - start.size() - 2);
}

class ExportWriterTest : public ::testing::Test {
 protected:
  test::TestEnv env;
  ScratchKey scratch{env.Registry()};
  std::string file = env.TempDir() + "\\Backup.reg";

  void Put(const std::string& sub, const std::string& name, const RegValue& value) {
    test::PutValue(env.Registry(), RootKey::kCurrentUser,
                   sub.empty() ? scratch.Path() : scratch.Path() + "\\" + sub, name, value);
  }
  bool Export(const std::string& path, const std::string& name, ExportScope scope) {
    return test::BackUpItem(env.Files(), env.Registry(), file, path, name, scope);
  }
  std::vector<std::string> Lines() { return CrLfLines(ReadWholeFile(env.Files(), file)); }
};

TEST_F(ExportWriterTest, DemoKeyComesOutLineForLine) {
  const std::string demo = "Software\\Demo";
  test::PutValue(env.Registry(), RootKey::kCurrentUser, demo, "", Sz("C:\\a \"b\""));
  test::PutValue(env.Registry(), RootKey::kCurrentUser, demo, "Count", Dword(26));
  test::PutValue(env.Registry(), RootKey::kCurrentUser, demo + "\\Sub", "Bin",
                 Typed(kRegBinary, "\x01\xAB\xFF"));
  const bool written = Export(demo, "", ExportScope::kWholeKey);
  Registry cleanup(env.Registry());
  cleanup.SetRoot(RootKey::kCurrentUser);
  cleanup.DeleteKey("\\" + demo);
  ASSERT_TRUE(written);
  EXPECT_EQ(ReadWholeFile(env.Files(), file),
            "REGEDIT4\r\n"
            "\r\n"
            "[HKEY_CURRENT_USER\\Software\\Demo]\r\n"
            "@=\"C:\\\\a \\\"b\\\"\"\r\n"
            "\"Count\"=dword:0000001A\r\n"
            "\r\n"
            "[HKEY_CURRENT_USER\\Software\\Demo\\Sub]\r\n"
            "\"Bin\"=hex:01,AB,FF\r\n");
}

TEST(ExportFormat, ValueDataByTypeAndContent) {
  struct Case {
    const char* what;
    std::optional<RegValue> value;
    std::optional<std::string> expected;  // nothing: the version cannot carry it
    int version = 4;
  };
  const std::string eol = "\\\r\n";
  const Case cases[] = {
      {"missing value", std::nullopt, "\"\""},
      {"plain string", Sz("C:\\a \"b\""), "\"C:\\\\a \\\"b\\\"\""},
      // Backslashes are doubled before the quotes are escaped.
      {"backslash before a quote", Sz("a\\\"b"), "\"a\\\\\\\"b\""},
      {"two quotes", Sz("\"\""), "\"\\\"\\\"\""},
      {"two backslashes", Sz("\\\\"), "\"\\\\\\\\\""},
      {"tab and high bytes stay", Sz("a\tb\xC3\xA9\xC3\xBF"), "\"a\tb\xE9\xFF\""},
      {"string without zero", Typed(kRegSz, "abc"), "\"abc\""},
      {"empty string", Sz(""), "\"\""},
      {"string with line feed", Sz("a\nb"), "hex(1):61,0A,62,00"},
      {"string with carriage return", Sz("a\rb"), "hex(1):61,0D,62,00"},
      {"bytes after the zero", Typed(kRegSz, std::string("ab\0c\0", 5)), "hex(1):61,62,00,63,00"},
      {"two zeros", Typed(kRegSz, std::string("a\0\0", 3)), "hex(1):61,00,00"},
      {"expandable string", ExpandSz("%X%"), "hex(2):25,58,25,00"},
      {"multi-string", Typed(kRegMultiSz, std::string("a\0b\0\0", 5)), "hex(7):61,00,62,00,00"},
      {"integer 26", Dword(26), "dword:0000001A"},
      {"integer -1", Dword(0xFFFFFFFFu), "dword:FFFFFFFF"},
      {"integer of 3 bytes", Typed(kRegDword, "\x01\x02\x03"), "hex(4):01,02,03"},
      {"64-bit integer", Typed(kRegQword, CountingBytes(8, 1)), "hex(b):" + HexList(8, 1)},
      {"none, empty", Typed(kRegNone, ""), "hex(0):"},
      {"big-endian", Typed(5, std::string("\x00\x00\x00\x1A", 4)), "hex(5):00,00,00,1A"},
      {"binary of 0 bytes", Typed(kRegBinary, ""), "hex:"},
      {"binary of 3 bytes", Typed(kRegBinary, "\x01\xAB\xFF"), "hex:01,AB,FF"},
      {"binary of 26 bytes fits one line", Typed(kRegBinary, CountingBytes(26)),
       "hex:" + HexList(26)},
      {"binary of 27 bytes", Typed(kRegBinary, CountingBytes(27)),
       "hex:" + HexList(26) + "," + eol + "1A"},
      {"binary of 51 bytes", Typed(kRegBinary, CountingBytes(51)),
       "hex:" + HexList(26) + "," + eol + HexList(25, 26)},
      {"binary of 52 bytes", Typed(kRegBinary, CountingBytes(52)),
       "hex:" + HexList(26) + "," + eol + HexList(25, 26) + "," + eol + "33"},
      {"other types wrap like binary", Typed(0x20, CountingBytes(27)),
       "hex(20):" + HexList(26) + "," + eol + "1A"},
      {"no ANSI form", Sz("\xCE\xA9"), std::nullopt},
      {"no ANSI form, expandable", ExpandSz("%\xD0\x96%"), std::nullopt},
      {"stored bytes that are no UTF-16", RegValue{kRegSz, "A", false}, std::nullopt},
      // Version 5.00: text as it is, the bytes of text data as UTF-16.
      {"5: string in any script", Sz("\xCE\xA9\xF0\x9F\x98\x80 \"q\""),
       "\"\xCE\xA9\xF0\x9F\x98\x80 \\\"q\\\"\"", 5},
      {"5: string with line feed", Sz("a\nb"), "hex(1):61,00,0A,00,62,00,00,00", 5},
      {"5: expandable string", ExpandSz("%\xCE\xA9%"), "hex(2):25,00,A9,03,25,00,00,00", 5},
      {"5: multi-string", Typed(kRegMultiSz, std::string("a\0\xD0\x96\0\0", 6)),
       "hex(7):61,00,00,00,16,04,00,00,00,00", 5},
      {"5: a surrogate pair", ExpandSz("\xF0\x9F\x98\x80"), "hex(2):3D,D8,00,DE,00,00", 5},
      {"5: stored bytes that are no UTF-16", RegValue{kRegSz, std::string("A\0B", 3), false},
       std::nullopt, 5},
      {"5: integer", Dword(26), "dword:0000001A", 5},
      {"5: binary", Typed(kRegBinary, "\x01\xAB\xFF"), "hex:01,AB,FF", 5},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ValueData(c.value, c.version), c.expected) << c.what;
  }
}

TEST_F(ExportWriterTest, SingleValuesAppendBlocksUnderOneHeader) {
  Put("", "a\\\"b", Sz("x"));
  Put("", "Two", Dword(0xFFFFFFFFu));
  ASSERT_TRUE(Export(scratch.Path() + "\\", "a\\\"b", ExportScope::kSingleValue));
  ASSERT_TRUE(Export(scratch.Path(), "Two", ExportScope::kSingleValue));
  ASSERT_TRUE(Export(scratch.Path() + "\\Missing", "", ExportScope::kWholeKey));
  const std::string key = "[" + scratch.FullPath() + "]";
  EXPECT_EQ(Lines(), (std::vector<std::string>{"REGEDIT4", "", key, "\"a\\\\\\\"b\"=\"x\"",  //
                                               "", key, "\"Two\"=dword:FFFFFFFF",            //
                                               "", "[" + scratch.FullPath() + "\\Missing]"}));
}

TEST_F(ExportWriterTest, SubkeysFollowTheKeysOwnValuesDepthFirst) {
  Put("A", "v", Sz("1"));
  Put("A\\Deep", "w", Sz("2"));
  Put("B", "x", Sz("3"));
  Put("", "top", Sz("0"));
  ASSERT_TRUE(Export(scratch.Path(), "", ExportScope::kWholeKey));
  const std::string k = "[" + scratch.FullPath();
  EXPECT_EQ(Lines(), (std::vector<std::string>{"REGEDIT4", "", k + "]", "\"top\"=\"0\"", "",
                                               k + "\\A]", "\"v\"=\"1\"", "", k + "\\A\\Deep]",
                                               "\"w\"=\"2\"", "", k + "\\B]", "\"x\"=\"3\""}));
}

TEST_F(ExportWriterTest, ItemsWithALineBreakInANameAreNotWritten) {
  Put("Sub\nKey", "v", Sz("1"));
  Put("", "value\r\nname", Sz("1"));
  Put("", "fine", Sz("1"));
  EXPECT_FALSE(Export(scratch.Path(), "", ExportScope::kWholeKey));
  EXPECT_FALSE(Export(scratch.Path(), "value\r\nname", ExportScope::kSingleValue));
  EXPECT_FALSE(Export(scratch.Path() + "\\Sub\nKey", "v", ExportScope::kSingleValue));
  EXPECT_FALSE(env.Files().FileExists(file));
  ASSERT_TRUE(Export(scratch.Path(), "fine", ExportScope::kSingleValue));
  EXPECT_EQ(Lines().size(), 4u);
}

// Lists every value and subkey but cannot read back the value or open the subkey
// named `lost`, as with a name the code page cannot carry.
class LossyBackend : public RegistryBackend {
 public:
  LossyBackend(RegistryBackend& inner, std::string lost) : inner_(inner), lost_(std::move(lost)) {}
  std::unique_ptr<BackendKey> OpenRoot(RootKey root) override {
    auto key = inner_.OpenRoot(root);
    return key ? std::make_unique<Key>(*this, std::move(key)) : nullptr;
  }

 private:
  class Key : public test::ForwardingKey {
   public:
    Key(LossyBackend& owner, std::unique_ptr<BackendKey> inner)
        : ForwardingKey(std::move(inner)), owner_(owner) {}
    std::unique_ptr<BackendKey> Open(const std::string& subPath, KeyAccess access,
                                     bool create) override {
      if (subPath.ends_with("\\" + owner_.lost_) || subPath == owner_.lost_)
        return nullptr;
      auto key = ForwardingKey::Open(subPath, access, create);
      return key ? std::make_unique<Key>(owner_, std::move(key)) : nullptr;
    }
    std::optional<RegValue> Query(const std::string& name) override {
      return name == owner_.lost_ ? std::nullopt : ForwardingKey::Query(name);
    }

   private:
    LossyBackend& owner_;
  };
  RegistryBackend& inner_;
  std::string lost_;
};

TEST_F(ExportWriterTest, AKeyWithAValueOrSubkeyThatCannotBeReadBackIsNotWritten) {
  Put("Values", "kept", Sz("1"));
  Put("Values", "lost", Sz("2"));
  Put("Keys", "kept", Sz("1"));
  Put("Keys\\lost", "v", Sz("3"));
  Put("Fine", "kept", Sz("1"));
  LossyBackend lossy(env.Registry(), "lost");
  const auto exportVia = [&](const std::string& sub, const std::string& name, ExportScope scope) {
    return test::BackUpItem(env.Files(), lossy, file, scratch.Path() + "\\" + sub, name, scope);
  };
  EXPECT_FALSE(exportVia("Values", "", ExportScope::kWholeKey));
  EXPECT_FALSE(exportVia("Keys", "", ExportScope::kWholeKey));
  EXPECT_FALSE(env.Files().FileExists(file));
  EXPECT_TRUE(exportVia("Fine", "", ExportScope::kWholeKey));
  EXPECT_TRUE(exportVia("Gone", "", ExportScope::kWholeKey));  // a missing item is no loss
  EXPECT_EQ(Lines(),
            (std::vector<std::string>{"REGEDIT4", "", "[" + scratch.FullPath() + "\\Fine]",
                                      "\"kept\"=\"1\"", "", "[" + scratch.FullPath() + "\\Gone]"}));
}

TEST_F(ExportWriterTest, AnEmptyExistingFileGetsTheHeader) {
  env.WriteFile(file, "");
  ASSERT_TRUE(Export(scratch.Path(), "", ExportScope::kWholeKey));
  EXPECT_EQ(Lines(), (std::vector<std::string>{"REGEDIT4", "", "[" + scratch.FullPath() + "]"}));
}

TEST_F(ExportWriterTest, AFileThatCannotBeOpenedIsAnError) {
  file = env.TempDir() + "\\NoSuchFolder\\Backup.reg";
  EXPECT_THROW(Export(scratch.Path(), "", ExportScope::kWholeKey), BackupError);
}

#ifdef _WIN32
// Every kind of value the registry holds, exported and imported again by regedit /s: a
// REGEDIT4 file, and with names and text in other scripts a Version 5.00 file.
TEST_F(ExportWriterTest, RegeditImportGivesBackEveryValueExactly) {
  for (const bool wide : {false, true}) {
    SCOPED_TRACE(wide ? "Version 5.00" : "REGEDIT4");
    auto values = test::EveryKindOfValue();
    if (wide) {
      values.insert(values.end(), {{"Ωμέγα", Sz("Жизнь 工具 😀")},
                                   {"😀", ExpandSz("%TEMP%\\Ω")},
                                   {"数据", Typed(kRegMultiSz, std::string("Ω\0Ж\0\0", 7))},
                                   {"Break Ж", Sz("a\r\nΩ")}});
    }
    Registry r(env.Registry());
    r.SetRoot(RootKey::kCurrentUser);
    r.DeleteKey("\\" + scratch.Path());
    for (const auto& [name, value] : values)
      Put("", name, value);
    Put("Sub", "", Dword(7));
    Put("Sub\\Deep \xC3\xA9", "x", ExpandSz("%TEMP%"));
    if (wide)
      Put("Sub\\Κλειδί 🚀", "", Sz("k"));
    Put("Br]ack[et", "", Sz("b"));
    test::PutValue(env.Registry(), RootKey::kCurrentUser, scratch.Path() + "\\Empty", "",
                   Sz("gone"));
    ASSERT_TRUE(r.OpenKey("\\" + scratch.Path() + "\\Empty", false));
    r.DeleteValue("");
    r.CloseKey();
    const auto before = test::Dump(env.Registry(), RootKey::kCurrentUser, scratch.Path());
    ASSERT_EQ(before.at("").size(), values.size());

    file = env.TempDir() + (wide ? "\\Wide.reg" : "\\Backup.reg");
    ASSERT_TRUE(Export(scratch.Path(), "", ExportScope::kWholeKey));
    EXPECT_EQ(ReadWholeFile(env.Files(), file).substr(0, 2), wide ? "\xFF\xFE" : "RE");
    ASSERT_TRUE(r.DeleteKey("\\" + scratch.Path()));
    ASSERT_EQ(test::ImportWithRegedit(file), 0u);
    EXPECT_EQ(test::DumpDifferences(
                  before, test::Dump(env.Registry(), RootKey::kCurrentUser, scratch.Path())),
              "");

    // The same values one by one, as a repair of value rows backs them up.
    const std::string single = env.TempDir() + (wide ? "\\WideSingle.reg" : "\\Single.reg");
    file = single;
    ASSERT_TRUE(r.OpenKey("\\" + scratch.Path(), false));
    for (const auto& [name, value] : values) {
      ASSERT_TRUE(Export(scratch.Path(), name, ExportScope::kSingleValue)) << name;
      ASSERT_TRUE(r.DeleteValue(name)) << name;
    }
    r.CloseKey();
    ASSERT_EQ(test::ImportWithRegedit(single), 0u);
    EXPECT_EQ(test::DumpDifferences(
                  before, test::Dump(env.Registry(), RootKey::kCurrentUser, scratch.Path())),
              "");
  }
}
#endif

}  // namespace
}  // namespace kelvane
