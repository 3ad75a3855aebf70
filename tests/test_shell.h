// A shell for the app tests: the platform's own shell, except that the executable's
// folder is the test's temporary folder and "Open" is only recorded (under Wine it
// would start real programs that outlive the test).
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "platform/platform.h"
#include "test_env.h"

namespace kelvane::test {

class TestShell : public Shell {
 public:
  TestShell(Shell& inner, std::string executableFolder)
      : inner_(inner), executableFolder_(std::move(executableFolder)) {}
  std::optional<std::string> SpecialFolder(int csidl) override {
    return inner_.SpecialFolder(csidl);
  }
  std::optional<std::string> ResolveShortcut(const std::string& path) override {
    return inner_.ResolveShortcut(path);
  }
  bool Open(const std::string& file, const std::string& parameters, const ShellOpen&) override {
    opened.emplace_back(file, parameters);
    return openSucceeds;
  }
  bool MoveToRecycleBin(const std::string& path) override { return inner_.MoveToRecycleBin(path); }
  std::string ExecutableFolder() override { return executableFolder_; }
  std::string WindowsFolder() override { return inner_.WindowsFolder(); }
  std::string SystemFolder() override { return inner_.SystemFolder(); }

  std::vector<std::pair<std::string, std::string>> opened;
  bool openSucceeds = true;  // what Open answers

 private:
  Shell& inner_;
  std::string executableFolder_;
};

// The test environment's platform with the shell above; the executable's folder is
// the test's temporary folder.
class AppPlatform {
 public:
  explicit AppPlatform(TestEnv& env) : base_(env.Get()), shell(base_.shell, env.TempDir() + "\\") {}
  Platform Get() {
    return Platform{base_.registry, base_.files,   shell,
                    base_.system,   base_.profile, base_.processes};
  }
  Platform GetWithProfile(ProfileStore& profile) {
    return Platform{base_.registry, base_.files, shell, base_.system, profile, base_.processes};
  }

 private:
  Platform base_;

 public:
  TestShell shell;
};

}  // namespace kelvane::test
