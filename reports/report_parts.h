// What the report writers share: the wording of each language, text from logs made safe
// to show, the order of the results table, and the small number and time formats.
#pragma once

#include <array>
#include <cstddef>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "adjudication/verdicts.h"
#include "reports/reports.h"

namespace reports::detail {

// Every fixed text of one language. Templates take their values as {1}, {2}, ...
struct Wording {
  const char* htmlLang;
  std::array<const char*, adjudication::kVerdictCount> verdicts;  // in enum order
  const char* unclassified;        // a log whose header fits no category
  const char* checklog;            // a checklog's category cell
  const char* checklogs;           // the heading of the checklogs in the page
  const char* disqualified;        // {1} the organiser's reason: a disqualified log's category cell
  const char* disqualifieds;       // the heading of the disqualified logs in the page
  const char* headerWas;           // {1} the log's category lines
  const char* defaultedField;      // {1} field, {2} the value taken
  // The log-check report.
  const char* reportTitle;         // {1} call
  const char* logFile;
  const char* category;
  const char* place;               // the log's place in its category
  const char* scoreHeads[4];       // QSOs, points, multipliers, score
  const char* claimed;
  const char* checked;
  const char* kept;
  const char* clockOffset;         // {1} signed minutes
  const char* clockFast;
  const char* clockSlow;
  const char* datesMoved;          // {1} how many QSOs' dates the partners' logs set right
  const char* verdictCounts;
  const char* lostCredit;
  const char* uniques;
  const char* uniqueCounted;
  const char* uniqueNotCounted;
  const char* yourSending;
  const char* none;
  const char* line;                // "line"
  // Reasons, one per verdict that can lose credit.
  const char* refusedReason;
  const char* outOfPeriodReason;   // {1} corrected time
  const char* bustedExchangeReason;  // {1} copied, {2} other call, {3} sent
  const char* nilReason;           // {1} call, {2} band, {3} mode, {4} from, {5} to
  const char* bustedCallReason;    // {1} logged call, {2} right call, {3} their time
  const char* bustedEntrantReason; // the same, when {1} is another entrant's call
  const char* bustedCallNoSide;    // {1} logged call, {2} right call
  const char* uniqueReason;        // {1} call
  const char* dupeReason;          // {1} line of the earlier QSO
  const char* dupeNoLine;
  const char* loggedTwiceReason;   // {1} other call, {2} line of the matched copy
  const char* theyLoggedCall;      // {1} what they logged, {2} your call
  const char* theyCopiedNumber;    // {1} what they copied, {2} what you sent
  // The CSV header (verdict columns follow).
  std::array<const char*, 10> csvHeads;
  // The page.
  const char* pageTitle;
  const char* pageSummary;         // {1} logs, {2} QSOs claimed, {3} QSOs kept
  const char* results;
  const char* tableHeads[10];      // place, call, QSOs, points, mults, claimed, checked,
                                   // kept %, clock offset, lost QSOs
  const char* charts;
  const char* hoursChart;
  const char* hoursNote;
  const char* scoresChart;
  const char* verdictsChart;
  const char* soapbox;
  const char* noQsos;
};

const Wording& WordingFor(Language language);

// Fill()
// `pattern` with {1}, {2}, ... replaced by `values` (each once; no rescan of a value).
std::string Fill(std::string_view pattern, std::initializer_list<std::string_view> values);

// CleanText()
// A text from a log made fit to show: valid UTF-8 is kept; any other byte is read as
// Windows-1251 (the Russian loggers' code page); tabs become blanks; other control
// characters, and the marks that reverse the direction of text, become U+FFFD.
std::string CleanText(std::string_view bytes);

// HtmlText()
// CleanText() with & < > " ' escaped, safe in element text and quoted attributes.
std::string HtmlText(std::string_view bytes);

// CsvField()
// CleanText() as one CSV field: quoted when it holds a comma, quote or line break, and
// a leading ' when it starts with = + - @, which spreadsheets would run as a formula.
std::string CsvField(std::string_view bytes);

// TextWidth()
// The number of characters (code points) of a UTF-8 text, for column alignment.
std::size_t TextWidth(std::string_view utf8);
std::string PadRight(std::string text, std::size_t width);
std::string PadLeft(std::string text, std::size_t width);

// Whether `text` starts with `prefix` (upper case), ASCII letter case ignored.
bool StartsWithNoCase(std::string_view text, std::string_view prefix);

// One row of the results table.
struct Standing {
  std::size_t log = 0;
  std::string category;  // the contest's name of it, or "unclassified" or "checklog" in
                         // the language
  int place = 0;         // within the category, from 1; equal checked scores share one;
                         // 0 for a checklog, which has no place
  std::string header;    // unclassified: the log's category lines as written (untrusted);
                         // disqualified: the organiser's reason
  bool disqualified = false;  // listed last, without a place
};

// Standings()
// Every log once: the categories in the contest's order (ContestCategories()), then the
// logs whose header fits none (ranked among themselves), then the checklogs (no place),
// then the logs the organiser disqualified (no place, with the reason);
// within a category the checked score, highest first, then the claimed score, then the
// call. Places as results tables print them: 1, 2, 2, 4 when two logs share the second.
std::vector<Standing> Standings(const adjudication::Contest& contest, const Wording& words);

using VerdictCounts = std::array<int, adjudication::kVerdictCount>;
VerdictCounts CountVerdicts(const adjudication::CheckedLog& log);

// Whether a verdict keeps the QSO's credit under `rules`.
bool KeepsCreditUnder(adjudication::Verdict verdict, const adjudication::Rules& rules);

// KeptPercent()
// checked / claimed score as a percentage with one decimal and a point ("95.0"); empty
// when nothing was claimed.
std::string KeptPercent(const adjudication::CheckedLog& log);

// "+8", "-3", "0".
std::string SignedMinutes(int minutes);

// "2026-12-06 09:05" and "09:05".
std::string DateTimeText(const platform::CalendarTime& time);
std::string ClockText(const platform::CalendarTime& time);

// Minutes since 1970-01-01 00:00 (seconds dropped), and back.
long long EpochMinutes(const platform::CalendarTime& time);
platform::CalendarTime FromEpochMinutes(long long minutes);

// The time moved by `minutes` (may cross days and months).
platform::CalendarTime MovedBy(const platform::CalendarTime& time, int minutes);

// The QSO a verdict points at, or null when the index is missing or out of range.
const adjudication::CheckedQso* OtherQso(const adjudication::Contest& contest,
                                         const adjudication::CheckedQso& qso,
                                         const adjudication::CheckedLog** otherLog = nullptr);

// A QSO of the contest: contest.logs[log].qsos[qso].
struct QsoRef {
  std::size_t log = 0;
  std::size_t qso = 0;
};

// BustsBySender()
// For each log, the busted-call and busted-exchange QSOs of the other logs whose verdict
// points at it: what the other stations lost because of this log's call or number as sent.
// One pass over the contest, so that a thousand reports do not each scan every QSO.
std::vector<std::vector<QsoRef>> BustsBySender(const adjudication::Contest& contest);

// EntrantReport() with the busts and the standing of this log already found.
std::string EntrantReportText(const adjudication::Contest& contest, std::size_t log,
                              Language language, const std::vector<QsoRef>& busts,
                              const Standing& standing);

}  // namespace reports::detail
