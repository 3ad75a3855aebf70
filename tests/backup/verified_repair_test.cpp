// A repair deletes an item only when the text appended for it reads back from the
// backup file as the registry holds it: lost writes and damaged text keep the item,
// its row and no trace of it in the file.
#include <gtest/gtest.h>

#include <functional>

#include "backup/export_writer.h"
#include "backup/repair.h"
#include "backup_fixture.h"
#include "fakes.h"
#include "test_env.h"

namespace kelvane {
namespace {

using test::Dword;
using test::ReadWholeFile;
using test::Sz;
using test::UnreliableFiles;

std::string Replace(std::string text, const std::string& from, const std::string& to) {
  const size_t at = text.rfind(from);
  if (at != std::string::npos)
    text.replace(at, from.size(), to);
  return text;
}

// Repairs the row as a batch of its own.
RegistryRepairer::Result RepairAlone(RegistryRepairer& repairer, const IssueRow& row) {
  EXPECT_TRUE(repairer.Stage(row));
  return repairer.Commit().at(0);
}

TEST(VerifiedRepair, AnItemWhoseTextDoesNotReadBackStaysWithItsRow) {
  struct Case {
    int line;
    bool loseAppends;
    std::function<std::string(std::string)> damage;
  };
  const Case cases[] = {
      {__LINE__, false, nullptr},
      {__LINE__, true, nullptr},
      {__LINE__, false,
       [](std::string t) { return Replace(t, "dword:0000001A", "dword:0000001B"); }},
      {__LINE__, false, [](std::string t) { return Replace(t, "hex:01,02,03", "hex:01,02"); }},
      {__LINE__, false, [](std::string t) { return Replace(t, "\"Kept\"", "\"Kept2\""); }},
      // Cut short inside the last line, and a whole subkey block left out.
      {__LINE__, false, [](std::string t) { return t.substr(0, t.size() - 3); }},
      {__LINE__, false,
       [](std::string t) { return t.substr(0, t.rfind("\r\n[HKEY_CURRENT_USER")) + "\r\n"; }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    test::TestEnv env;
    test::ScratchKey scratch{env.Registry()};
    const std::string folder = env.TempDir() + "\\Backup";
    env.MakeFolder(folder);
    UnreliableFiles files(env.Files(), env.TempDir() + "\\lost.bin");
    Platform base = env.Get();
    Platform platform{base.registry, files, base.shell, base.system, base.profile, base.processes};
    const std::string key = scratch.Path() + "\\Item";
    test::PutValue(env.Registry(), RootKey::kCurrentUser, key, "Kept", Dword(26));
    test::PutValue(env.Registry(), RootKey::kCurrentUser, key + "\\Sub", "Bin",
                   test::Typed(kRegBinary, "\x01\x02\x03"));
    const auto before = test::Dump(env.Registry(), RootKey::kCurrentUser, key);
    // The value row comes last, so it is repaired first; the key row is the one that
    // meets the unreliable file.
    test::PutValue(env.Registry(), RootKey::kCurrentUser, scratch.Path(), "First", Sz("1"));
    RegistryRepairer repairer(platform, folder + "\\Backup.reg");
    ASSERT_EQ(RepairAlone(repairer, test::RowFromCells("p", scratch.FullPath(), "First", "",
                                                       RowKind::kValueNamed, true))
                  .result,
              ItemResult::kDeleted);
    const std::string afterFirst = ReadWholeFile(env.Files(), repairer.BackupFile());

    files.loseAppends = c.loseAppends;
    files.damage = c.damage;
    const RegistryRepairer::Result repaired = RepairAlone(
        repairer,
        test::RowFromCells("p", "HKEY_CURRENT_USER\\" + key, "", "", RowKind::kKey, true));
    const bool rowLeaves = repaired.result != ItemResult::kCannotBackUp;
    files.loseAppends = false;
    files.damage = nullptr;
    const bool faulty = c.loseAppends || c.damage != nullptr;
    EXPECT_EQ(rowLeaves, !faulty) << repaired.difference;
    const auto after = test::Dump(env.Registry(), RootKey::kCurrentUser, key);
    if (faulty) {
      EXPECT_EQ(test::DumpDifferences(before, after), "");
      EXPECT_EQ(ReadWholeFile(env.Files(), repairer.BackupFile()), afterFirst);
      EXPECT_FALSE(repaired.difference.empty());
    } else {
      EXPECT_TRUE(after.empty());
    }
  }
}

TEST(VerifiedRepair, TheFirstItemOfAFileLeavesNoFileWhenItDoesNotReadBack) {
  test::TestEnv env;
  test::ScratchKey scratch{env.Registry()};
  UnreliableFiles files(env.Files(), env.TempDir() + "\\lost.bin");
  files.damage = [](std::string t) { return Replace(t, "REGEDIT4", "REGEDIT5"); };
  Platform base = env.Get();
  Platform platform{base.registry, files, base.shell, base.system, base.profile, base.processes};
  test::PutValue(env.Registry(), RootKey::kCurrentUser, scratch.Path(), "v", Sz("x"));
  RegistryRepairer repairer(platform, env.TempDir() + "\\Backup.reg");
  const RegistryRepairer::Result repaired = RepairAlone(
      repairer, MakeIssueRow("p", ValueTarget(RootKey::kCurrentUser, scratch.Path(), "v"),
                             RowKind::kValueNamed, "v", ""));
  EXPECT_EQ(repaired.result, ItemResult::kCannotBackUp);
  EXPECT_FALSE(env.Files().FileExists(repairer.BackupFile()));
  EXPECT_NE(repaired.difference.find("Line 1"), std::string::npos) << repaired.difference;
}

}  // namespace
}  // namespace kelvane
