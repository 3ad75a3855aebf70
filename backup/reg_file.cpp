#include "backup/reg_file.h"

namespace kelvane {

std::string KeyText(const RegFileKey& key) {
  std::string text = RootName(key.root);
  if (!key.path.empty())
    text += "\\" + key.path;
  return text;
}

std::string ValueNameText(const std::string& name) {
  return name.empty() ? std::string("(Default)") : name;
}

bool SameAfterImport(const RegValue& stored, const RegValue& imported) {
  if (!stored.exact || !imported.exact)
    return stored == imported;  // stored bytes that are no whole UTF-16 text come back as they are
  if (stored == imported)
    return true;
  const bool isString = stored.type == kRegSz || stored.type == kRegExpandSz;
  return isString && stored.type == imported.type &&
         imported.data.size() == stored.data.size() + 1 && imported.data.back() == '\0' &&
         imported.data.compare(0, stored.data.size(), stored.data) == 0;
}

}  // namespace kelvane
