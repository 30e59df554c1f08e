#include "stats/ubn/file_names.h"

namespace stats {

namespace {
constexpr char kWhiteSpace[] = " \t\r\n\v\f";
}  // namespace

std::string FileStem(const std::string& call) {
  std::string stem = call;
  for (char& c : stem) {
    if (c == '/' || c == '\\' || c == ':') c = '_';
  }
  return stem;
}

std::string CheckFileName(const std::string& ownCall) { return FileStem(ownCall) + "-ubn.txt"; }

std::string CabrilloFileStem(const std::string& ownCall) {
  const std::string stem = FileStem(ownCall);
  const std::size_t first = stem.find_first_not_of(kWhiteSpace);
  if (first == std::string::npos) return kDefaultFileStem;
  return stem.substr(first, stem.find_last_not_of(kWhiteSpace) - first + 1);
}

std::string CabrilloFileName(const std::string& ownCall) {
  return CabrilloFileStem(ownCall) + ".cbr";
}

}  // namespace stats
