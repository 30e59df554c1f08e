// A contest log as the stand-in host reads it: the QSOs in log order, each already
// in the form the host hands to the plug-in, and what was skipped on the way.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/ole_calendar.h"

namespace logs {

enum class LogFormat { kAdif, kCabrillo };

// Where in the log file something stands: byte offset (from 0) and line (from 1).
struct LogPosition {
  std::size_t offset = 0;
  std::size_t line = 1;
};

// One QSO, with every value as the host passes it to AddData0.
struct LogQso {
  LogPosition position;          // where the record or line starts
  std::string ownCall;           // the logging station's call for this QSO; may be empty
  std::string call;              // the worked station, never empty
  platform::CalendarTime time;   // UTC
  std::uint32_t freqHz = 0;      // rounded to the nearest hertz
  std::string mode;              // "CW", "SSB", "BPSK63", "RTTY" or the log's own name
  std::string rstSent;
  std::string rstRcvd;
  std::string sentNumber;        // empty when the log has none (the plug-in refuses it)
  std::string rcvdNumber;
  std::string band;              // "160", "80", ... "10", "6", "2", "70cm"
};

// Something the reader noticed. A skipped record never reaches the plug-in. One
// note stands for every record (or line, or field) with the same kind of problem:
// its text tells the first of them and the lines of the others.
struct LogNote {
  LogPosition position;          // the first record or line concerned
  std::string text;              // what is wrong; bytes from the file come escaped
  std::size_t count = 1;         // how many records (lines, fields) it stands for
};

struct QsoLog {
  LogFormat format = LogFormat::kAdif;
  std::string ownCall;           // STATION_CALLSIGN, OPERATOR or CALLSIGN; may be empty
  std::vector<LogQso> qsos;      // in log order (empty when a sink took them)
  std::vector<LogNote> skipped;  // records left out; `count` says how many each
  std::vector<LogNote> warnings; // records kept, with a remark (a field dropped, ...)
  // Cabrillo header lines in file order: the tag in upper case without its colon
  // and the value without blanks at either end. Empty for ADIF.
  std::vector<std::pair<std::string, std::string>> headers;
};

// Takes each QSO as soon as it is read, in log order, instead of QsoLog::qsos:
// a caller that keeps QSOs in a form of its own need not hold both.
using QsoSink = std::function<void(LogQso&&)>;

// SkippedCount()
// The records (or QSO lines) of the log that were not read: the sum of the counts
// of `log.skipped`.
std::size_t SkippedCount(const QsoLog& log);

// The whole log is refused: the text at `position` is no log of a known format.
class LogRefused : public std::runtime_error {
 public:
  LogRefused(LogPosition position, const std::string& what)
      : std::runtime_error(what), position_(position) {}
  const LogPosition& Position() const { return position_; }

 private:
  LogPosition position_;
};

// Turns byte offsets into line numbers while a reader walks forward through the
// text; asking for an earlier offset starts again from the top.
class LineCounter {
 public:
  explicit LineCounter(std::string_view text) : text_(text) {}
  LogPosition At(std::size_t offset);

 private:
  std::string_view text_;
  std::size_t offset_ = 0;
  std::size_t line_ = 1;
};

}  // namespace logs
