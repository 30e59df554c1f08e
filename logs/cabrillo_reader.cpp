#include "logs/cabrillo_reader.h"

#include <string>
#include <vector>

#include "logs/log_notes.h"
#include "logs/qso_fields.h"

namespace logs {
namespace {

std::vector<std::string_view> SplitOnBlanks(std::string_view text) {
  std::vector<std::string_view> tokens;
  std::size_t pos = 0;
  while (pos < text.size()) {
    const std::size_t start = text.find_first_not_of(" \t", pos);
    if (start == std::string_view::npos) break;
    std::size_t end = text.find_first_of(" \t", start);
    if (end == std::string_view::npos) end = text.size();
    tokens.push_back(text.substr(start, end - start));
    pos = end;
  }
  return tokens;
}

// Letters, digits and '/', with at least one letter and one digit.
bool LooksLikeCall(std::string_view text) {
  bool letter = false, digit = false;
  for (char c : text) {
    if (c >= '0' && c <= '9') {
      digit = true;
    } else if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) {
      letter = true;
    } else if (c != '/') {
      return false;
    }
  }
  return letter && digit;
}

// Readability 1-5 and strength 1-9, then a tone 1-9 for CW and digital modes.
bool LooksLikeRst(std::string_view text) {
  if (text.size() != 2 && text.size() != 3) return false;
  if (text[0] < '1' || text[0] > '5') return false;
  for (std::size_t i = 1; i < text.size(); ++i) {
    if (text[i] < '1' || text[i] > '9') return false;
  }
  return true;
}

// The rst and the contest number of one exchange of `fields`.
void TakeExchange(const std::vector<std::string_view>& fields, std::size_t first,
                  std::size_t count, std::string& rst, std::string& number) {
  if (count == 2) {
    rst = std::string(fields[first]);
    number = std::string(fields[first + 1]);
    return;
  }
  std::size_t next = first;
  if (LooksLikeRst(fields[first])) rst = std::string(fields[next++]);
  for (; next < first + count; ++next) {
    if (AllDigits(fields[next])) {
      number = std::string(fields[next]);
      return;
    }
  }
}

struct LineProblem {
  const char* kind;
  std::string text;
};

// Why the QSO line's fields cannot become a QSO, or an empty text when `qso` is filled.
LineProblem ParseQsoLine(const std::vector<std::string_view>& f, LogQso& qso) {
  const std::size_t n = f.size();
  const bool transmitter = n % 2 == 1;
  const std::size_t k = n >= 8 ? (n - 6 - (transmitter ? 1 : 0)) / 2 : 0;
  // The conventional layouts of ten or eleven fields are taken as they stand.
  const bool fits = k >= 1 && (n == 10 || n == 11 ||
                               (LooksLikeCall(f[4]) && LooksLikeCall(f[5 + k]) &&
                                (!transmitter || (AllDigits(f[n - 1]) && f[n - 1].size() <= 2))));
  if (!fits) {
    return {"layout", "its " + std::to_string(n) +
                          " fields are not 'freq mo date time call exch call exch' with "
                          "exchanges of as many fields"};
  }
  if (const auto designated = BandForCabrilloDesignator(f[0])) {
    qso.band = *designated;
    qso.freqHz = PluginHz(BandLowerEdgeHz(qso.band));
  } else {
    const auto hz = DecimalToScaledInteger(f[0], 3);
    if (!hz) return {"freq", "the frequency '" + ShownText(f[0]) + "' is not a number of kHz"};
    const auto band = BandForFrequency(*hz);
    if (!band) return {"band", "the frequency " + ShownText(f[0]) + " kHz lies on no amateur band"};
    qso.freqHz = PluginHz(*hz);
    qso.band = *band;
  }
  qso.mode = ModeForCabrillo(f[1]);
  if (!ParseCabrilloDate(f[2], qso.time)) {
    return {"date", "the date '" + ShownText(f[2]) + "' is not a date (yyyy-mm-dd)"};
  }
  if (!ParseCabrilloTime(f[3], qso.time)) {
    return {"time", "the time '" + ShownText(f[3]) + "' is not a time (hhmm)"};
  }
  qso.ownCall = AsciiUpper(f[4]);
  TakeExchange(f, 5, k, qso.rstSent, qso.sentNumber);
  qso.call = AsciiUpper(f[5 + k]);
  TakeExchange(f, 6 + k, k, qso.rstRcvd, qso.rcvdNumber);
  return {"", std::string()};
}

// Calls `visit(position, text)` for each line of `bytes` from `from`, the text
// without blanks at either end; stops when it returns false.
template <typename Visit>
void ForEachLine(std::string_view bytes, Visit visit) {
  std::size_t lineNumber = 0;
  std::size_t pos = 0;
  while (pos < bytes.size()) {
    std::size_t end = bytes.find_first_of("\r\n", pos);
    if (end == std::string_view::npos) end = bytes.size();
    const std::string_view line = bytes.substr(pos, end - pos);
    const LogPosition position{pos, ++lineNumber};
    // CR LF is one line end; a lone CR or LF is one too.
    pos = end;
    if (pos < bytes.size()) {
      pos += bytes[pos] == '\r' && pos + 1 < bytes.size() && bytes[pos + 1] == '\n' ? 2 : 1;
    }
    if (!visit(position, TrimBlanks(line))) return;
  }
}

// The line with each no-break space made a blank: U+00A0 in UTF-8, and the byte A0
// where it is no part of a UTF-8 character (the Windows code pages), as text pasted
// through a web form or a word processor has them between its fields.
std::string_view WithPlainBlanks(std::string_view line, std::string& buffer) {
  if (line.find('\xA0') == std::string_view::npos) return line;
  buffer.clear();
  for (std::size_t i = 0; i < line.size();) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(line[k]); };
    std::size_t length = 1;
    if (byte(i) >= 0xC2 && byte(i) <= 0xF4) {  // a UTF-8 character stays whole
      const std::size_t size = byte(i) < 0xE0 ? 2 : byte(i) < 0xF0 ? 3 : 4;
      std::size_t k = 1;
      while (k < size && i + k < line.size() && byte(i + k) >= 0x80 && byte(i + k) <= 0xBF) ++k;
      if (k == size) length = size;
    }
    const bool noBreak = (length == 1 && byte(i) == 0xA0) ||
                         (length == 2 && byte(i) == 0xC2 && byte(i + 1) == 0xA0);
    if (noBreak) {
      buffer += ' ';
    } else {
      buffer.append(line.substr(i, length));
    }
    i += length;
  }
  return TrimBlanks(buffer);
}

