// The reader of registry export files: what it makes of good texts, the line it names
// for bad ones, and that everything the backup writer writes reads back as written.
#include <gtest/gtest.h>

#include "backup/export_writer.h"
#include "backup/reg_reader.h"
#include "platform/text_codec.h"
#include "backup_fixture.h"
#include "fakes.h"
#include "test_env.h"

namespace kelvane {
namespace {

using test::Dword;
using test::Sz;
using test::Typed;

// "HKEY_CURRENT_USER\A: @=type 1 [..] | "x"=..." for each key, one a line.
std::string Show(const RegFile& file) {
  std::string out;
  for (const RegFileKey& key : file.keys) {
    out += KeyText(key) + ":";
    for (const RegFileValue& value : key.values)
      out += " " + ValueNameText(value.name) + "=" + test::Describe(value.value) + ";";
    out += "\n";
  }
  return out;
}

std::string Crlf(const std::string& lines) {
  std::string out;
  for (const char c : lines) {
    if (c == '\n')
      out += '\r';
    out += c;
  }
  return out;
}

// A table's text as file bytes: "V5:" and the rest in UTF-8 stand for a Version 5.00
// file as the registry editor writes it (the byte order mark, UTF-16LE), "V5cut:" for
// one cut inside its last character; any other text is the file's bytes.
std::string FileBytes(const std::string& text) {
  for (const std::string prefix : {"V5:", "V5cut:"}) {
    if (text.rfind(prefix, 0) == 0) {
      const std::string bytes = "\xFF\xFE" + Utf16LeBytesFromUtf8(text.substr(prefix.size()));
      return prefix == "V5:" ? bytes : bytes.substr(0, bytes.size() - 1);
    }
  }
  return text;
}

TEST(RegReader, ReadsKeysAndEveryFormOfValueData) {
  struct Case {
    int line;
    std::string text;
    std::string expected;
  };
  const Case cases[] = {
      {__LINE__, "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Demo]\n@=\"C:\\\\a \\\"b\\\"\"\n",
       "HKEY_CURRENT_USER\\Software\\Demo: (Default)=type 1 [43 3A 5C 61 20 22 62 22 00 ];\n"},
      {__LINE__,
       "REGEDIT4\n[HKEY_LOCAL_MACHINE\\A]\n\"Count\"=dword:0000001A\n\"n\"=dword:ffffffff\n",
       "HKEY_LOCAL_MACHINE\\A: Count=type 4 [1A 00 00 00 ]; n=type 4 [FF FF FF FF ];\n"},
      {__LINE__, "REGEDIT4\n[HKEY_USERS\\A]\n\"Bin\"=hex:01,AB,ff\n\"Empty\"=hex:\n",
       "HKEY_USERS\\A: Bin=type 3 [01 AB FF ]; Empty=type 3 [];\n"},
      {__LINE__, "REGEDIT4\n[HKEY_CLASSES_ROOT\\A]\n\"M\"=hex(7):61,00,\\\n  62,00,00\n",
       "HKEY_CLASSES_ROOT\\A: M=type 7 [61 00 62 00 00 ];\n"},
      {__LINE__, "REGEDIT4\n[HKEY_CURRENT_CONFIG\\A]\n\"Q\"=hex(b):01,02,03,04,05,06,07,08\n",
       "HKEY_CURRENT_CONFIG\\A: Q=type 11 [01 02 03 04 05 06 07 08 ];\n"},
      // A key name may hold "]" and "[": the key ends at the last "]".
      {__LINE__, "REGEDIT4\n[HKEY_CURRENT_USER\\Br]ack[et]  \n\"a\\\\b\\\"c\"=\"x\\ny\\r\"\n",
       "HKEY_CURRENT_USER\\Br]ack[et: a\\b\"c=type 1 [78 0A 79 0D 00 ];\n"},
      // Comments, blank lines, blanks around "=" and the version 5 header.
      {__LINE__,
       "V5:Windows Registry Editor Version 5.00\n; note\n\n[HKEY_CURRENT_USER\\A\\]\n  \"v\" = "
       "\"1\"\n",
       "HKEY_CURRENT_USER\\A: v=type 1 [31 00 ];\n"},
      // Version 5.00: names and text in any script, UTF-8 inside the program; hex data
      // of text types as UTF-16 (half a pair kept, an odd byte kept as bytes).
      {__LINE__,
       "V5:Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER\\Ω\\数据]\n"
       "\"😀\"=\"Ж\"\n\"e\"=hex(2):a9,03,00,00\n\"m\"=hex(7):3d,d8,00,de,00,00,00,00\n"
       "\"h\"=hex(1):3d,d8\n\"odd\"=hex(1):41,00,42\n\"b\"=hex:a9,03\n",
       "HKEY_CURRENT_USER\\Ω\\数据: 😀=type 1 [D0 96 00 ]; e=type 2 [CE A9 00 ]; "
       "m=type 7 [F0 9F 98 80 00 00 ]; h=type 1 [ED A0 BD ]; odd=type 1 [41 00 42 ] bytes; "
       "b=type 3 [A9 03 ];\n"},
      // REGEDIT4: the ANSI code page's text, its hex data of text types too.
      {__LINE__, "REGEDIT4\n[HKEY_CURRENT_USER\\caf\xE9]\n\"\xE9\"=\"\x80\"\n\"e\"=hex(2):e9,00\n",
       "HKEY_CURRENT_USER\\caf\xC3\xA9: \xC3\xA9=type 1 [E2 82 AC 00 ]; e=type 2 [C3 A9 00 ];\n"},
      {__LINE__, "REGEDIT4\n[HKEY_CURRENT_USER\\A]\n[hkey_current_user\\A]\n",
       "HKEY_CURRENT_USER\\A:\nHKEY_CURRENT_USER\\A:\n"},
      {__LINE__, "REGEDIT4\n", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    for (const std::string& text : {c.text, Crlf(c.text)}) {
      const RegReadResult result = ReadRegText(FileBytes(text));
      ASSERT_TRUE(result.file) << result.error;
      EXPECT_EQ(Show(*result.file), c.expected);
      EXPECT_EQ(result.file->version, text.rfind("REGEDIT4", 0) == 0 ? 4 : 5);
    }
  }
}

TEST(RegReader, BadInputNamesItsLineAndGivesNoFile) {
  struct Case {
    int line;
    std::string text;
    int errorLine;
    std::string message;
  };
  const Case cases[] = {
      {__LINE__, "", 1, "empty"},
      {__LINE__, "REGEDIT5\n", 1, "header"},
      {__LINE__, "REGEDIT4", 1, "cut short"},
      {__LINE__, "REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"v\"=hex:01,0", 3, "cut short"},
      {__LINE__, "REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"v\"=hex:01,\\\n", 3, "cut short"},
      {__LINE__, "REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"v\"=hex:01,\\\n02,\n", 4, "missing"},
      {__LINE__, "REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"v\"=hex:01,G2\n", 3, "hexadecimal byte"},
      {__LINE__, "REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"v\"=hex:01,,02\n", 3, "hexadecimal byte"},
      {__LINE__, "REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"v\"=hex:012\n", 3, "\",\" expected"},
      {__LINE__, "REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"v\"=hex(xyz):01\n", 3, "hex(N)"},
      {__LINE__, "REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"v\"=dword:123456789\n", 3, "dword"},
      {__LINE__, "REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"v\"=dword:\n", 3, "dword"},
      {__LINE__, "REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"v\"=dword:1 2\n", 3, "dword"},
      {__LINE__, "REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"v\"=\"open\n", 3, "double quote"},
      {__LINE__, "REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"v\"=\"a\\tb\"\n", 3, "escape"},
      {__LINE__, "REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"v\"=\"a\" b\n", 3, "after the value"},
      {__LINE__, "REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"v\"=-\n", 3, "deletions"},
      {__LINE__, "REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"v\"=str(2):\"x\"\n", 3, "unknown value"},
      {__LINE__, "REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"v\"\n", 3, "\"=\" missing"},
      {__LINE__, "REGEDIT4\n\"v\"=\"x\"\n", 2, "before any key"},
      {__LINE__, "REGEDIT4\n[HKEY_CURRENT_USER\\A\n", 2, "closing"},
      {__LINE__, "REGEDIT4\n[HKEY_CURRENT_USER\\A] x\n", 2, "after the key"},
      {__LINE__, "REGEDIT4\n[-HKEY_CURRENT_USER\\A]\n", 2, "deletions"},
      {__LINE__, "REGEDIT4\n[HKCU\\A]\n", 2, "unknown root"},
      {__LINE__, "REGEDIT4\n[HKEY_CURRENT_USER\\A\\\\B]\n", 2, "empty key name"},
      {__LINE__, "REGEDIT4\n[HKEY_CURRENT_USER\\A\\\\]\n", 2, "empty key name"},
      {__LINE__, "REGEDIT4\n[HKEY_CURRENT_USER\\A]\nstray\n", 3, "neither"},
      // Version 5.00: cut short inside a line or a character, without its byte order
      // mark (the registry editor imports nothing of it), a bad line, a REGEDIT4 header.
      {__LINE__, "V5:Windows Registry Editor Version 5.00\r\n[HKEY_CURRENT_USER\\Ω]\r\n\"v\"=\"Ж",
       3, "cut short"},
      {__LINE__, "V5cut:Windows Registry Editor Version 5.00\r\n[HKEY_CURRENT_USER\\Ω]\r\n", 2,
       "inside a character"},
      {__LINE__, "Windows Registry Editor Version 5.00\r\n[HKEY_CURRENT_USER\\A]\r\n", 1,
       "byte order mark"},
      {__LINE__,
       "V5:Windows Registry Editor Version "
       "5.00\r\n\r\n[HKEY_CURRENT_USER\\Ω]\r\n\"Ж\"=hex(2):41,4\r\n",
       4, "hexadecimal byte"},
      {__LINE__,
       "V5:Windows Registry Editor Version 5.00\r\n[HKEY_CURRENT_USER\\Ω]\r\n\"v\"=wide:1\r\n", 3,
       "unknown value"},
      {__LINE__, "V5:REGEDIT4\r\n", 1, "never UTF-16"},
      {__LINE__, "V5:REGEDIT5\r\n", 1, "header"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    const RegReadResult result = ReadRegText(FileBytes(c.text));
    EXPECT_FALSE(result.file);
    EXPECT_EQ(result.error.rfind("Line " + std::to_string(c.errorLine) + ": ", 0), 0u)
        << result.error;
    EXPECT_NE(result.error.find(c.message), std::string::npos) << result.error;
  }
}

TEST(RegReader, AppendedItemsReadWithoutHeaderAndKeepTheirLineNumbers) {
  const RegReadResult good = ReadRegItems("\r\n[HKEY_CURRENT_USER\\A]\r\n@=\"x\"\r\n", 7);
  ASSERT_TRUE(good.file) << good.error;
  EXPECT_EQ(good.file->keys.at(0).line, 8);
  EXPECT_EQ(good.file->keys.at(0).values.at(0).line, 9);
  const RegReadResult bad = ReadRegItems("\r\n[HKEY_CURRENT_USER\\A]\r\n@=hex:1\r\n", 7);
  EXPECT_EQ(bad.error.rfind("Line 9: ", 0), 0u) << bad.error;
}

class RegReaderRoundTrip : public ::testing::Test {
 protected:
  test::TestEnv env;
  test::ScratchKey scratch{env.Registry()};
  std::string file = env.TempDir() + "\\Backup.reg";

  std::optional<FormattedItem> Item(const std::string& name, ExportScope scope) {
    return FormatRegistryItem(env.Registry(), RootKey::kCurrentUser, scratch.Path(), name, scope);
  }
  // Appends the item as a repair does, proving that it reads back: nothing when it
  // does, or why it does not.
  std::optional<std::string> Append(FileSystem& files, const FormattedItem& item) {
    return AppendItemsToDisk(files, file, {&item}, true).at(0);
  }
};

// Everything the writer writes, for every kind of value, reads back as the registry
// held it, whole keys and single values alike: the first item with the file's header,
// the others appended to it.
TEST_F(RegReaderRoundTrip, WriterOutputReadsBackAsTheRegistryHoldsIt) {
  for (const auto& [name, value] : test::EveryKindOfValue())
    test::PutValue(env.Registry(), RootKey::kCurrentUser, scratch.Path(), name, value);
  test::PutValue(env.Registry(), RootKey::kCurrentUser, scratch.Path() + "\\Sub\\Br]ack[et", "x",
                 Dword(7));
  const auto whole = Item("", ExportScope::kWholeKey);
  ASSERT_TRUE(whole);
  EXPECT_EQ(whole->keys.size(), 3u);
  EXPECT_EQ(Append(env.Files(), *whole), std::nullopt);
  for (const auto& [name, value] : test::EveryKindOfValue()) {
    const auto single = Item(name, ExportScope::kSingleValue);
    ASSERT_TRUE(single) << name;
    EXPECT_EQ(Append(env.Files(), *single), std::nullopt) << name;
  }
  const RegReadResult all = ReadRegFile(env.Files(), file);
  ASSERT_TRUE(all.file) << all.error;
  EXPECT_EQ(all.file->keys.size(), 3u + test::EveryKindOfValue().size());
}

// The text read back after an append is checked against the registry's item, and any
// change to it is caught: the item is cut out of the file again.
TEST_F(RegReaderRoundTrip, TheTextReadBackAfterAnAppendIsChecked) {
  test::PutValue(env.Registry(), RootKey::kCurrentUser, scratch.Path(), "first", Sz("1"));
  test::PutValue(env.Registry(), RootKey::kCurrentUser, scratch.Path(), "v", Dword(26));
  test::PutValue(env.Registry(), RootKey::kCurrentUser, scratch.Path() + "\\Sub", "b",
                 Typed(kRegBinary, "\x01\x02"));
  const auto first = Item("first", ExportScope::kSingleValue);
  const auto item = Item("", ExportScope::kWholeKey);
  ASSERT_TRUE(first && item);
  ASSERT_EQ(Append(env.Files(), *first), std::nullopt);
  const std::string before = test::ReadWholeFile(env.Files(), file);
  const std::pair<std::string, std::string> damages[] = {
      {"dword:0000001A", "dword:0000001B"},
      {"\"v\"", "\"w\""},
      {"hex:01,02", "hex:01"},
      {"Sub]", "Sub2]"},
      {"\r\n\"b\"=hex:01,02\r\n", "\r\n"},
      {"hex:01,02\r\n", "hex:01,0"},
  };
  test::UnreliableFiles files(env.Files(), env.TempDir() + "\\lost.bin");
  for (const auto& [from, to] : damages) {
    // Only the appended item holds what is replaced: a read before the append is left as it is.
    files.damage = [&](std::string text) {
      const size_t at = text.rfind(from);
      return at == std::string::npos ? text : text.replace(at, from.size(), to);
    };
    EXPECT_NE(Append(files, *item), std::nullopt) << to;
    EXPECT_EQ(test::ReadWholeFile(env.Files(), file), before) << to;
  }
  EXPECT_EQ(Append(env.Files(), *item), std::nullopt);
}

}  // namespace
}  // namespace kelvane
