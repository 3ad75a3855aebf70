// The Windows version code from the system's version record.
#include <gtest/gtest.h>

#include <string>

#include "platform/version_code.h"
#include "test_env.h"

namespace kelvane {
namespace {

#ifndef _WIN32
TEST(WindowsVersionCode, EveryRowOfTheTable) {
  struct Case {
    uint32_t platformId, major, minor, code;
  };
  const Case cases[] = {
      {2, 3, 51, 5}, {2, 4, 0, 6},  {2, 5, 0, 7},   {2, 5, 3, 7},   {2, 5, 1, 9},
      {2, 5, 2, 10}, {2, 6, 1, 10}, {2, 10, 0, 10}, {1, 4, 0, 1},   {1, 4, 10, 3},
      {1, 4, 90, 8}, {1, 4, 3, 10}, {1, 5, 0, 10},  {0, 3, 10, 10},
  };
  PortableSystemInfo system;
  for (const Case& c : cases) {
    system.SetVersion(VersionRecord{c.platformId, c.major, c.minor});
    EXPECT_EQ(GetWindowsVersionCode(system), c.code)
        << c.platformId << " " << c.major << "." << c.minor;
  }
  system.SetVersion(std::nullopt);
  EXPECT_EQ(GetWindowsVersionCode(system), 10u);
}
#else
TEST(WindowsVersionCode, WineAnswersAnNtSixSystem) {
  test::TestEnv env;
  EXPECT_EQ(GetWindowsVersionCode(env.Native().system), 10u);
}
#endif

}  // namespace
}  // namespace kelvane
