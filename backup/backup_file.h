// A small helper for the backup files: the digits of their time-stamped names.
#pragma once

#include <string>

namespace kelvane {

// N with a leading "0" when below 10 ("07"), else plain decimal ("2006").
std::string FormatTwoDigits(int n);

}  // namespace kelvane
