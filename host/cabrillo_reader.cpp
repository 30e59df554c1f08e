#include "host/cabrillo_reader.h"

#include <string>
#include <vector>

#include "host/qso_fields.h"

namespace zelta {
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

// Why the QSO line's fields cannot become a QSO, or an empty text when `qso` is filled.
std::string ParseQsoLine(const std::vector<std::string_view>& f, LogQso& qso) {
  if (f.size() != 10 && f.size() != 11) {
    return "it has " + std::to_string(f.size()) +
           " fields, not the 10 of 'freq mo date time call rst exch call rst exch'";
  }
  if (const auto designated = BandForCabrilloDesignator(f[0])) {
    qso.band = *designated;
    qso.freqHz = BandLowerEdgeHz(qso.band);
  } else {
    const auto hz = DecimalToScaledInteger(f[0], 3);
    if (!hz) return "the frequency '" + std::string(f[0]) + "' is not a number of kHz";
    const auto band = BandForFrequency(*hz);
    if (!band) return "the frequency " + std::string(f[0]) + " kHz lies on no amateur band";
    qso.freqHz = *hz;
    qso.band = *band;
  }
  qso.mode = ModeForCabrillo(f[1]);
  if (!ParseCabrilloDate(f[2], qso.time)) {
    return "the date '" + std::string(f[2]) + "' is not a date (yyyy-mm-dd)";
  }
  if (!ParseCabrilloTime(f[3], qso.time)) {
    return "the time '" + std::string(f[3]) + "' is not a time (hhmm)";
  }
  qso.ownCall = AsciiUpper(f[4]);
  qso.rstSent = std::string(f[5]);
  qso.sentNumber = std::string(f[6]);
  qso.call = AsciiUpper(f[7]);
  qso.rstRcvd = std::string(f[8]);
  qso.rcvdNumber = std::string(f[9]);
  return std::string();
}

}  // namespace

QsoLog ReadCabrilloLog(std::string_view bytes) {
  QsoLog log;
  log.format = LogFormat::Cabrillo;
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

    const std::string_view text = TrimBlanks(line);
    const std::size_t colon = text.find(':');
    if (colon == std::string_view::npos) continue;
    const std::string tag = AsciiUpper(TrimBlanks(text.substr(0, colon)));
    const std::string_view value = TrimBlanks(text.substr(colon + 1));
    if (tag == "END-OF-LOG") break;
    if (tag == "CALLSIGN" && log.ownCall.empty()) log.ownCall = AsciiUpper(value);
    if (tag != "QSO") continue;

    LogQso qso;
    qso.position = position;
    const std::string reason = ParseQsoLine(SplitOnBlanks(value), qso);
    if (!reason.empty()) {
      log.skipped.push_back({position, "QSO line skipped: " + reason});
      continue;
    }
    log.qsos.push_back(std::move(qso));
  }
  return log;
}

}  // namespace zelta
