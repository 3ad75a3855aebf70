// The backup files' helper: the time stamp's digits.
#include <gtest/gtest.h>

#include <string>

#include "backup/repair.h"

namespace kelvane {
namespace {

TEST(FormatTwoDigits, PadsBelowTenOnly) {
  EXPECT_EQ(FormatTwoDigits(0), "00");
  EXPECT_EQ(FormatTwoDigits(7), "07");
  EXPECT_EQ(FormatTwoDigits(10), "10");
  EXPECT_EQ(FormatTwoDigits(59), "59");
  EXPECT_EQ(FormatTwoDigits(2006), "2006");
}

}  // namespace
}  // namespace kelvane
