// "-restore FILE" without a window: the exit code and whether the file stays, for a
// missing, a damaged, a restored and a not restored backup (under Wine with the real
// registry editor).
#include <gtest/gtest.h>

#include "unattended/exit_codes.h"
#include "unattended/runs.h"
#include "test_env.h"

namespace kelvane {
namespace {

TEST(UnattendedRestore, ExitCodeAndTheFileFollowTheProof) {
  test::TestEnv env;
  test::ScratchKey scratch(env.Registry());
  struct Case {
    int line;
    const char* content;  // nothing: no file
    bool imports;         // (natively) the editor puts the file's value in place
    bool editorStarts;
    bool deleteSetting;
    int expected;
    bool fileStays;
  };
  const Case cases[] = {
      {__LINE__, nullptr, true, true, true, kRestoreFailed, false},
      {__LINE__, "REGEDIT5\r\n", true, true, true, kRestoreRefused, true},
      {__LINE__, "", true, true, true, kRestoreDone, false},
      {__LINE__, "", true, true, false, kRestoreDone, true},
#ifndef _WIN32
      {__LINE__, "", false, true, true, kRestoreRefused, true},
      {__LINE__, "", true, false, true, kRestoreFailed, true},
#endif
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    const std::string name = "v" + std::to_string(c.line);
    const std::string path = env.TempDir() + "\\Backup" + std::to_string(c.line) + ".reg";
    if (c.content) {
      env.WriteFile(path, *c.content ? std::string(c.content)
                                     : "REGEDIT4\r\n\r\n[" + scratch.FullPath() + "]\r\n\"" + name +
                                           "\"=\"restored\"\r\n\r\n");
    }
#ifndef _WIN32
    auto& processes = env.Native().processes;
    processes.missing.clear();
    if (!c.editorStarts)
      processes.missing.push_back(RegistryEditorPath(env.Native().shell));
    processes.onStart = [&](const PortableProcesses::Program&) {
      if (c.imports)
        test::PutString(env.Registry(), RootKey::kCurrentUser, scratch.Path(), name, "restored");
    };
#endif
    Platform platform = env.Get();
    const UnattendedRestore result =
        RestoreBackupUnattended(platform, path, c.deleteSetting, [] {});
    EXPECT_EQ(result.exitCode, c.expected) << result.message;
    EXPECT_EQ(result.message.empty(), c.expected == kRestoreDone) << result.message;
    EXPECT_EQ(env.Files().FileExists(path), c.fileStays);
  }
}

}  // namespace
}  // namespace kelvane
