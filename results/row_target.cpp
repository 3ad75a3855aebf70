#include "results/row_target.h"

namespace kelvane {

std::string TargetKeyText(const RowTarget& target) {
  switch (target.kind) {
    case TargetKind::kFile:
      return target.file;
    case TargetKind::kNone:
      return {};
    case TargetKind::kValue:
      if (target.keyPath.empty())
        return RootName(target.root);
      break;
    case TargetKind::kKey:
    case TargetKind::kNoSubkey:
      break;
  }
  return std::string(RootName(target.root)) + "\\" + target.keyPath;
}

std::string TargetIdentity(const RowTarget& target) {
  if (target.kind == TargetKind::kFile)
    return "F" + UpperAscii(target.file);
  const size_t begin = target.keyPath.find_first_not_of('\\');
  const std::string path =
      begin == std::string::npos
          ? std::string()
          : target.keyPath.substr(begin, target.keyPath.find_last_not_of('\\') + 1 - begin);
  std::string identity = std::to_string(static_cast<int>(target.kind)) +
                         std::to_string(static_cast<int>(target.root)) + UpperAscii(path);
  if (target.kind == TargetKind::kValue)
    identity += '\n' + UpperAscii(target.valueName);
  return identity;
}

}  // namespace kelvane
