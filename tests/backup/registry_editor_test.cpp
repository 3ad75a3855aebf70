// Runs of the registry editor: the hint window's bar, the full export that only ever
// lands whole under its name, the Windows backup tool's place, and (under Wine) the
// real editor started by its full path while a planted "regedit.exe" waits nearby.
#include <gtest/gtest.h>

#include "backup/reg_reader.h"
#include "backup/registry_editor.h"
#include "backup_fixture.h"
#include "test_env.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace kelvane {
namespace {

using test::ReadWholeFile;

TEST(BackupHintBar, SlowsDownAsItFillsAndStopsAtItsMaximum) {
  struct Case {
    int line;
    int from;
    int to;
  };
  const Case cases[] = {
      {__LINE__, 0, 10},    {__LINE__, 300, 310}, {__LINE__, 301, 306}, {__LINE__, 400, 405},
      {__LINE__, 401, 404}, {__LINE__, 450, 453}, {__LINE__, 451, 453}, {__LINE__, 490, 492},
      {__LINE__, 491, 492}, {__LINE__, 499, 500}, {__LINE__, 500, 500},
  };
  for (const Case& c : cases)
    EXPECT_EQ(NextBackupHintBarPosition(c.from), c.to) << "line " << c.line;

  int position = 0;
  int ticks = 0;
  while (position < kBackupHintBarMax) {
    position = NextBackupHintBarPosition(position);
    ++ticks;
  }
  EXPECT_EQ(ticks, 94);
  for (int i = 0; i < 10; ++i)
    EXPECT_EQ(position = NextBackupHintBarPosition(position), kBackupHintBarMax);
}

TEST(FullExportName, RegIsAppendedUnlessTheNameEndsInIt) {
  const std::pair<std::string, std::string> cases[] = {
      {"C:\\b\\full", "C:\\b\\full.reg"},         {"C:\\b\\full.txt", "C:\\b\\full.txt.reg"},
      {"C:\\b\\full.Reg", "C:\\b\\full.Reg"},     {"C:\\b\\full.REG", "C:\\b\\full.REG"},
      {"C:\\b.reg\\full", "C:\\b.reg\\full.reg"}, {"C:\\b\\full.regx", "C:\\b\\full.regx.reg"},
  };
  for (const auto& [in, out] : cases)
    EXPECT_EQ(WithRegExtension(in), out);
}

class EditorTest : public ::testing::Test {
 protected:
  test::TestEnv env;
  std::string target = env.TempDir() + "\\Full.reg";
};

TEST_F(EditorTest, AnExportLandsUnderItsNameOnlyWhenTheEditorEndedByItself) {
  struct Case {
    int line;
    EditorOutcome outcome;
    bool written;  // the editor wrote the temporary file
    ExportResult result;
    bool targetIsNew;
  };
  const Case cases[] = {
      {__LINE__, EditorOutcome::kEnded, true, ExportResult::kSaved, true},
      {__LINE__, EditorOutcome::kEnded, false, ExportResult::kNoFile, false},
      {__LINE__, EditorOutcome::kStopped, true, ExportResult::kStopped, false},
      {__LINE__, EditorOutcome::kClosed, true, ExportResult::kStopped, false},
      {__LINE__, EditorOutcome::kNotStarted, false, ExportResult::kNotStarted, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    env.WriteFile(target, "old export");
    const std::string temporary = ExportTemporaryPath(env.Files(), target);
    EXPECT_EQ(temporary.rfind(env.TempDir() + "\\~Full.reg.", 0), 0u) << temporary;
    if (c.written)
      env.WriteFile(temporary, "REGEDIT4\r\n");
    EXPECT_EQ(FinishFullExport(env.Files(), c.outcome, temporary, target), c.result);
    EXPECT_EQ(ReadWholeFile(env.Files(), target), c.targetIsNew ? "REGEDIT4\r\n" : "old export");
    EXPECT_FALSE(env.Files().FileExists(temporary));
  }
  EXPECT_EQ(env.Files().ListFolder(env.TempDir()).size(), 1u);
  EXPECT_EQ(ExportResultText(ExportResult::kStopped, "t", target), "");
  EXPECT_NE(ExportResultText(ExportResult::kNoFile, "t", target).find(target), std::string::npos);
  EXPECT_NE(ExportResultText(ExportResult::kCannotMove, "C:\\t.tmp", target).find("C:\\t.tmp"),
            std::string::npos);
}

#ifdef _WIN32
// The close box leaves the editor running with its file open: the file stays, and the
// user is told where it is.
TEST_F(EditorTest, AnExportFileStillOpenIsReportedNotLost) {
  const std::string temporary = ExportTemporaryPath(env.Files(), target);
  env.WriteFile(temporary, "REGEDIT4\r\n");
  HANDLE open = CreateFileA(temporary.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(open, INVALID_HANDLE_VALUE);
  const ExportResult result =
      FinishFullExport(env.Files(), EditorOutcome::kClosed, temporary, target);
  CloseHandle(open);
  EXPECT_EQ(result, ExportResult::kLeftBehind);
  EXPECT_FALSE(env.Files().FileExists(target));
  EXPECT_NE(ExportResultText(result, temporary, target).find(temporary), std::string::npos);
}
#endif

TEST_F(EditorTest, TheTemporaryNameAvoidsFilesThatExist) {
  const std::string first = ExportTemporaryPath(env.Files(), target);
  env.WriteFile(first, "busy");
  const std::string second = ExportTemporaryPath(env.Files(), target);
  EXPECT_NE(first, second);
  EXPECT_EQ(second.substr(second.size() - 4), ".tmp");
}

TEST_F(EditorTest, TheEditorAndTheBackupToolComeFromTheWindowsFolders) {
  Platform platform = env.Get();
  const std::string windows = platform.shell.WindowsFolder();
  EXPECT_TRUE(EqualsNoCase(RegistryEditorPath(platform.shell), windows + "\\regedit.exe"));
  // The system's own backup tool, Windows 7's sdclt.exe before XP's ntbackup.exe.
  const std::string system = platform.shell.SystemFolder();
  EXPECT_EQ(WindowsBackupToolPath(platform.shell, platform.files), std::nullopt);
  env.WriteFile(system + "\\ntbackup.exe", "MZ");
  EXPECT_EQ(WindowsBackupToolPath(platform.shell, platform.files), system + "\\ntbackup.exe");
  env.WriteFile(system + "\\sdclt.exe", "MZ");
  EXPECT_EQ(WindowsBackupToolPath(platform.shell, platform.files), system + "\\sdclt.exe");
  platform.files.DeleteFileSilently(system + "\\sdclt.exe");
  platform.files.DeleteFileSilently(system + "\\ntbackup.exe");
  EXPECT_EQ(EditorCommandLine("C:\\W\\regedit.exe", "/s", "C:\\B\\a b.reg"),
            "\"C:\\W\\regedit.exe\" /s \"C:\\B\\a b.reg\"");
}

#ifndef _WIN32
TEST_F(EditorTest, AStartedEditorIsPolledStoppedAndReleased) {
  PortableProcesses& processes = env.Native().processes;
  processes.KeepRunning(true);
  auto run = EditorRun::Start(processes, "C:\\WINDOWS\\regedit.exe", "x");
  ASSERT_TRUE(run);
  EXPECT_FALSE(run->HasEnded());
  run->Stop();
  EXPECT_TRUE(run->HasEnded());
  EXPECT_EQ(processes.Terminated().size(), 1u);
  EXPECT_EQ(processes.Programs().at(0).application, "C:\\WINDOWS\\regedit.exe");
  processes.missing = {"C:\\WINDOWS\\regedit.exe"};
  EXPECT_FALSE(EditorRun::Start(processes, "C:\\WINDOWS\\regedit.exe", "x"));
}
#else
// The real editor exports a key while a "regedit.exe" that is not one lies in the
// current folder and beside the test program: only the real one may run.
TEST_F(EditorTest, OnlyTheEditorInTheWindowsFolderRuns) {
  Platform platform = env.Get();
  test::ScratchKey scratch{env.Registry()};
  test::PutString(env.Registry(), RootKey::kCurrentUser, scratch.Path(), "v", "real");
  char exe[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, exe, MAX_PATH);
  std::string beside = exe;
  beside = beside.substr(0, beside.rfind('\\')) + "\\regedit.exe";
  const std::string planted = env.TempDir() + "\\regedit.exe";
  // Notepad stands in for a planted program: it would run until stopped and write nothing.
  const std::string notepad = platform.shell.WindowsFolder() + "\\notepad.exe";
  ASSERT_TRUE(CopyFileA(notepad.c_str(), planted.c_str(), FALSE));
  const bool besideCopied = CopyFileA(notepad.c_str(), beside.c_str(), TRUE) != FALSE;
  char previous[MAX_PATH] = {};
  GetCurrentDirectoryA(MAX_PATH, previous);
  SetCurrentDirectoryA(env.TempDir().c_str());

  const std::string out = env.TempDir() + "\\out.reg";
  const std::string editor = RegistryEditorPath(platform.shell);
  auto run =
      EditorRun::Start(platform.processes, editor,
                       EditorCommandLine(editor, "/e", out) + " \"" + scratch.FullPath() + "\"");
  SetCurrentDirectoryA(previous);
  ASSERT_TRUE(run);
  for (int i = 0; i < 300 && !run->HasEnded(); ++i)
    Sleep(100);
  const bool ended = run->HasEnded();
  if (!ended)
    run->Stop();
  if (besideCopied)
    DeleteFileA(beside.c_str());
  ASSERT_TRUE(ended) << "the started program did not end: not the registry editor";
  const RegReadResult read = ReadRegFile(env.Files(), out);
  ASSERT_TRUE(read.file) << read.error;
  ASSERT_EQ(read.file->keys.size(), 1u);
  EXPECT_EQ(read.file->keys[0].values.at(0).name, "v");
}

// When this test program runs under the name "sleeper.exe" it stands in for an editor
// that takes its time: it waits a minute and ends, before any test runs.
const bool kRanAsSleeper = [] {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  const std::string self = path;
  const std::string tail = "\\sleeper.exe";
  if (self.size() < tail.size() ||
      lstrcmpiA(self.substr(self.size() - tail.size()).c_str(), tail.c_str()) != 0) {
    return false;
  }
  Sleep(60000);
  ExitProcess(0);
}();

TEST_F(EditorTest, StopEndsAProgramThatWouldRunOn) {
  Platform platform = env.Get();
  char self[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  const std::string sleeper = env.TempDir() + "\\sleeper.exe";
  ASSERT_TRUE(CopyFileA(self, sleeper.c_str(), FALSE));
  auto run = EditorRun::Start(platform.processes, sleeper, "\"" + sleeper + "\"");
  ASSERT_TRUE(run);
  Sleep(500);
  EXPECT_FALSE(run->HasEnded());
  run->Stop();
  EXPECT_TRUE(run->HasEnded());
  EXPECT_FALSE(EditorRun::Start(platform.processes, env.TempDir() + "\\none.exe", "none.exe"));
}
#endif

}  // namespace
}  // namespace kelvane
