// The path check against a random small file tree on drive C: (the portable file
// system on a temporary folder): any text must be judged without a crash, and a text
// whose program part names an existing file must never be reported.
#include <fuzzer/FuzzedDataProvider.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/portable/portable_platform.h"
#include "scan/file_answer_cache.h"
#include "scan/path_check.h"

namespace fs = std::filesystem;
using kelvane::PortableFileSystem;

namespace {

// Few letters, so that the random texts and the tree meet often; blanks, commas and
// semicolons because the walks treat them specially.
constexpr char kNameChars[] = {'a', 'b', 'e', 'x', '.', ' ', ',', ';', '%', '_'};
constexpr char kSeparators[] = {' ', '*', ',', '/', ':', '<', '>', '?', '|'};
constexpr const char* kExtensions[] = {".exe", ".com", ".bat"};

const std::string& HostRoot() {
  static const std::string root = [] {
    std::string pattern = (fs::temp_directory_path() / "kelvane-fuzz-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
      std::abort();
    return pattern;
  }();
  return root;
}

// A name Windows could hold: not "." or "..", no trailing dot or blank, lower case
// only (so that two names never differ by case alone).
std::string RandomName(FuzzedDataProvider& in) {
  std::string name;
  const size_t length = in.ConsumeIntegralInRange<size_t>(1, 6);
  for (size_t i = 0; i < length; ++i)
    name.push_back(in.PickValueInArray(kNameChars));
  while (!name.empty() && (name.back() == '.' || name.back() == ' '))
    name.pop_back();
  if (name.empty())
    name = "a";
  if (in.ConsumeBool())
    name += in.PickValueInArray(kExtensions);
  return name;
}

std::string RandomCase(FuzzedDataProvider& in, std::string text) {
  for (char& c : text) {
    if (c >= 'a' && c <= 'z' && in.ConsumeBool())
      c = static_cast<char>(c - 'a' + 'A');
  }
  return text;
}

struct Tree {
  std::vector<std::string> files;    // Windows paths, "C:\..."
  std::vector<std::string> folders;  // Windows paths without trailing "\"
};

Tree MakeTree(FuzzedDataProvider& in) {
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(HostRoot(), ec))
    fs::remove_all(entry.path(), ec);
  Tree tree;
  const int count = in.ConsumeIntegralInRange(1, 6);
  for (int i = 0; i < count; ++i) {
    std::string windows = "C:";
    fs::path host = HostRoot();
    const int depth = in.ConsumeIntegralInRange(1, 3);
    bool ok = true;
    for (int level = 0; level < depth && ok; ++level) {
      const std::string name = RandomName(in);
      windows += "\\" + name;
      host /= name;
      if (level + 1 < depth) {
        fs::create_directories(host, ec);
        ok = fs::is_directory(host, ec);
        if (ok)
          tree.folders.push_back(windows);
      }
    }
    if (!ok)
      continue;
    if (in.ConsumeBool()) {
      fs::create_directories(host, ec);
      if (fs::is_directory(host, ec))
        tree.folders.push_back(windows);
    } else if (!fs::exists(host, ec)) {
      std::ofstream(host) << "x";
      if (fs::is_regular_file(host, ec))
        tree.files.push_back(windows);
    }
  }
  return tree;
}

// Arguments after a program: anything but a backslash (which would move the folder
// part into the arguments).
std::string RandomArguments(FuzzedDataProvider& in) {
  std::string args = in.ConsumeRandomLengthString(40);
  for (char& c : args) {
    if (c == '\\' || c == '\0')
      c = 'a';
  }
  return args;
}

// A text whose program part is `program`, an existing file.
std::string TextForProgram(FuzzedDataProvider& in, const std::string& program) {
  std::string path = RandomCase(in, program);
  if (in.ConsumeBool())
    path = "%KELVANE_FUZZ_ROOT%" + path.substr(3);  // the root "C:\"
  switch (in.ConsumeIntegralInRange(0, 3)) {
    case 0:
      return "\"" + path + "\"" + in.ConsumeRandomLengthString(40);
    case 1:
      return path + std::string(in.ConsumeIntegralInRange(0, 3), ';');
    case 2: {
      // Without its extension: ".exe", ".com" and ".bat" are tried.
      for (const char* extension : kExtensions) {
        const std::string ext = extension;
        if (path.size() > ext.size() + 3 &&
            kelvane::EqualsNoCase(path.substr(path.size() - ext.size()), ext) &&
            path[path.size() - ext.size() - 1] != '\\') {
          path.resize(path.size() - ext.size());
          break;
        }
      }
      return path + in.PickValueInArray(kSeparators) + RandomArguments(in);
    }
    default:
      return path + in.PickValueInArray(kSeparators) + RandomArguments(in);
  }
}

// The path check as a scan runs it, through the scan's file-answer cache (one cache
// for all texts of an input, as for all values of a scan), must answer exactly as
// it does asking the file system every time, down to the path its reason names.
bool Judge(PortableFileSystem& files, kelvane::FileAnswerCache& cache, const std::string& text,
           const std::string& marker, bool acceptFolder, const std::string& drives) {
  const auto direct = kelvane::CheckPath(files, text, marker, acceptFolder, drives);
  const auto cached = kelvane::CheckPath(cache, text, marker, acceptFolder, drives);
  if (cached.missing != direct.missing || cached.kind != direct.kind ||
      cached.path != direct.path) {
    std::fprintf(stderr, "the cache changes the answer for [%s] (marker [%s], folders %d)\n",
                 text.c_str(), marker.c_str(), acceptFolder);
    std::abort();
  }
  return direct.missing;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  const Tree tree = MakeTree(in);
  PortableFileSystem files;
  files.MapDrive('c', HostRoot());
  files.SetEnvironment("KELVANE_FUZZ_ROOT", "C:\\");
  kelvane::FileAnswerCache cache(files);

  // Any text, any marker, any drives: judged without a crash.
  const std::string marker = in.ConsumeBool() ? in.ConsumeRandomLengthString(8) : "";
  const bool acceptFolder = in.ConsumeBool();
  const std::string drives = in.ConsumeBool() ? "c" : in.ConsumeRandomLengthString(4);
  const std::string raw = in.ConsumeRandomLengthString(200);
  Judge(files, cache, raw, marker, acceptFolder, drives);
  kelvane::ExpandFolderVariable(files, raw);

  // A program that exists is never reported, whatever follows it.
  if (!tree.files.empty()) {
    const std::string& program =
        tree.files[in.ConsumeIntegralInRange<size_t>(0, tree.files.size() - 1)];
    const std::string text = TextForProgram(in, program);
    if (Judge(files, cache, text, "", in.ConsumeBool(), "c")) {
      std::fprintf(stderr, "reported although %s exists: [%s]\n", program.c_str(), text.c_str());
      std::abort();
    }
  }
  // Nor is a folder that exists, named with its trailing backslash.
  if (!tree.folders.empty()) {
    const std::string& folder =
        tree.folders[in.ConsumeIntegralInRange<size_t>(0, tree.folders.size() - 1)];
    const std::string text = RandomCase(in, folder) + "\\";
    if (Judge(files, cache, text, "", in.ConsumeBool(), "c")) {
      std::fprintf(stderr, "reported although folder %s exists: [%s]\n", folder.c_str(),
                   text.c_str());
      std::abort();
    }
  }
  return 0;
}
