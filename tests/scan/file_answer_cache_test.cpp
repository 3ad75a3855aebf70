// The scan's file-answer cache must not change a single answer of the path check.
// Differential: texts of the fuzz corpus, of the benchmark trees and of a table of
// names the system reads its own way go through the path check straight to the file
// system and through one cache that lives across all of them, as in a scan; the
// answers must agree. Natively on the portable file system, under Wine on real files.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "bench/bench_texts.h"
#include "scan/file_answer_cache.h"
#include "scan/path_check.h"
#include "scan/scan_fixture.h"
#include "scan/scanners.h"

namespace kelvane {
namespace {

// The checked-in fuzz corpus, built into the test program (see tests/CMakeLists.txt).
struct CorpusEntry {
  const char* data;
  size_t size;
};
#include "fuzz_corpus.inc"

class FileAnswerCacheTest : public ::testing::Test {
 protected:
  // Every text with the end markers and folder rules the scanners use, first straight
  // to the file system, then twice through the cache (the second time from memory);
  // the reason a missing verdict gives must come out the same too.
  void ExpectSameAnswers(const std::vector<std::string>& texts) {
    struct Call {
      const char* marker;
      bool acceptFolder;
    };
    const Call calls[] = {{"", true}, {"", false}, {".exe", true}, {"app", false}};
    const auto answer = [](FileSystem& files, const std::string& text, const Call& call) {
      const PathVerdict verdict = CheckPath(files, text, call.marker, call.acceptFolder, "c");
      return verdict.missing ? MissingPathReason(verdict) : std::string("not missing");
    };
    std::vector<std::string> direct;
    for (const std::string& text : texts) {
      for (const Call& call : calls)
        direct.push_back(answer(env.Files(), text, call));
    }
    FileAnswerCache cache(env.Files());
    int disagreements = 0;
    for (int round = 0; round < 2; ++round) {
      size_t n = 0;
      for (const std::string& text : texts) {
        for (const Call& call : calls) {
          const std::string cached = answer(cache, text, call);
          if (cached != direct[n] && ++disagreements <= 20) {
            ADD_FAILURE() << "round " << round << ", marker \"" << call.marker << "\", folders "
                          << call.acceptFolder << ": [" << text << "] is [" << direct[n]
                          << "], cached [" << cached << "]";
          }
          ++n;
        }
      }
    }
    EXPECT_EQ(disagreements, 0);
  }

