// Shortcut files for the tests: under Wine real .lnk files saved by the shell link
// object, natively the portable shell's own form.
#pragma once

#include <string>
#include <string_view>

#include "test_env.h"

namespace kelvane::test {

// Writes a shortcut file at `path` (its folder must exist) pointing at `target`.
bool CreateShortcutFile(TestEnv& env, const std::string& path, const std::string& target);
// Writes a shortcut named `name` in `folder` pointing at `target`, either of which may
// have characters the ANSI code page cannot carry (see WriteWideFile).
bool CreateWideShortcut(TestEnv& env, const std::string& folder, std::u16string_view name,
                        std::u16string_view target);
// Gives the folder the hidden and system attributes (nothing to do natively).
void HideFolder(const std::string& path);
// Removes the folder with everything in it (natively the test's temporary folder
// takes it along).
void RemoveFolderTree(const std::string& path);

}  // namespace kelvane::test
