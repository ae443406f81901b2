#include "vobsub/output_names.h"

namespace kestrelpix {

namespace {

// Windows accepts both separators; elsewhere a backslash is an ordinary
// character of a file name.
#ifdef _WIN32
constexpr const char* kSeparators = "/\\";
#else
constexpr const char* kSeparators = "/";
#endif

}  // namespace

std::string FolderOf(const std::string& path) {
  const size_t cut = path.find_last_of(kSeparators);
  return cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
}

std::string OutputFileName(const std::string& inputPath, const std::string& suffix) {
  const std::string folder = FolderOf(inputPath);
  std::string name = inputPath.substr(folder.size());
  // The formats read whose extension has four letters lose all five
  // characters, not their last four ("film.ttml" gives "film.idx").
  bool longExtension = false;
  if (name.size() > 5 && name[name.size() - 5] == '.') {
    std::string ext = name.substr(name.size() - 4);
    for (char& c : ext) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    longExtension = ext == "sami" || ext == "ttml" || ext == "dfxp";
  }
  if (longExtension) {
    name.resize(name.size() - 5);
  } else if (name.size() >= 4) {
    name.resize(name.size() - 4);
  } else {
    const size_t dot = name.find_last_of('.');
    if (dot != std::string::npos && dot > 0) name.resize(dot);
  }
  return folder + name + suffix;
}

}  // namespace kestrelpix
