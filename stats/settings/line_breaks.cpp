#include "stats/settings/line_breaks.h"

#include "stats/settings/replace_all.h"

namespace stats {

std::string EncodeLineBreaks(const std::string& text) {
  return ReplaceAll(ReplaceAll(text, "\r", kStoredCr), "\n", kStoredLf);
}

std::string DecodeLineBreaks(const std::string& stored) {
  return ReplaceAll(ReplaceAll(stored, kStoredCr, "\r"), kStoredLf, "\n");
}

}  // namespace stats