  test::TestEnv env;
  const std::string dir = env.TempDir();
};

TEST_F(FileAnswerCacheTest, FuzzCorpusTextsAreJudgedAlike) {
  env.WriteFile(dir + "\\a\\b.exe");
  env.WriteFile(dir + "\\x.bat");
  env.MakeFolder(dir + "\\ab");
  std::vector<std::string> texts;
  for (const CorpusEntry& entry : kFuzzCorpus) {
    std::string text(entry.data, std::min<size_t>(entry.size, 200));
    // The bytes as they are, and as names below the test's folder.
    texts.push_back(text);
    texts.push_back(dir + "\\" + text);
    texts.push_back(dir + "\\gone\\" + text);
  }
  ASSERT_GT(texts.size(), 30u);
  ExpectSameAnswers(texts);
}

TEST_F(FileAnswerCacheTest, BenchmarkTreeTextsAreJudgedAlike) {
  constexpr int kFiles = 20;
  const std::string folder = dir + "\\bench";
  for (int i = 0; i < kFiles; ++i)
    env.WriteFile(folder + "\\f" + std::to_string(i) + ".dll");
  std::vector<std::string> texts;
  bench::Mix mix;
  for (uint64_t serial = 0; serial < 1500; ++serial) {
    const bench::MixedValue value = bench::NextMixedValue(mix, serial, folder, kFiles);
    if (value.text)
      texts.push_back(*TextOf(value.value));
  }
  for (int index = 0; index < 300; ++index) {
    for (int which = 0; which < 3; ++which) {
      const std::string text = bench::CleanTreeText(index, which, folder, kFiles);
      if (!text.empty())
        texts.push_back(text);
    }
  }
  ExpectSameAnswers(texts);
}

// Names below a missing folder that the system does not read as written: a ".." that
// climbs back out, "." names, trailing dots and blanks, short names, forward slashes,
// streams and device names. The cache may not answer them from the missing folder.
TEST_F(FileAnswerCacheTest, NamesTheSystemRereadsAreJudgedAlike) {
  env.WriteFile(dir + "\\App\\app.exe");
  env.WriteFile(dir + "\\App\\tool");
  env.WriteFile(dir + "\\App\\run.bat");
  env.WriteFile(dir + "\\App\\Deep\\inner.exe");
  env.WriteFile(dir + "\\Sub Folder\\x.com");
  env.WriteFile(dir + "\\lib.dll");
  env.MakeFolder(dir + "\\Folder.ext");
  test::SetVariable(env, "KELVANE_DIFF_DIR", dir);
  const std::string prefixes[] = {
      dir,
      UpperAscii(dir),
      dir + "\\gone",
      dir + "\\GONE\\deeper",
      dir + "\\App",
      dir + "\\gone\\..\\App",
      dir + "\\gone\\deeper\\..\\..\\App",
      dir + "\\gone\\.\\..\\App",
      dir + "\\gone.\\..\\App",
      dir + "\\gone \\..\\App",
      dir + "\\gone/..\\App",
      dir + "\\App.",
      dir + "\\APP~1",
      dir + "\\gone\\nul",
      dir + "\\gone:x",
      dir + "\\Sub Folder",
  };
  const std::string suffixes[] = {
      "",
      "\\app.exe",
      "\\APP.EXE",
      "\\app",
      "\\app.exe /s",
      "\\app.exe,1",
      "\\app.exe;;",
      "\\tool",
      "\\tool -x C:\\y",
      "\\run",
      "\\x.com",
      "\\x",
      "\\lib.dll",
      "\\",
      "\\Deep\\inner.exe",
      "\\nul",
      "\\con.txt",
      "\\app.exe:s",
      "\\app.exe/s",
      "\\..\\App\\app.exe",
      "\\.\\app.exe",
      "\\app.exe.",
      "\\app.exe ",
      "\\..\\lib.dll",
      "\\APP~1.EXE",
  };
  std::vector<std::string> texts;
  for (const std::string& prefix : prefixes) {
    for (const std::string& suffix : suffixes) {
      const std::string text = prefix + suffix;
      texts.push_back(text);
      if (suffix == "\\app.exe" || suffix == "\\tool -x C:\\y") {
        texts.push_back("\"" + text + "\" -a");
        texts.push_back("%KELVANE_DIFF_DIR%" + text.substr(dir.size()));
      }
    }
  }
  ExpectSameAnswers(texts);
}

TEST(FileAnswerCachePaths, OnlyPathsReadAsWrittenAnswerForTheNamesBelowThem) {
  const struct {
    int line;
    const char* path;
    bool plain;
    bool inFolder;  // a folder found absent answers for it
  } cases[] = {
      {__LINE__, "C:\\Program Files\\App\\app.exe", true, true},
      {__LINE__, "c:\\gone\\", true, true},
      {__LINE__, "C:\\gone\\x.exe -k", true, true},
      {__LINE__, "C:\\", false, false},
      {__LINE__, "C:gone\\x", false, false},
      {__LINE__, "\\\\server\\share\\x", false, false},
      {__LINE__, "C:\\gone\\..\\x", false, false},
      {__LINE__, "C:\\gone\\.\\x", false, false},
      {__LINE__, "C:\\gone.\\x", false, false},
      {__LINE__, "C:\\gone \\x", false, false},
      {__LINE__, "C:\\gone\\\\x", false, false},
      {__LINE__, "C:\\PROGRA~1\\x", false, false},
      {__LINE__, "C:\\gone/x", false, false},
      {__LINE__, "C:\\gone\\x:stream", false, false},
      {__LINE__, "C:\\gone\\nul", false, false},
      {__LINE__, "C:\\gone\\Com1.txt", false, false},
      {__LINE__, "C:\\gone\\console", true, true},
      {__LINE__, "C:\\gone\\\xe9t\xe9", false, false},
      // The system reads the last name without trailing dots and blanks.
      {__LINE__, "C:\\gone\\app.", false, true},
      {__LINE__, "C:\\gone\\app. .", false, true},
      {__LINE__, "C:\\gone\\..", false, false},
      {__LINE__, "C:\\gone\\ .", false, false},
      {__LINE__, "C:\\gone\\nul.", false, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FileAnswerCache::IsPlainPath(c.path), c.plain) << "line " << c.line;
    EXPECT_EQ(FileAnswerCache::IsInItsFolder(c.path), c.inFolder) << "line " << c.line;
  }
}

class FreshAnswersTest : public test::ScannerTest {};

// Every scan asks the file system afresh: what changed between two scans is seen.
TEST_F(FreshAnswersTest, EachScanSeesTheFilesAsTheyAreThen) {
  const std::string run = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
  const std::string program = dir + "\\Later\\" + token + ".exe";
  PutOwnValue(RootKey::kCurrentUser, run, token, test::Sz(program));
  const IssueRow row =
      test::Row("Missing Startup Programs", "HKEY_CURRENT_USER\\" + run + "\\" + token, program,
                RowKind::kValueInPath);
  EXPECT_EQ(Scan({10}), std::vector<IssueRow>{row});
  env.WriteFile(program);
  results.Clear();
  EXPECT_TRUE(Scan({10}).empty());
  ASSERT_TRUE(env.Files().DeleteFileSilently(program));
  results.Clear();
  EXPECT_EQ(Scan({10}), std::vector<IssueRow>{row});
}

}  // namespace
}  // namespace kelvane
