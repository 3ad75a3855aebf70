// Ways to make a file that cannot be written, for the tests of failed writes.
#pragma once

#include <string>

#include "test_env.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#endif

namespace kelvane::test {

// Gives the file the read-only attribute. False when the platform lets this process
// write it all the same (Wine run by root maps the attribute to permission bits that
// root passes), so that a test can say it was not checked.
inline bool MakeReadOnly(TestEnv& env, const std::string& path) {
#ifdef _WIN32
  (void)env;
  if (!SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY))
    return false;
  HANDLE probe = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                             nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (probe == INVALID_HANDLE_VALUE)
    return true;
  CloseHandle(probe);
  return false;
#else
  const auto host = env.Native().files.HostPath(path);
  return host && ::chmod(host->c_str(), 0444) == 0;
#endif
}

#ifdef _WIN32
// Holds the file open without sharing, as another program may: nobody else can open it.
class ExclusiveOpen {
 public:
  explicit ExclusiveOpen(const std::string& path)
      : handle_(CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr)) {}
  ~ExclusiveOpen() {
    if (handle_ != INVALID_HANDLE_VALUE)
      CloseHandle(handle_);
  }
  ExclusiveOpen(const ExclusiveOpen&) = delete;
  ExclusiveOpen& operator=(const ExclusiveOpen&) = delete;
  bool Held() const { return handle_ != INVALID_HANDLE_VALUE; }

 private:
  HANDLE handle_;
};
#endif

}  // namespace kelvane::test
