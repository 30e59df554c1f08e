#include "logs/log_reader.h"

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "logs/adif_reader.h"
#include "logs/cabrillo_reader.h"
#include "logs/qso_fields.h"
#include "text/ascii_text.h"

namespace logs {
namespace {

// Maps offsets in the text that was read back to offsets in the file: from each
// checkpoint on, one byte of text stands for `step` bytes of the file.
class OffsetMap {
 public:
  OffsetMap(std::size_t fileStart, std::size_t step, std::size_t fileSize)
      : step_(step), fileSize_(fileSize) {
    points_.push_back({0, fileStart});
  }
  void Checkpoint(std::size_t textOffset, std::size_t fileOffset) {
    points_.push_back({textOffset, fileOffset});
  }
  std::size_t FileOffset(std::size_t textOffset) const {
    auto it = std::upper_bound(points_.begin(), points_.end(), textOffset,
                               [](std::size_t offset, const Point& p) { return offset < p.text; });
    --it;
    return std::min(it->file + step_ * (textOffset - it->text), fileSize_);
  }

 private:
  struct Point {
    std::size_t text;
    std::size_t file;
  };
  std::vector<Point> points_;
  std::size_t step_;
  std::size_t fileSize_;
};

// 0 for text that is not UTF-16, 1 for little-endian, 2 for big-endian. Without
// a byte order mark, the NUL bytes of ASCII characters give the order away.
int Utf16Order(std::string_view bytes) {
  if (bytes.substr(0, 2) == "\xFF\xFE") return 1;
  if (bytes.substr(0, 2) == "\xFE\xFF") return 2;
  const std::size_t pairs = std::min<std::size_t>(bytes.size(), 1024) / 2;
  if (pairs < 2) return 0;
  std::size_t evenNuls = 0, oddNuls = 0;
  for (std::size_t i = 0; i < pairs; ++i) {
    evenNuls += bytes[2 * i] == '\0';
    oddNuls += bytes[2 * i + 1] == '\0';
  }
  if (oddNuls * 4 >= pairs * 3 && evenNuls * 8 < pairs) return 1;
  if (evenNuls * 4 >= pairs * 3 && oddNuls * 8 < pairs) return 2;
  return 0;
}

// UTF-16 text as UTF-8; a unit without its partner, and an odd last byte, become U+FFFD.
std::string Utf16ToUtf8(std::string_view bytes, int order, OffsetMap& map) {
  std::string out;
  out.reserve(bytes.size() / 2);
  std::size_t pos = bytes.substr(0, 2) == (order == 1 ? "\xFF\xFE" : "\xFE\xFF") ? 2 : 0;
  auto unit = [&](std::size_t at) -> char32_t {
    const auto lo = static_cast<unsigned char>(bytes[at + (order == 1 ? 0 : 1)]);
    const auto hi = static_cast<unsigned char>(bytes[at + (order == 1 ? 1 : 0)]);
    return static_cast<char32_t>(hi << 8 | lo);
  };
  while (pos < bytes.size()) {
    std::size_t size = 2;
    char32_t c = 0xFFFD;
    if (bytes.size() - pos >= 2) {
      c = unit(pos);
      if (c >= 0xD800 && c <= 0xDBFF && bytes.size() - pos >= 4 && unit(pos + 2) >= 0xDC00 &&
          unit(pos + 2) <= 0xDFFF) {
        c = 0x10000 + ((c - 0xD800) << 10) + (unit(pos + 2) - 0xDC00);
        size = 4;
      } else if (c >= 0xD800 && c <= 0xDFFF) {
        c = 0xFFFD;
      }
    } else {
      size = 1;
    }
    text::AppendUtf8(out, c);
    pos += size;
    if (c >= 0x80 || size != 2) map.Checkpoint(out.size(), pos);
  }
  return out;
}

QsoLog ReadText(std::string_view text, const QsoSink& sink) {
  const std::size_t cabrillo = CabrilloStart(text);
  const bool startOfLog =
      cabrillo != std::string_view::npos &&
      EqualsIgnoringCase(TrimBlanks(text.substr(cabrillo)).substr(0, 13), "START-OF-LOG:");
  if (startOfLog) return ReadCabrilloLog(text, sink);
  if (text.find('<') != std::string_view::npos || TrimBlanks(text).empty()) {
    return ReadAdifLog(text, sink);
  }
  if (cabrillo != std::string_view::npos) return ReadCabrilloLog(text, sink);
  throw LogRefused(LogPosition{},
                   "neither an ADIF log (no '<' tag) nor a Cabrillo log (no START-OF-LOG: or "
                   "QSO: line)");
}

}  // namespace

LogPosition LineCounter::At(std::size_t offset) {
  if (offset < offset_) {
    offset_ = 0;
    line_ = 1;
  }
  for (; offset_ < offset && offset_ < text_.size(); ++offset_) {
    // CR LF, LF and a lone CR each end a line.
    const char c = text_[offset_];
    if (c == '\n' || (c == '\r' && (offset_ + 1 >= text_.size() || text_[offset_ + 1] != '\n'))) {
      ++line_;
    }
  }
  return LogPosition{offset, line_};
}

QsoLog ReadLog(std::string_view bytes, const QsoSink& sink) {
  const int order = Utf16Order(bytes);
  const bool utf8Mark = order == 0 && bytes.substr(0, 3) == "\xEF\xBB\xBF";
  if (order == 0 && !utf8Mark) return ReadText(bytes, sink);

  const bool utf16Mark = bytes.substr(0, 2) == "\xFF\xFE" || bytes.substr(0, 2) == "\xFE\xFF";
  OffsetMap map(order == 0 ? 3 : utf16Mark ? 2 : 0, order == 0 ? 1 : 2, bytes.size());
  std::string converted;
  std::string_view text;
  if (order != 0) {
    converted = Utf16ToUtf8(bytes, order, map);
    text = converted;
  } else {
    text = bytes.substr(3);  // after the UTF-8 byte order mark
  }
  auto toFile = [&](LogPosition& position) { position.offset = map.FileOffset(position.offset); };
  QsoSink mapped;
  if (sink) {
    mapped = [&](LogQso&& qso) {
      toFile(qso.position);
      sink(std::move(qso));
    };
  }
  QsoLog log = ReadText(text, mapped);
  for (LogQso& qso : log.qsos) toFile(qso.position);
  for (LogNote& note : log.skipped) toFile(note.position);
  for (LogNote& note : log.warnings) toFile(note.position);
  return log;
}

}  // namespace logs
