// Portable private-profile rules on file bytes (see profile_text.h).
#include "platform/profile_text.h"

namespace platform {
namespace {

constexpr std::string_view kBlanks = " \t\v\f";
constexpr std::string_view kNewLine = "\r\n";

bool IsBlank(char c) { return kBlanks.find(c) != std::string_view::npos; }

// Blanks only: line breaks never reach a trimmed line, and names and values given
// by the caller are checked for them separately.
std::string_view Trim(std::string_view text) {
  const std::size_t first = text.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return {};
  const std::size_t last = text.find_last_not_of(kBlanks);
  return text.substr(first, last - first + 1);
}

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char x = a[i];
    char y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

bool IsUtf16(std::string_view bytes) {
  return bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
         static_cast<unsigned char>(bytes[1]) == 0xFE;
}

enum class LineKind { kBlank, kHeader, kComment, kKey, kOther };

// One physical line: its text at [begin, end) and the offset of the next line
// (after its CR, LF or CR LF; equal to `end` for a last line without a break).
// For a header, `name` is the section name; for a key, `name` is the key and
// [valueBegin, valueEnd) the trimmed value, as offsets into the file.
struct Line {
  std::size_t begin = 0;
  std::size_t end = 0;
  std::size_t next = 0;
  LineKind kind = LineKind::kBlank;
  std::string_view name;
  std::size_t equalsAt = 0;
  std::size_t valueBegin = 0;
  std::size_t valueEnd = 0;
};

// Reads the line starting at `begin` (begin < bytes.size()).
Line ReadLine(std::string_view bytes, std::size_t begin) {
  Line line;
  line.begin = begin;
  line.end = bytes.find_first_of(kNewLine, begin);
  if (line.end == std::string_view::npos) line.end = bytes.size();
  line.next = line.end;
  if (line.next < bytes.size() && bytes[line.next] == '\r') ++line.next;
  if (line.next < bytes.size() && bytes[line.next] == '\n' &&
      (line.next == line.end || bytes[line.next - 1] == '\r')) {
    ++line.next;
  }

  const std::string_view text = Trim(bytes.substr(begin, line.end - begin));
  if (text.empty()) return line;
  if (text.front() == '[') {
    const std::size_t close = text.rfind(']');
    if (close != std::string_view::npos) {
      line.kind = LineKind::kHeader;
      line.name = Trim(text.substr(1, close - 1));
      return line;
    }
  }
  if (text.front() == ';') {
    line.kind = LineKind::kComment;
    return line;
  }
  const std::size_t equals = text.find('=');
  if (equals == std::string_view::npos) {
    line.kind = LineKind::kOther;
    return line;
  }
  line.kind = LineKind::kKey;
  line.name = Trim(text.substr(0, equals));
  const std::size_t textBegin = static_cast<std::size_t>(text.data() - bytes.data());
  line.equalsAt = textBegin + equals;
  const std::string_view value = Trim(text.substr(equals + 1));
  line.valueBegin =
      value.empty() ? textBegin + text.size() : static_cast<std::size_t>(value.data() - bytes.data());
  line.valueEnd = line.valueBegin + value.size();
  return line;
}

// Where `key` of `section` is, or would go.
struct Location {
  bool sectionFound = false;
  std::optional<Line> key;
  // Offset just after the line break of the section's last non-blank line, and
  // whether that line has a break at all (the last line of a file may not).
  std::size_t insertAt = 0;
  bool insertNeedsBreak = false;
};

Location Locate(std::string_view bytes, std::string_view section, std::string_view key) {
  Location where;
  bool inSection = false;
  for (std::size_t at = 0; at < bytes.size();) {
    const Line line = ReadLine(bytes, at);
    at = line.next;
    if (line.kind == LineKind::kHeader) {
      if (inSection) break;  // only the first section of the name counts
      inSection = SameName(line.name, section);
      if (!inSection) continue;
      where.sectionFound = true;
    } else if (!inSection || line.kind == LineKind::kBlank) {
      continue;
    } else if (line.kind == LineKind::kKey && !where.key && SameName(line.name, key)) {
      where.key = line;
    }
    where.insertAt = line.next;
    where.insertNeedsBreak = line.next == line.end;
  }
  return where;
}

std::string CutToBuffer(std::string_view text, std::size_t bufferSize) {
  if (bufferSize == 0) return std::string();
  return std::string(text.substr(0, bufferSize - 1));
}

}  // namespace

std::optional<std::string> FindProfileValue(std::string_view fileBytes, std::string_view section,
                                            std::string_view key) {
  section = Trim(section);
  key = Trim(key);
  if (section.empty() || key.empty() || IsUtf16(fileBytes)) return std::nullopt;
  const Location where = Locate(fileBytes, section, key);
  if (!where.key) return std::nullopt;
  std::string_view value =
      fileBytes.substr(where.key->valueBegin, where.key->valueEnd - where.key->valueBegin);
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front()) {
    value = value.substr(1, value.size() - 2);
  }
  return std::string(value);
}

