#include "scan/scanners.h"

namespace kelvane {

bool IsTextValue(Registry& registry, const std::string& name) {
  const DataType type = registry.GetDataType(name);
  return type == DataType::kString || type == DataType::kExpandString;
}

std::optional<std::string> ReadText(Registry& registry, const std::string& name) {
  auto value = registry.ReadRaw(name);
  if (!value || (value->type != kRegSz && value->type != kRegExpandSz))
    return std::nullopt;
  const size_t nul = value->data.find('\0');
  if (nul != std::string::npos)
    value->data.resize(nul);
  return std::move(value->data);
}

}  // namespace kelvane
