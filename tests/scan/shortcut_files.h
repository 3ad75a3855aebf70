// Shortcut files for the tests: under Wine real .lnk files saved by the shell link
// object, natively the portable shell's own form.
#pragma once

#include <string>

#include "test_env.h"

namespace kelvane::test {

// Writes a shortcut file at `path` (its folder must exist) pointing at `target`.
bool CreateShortcutFile(TestEnv& env, const std::string& path, const std::string& target);
// Gives the folder the hidden and system attributes (nothing to do natively).
void HideFolder(const std::string& path);
// Removes the folder with everything in it (natively the test's temporary folder
// takes it along).
void RemoveFolderTree(const std::string& path);

}  // namespace kelvane::test
