#include "scan/scanners.h"

namespace kelvane {

bool IsTextValue(Registry& registry, const std::string& name) {
  const DataType type = registry.GetDataType(name);
  return type == DataType::kString || type == DataType::kExpandString;
}

std::optional<std::string> ReadText(Registry& registry, const std::string& name) {
  const auto value = registry.ReadRaw(name);
  if (!value)
    return std::nullopt;
  return TextOf(*value);
}

std::optional<std::string> TextOf(const RegValue& value) {
  if (value.type != kRegSz && value.type != kRegExpandSz)
    return std::nullopt;
  const size_t nul = value.data.find('\0');
  return nul == std::string::npos ? value.data : value.data.substr(0, nul);
}

void ForEachName(ScanContext& context, RootKey root, const std::string& keyPath, KeyNames names,
                 const std::function<void(Registry&, const std::string&)>& visit) {
  Registry registry = context.NewRegistry(root);
  if (!registry.OpenKey(keyPath, false))
    return;
  context.ShowScanKey(keyPath);
  for (const std::string& name :
       names == KeyNames::kValues ? registry.GetValueNames() : registry.GetKeyNames())
    visit(registry, name);
}

}  // namespace kelvane
