#include "stats/settings/replace_all.h"

namespace stats {

std::string ReplaceAll(const std::string& source, const std::string& find,
                       const std::string& replacement) {
  // An empty find text would match everywhere and never advance.
  if (find.empty() || find == replacement) return source;
  std::string result;
  std::size_t from = 0;
  for (std::size_t at = source.find(find, from); at != std::string::npos;
       at = source.find(find, from)) {
    result.append(source, from, at - from);
    result += replacement;
    from = at + find.size();
  }
  result.append(source, from, std::string::npos);
  return result;
}

}  // namespace stats
