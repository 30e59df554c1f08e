// The organiser's view of a contest: every entrant's log with the verdict of each of
// its QSOs, the claimed and the checked score. The log checker fills it in; the
// reports (results page, CSV, log-check reports) and the JSON writer read it.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/ole_calendar.h"

namespace adjudication {

// In the order the checker decides them; the names are those of the JSON output.
enum class Verdict {
  kOk,              // "ok": confirmed by the other log
  kRefused,         // "refused": the plug-in refuses it (mode, missing number)
  kOutOfPeriod,     // "out-of-period"
  kBustedExchange,  // "busted-exchange": the number received differs from the one sent
  kNil,             // "nil": not in the other station's log
  kBustedCall,      // "busted-call": the worked station's log took it for a miscopy of
                    // their call, or the call is one character off an entrant's who logged us
  kUnverified,      // "unverified": no log, but the call is in enough other logs
  kUnique,          // "unique": no log, and the call is in too few other logs
  kDupe,            // "dupe": a copy of a matched QSO of the same log (logged twice), or
                    // repeats an earlier QSO that keeps its credit
};
inline constexpr int kVerdictCount = 9;

// VerdictName()
// "ok", "refused", "out-of-period", "busted-exchange", "nil", "busted-call",
// "unverified", "unique", "dupe".
std::string_view VerdictName(Verdict verdict);

// One of the contest's categories: its name and the header values it takes, in the
// order of the CATEGORY-* fields (operator, band, mode, power), in capitals; "*" takes
// any value.
struct Category {
  std::string name;
  std::array<std::string, 4> values;
};

// The contest's rules as the organiser sets them (the rules file's [Rules] section, and
// its [Categories]).
struct Rules {
  std::optional<platform::CalendarTime> start;  // UTC, inside the period
  std::optional<platform::CalendarTime> end;    // UTC, outside the period
  int toleranceMinutes = 5;
  int nonEntrantMinLogs = 2;
  bool uniquesCount = true;
  std::vector<Category> categories;  // empty: the header dialog's lists (DefaultCategories())
};

// KeepsCredit()
// ok and unverified always; unique when the rules count uniques.
bool KeepsCredit(Verdict verdict, const Rules& rules);

// Where a QSO's verdict came from in another log.
struct OtherSide {
  std::size_t log = 0;  // index into Contest::logs
  std::size_t qso = 0;  // index into that log's qsos
};

struct CheckedQso {
  std::size_t line = 0;            // the QSO's line in its file (from 1)
  platform::CalendarTime time;     // as logged (UTC, before the clock correction)
  std::string band;                // the host's band name: "20", "80", ...
  std::string mode;                // the host's mode: "CW", "SSB", ...
  std::string call;                // the worked call as logged
  std::string sent;                // the number sent, as logged ("001")
  std::string rcvd;                // the number received, as logged
  Verdict verdict = Verdict::kOk;
  std::optional<std::string> correct;  // busted-call: the right call; busted-exchange:
                                       // the number the other log sent, as it has it
  int daysMoved = 0;                   // +1 or -1: logged a day off, the checker took the
                                       // date the matched partner's log shows
  std::optional<OtherSide> other;      // the matched QSO (ok, busted-exchange), the QSO
                                       // of the entrant whose call was busted (busted-call),
                                       // the matched copy in the same log (dupe, logged twice)
};

// The plug-in's score of a set of QSOs, read from its summary.
struct Score {
  int qsos = 0;
  int points = 0;
  int multipliers = 0;
  int score = 0;
};

struct CheckedLog {
  std::string call;                // the log's own call (CALLSIGN / STATION_CALLSIGN)
  std::string file;                // the file name within LOGDIR
  std::vector<std::pair<std::string, std::string>> headers;  // Cabrillo header lines
                                   // in file order (CATEGORY-*, SOAPBOX, ...); untrusted
  Score claimed;                   // the plug-in's score of the whole log
  Score checked;                   // the plug-in's score of the QSOs that keep credit
  int clockOffsetMinutes = 0;      // + when the log's clock is fast
  std::vector<CheckedQso> qsos;    // in file order
  std::string disqualified;        // the organiser's reason; empty unless disqualified
};

struct Contest {
  Rules rules;
  std::vector<CheckedLog> logs;    // sorted by call
};

}  // namespace adjudication
