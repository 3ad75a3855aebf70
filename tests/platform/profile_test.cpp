// Initialization files through the profile functions: natively the portable layer,
// under Wine the system's own. The same bytes and the same answers on both.
#include <gtest/gtest.h>

#include <string>

#include "test_env.h"
#include "unwritable_file.h"

namespace kelvane {
namespace {

class ProfileTest : public ::testing::Test {
 protected:
  test::TestEnv env;
  ProfileStore& profile = env.Native().profile;

  std::string PathOf(const std::string& name) const { return env.TempDir() + "\\" + name; }

  std::string Content(const std::string& path) { return test::ReadWholeFile(env.Files(), path); }

  void Write(const std::string& section, const std::string& key, const std::string& value,
             const std::string& path) {
    EXPECT_TRUE(profile.WriteString(section, key, value, path))
        << "[" << section << "] " << key << "=" << value;
  }
};

TEST_F(ProfileTest, FirstWritesCreateSectionsAndKeysInWriteOrder) {
  const std::string path = PathOf("new.ini");
  Write("Options", "OutputDirectory", "C:\\x\\Backup", path);
  Write("Options", "DeleteBackupFile", "1", path);
  Write("Tree", "1", "1", path);
  Write("Options", "ShowHint", "1", path);
  Write("options", "SHOWHINT", "0", path);  // the same entry in other letter case
  Write("Window", "State", "  1", path);
  EXPECT_EQ(Content(path),
            "[Options]\r\nOutputDirectory=C:\\x\\Backup\r\nDeleteBackupFile=1\r\nShowHint=0\r\n"
            "[Tree]\r\n1=1\r\n"
            "[Window]\r\nState=1\r\n");
}

TEST_F(ProfileTest, AWriteRewritesTheFileInNormalFormKeepingEveryEntry) {
  const std::string path = PathOf("seeded.ini");
  env.WriteFile(path,
                "; comment\r\n\r\n  [Sec]  \r\n  key  =  spaced value  \r\nnoequals\r\n\r\n"
                "[ Other ]\r\nq=\"quoted\"\r\n[last\r\nz=1\r\n"
                "[Dup]\r\na=1\r\n[dup]\r\nb=2\r\na=3");
  Write("Sec", "new", "v", path);
  Write("DUP", "b", "B", path);  // the first section of the name gets the key
  Write("Fresh", "k", "", path);
  EXPECT_EQ(Content(path),
            "; comment\r\n[Sec]\r\nkey=spaced value\r\nnoequals\r\nnew=v\r\n"
            "[Other]\r\nq=\"quoted\"\r\n[last\r\nz=1\r\n"
            "[Dup]\r\na=1\r\nb=B\r\n[dup]\r\nb=2\r\na=3\r\n"
            "[Fresh]\r\nk=\r\n");
}

TEST_F(ProfileTest, NamesAreTrimmedAndTheLastBracketEndsASectionName) {
  const std::string path = PathOf("names.ini");
  env.WriteFile(path,
                "top=1\r\n=e1\r\n=e2\r\n[a]b]\r\nk=1\r\n[x] ; c\r\nk=2\r\n\t[T]\t\r\nk=\t3\t\r\n"
                "e=\r\n[ lead]\nk=4\n[Z]\nk=5");
  Write("  Z  ", "  new  ", "  v  ", path);
  Write("  Fresh  ", "  k  ", "v", path);
  EXPECT_EQ(Content(path),
            "top=1\r\n=e1\r\n[a]b]\r\nk=1\r\n[x]\r\nk=2\r\n[T]\r\nk=3\r\ne=\r\n[lead]\r\nk=4\r\n"
            "[Z]\r\nk=5\r\nnew=v\r\n[Fresh  ]\r\nk  =v\r\n");
}

TEST_F(ProfileTest, ReadsFindEntriesWithoutRegardToCase) {
  const std::string path = PathOf("read.ini");
  env.WriteFile(path,
                "top=1\r\n  [Sec]  \r\n  key  =  spaced value  \r\nnoequals\r\n\r\n"
                "[ Other ]\r\nq=\"quoted\"\r\nq2='x\r\nq3=\"\"\r\n[last\r\nz=1\r\n"
                "[Dup]\r\na=1\r\n[dup]\r\nb=2\r\na=3\r\n[a]b]\r\nk=1\r\n[x] ; c\r\nk=2\r\n"
                "[T]\r\nk=\t3\t\r\ne=\r\n[Z]\r\nk=5");
  struct Case {
    int line;
    const char* section;
    const char* key;
    const char* fallback;
    const char* expected;
  };
  const Case cases[] = {
      {__LINE__, "Sec", "key", "d", "spaced value"},
      {__LINE__, "SEC", "KEY", "d", "spaced value"},
      {__LINE__, " Other ", "q", "d", "quoted"},  // one pair of quotes goes
      {__LINE__, "Other", "q2", "d", "'x"},       // an unpaired quote stays
      {__LINE__, "Other", "q3", "d", ""},
      {__LINE__, "Other", "z", "d", "1"},  // "[last" is no header
      {__LINE__, "Other", "[last", "d", "d"},
      {__LINE__, "Sec", "noequals", "d", "d"},  // a line without "=" has no value
      {__LINE__, "Sec", "q", "d", "d"},
      {__LINE__, "Sec", "missing", "  dflt  ", "  dflt"},  // trailing blanks of the default go
      {__LINE__, "Sec", "", "d", "d"},
      {__LINE__, "Nowhere", "key", "", ""},
      {__LINE__, "Dup", "a", "d", "1"},  // only the first section of a name counts
      {__LINE__, "Dup", "b", "d", "d"},
      {__LINE__, "a]b", "k", "d", "1"},
      {__LINE__, "x", "k", "d", "2"},
      {__LINE__, "T", "k", "d", "3"},
      {__LINE__, "T", "e", "d", ""},    // present and empty is not missing
      {__LINE__, "Z", "k", "d", "5"},   // the last line needs no line end
      {__LINE__, "", "top", "d", "1"},  // entries before the first header
  };
  for (const Case& c : cases) {
    EXPECT_EQ(profile.GetString(c.section, c.key, c.fallback, path), c.expected)
        << "case at line " << c.line;
  }
  EXPECT_EQ(profile.GetString("Sec", "key", "d", PathOf("absent.ini")), "d");
}

TEST_F(ProfileTest, ReadsStopAt2047Characters) {
  const std::string path = PathOf("long.ini");
  const std::string longText(3000, 'a');
  Write("S", "long", longText, path);
  EXPECT_EQ(profile.GetString("S", "long", "", path), longText.substr(0, 2047));
}

TEST_F(ProfileTest, AWriteThatChangesNothingLeavesTheFileAsItWas) {
  const std::string path = PathOf("same.ini");
  const std::string seeded = "  [A]  \r\n x = 1 \r\n\r\n";
  env.WriteFile(path, seeded);
  Write("a", "X", "1", path);
  EXPECT_EQ(Content(path), seeded);
  Write("A", "x", "2", path);
  EXPECT_EQ(Content(path), "[A]\r\nx=2\r\n");
}

TEST_F(ProfileTest, WritesFailWhereNoFileCanBeWritten) {
  EXPECT_FALSE(profile.WriteString("A", "x", "1", PathOf("missing\\folder\\a.ini")));
  const std::string folder = PathOf("folder.ini");
  env.MakeFolder(folder);
  EXPECT_FALSE(profile.WriteString("A", "x", "1", folder));
}

TEST_F(ProfileTest, WritesFailOnAReadOnlyFileAndLeaveItAlone) {
  const std::string path = PathOf("readonly.ini");
  env.WriteFile(path, "[A]\r\nx=1\r\n");
  if (!test::MakeReadOnly(env, path))
    GTEST_SKIP() << "the read-only attribute binds nobody here";
  EXPECT_FALSE(profile.WriteString("A", "x", "2", path));
  EXPECT_FALSE(profile.WriteString("B", "y", "1", path));
  EXPECT_EQ(Content(path), "[A]\r\nx=1\r\n");
  EXPECT_EQ(profile.GetString("A", "x", "", path), "1");
}

#ifdef _WIN32
TEST_F(ProfileTest, WritesFailWhileAnotherProgramHoldsTheFile) {
  const std::string path = PathOf("held.ini");
  env.WriteFile(path, "[A]\r\nx=1\r\n");
  test::ExclusiveOpen held(path);
  ASSERT_TRUE(held.Held());
  EXPECT_FALSE(profile.WriteString("A", "x", "2", path));
}
#endif

}  // namespace
}  // namespace kelvane
