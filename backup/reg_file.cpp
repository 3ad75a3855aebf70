#include "backup/reg_file.h"

#include <map>

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

namespace {

std::string ValueText(const RegFileKey& key, const std::string& name) {
  return "the value \"" + ValueNameText(name) + "\" of " + KeyText(key);
}

}  // namespace

std::optional<std::string> FirstItemDifference(const std::vector<RegFileKey>& written,
                                               const std::vector<RegFileKey>& readBack) {
  for (size_t k = 0; k < written.size(); ++k) {
    const RegFileKey& w = written[k];
    if (k >= readBack.size())
      return "the key " + KeyText(w) + " is missing from the backup";
    const RegFileKey& r = readBack[k];
    if (w.root != r.root || w.path != r.path)
      return "the key " + KeyText(w) + " reads back as " + KeyText(r);
    for (size_t v = 0; v < w.values.size(); ++v) {
      const RegFileValue& wv = w.values[v];
      if (v >= r.values.size())
        return ValueText(w, wv.name) + " is missing from the backup";
      const RegFileValue& rv = r.values[v];
      if (wv.name != rv.name)
        return ValueText(w, wv.name) + " reads back as \"" + ValueNameText(rv.name) + "\"";
      if (!wv.value || !rv.value || !SameAfterImport(*wv.value, *rv.value))
        return ValueText(w, wv.name) + " reads back differently";
    }
    if (r.values.size() > w.values.size())
      return ValueText(r, r.values[w.values.size()].name) + " is not in the registry";
  }
  if (readBack.size() > written.size())
    return "the key " + KeyText(readBack[written.size()]) + " is not in the registry";
  return std::nullopt;
}

std::optional<std::string> FirstRestoreDifference(RegistryBackend& backend, const RegFile& file) {
  // What the import leaves: per key (names match without regard to case) the last
  // setting of each value, checked in the order the file first names them.
  struct Expected {
    const RegFileKey* key;
    std::vector<std::string> order;
    std::map<std::string, const RegFileValue*> last;
  };
  std::vector<Expected> expected;
  std::map<std::pair<RootKey, std::string>, size_t> index;
  for (const RegFileKey& key : file.keys) {
    const auto [it, added] = index.try_emplace({key.root, UpperAscii(key.path)}, expected.size());
    if (added)
      expected.push_back(Expected{&key, {}, {}});
    Expected& e = expected[it->second];
    for (const RegFileValue& value : key.values) {
      const std::string upper = UpperAscii(value.name);
      if (e.last.find(upper) == e.last.end())
        e.order.push_back(upper);
      e.last[upper] = &value;
    }
  }
  for (const Expected& e : expected) {
    Registry registry(backend, KeyAccess::kRead);
    registry.SetRoot(e.key->root);
    if (!registry.OpenKey("\\" + e.key->path, false))
      return "the key " + KeyText(*e.key) + " is missing";
    for (const std::string& upper : e.order) {
      const RegFileValue& value = *e.last.at(upper);
      const std::optional<RegValue> stored = registry.ReadRaw(value.name);
      if (!stored)
        return ValueText(*e.key, value.name) + " is missing";
      if (!value.value || !SameAfterImport(*stored, *value.value))
        return ValueText(*e.key, value.name) + " differs from the backup";
    }
  }
  return std::nullopt;
}

}  // namespace kelvane
