#include "backup/backup_file.h"

namespace kelvane {

std::string FormatTwoDigits(int n) {
  std::string text = std::to_string(n);
  if (n < 10)
    text.insert(0, 1, '0');
  return text;
}

}  // namespace kelvane
