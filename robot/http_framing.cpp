#include "robot/http_framing.h"

#include <vector>

#include "text/ascii_text.h"

namespace robot {
namespace {

constexpr std::size_t kMaxChunkLine = 256;   // a chunk's size line

bool IsToken(std::string_view text) {
  if (text.empty()) return false;
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte <= 0x20 || byte >= 0x7F || std::string_view("()<>@,;:\\\"/[]?={}").find(c) != std::string_view::npos) {
      return false;
    }
  }
  return true;
}

// Decimal (base 10) or hexadecimal (16) digits, at most 15; nullopt for none or others.
std::optional<std::size_t> Number(std::string_view digits, int base) {
  if (digits.empty() || digits.size() > 15) return std::nullopt;
  std::size_t value = 0;
  for (const char c : digits) {
    const char lower = static_cast<char>(c | 0x20);
    const int digit = c >= '0' && c <= '9' ? c - '0' : base == 16 && lower >= 'a' && lower <= 'f' ? lower - 'a' + 10 : -1;
    if (digit < 0) return std::nullopt;
    value = value * static_cast<std::size_t>(base) + static_cast<std::size_t>(digit);
  }
  return value;
}

}  // namespace

std::size_t FindHeadEnd(std::string_view bytes, std::size_t from) {
  for (std::size_t i = bytes.find('\n', from); i != std::string_view::npos; i = bytes.find('\n', i + 1)) {
    if (i + 1 < bytes.size() && bytes[i + 1] == '\n') return i + 2;
    if (i + 2 < bytes.size() && bytes[i + 1] == '\r' && bytes[i + 2] == '\n') return i + 3;
  }
  return std::string_view::npos;
}

std::optional<RequestHead> ParseHead(std::string_view head) {
  std::vector<std::string_view> lines;
  for (std::size_t pos = 0; pos < head.size();) {
    const std::size_t next = std::min(head.find('\n', pos), head.size());
    std::string_view line = head.substr(pos, next - pos);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (!line.empty()) lines.push_back(line);
    pos = next + 1;
  }
  // METHOD TARGET HTTP/1.x
  if (lines.empty()) return std::nullopt;
  const std::string_view request = lines[0];
  const std::size_t space1 = request.find(' ');
  const std::size_t space2 = space1 == std::string_view::npos ? space1 : request.find(' ', space1 + 1);
  if (space2 == std::string_view::npos || !IsToken(request.substr(0, space1)) || space2 == space1 + 1 ||
      request.substr(space2 + 1, 7) != "HTTP/1." || request.find(' ', space2 + 1) != std::string_view::npos) {
    return std::nullopt;
  }
  RequestHead parsed;
  parsed.method = std::string(request.substr(0, space1));
  parsed.target = std::string(request.substr(space1 + 1, space2 - space1 - 1));
  parsed.rebuilt = std::string(request) + "\r\n";
  for (std::size_t i = 1; i < lines.size(); ++i) {
    const std::string_view line = lines[i];
    const std::size_t colon = line.find(':');
    // A header's name is a token; lines folded onto the one before are obsolete.
    if (colon == std::string_view::npos || !IsToken(line.substr(0, colon))) return std::nullopt;
    const std::string name = text::AsciiLower(line.substr(0, colon));
    const std::string_view value = text::TrimBlanks(line.substr(colon + 1));
    if (name == "content-length") {
      const std::optional<std::size_t> length = Number(value, 10);
      if (!length || (parsed.length && *parsed.length != *length)) return std::nullopt;
      parsed.length = length;
    } else if (name == "transfer-encoding") {
      // Only chunked is read: any other coding leaves the body's end unknown.
      if (parsed.chunked || text::AsciiLower(value) != "chunked") return std::nullopt;
      parsed.chunked = true;
    } else if (name == "expect") {
      parsed.expectContinue = text::AsciiLower(value) == "100-continue";
    } else {
      parsed.rebuilt.append(line).append("\r\n");
    }
  }
  if (parsed.chunked && parsed.length) return std::nullopt;
  return parsed;
}

ChunkedBody::State ChunkedBody::Feed(std::string_view& data, std::string& body, std::size_t maxBytes,
                                     std::size_t maxTrailer) {
  while (!data.empty()) {
    if (part_ == Part::kData) {
      const std::size_t count = std::min(data.size(), left_);
      body.append(data.substr(0, count));
      data.remove_prefix(count);
      left_ -= count;
      if (left_ == 0) part_ = Part::kDataEnd;
      continue;
    }
    // A line: a chunk's size, the end of a chunk's data, or a trailer line.
    const char byte = data.front();
    data.remove_prefix(1);
    if (byte != '\n') {
      line_ += byte;
      if (part_ == Part::kTrailer && ++trailer_ > maxTrailer) return State::kTrailerTooLarge;
      if (line_.size() > kMaxChunkLine) return State::kBad;
      continue;
    }
    std::string line = std::move(line_);
    line_.clear();
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (part_ == Part::kDataEnd) {
      if (!line.empty()) return State::kBad;
      part_ = Part::kSize;
    } else if (part_ == Part::kTrailer) {
      if (line.empty()) return State::kDone;
    } else {
      const std::optional<std::size_t> size =
          Number(text::TrimBlanks(std::string_view(line).substr(0, line.find(';'))), 16);
      if (!size) return State::kBad;
      if (*size > maxBytes - body.size()) return State::kTooLarge;
      left_ = *size;
      part_ = *size == 0 ? Part::kTrailer : Part::kData;
    }
  }
  return State::kMore;
}

}  // namespace robot