bool StartsWithTag(std::string_view text, std::string_view tag) {
  return text.size() >= tag.size() && EqualsIgnoringCase(text.substr(0, tag.size()), tag);
}

}  // namespace

std::size_t CabrilloStart(std::string_view bytes) {
  std::size_t start = std::string_view::npos, firstQso = std::string_view::npos;
  ForEachLine(bytes, [&](const LogPosition& position, std::string_view text) {
    if (StartsWithTag(text, "START-OF-LOG:")) {
      start = position.offset;
      return false;
    }
    if (firstQso == std::string_view::npos && StartsWithTag(text, "QSO:")) firstQso = position.offset;
    return true;
  });
  return start != std::string_view::npos ? start : firstQso;
}

QsoLog ReadCabrilloLog(std::string_view bytes, const QsoSink& sink) {
  QsoLog log;
  log.format = LogFormat::kCabrillo;
  NoteGroups skipped(log.skipped, "QSO line");
  const std::size_t start = CabrilloStart(bytes);
  std::size_t linesBefore = 0, qsosAfterEnd = 0;
  LogPosition firstBefore, firstAfterEnd;
  bool ended = false;
  std::string buffer;
  ForEachLine(bytes, [&](const LogPosition& position, std::string_view text) {
    if (start == std::string_view::npos || position.offset < start) {
      if (!text.empty() && linesBefore++ == 0) firstBefore = position;
      return true;
    }
    text = WithPlainBlanks(text, buffer);
    const std::size_t colon = text.find(':');
    if (colon == std::string_view::npos) return true;
    std::string tag = AsciiUpper(TrimBlanks(text.substr(0, colon)));
    const std::string_view value = TrimBlanks(text.substr(colon + 1));
    if (tag == "END-OF-LOG") {
      ended = true;
      return true;
    }
    if (tag == "X-QSO") return true;
    if (tag != "QSO") {
      if (tag == "CALLSIGN" && log.ownCall.empty()) log.ownCall = AsciiUpper(value);
      log.headers.emplace_back(std::move(tag), std::string(value));
      return true;
    }
    if (ended && qsosAfterEnd++ == 0) firstAfterEnd = position;
    LogQso qso;
    qso.position = position;
    const LineProblem problem = ParseQsoLine(SplitOnBlanks(value), qso);
    if (!problem.text.empty()) {
      skipped.Add(problem.kind, position, "QSO line skipped: " + problem.text);
    } else if (sink) {
      sink(std::move(qso));
    } else {
      log.qsos.push_back(std::move(qso));
    }
    return true;
  });
  skipped.Finish();
  if (linesBefore > 0) {
    log.warnings.push_back({firstBefore,
                            std::to_string(linesBefore) + (linesBefore == 1 ? " line" : " lines") +
                                " before START-OF-LOG: (from line " +
                                std::to_string(firstBefore.line) +
                                (linesBefore == 1 ? ") is" : ") are") +
                                " not part of the log and ignored",
                            linesBefore});
  }
  if (qsosAfterEnd > 0) {
    log.warnings.push_back({firstAfterEnd,
                            std::to_string(qsosAfterEnd) +
                                (qsosAfterEnd == 1 ? " QSO line" : " QSO lines") +
                                " after END-OF-LOG: (from line " +
                                std::to_string(firstAfterEnd.line) +
                                (qsosAfterEnd == 1 ? ") is" : ") are") +
                                " read too: the file holds more than one log",
                            qsosAfterEnd});
  }
  return log;
}

}  // namespace logs
