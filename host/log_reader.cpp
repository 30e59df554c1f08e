#include "host/log_reader.h"

#include "host/adif_reader.h"
#include "host/cabrillo_reader.h"
#include "host/qso_fields.h"

namespace zelta {

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

QsoLog ReadLog(std::string_view bytes) {
  std::string_view text = bytes;
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);  // UTF-8 byte order mark
  const std::string_view start = TrimBlanks(text);
  const std::string head = AsciiUpper(start.substr(0, 13));
  if (head.rfind("START-OF-LOG:", 0) == 0 || head.rfind("QSO:", 0) == 0) {
    return ReadCabrilloLog(bytes);
  }
  if (start.empty() || start.find('<') != std::string_view::npos) return ReadAdifLog(bytes);
  throw LogRefused(LogPosition{},
                   "neither an ADIF log (no '<' tag) nor a Cabrillo log (no START-OF-LOG: line)");
}

}  // namespace zelta
