#include "stats/region_list/region_list.h"

#include <cstdio>

#include "platform/message_box.h"

namespace {

bool IsCallSignChar(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '/';
}

}  // namespace

bool RegionList::Refresh() {
  if (batchDepth_ > 0 && batchChecked_) return present_;
  present_ = Reload();
  batchChecked_ = batchDepth_ > 0;
  return present_;
}

bool RegionList::Reload() {
  const std::string native = platform::NativePath(path_);
  platform::FileStamp stamp;
  if (!platform::GetFileStamp(native, stamp)) {
    loaded_ = false;
    return false;
  }
  if (loaded_ && stamp == stamp_) return true;

  std::FILE* file = std::fopen(native.c_str(), "rb");
  if (file == nullptr) {
    loaded_ = false;
    return false;
  }
  std::unordered_map<std::string, int> firstLine;
  int lineNumber = 1;
  std::string callSign;
  bool inCallSign = true;  // still inside the line's leading call sign
  for (int c = std::fgetc(file);; c = std::fgetc(file)) {
    if (inCallSign && c != EOF && IsCallSignChar(static_cast<unsigned char>(c))) {
      callSign += static_cast<char>(c);
    } else if (inCallSign) {
      if (!callSign.empty()) firstLine.emplace(callSign, lineNumber);
      callSign.clear();
      inCallSign = false;
    }
    if (c == EOF) break;
    if (c == '\n') {
      ++lineNumber;
      inCallSign = true;
    }
  }
  std::fclose(file);
  firstLine_ = std::move(firstLine);
  stamp_ = stamp;
  loaded_ = true;
  return true;
}

int FindInRegionList(RegionList& list, const std::string& call) {
  if (!list.Refresh()) {
    if (!list.missingReported_) {
      // Marked before the box: the host may call again while the box is open.
      list.missingReported_ = true;
      platform::ShowMessageBox(kMissingRegionListText, nullptr, platform::MessageIcon::None,
                               false);
      list.batchChecked_ = false;
    }
    return 0;
  }
  if (call.empty()) return 0;
  auto it = list.firstLine_.find(call);
  return it == list.firstLine_.end() ? 0 : it->second;
}
