#include "stats/region_list/region_list.h"

#include <cstdint>
#include <cstdio>
#include <utility>

#include "platform/message_box.h"

namespace stats {

namespace {

// Time stamps of FAT file systems are two seconds apart.
constexpr int kRacySeconds = 2;

bool IsCallSignChar(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '/';
}

bool ReadWholeFile(const std::string& path, std::string& bytes) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return false;
  char buffer[16384];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;) bytes.append(buffer, n);
  const bool failed = std::ferror(file) != 0;
  std::fclose(file);
  return !failed;
}

// The list's text, one byte per character. Windows editors save "UTF-8 with BOM"
// or "Unicode" (UTF-16 with its byte-order mark): the mark is dropped, and a
// UTF-16 character outside ASCII becomes a byte that no call sign holds. Any
// other file is taken byte for byte.
std::string ListText(std::string bytes) {
  if (bytes.rfind("\xEF\xBB\xBF", 0) == 0) bytes.erase(0, 3);
  const bool littleEndian = bytes.rfind("\xFF\xFE", 0) == 0;
  if (!littleEndian && bytes.rfind("\xFE\xFF", 0) != 0) return bytes;
  std::string text;
  text.reserve(bytes.size() / 2);
  for (std::size_t i = 2; i + 1 < bytes.size(); i += 2) {
    const unsigned char first = static_cast<unsigned char>(bytes[i]);
    const unsigned char second = static_cast<unsigned char>(bytes[i + 1]);
    const unsigned unit = littleEndian ? first | second << 8 : second | first << 8;
    text += unit < 0x80 ? static_cast<char>(unit) : '?';
  }
  return text;
}

// Each call sign of the list with the number of its first line.
std::unordered_map<std::string, int> FirstLines(const std::string& text) {
  std::unordered_map<std::string, int> firstLine;
  int lineNumber = 1;
  std::string callSign;
  bool inCallSign = true;  // still inside the line's leading call sign
  for (std::size_t i = 0;; ++i) {
    const bool atEnd = i == text.size();
    const unsigned char c = atEnd ? '\n' : static_cast<unsigned char>(text[i]);
    if (inCallSign && !atEnd && IsCallSignChar(c)) {
      callSign += static_cast<char>(c);
    } else if (inCallSign) {
      if (!callSign.empty()) firstLine.emplace(callSign, lineNumber);
      callSign.clear();
      inCallSign = false;
    }
    if (atEnd) break;
    if (c == '\n') {
      ++lineNumber;
      inCallSign = true;
    }
  }
  return firstLine;
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
  if (loaded_ && stamp == stamp_ && !racy_) return true;

  const std::int64_t readAt = platform::FileTimeNow();
  std::string bytes;
  if (!ReadWholeFile(native, bytes)) {
    loaded_ = false;
    return false;
  }
  // A racy file read again is most often unchanged: its lines stand.
  if (!loaded_ || bytes != bytes_) {
    firstLine_ = FirstLines(ListText(bytes));
    bytes_ = std::move(bytes);
  }
  stamp_ = stamp;
  loaded_ = true;
  // An edit that keeps the size and lands within the file system's time
  // resolution of this read leaves the stamp as it is. Until the stamp is
  // clearly older than a read of the file, every lookup reads it again.
  racy_ = stamp.modified > readAt - platform::FileTimeSpan(kRacySeconds);
  return true;
}

int FindInRegionList(RegionList& list, const std::string& call) {
  if (!list.Refresh()) {
    if (!list.missingReported_) {
      // Marked before the box: the host may call again while the box is open.
      list.missingReported_ = true;
      platform::ShowMessageBox(kMissingRegionListText, nullptr, platform::MessageIcon::kNone,
                               false);
      list.batchChecked_ = false;
    }
    return 0;
  }
  if (call.empty()) return 0;
  auto it = list.firstLine_.find(call);
  return it == list.firstLine_.end() ? 0 : it->second;
}

}  // namespace stats
