// The checker's own outputs: every verdict as JSON, and the short table of the
// command line.
#pragma once

#include <string>

#include "adjudication/verdicts.h"

namespace adjudication {

// VerdictsJson()
// {"logs": [{"call", "file", "claimed_score", "checked_score", "clock_offset_minutes",
// "qsos": [{"line", "time", "band", "mode", "call", "sent", "rcvd", "verdict",
// "correct"}]}]}, one log per line, with the claimed and checked QSOs, points and
// multipliers added. Texts from the logs are escaped; bytes that are not UTF-8
// become U+FFFD.
std::string VerdictsJson(const Contest& contest);

// SummaryTable()
// One line per log: call, QSOs, claimed and checked score, clock offset in minutes,
// the count of each verdict.
std::string SummaryTable(const Contest& contest);

// CategoryNotes()
// For the organiser, after the table: the checklogs, and each log whose header fits no
// category (ranked as "unclassified") with its category lines as written (control bytes
// shown as \xHH) and the values the contest's categories take. Empty when every log
// has its category.
std::string CategoryNotes(const Contest& contest);

// TimeText()
// "2026-12-06 0905".
std::string TimeText(const platform::CalendarTime& time);

}  // namespace adjudication
