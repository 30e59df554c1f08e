#include "stats/region_list/region_list.h"

#include <cstdio>

#include "platform/files.h"
#include "platform/message_box.h"

namespace {

bool IsCallSignChar(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '/';
}

}  // namespace

int FindInRegionList(RegionList& list, const std::string& call) {
  std::FILE* file = std::fopen(platform::NativePath(list.path_).c_str(), "rb");
  if (file == nullptr) {
    if (!list.missingReported_) {
      // Marked before the box: the host may call again while the box is open.
      list.missingReported_ = true;
      platform::ShowMessageBox(kMissingRegionListText, nullptr, platform::MessageIcon::None,
                               false);
    }
    return 0;
  }
  if (call.empty()) {
    std::fclose(file);
    return 0;
  }

  // Compare the call sign at the start of each line as it streams past.
  int lineNumber = 1;
  std::size_t matched = 0;  // characters of `call` matched so far on this line
  bool inCallSign = true;   // still inside the line's leading call sign
  int found = 0;
  for (int c = std::fgetc(file);; c = std::fgetc(file)) {
    const bool endOfLine = c == EOF || c == '\n' || c == '\r';
    if (inCallSign && (endOfLine || !IsCallSignChar(static_cast<unsigned char>(c)))) {
      if (matched == call.size()) {
        found = lineNumber;
        break;
      }
      inCallSign = false;
    } else if (inCallSign) {
      if (matched < call.size() && static_cast<unsigned char>(call[matched]) == c) {
        ++matched;
      } else {
        inCallSign = false;
      }
    }
    if (c == EOF) break;
    if (c == '\n') {
      ++lineNumber;
      matched = 0;
      inCallSign = true;
    }
  }
  std::fclose(file);
  return found;
}