std::string ProfileDefaultString(std::string_view defaultValue, std::size_t bufferSize) {
  const std::size_t last = defaultValue.find_last_not_of(' ');
  defaultValue = last == std::string_view::npos ? std::string_view() : defaultValue.substr(0, last + 1);
  return CutToBuffer(defaultValue, bufferSize);
}

std::string ProfileStringFromBytes(std::string_view fileBytes, std::string_view section,
                                   std::string_view key, std::string_view defaultValue,
                                   std::size_t bufferSize) {
  const std::optional<std::string> value = FindProfileValue(fileBytes, section, key);
  if (!value) return ProfileDefaultString(defaultValue, bufferSize);
  return CutToBuffer(*value, bufferSize);
}

bool IsWritableProfileEntry(std::string_view section, std::string_view key,
                            std::string_view value) {
  constexpr std::string_view kBreaks("\r\n\0", 3);
  section = Trim(section);
  key = Trim(key);
  if (section.empty() || key.empty()) return false;
  if (section.find_first_of(kBreaks) != std::string_view::npos ||
      key.find_first_of(kBreaks) != std::string_view::npos ||
      value.find_first_of(kBreaks) != std::string_view::npos) {
    return false;
  }
  return key.find('=') == std::string_view::npos && key.front() != ';' && key.front() != '[';
}

std::optional<std::string> ProfileBytesWithValue(std::string_view fileBytes,
                                                 std::string_view section, std::string_view key,
                                                 std::string_view value) {
  if (!IsWritableProfileEntry(section, key, value) || IsUtf16(fileBytes)) return std::nullopt;
  section = Trim(section);
  key = Trim(key);
  const Location where = Locate(fileBytes, section, key);
  std::string result;

  if (where.key) {
    const Line& line = *where.key;
    const std::string_view stored =
        fileBytes.substr(line.valueBegin, line.valueEnd - line.valueBegin);
    if (stored == value) return std::string(fileBytes);
    // The blanks around the old value stay, unless the new value brings its own
    // on that side: then they give way, so that rewriting such a value is stable.
    std::size_t replaceBegin = line.valueBegin;
    std::size_t replaceEnd = line.valueEnd;
    if (!value.empty() && IsBlank(value.front())) replaceBegin = line.equalsAt + 1;
    if (!value.empty() && IsBlank(value.back())) replaceEnd = line.end;
    result.reserve(fileBytes.size() + value.size());
    result.append(fileBytes.substr(0, replaceBegin));
    result.append(value);
    result.append(fileBytes.substr(replaceEnd));
    return result;
  }

  const std::string newKeyLine = std::string(key) + "=" + std::string(value) + "\r\n";
  if (where.sectionFound) {
    result.reserve(fileBytes.size() + newKeyLine.size() + 2);
    result.append(fileBytes.substr(0, where.insertAt));
    if (where.insertNeedsBreak) result.append("\r\n");
    result.append(newKeyLine);
    result.append(fileBytes.substr(where.insertAt));
    return result;
  }

  result.reserve(fileBytes.size() + section.size() + newKeyLine.size() + 6);
  result.append(fileBytes);
  if (!fileBytes.empty() && fileBytes.back() != '\r' && fileBytes.back() != '\n') {
    result.append("\r\n");
  }
  result.append("[").append(section).append("]\r\n").append(newKeyLine);
  return result;
}

}  // namespace platform
