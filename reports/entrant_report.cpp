// The log-check report that each entrant receives.
#include <algorithm>
#include <string>

#include "adjudication/categories.h"
#include "reports/report_parts.h"
#include "reports/reports.h"

namespace reports {
namespace {

using adjudication::CheckedLog;
using adjudication::CheckedQso;
using adjudication::Contest;
using adjudication::Verdict;
using detail::CleanText;
using detail::Fill;
using detail::PadLeft;
using detail::PadRight;
using detail::Wording;

std::string VerdictLabel(Verdict verdict, const Wording& words) {
  const auto index = static_cast<std::size_t>(verdict);
  return index < words.verdicts.size() ? words.verdicts[index] : "?";
}

// "line 12  2026-12-06 09:05  20 CW  Q2XYZ      001 017"
std::string QsoColumns(const CheckedQso& qso, const Wording& words) {
  return std::string(words.line) + " " + PadLeft(std::to_string(qso.line), 4) + "  " +
         detail::DateTimeText(qso.time) + "  " + PadRight(CleanText(qso.band), 3) + " " +
         PadRight(CleanText(qso.mode), 6) + " " + PadRight(CleanText(qso.call), 10) + " " +
         CleanText(qso.sent) + " " + CleanText(qso.rcvd);
}

// Why `qso` (the `index`-th QSO of `log`) lost its credit, in words, with the other
// side's view where the checker found one.
std::string Reason(const Contest& contest, const CheckedLog& log, std::size_t index,
                   const Wording& words) {
  const CheckedQso& qso = log.qsos[index];
  const CheckedLog* otherLog = nullptr;
  const CheckedQso* other = detail::OtherQso(contest, qso, &otherLog);
  const std::string call = CleanText(qso.call);
  switch (qso.verdict) {
    case Verdict::kRefused:
      return words.refusedReason;
    case Verdict::kOutOfPeriod:
      return Fill(words.outOfPeriodReason,
                  {detail::DateTimeText(detail::MovedBy(qso.time, -log.clockOffsetMinutes))});
    case Verdict::kBustedExchange: {
      const std::string sent = qso.correct ? *qso.correct : other ? other->sent : "?";
      return Fill(words.bustedExchangeReason,
                  {CleanText(qso.rcvd), otherLog ? CleanText(otherLog->call) : call,
                   CleanText(sent)});
    }
    case Verdict::kNil: {
      const auto corrected = detail::MovedBy(qso.time, -log.clockOffsetMinutes);
      const int tolerance = contest.rules.toleranceMinutes;
      return Fill(words.nilReason,
                  {call, CleanText(qso.band), CleanText(qso.mode),
                   detail::ClockText(detail::MovedBy(corrected, -tolerance)),
                   detail::ClockText(detail::MovedBy(corrected, tolerance))});
    }
    case Verdict::kBustedCall: {
      if (other != nullptr && otherLog != nullptr) {
        // A call that is another entrant's: that log has no QSO with this one then.
        const auto entrant = std::lower_bound(
            contest.logs.begin(), contest.logs.end(), qso.call,
            [](const CheckedLog& l, const std::string& c) { return l.call < c; });
        const bool isEntrant = entrant != contest.logs.end() && entrant->call == qso.call &&
                               entrant->call != otherLog->call;
        return Fill(isEntrant ? words.bustedEntrantReason : words.bustedCallReason,
                    {call, CleanText(otherLog->call),
                     detail::ClockText(detail::MovedBy(other->time, -otherLog->clockOffsetMinutes))});
      }
      return Fill(words.bustedCallNoSide, {call, CleanText(qso.correct.value_or("?"))});
    }
    case Verdict::kUnique:
      return Fill(words.uniqueReason, {call});
    case Verdict::kDupe:
      if (other != nullptr && otherLog == &log) {  // the copy of a matched QSO
        return Fill(words.loggedTwiceReason, {call, std::to_string(other->line)});
      }
      for (std::size_t i = 0; i < log.qsos.size(); ++i) {  // the earliest may stand later
        const CheckedQso& earlier = log.qsos[i];
        if (i != index && earlier.call == qso.call && earlier.band == qso.band && earlier.mode == qso.mode &&
            detail::KeepsCreditUnder(earlier.verdict, contest.rules)) {
          return Fill(words.dupeReason, {std::to_string(earlier.line)});
        }
      }
      return words.dupeNoLine;
    default:
      return "";
  }
}

void Heading(std::string& out, const char* title, std::size_t count) {
  out += "\n" + std::string(title) + ": " + std::to_string(count) + "\n";
}

}  // namespace

namespace detail {

std::vector<std::vector<QsoRef>> BustsBySender(const Contest& contest) {
  std::vector<std::vector<QsoRef>> busts(contest.logs.size());
  for (std::size_t l = 0; l < contest.logs.size(); ++l) {
    const auto& qsos = contest.logs[l].qsos;
    for (std::size_t q = 0; q < qsos.size(); ++q) {
      const CheckedQso& qso = qsos[q];
      if (qso.verdict != Verdict::kBustedCall && qso.verdict != Verdict::kBustedExchange) continue;
      if (qso.other && qso.other->log < busts.size() && qso.other->log != l) {
        busts[qso.other->log].push_back({l, q});
      }
    }
  }
  return busts;
}

}  // namespace detail

std::string EntrantReport(const Contest& contest, std::size_t log, Language language) {
  detail::Standing standing;
  for (const detail::Standing& row : detail::Standings(contest, detail::WordingFor(language))) {
    if (row.log == log) standing = row;
  }
  return detail::EntrantReportText(contest, log, language, detail::BustsBySender(contest).at(log),
                                   standing);
}

std::string detail::EntrantReportText(const Contest& contest, std::size_t logIndex,
                                      Language language, const std::vector<QsoRef>& busts,
                                      const Standing& standing) {
  const Wording& words = detail::WordingFor(language);
  const CheckedLog& log = contest.logs.at(logIndex);
  std::string out = Fill(words.reportTitle, {CleanText(log.call)}) + "\n";
  out += std::string(words.logFile) + ": " + CleanText(log.file) + "\n";
  // The category as the contest names it; what the header left out, or that it fits
  // none, is said, so that the entrant can tell the organiser.
  const adjudication::Classification found = adjudication::Classify(log.headers, contest.rules);
  out += std::string(words.category) + ": " + CleanText(standing.category);
  if (found.kind == adjudication::Classification::Kind::kUnclassified) {
    out += " (" + Fill(words.headerWas, {CleanText(found.header)}) + ")";
  }
  out += "\n";
  for (const std::size_t field : found.defaulted) {
    if (found.kind == adjudication::Classification::Kind::kChecklog) break;
    out += "  " + Fill(words.defaultedField, {adjudication::kCategoryFields[field],
                                              adjudication::kCategoryDefaults[field]}) + "\n";
  }
  if (standing.place > 0) out += std::string(words.place) + ": " + std::to_string(standing.place) + "\n";
  out += "\n";

  // The score table: a label column, then four right-aligned numbers.
  const std::size_t labelWidth =
      std::max(detail::TextWidth(words.claimed), detail::TextWidth(words.checked)) + 2;
  std::size_t widths[4];
  out += std::string(labelWidth, ' ');
  for (int i = 0; i < 4; ++i) {
    widths[i] = std::max<std::size_t>(detail::TextWidth(words.scoreHeads[i]), 6) + 2;
    out += PadLeft(words.scoreHeads[i], widths[i]);
  }
  out += "\n";
  for (const auto& [label, score] : {std::pair{words.claimed, log.claimed},
                                     std::pair{words.checked, log.checked}}) {
    out += PadRight(label, labelWidth);
    const int values[4] = {score.qsos, score.points, score.multipliers, score.score};
    for (int i = 0; i < 4; ++i) out += PadLeft(std::to_string(values[i]), widths[i]);
    out += "\n";
  }
  const std::string kept = detail::KeptPercent(log);
  out += std::string(words.kept) + ": " + (kept.empty() ? "-" : kept + "%") + "\n";
  if (log.clockOffsetMinutes != 0) {
    out += Fill(words.clockOffset, {detail::SignedMinutes(log.clockOffsetMinutes)}) + " " +
           (log.clockOffsetMinutes > 0 ? words.clockFast : words.clockSlow) + "\n";
  }
  if (const auto moved = std::count_if(log.qsos.begin(), log.qsos.end(),
                                       [](const auto& qso) { return qso.daysMoved != 0; })) {
    out += Fill(words.datesMoved, {std::to_string(moved)}) + "\n";
  }

  out += "\n" + std::string(words.verdictCounts) + "\n";
  const detail::VerdictCounts counts = detail::CountVerdicts(log);
  std::size_t verdictWidth = 0;
  for (const char* label : words.verdicts) verdictWidth = std::max(verdictWidth, detail::TextWidth(label));
  for (std::size_t i = 0; i < counts.size(); ++i) {
    out += "  " + PadRight(words.verdicts[i], verdictWidth) + PadLeft(std::to_string(counts[i]), 7) + "\n";
  }

  std::string lost;
  std::size_t lostCount = 0;
  std::string uniques;
  std::size_t uniqueCount = 0;
  for (std::size_t i = 0; i < log.qsos.size(); ++i) {
    const CheckedQso& qso = log.qsos[i];
    const bool keeps = detail::KeepsCreditUnder(qso.verdict, contest.rules);
    if (!keeps) {
      ++lostCount;
      lost += "  " + QsoColumns(qso, words) + "  " + VerdictLabel(qso.verdict, words) + ": " +
              Reason(contest, log, i, words) + "\n";
    }
    if (qso.verdict == Verdict::kUnique) {
      ++uniqueCount;
      uniques += "  " + QsoColumns(qso, words) + "  " +
                 (keeps ? words.uniqueCounted : words.uniqueNotCounted) + "\n";
    }
  }
  Heading(out, words.lostCredit, lostCount);
  out += lostCount > 0 ? lost : "  " + std::string(words.none) + "\n";
  Heading(out, words.uniques, uniqueCount);
  out += uniqueCount > 0 ? uniques : "  " + std::string(words.none) + "\n";

  // Other logs' QSOs busted by this entrant's call or number as they received it.
  std::string theirs;
  std::size_t theirCount = 0;
  for (const detail::QsoRef& bust : busts) {
    const CheckedLog& otherLog = contest.logs[bust.log];
    const CheckedQso& qso = otherLog.qsos[bust.qso];
    const CheckedQso* mine = detail::OtherQso(contest, qso);
    std::string what;
    if (qso.verdict == Verdict::kBustedCall) {
      what = Fill(words.theyLoggedCall, {CleanText(qso.call), CleanText(log.call)});
    } else {
      const std::string sent = qso.correct ? *qso.correct : mine ? mine->sent : "?";
      what = Fill(words.theyCopiedNumber, {CleanText(qso.rcvd), CleanText(sent)});
    }
    ++theirCount;
    theirs += "  " + PadRight(CleanText(otherLog.call), 10) + " " + words.line + " " +
              std::to_string(qso.line) + "  " + detail::DateTimeText(qso.time) + "  " +
              CleanText(qso.band) + " " + CleanText(qso.mode) + "  " +
              VerdictLabel(qso.verdict, words) + ": " + what + "\n";
  }
  Heading(out, words.yourSending, theirCount);
  out += theirCount > 0 ? theirs : "  " + std::string(words.none) + "\n";

  // Every value above is one line (CleanText() drops line breaks): CR LF for mail and Notepad.
  std::string crlf;
  for (char c : out) {
    if (c == '\n') crlf += '\r';
    crlf += c;
  }
  return crlf;
}

}  // namespace reports
