#include "adjudication/cross_check.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <string>
#include <tuple>
#include <unordered_map>
#include <unordered_set>
#include <utility>

#include "text/ascii_text.h"

namespace adjudication {
namespace {

// The first pairing for the clock estimate looks this far either side.
constexpr std::int64_t kPairingWindowSeconds = 30 * 60;
// A log's clock offset is set at most this many times while the offsets settle.
constexpr int kMostChanges = 3;
constexpr std::int64_t kDaySeconds = 86400;

// Calls, bands and modes are numbered once; a QSO's key is its call's number and
// its band-and-mode's number in one integer.
using Key = std::uint64_t;
Key CallKey(std::uint32_t call, std::uint32_t bandMode) {
  return (static_cast<Key>(call) << 32) | bandMode;
}

struct Entry {
  Key key;
  std::int64_t seconds;  // as logged
  std::uint32_t qso;
  bool operator<(const Entry& other) const {
    return std::tie(key, seconds, qso) < std::tie(other.key, other.seconds, other.qso);
  }
};
using Range = std::pair<const Entry*, const Entry*>;

struct LogIndex {
  std::vector<std::uint32_t> callOf;      // each QSO's call number
  std::vector<std::uint32_t> bandModeOf;  // each QSO's band-and-mode number
  std::vector<std::int64_t> seconds;      // as logged
  std::vector<Entry> byCall;              // CallKey(call, band and mode), then time
  std::vector<Entry> byBandMode;          // band and mode, then time
};

struct Link {
  std::int64_t log = -1;
  std::uint32_t qso = 0;
};

// Numbers are the same when they are the same number ("017" and "17") or, when
// either is not a number, the same text.
bool SameNumber(std::string_view a, std::string_view b) {
  if (text::AllDigits(a) && text::AllDigits(b)) {
    a.remove_prefix(std::min(a.find_first_not_of('0'), a.size()));
    b.remove_prefix(std::min(b.find_first_not_of('0'), b.size()));
  }
  return a == b;
}

class Checker {
 public:
  Checker(Contest& contest, const std::vector<std::vector<bool>>& refused)
      : contest_(contest), refused_(refused), logs_(contest.logs) {
    if (contest.rules.start) start_ = SecondsOf(*contest.rules.start);
    if (contest.rules.end) end_ = SecondsOf(*contest.rules.end);
  }

  void Run() {
    BuildIndex();
    EstimateOffsets();
    MoveWrongDates();
    MatchExactly();
    MatchMiscopiedCalls();
    for (std::size_t l = 0; l < logs_.size(); ++l) Decide(l);
  }

 private:
  std::int64_t Corrected(std::size_t log, std::int64_t seconds) const {
    return seconds - std::int64_t{logs_[log].clockOffsetMinutes} * 60;
  }
  std::int64_t CorrectedQso(std::size_t log, std::uint32_t qso) const {
    return Corrected(log, index_[log].seconds[qso]);
  }

  std::uint32_t Number(std::unordered_map<std::string, std::uint32_t>& numbers,
                       const std::string& text) {
    return numbers.emplace(text, static_cast<std::uint32_t>(numbers.size())).first->second;
  }

  void BuildIndex() {
    index_.resize(logs_.size());
    match_.resize(logs_.size());
    ownCall_.resize(logs_.size());
    std::string bandMode;
    for (std::size_t l = 0; l < logs_.size(); ++l) {
      const CheckedLog& log = logs_[l];
      ownCall_[l] = Number(callNumbers_, log.call);
      logOf_.resize(callNumbers_.size(), -1);
      logOf_[ownCall_[l]] = static_cast<std::int64_t>(l);
      LogIndex& index = index_[l];
      const std::size_t count = log.qsos.size();
      index.callOf.resize(count);
      index.bandModeOf.resize(count);
      index.seconds.resize(count);
      index.byCall.resize(count);
      index.byBandMode.resize(count);
      for (std::uint32_t q = 0; q < count; ++q) {
        const CheckedQso& qso = log.qsos[q];
        bandMode.assign(qso.band).append(1, '\x1f').append(qso.mode);
        index.callOf[q] = Number(callNumbers_, qso.call);
        index.bandModeOf[q] = Number(bandModeNumbers_, bandMode);
        index.seconds[q] = SecondsOf(qso.time);
        index.byCall[q] = Entry{CallKey(index.callOf[q], index.bandModeOf[q]), index.seconds[q], q};
        index.byBandMode[q] = Entry{index.bandModeOf[q], index.seconds[q], q};
      }
      std::sort(index.byCall.begin(), index.byCall.end());
      std::sort(index.byBandMode.begin(), index.byBandMode.end());
      match_[l].assign(count, Link());
    }
    logOf_.resize(callNumbers_.size(), -1);
    logsWithCall_.assign(callNumbers_.size(), 0);
    for (const LogIndex& index : index_) {
      for (std::size_t i = 0; i < index.byCall.size(); ++i) {  // by call first
        const Key call = index.byCall[i].key >> 32;
        if (i == 0 || (index.byCall[i - 1].key >> 32) != call) ++logsWithCall_[call];
      }
    }
  }

  Range Find(const std::vector<Entry>& entries, Key key) const {
    const auto [first, last] = std::equal_range(
        entries.begin(), entries.end(), Entry{key, 0, 0},
        [](const Entry& a, const Entry& b) { return a.key < b.key; });
    return {entries.data() + (first - entries.begin()), entries.data() + (last - entries.begin())};
  }

  // The log of the call numbered `call`, or -1.
  std::int64_t LogOf(std::uint32_t call) const { return logOf_[call]; }

  // Calls `visit(entry)` for each entry of `range` (of log `log`) whose corrected
  // time lies within `window` seconds of `target`.
  template <typename Visit>
  void ForEachNear(std::size_t log, Range range, std::int64_t target, std::int64_t window,
                   Visit visit) const {
    const Entry* it = std::lower_bound(range.first, range.second, target - window,
                                       [&](const Entry& e, std::int64_t t) {
                                         return Corrected(log, e.seconds) < t;
                                       });
    for (; it != range.second && Corrected(log, it->seconds) <= target + window; ++it) visit(*it);
  }

  // The time differences of log `a`'s QSOs with the QSOs that pair up in other logs,
  // against the partners' clocks as corrected so far. Both times are taken to the
  // whole minute, as a Cabrillo time truncates it: a log with seconds, checked against
  // logs without, differs by whole minutes only.
  void Differences(std::size_t a, std::vector<std::int64_t>& differences) const {
    differences.clear();
    const LogIndex& index = index_[a];
    const std::int64_t expected = std::int64_t{logs_[a].clockOffsetMinutes} * 60;
    for (std::uint32_t q = 0; q < index.seconds.size(); ++q) {
      const std::int64_t b = LogOf(index.callOf[q]);
      if (b < 0 || static_cast<std::size_t>(b) == a) continue;
      const Range range = Find(index_[b].byCall, CallKey(ownCall_[a], index.bandModeOf[q]));
      const std::int64_t own = index.seconds[q];
      std::int64_t best = kPairingWindowSeconds + 1;
      std::int64_t difference = 0;
      ForEachNear(b, range, own - expected, kPairingWindowSeconds, [&](const Entry& e) {
        const std::int64_t d = own - Corrected(b, e.seconds);
        if (std::llabs(d - expected) < best) {
          best = std::llabs(d - expected);
          difference = WholeMinutes(own) - WholeMinutes(Corrected(b, e.seconds));
        }
      });
      if (best <= kPairingWindowSeconds) differences.push_back(difference);
    }
  }
  static std::int64_t WholeMinutes(std::int64_t seconds) {
    return (seconds >= 0 ? seconds / 60 : -((-seconds + 59) / 60)) * 60;
  }

  // The clock offsets, one log at a time until they settle: of the logs whose median
  // difference calls for another offset, the one whose differences agree best with
  // their median (then the one with more of them) is corrected first, and its partners
  // are measured again against its corrected clock. Correcting both sides of one
  // mistake at once would swing two logs that mostly worked each other past each other.
  void EstimateOffsets() {
    const std::size_t n = logs_.size();
    std::vector<std::vector<std::size_t>> workedBy(n);  // the logs with QSOs with each log
    for (std::size_t b = 0; b < n; ++b) {
      const std::vector<Entry>& entries = index_[b].byCall;
      for (std::size_t i = 0; i < entries.size(); ++i) {
        const std::int64_t a = LogOf(static_cast<std::uint32_t>(entries[i].key >> 32));
        if (a < 0 || static_cast<std::size_t>(a) == b) continue;
        std::vector<std::size_t>& list = workedBy[static_cast<std::size_t>(a)];
        if (list.empty() || list.back() != b) list.push_back(b);
      }
    }
    struct Proposal {
      int offset = 0;
      std::size_t agreeing = 0, pairs = 0;
    };
    std::vector<Proposal> proposals(n);
    std::vector<bool> stale(n, true);
    std::vector<int> changes(n, 0);
    std::vector<std::int64_t> differences;
    for (std::size_t step = 0; step < 4 * n + 4; ++step) {
      std::int64_t chosen = -1;
      for (std::size_t a = 0; a < n; ++a) {
        if (stale[a]) {
          Differences(a, differences);
          Proposal& p = proposals[a];
          p.offset = MedianOffsetMinutes(differences);
          p.pairs = differences.size();
          p.agreeing = static_cast<std::size_t>(std::count_if(
              differences.begin(), differences.end(),
              [&](std::int64_t d) { return std::llabs(d - std::int64_t{p.offset} * 60) <= 60; }));
          stale[a] = false;
        }
        const Proposal& p = proposals[a];
        if (p.offset == logs_[a].clockOffsetMinutes || changes[a] >= kMostChanges) continue;
        if (chosen >= 0) {
          // The agreeing share p.agreeing / p.pairs against c's, without division; then
          // the calls, so that the order of the logs does not matter.
          const std::size_t other = static_cast<std::size_t>(chosen);
          const Proposal& c = proposals[other];
          const std::size_t mine = p.agreeing * c.pairs, theirs = c.agreeing * p.pairs;
          if (std::tie(mine, p.pairs, logs_[other].call) <= std::tie(theirs, c.pairs, logs_[a].call)) {
            continue;
          }
        }
        chosen = static_cast<std::int64_t>(a);
      }
      if (chosen < 0) break;
      const std::size_t a = static_cast<std::size_t>(chosen);
      logs_[a].clockOffsetMinutes = proposals[a].offset;
      ++changes[a];
      stale[a] = true;
      for (const std::size_t b : workedBy[a]) stale[b] = true;
    }
  }

  bool OutOfPeriod(std::int64_t corrected) const {
    return (start_ && corrected < *start_) || (end_ && corrected >= *end_);
  }
  // The time a QSO was logged at, corrected by its log's clock, before any date moved.
  std::int64_t OwnTime(std::size_t log, std::uint32_t qso) const {
    return CorrectedQso(log, qso) - std::int64_t{daysMoved_[log][qso]} * kDaySeconds;
  }

  // A QSO outside the period whose date a day later or earlier would put it inside is
  // matched at that date: a log dated a day off from some hour on still pairs with its
  // partners. Whether the date stands is decided with the partner's time (Decide).
  void MoveWrongDates() {
    daysMoved_.resize(logs_.size());
    for (std::size_t l = 0; l < logs_.size(); ++l) {
      LogIndex& index = index_[l];
      daysMoved_[l].assign(index.seconds.size(), 0);
      if (!start_ && !end_) continue;
      bool moved = false;
      for (std::uint32_t q = 0; q < index.seconds.size(); ++q) {
        const std::int64_t t = CorrectedQso(l, q);
        if (!OutOfPeriod(t)) continue;
        for (const int days : {1, -1}) {
          if (OutOfPeriod(t + days * kDaySeconds)) continue;
          index.seconds[q] += days * kDaySeconds;
          daysMoved_[l][q] = static_cast<std::int8_t>(days);
          moved = true;
          break;
        }
      }
      if (!moved) continue;
      for (std::vector<Entry>* entries : {&index.byCall, &index.byBandMode}) {
        for (Entry& e : *entries) e.seconds = index.seconds[e.qso];
        std::sort(entries->begin(), entries->end());
      }
    }
  }

  // One to one for every pair of logs that worked each other on a band and mode:
  // the numbers agreeing both ways first, then one way, then the nearer in time, so
  // that a QSO logged twice leaves its partner's line with the copy whose number they
  // received.
  void MatchExactly() {
    const std::int64_t tolerance = std::int64_t{contest_.rules.toleranceMinutes} * 60;
    // Ties go to the earlier lines by time, and to the file's order only for lines
    // logged at the same time.
    std::vector<std::tuple<int, std::int64_t, std::int64_t, std::int64_t, std::uint32_t, std::uint32_t>>
        candidates;
    for (std::size_t a = 0; a < logs_.size(); ++a) {
      const std::vector<Entry>& entries = index_[a].byCall;
      for (std::size_t i = 0; i < entries.size();) {
        std::size_t end = i;
        while (end < entries.size() && entries[end].key == entries[i].key) ++end;
        const Range group{entries.data() + i, entries.data() + end};
        i = end;
        const std::int64_t b = LogOf(static_cast<std::uint32_t>(group.first->key >> 32));
        if (b <= static_cast<std::int64_t>(a)) continue;  // each pair once, from its first log
        const Range other =
            Find(index_[b].byCall, CallKey(ownCall_[a], group.first->key & 0xFFFFFFFFu));
        if (other.first == other.second) continue;
        candidates.clear();
        for (const Entry* e = group.first; e != group.second; ++e) {
          const std::int64_t t = Corrected(a, e->seconds);
          ForEachNear(b, other, t, tolerance, [&](const Entry& p) {
            candidates.emplace_back(NumbersWrong(a, e->qso, static_cast<std::size_t>(b), p.qso),
                                    std::llabs(t - Corrected(b, p.seconds)), e->seconds, p.seconds,
                                    e->qso, p.qso);
          });
        }
        std::sort(candidates.begin(), candidates.end());
        for (const auto& [wrong, distance, tq, tp, q, p] : candidates) {
          if (match_[a][q].log >= 0 || match_[b][p].log >= 0) continue;
          match_[a][q] = Link{b, p};
          match_[b][p] = Link{static_cast<std::int64_t>(a), q};
        }
      }
    }
  }

  std::int64_t Tolerance() const { return std::int64_t{contest_.rules.toleranceMinutes} * 60; }

  // The QSO that `q` of log `a` repeats, when that one is matched: the same call, band
  // and mode within the tolerance (a QSO logged twice), the nearest; else -1.
  std::int64_t TwinOf(std::size_t a, std::uint32_t q) const {
    const LogIndex& index = index_[a];
    std::int64_t twin = -1;
    std::int64_t best = 0;
    ForEachNear(a, Find(index.byCall, CallKey(index.callOf[q], index.bandModeOf[q])),
                CorrectedQso(a, q), Tolerance(), [&](const Entry& e) {
                  const std::int64_t distance = std::llabs(e.seconds - index.seconds[q]);
                  if (e.qso != q && match_[a][e.qso].log >= 0 && (twin < 0 || distance < best)) {
                    twin = e.qso;
                    best = distance;
                  }
                });
    return twin;
  }

  // A QSO still without a match is matched with the worked station's unmatched QSO at
  // that time, band and mode whose call is ours with one or two edits, whether or not
  // that call is another entrant's: they miscopied us (or, seen from their side, we
  // miscopied theirs). At least one of the two numbers must agree: a call near ours
  // with other numbers is another QSO. A QSO that repeats a matched one of its log
  // (logged twice) takes part only when the numbers agree both ways.
  // Preferred: the numbers agree both ways, then one way (the miscopier's own copy is
  // the one most often wrong), then fewer edits, then nearer in time.
  void MatchMiscopiedCalls() {
    struct Candidate {
      int numbersWrong;  // 0, 1 or 2 ways
      int edits;
      std::int64_t distance;
      std::int64_t tq, tp;  // the two lines' times as logged
      const std::string* callA;  // the logs' calls: ties do not follow the logs' order
      const std::string* callB;
      std::uint32_t a, q, b, p;
      auto Order() const {
        return std::tie(numbersWrong, edits, distance, tq, tp, *callA, *callB, q, p);
      }
    };
    std::vector<Candidate> candidates;
    for (std::size_t a = 0; a < logs_.size(); ++a) {
      const LogIndex& index = index_[a];
      for (std::uint32_t q = 0; q < index.seconds.size(); ++q) {
        if (match_[a][q].log >= 0) continue;
        const std::int64_t b = LogOf(index.callOf[q]);
        if (b < 0 || static_cast<std::size_t>(b) == a) continue;
        const std::int64_t t = CorrectedQso(a, q);
        const bool ourTwin = TwinOf(a, q) >= 0;
        ForEachNear(b, Find(index_[b].byBandMode, index.bandModeOf[q]), t, Tolerance(),
                    [&](const Entry& e) {
                      const std::uint32_t p = e.qso;
                      if (match_[b][p].log >= 0) return;
                      const int edits = EditsApart(logs_[b].qsos[p].call, logs_[a].call);
                      if (edits == 0 || edits >= kFarApart) return;
                      const int wrong = NumbersWrong(a, q, b, p);
                      if (wrong > 0 && (ourTwin || TwinOf(b, p) >= 0)) return;
                      if (wrong == 2) return;
                      candidates.push_back({wrong, edits, std::llabs(t - Corrected(b, e.seconds)),
                                            index.seconds[q], e.seconds, &logs_[a].call, &logs_[b].call,
                                            static_cast<std::uint32_t>(a), q, static_cast<std::uint32_t>(b), p});
                    });
      }
    }
    std::sort(candidates.begin(), candidates.end(),
              [](const Candidate& x, const Candidate& y) { return x.Order() < y.Order(); });
    for (const Candidate& c : candidates) {
      if (match_[c.a][c.q].log >= 0 || match_[c.b][c.p].log >= 0) continue;
      match_[c.a][c.q] = Link{c.b, c.p};
      match_[c.b][c.p] = Link{c.a, c.q};
    }
  }

  // How many of the numbers of QSO q of log a and QSO p of log b are not what the
  // other sent: 0, 1 or 2 (the number received, the number sent).
  int NumbersWrong(std::size_t a, std::uint32_t q, std::size_t b, std::uint32_t p) const {
    const CheckedQso& ours = logs_[a].qsos[q];
    const CheckedQso& theirs = logs_[b].qsos[p];
    return !SameNumber(ours.rcvd, theirs.sent) + !SameNumber(theirs.rcvd, ours.sent);
  }

  // Whether a QSO whose date was moved was matched with a line that is inside the
  // period by its own log's time: the partner shows the date ours got wrong. Without
  // that witness the QSO is judged by its own time as it was logged.
  bool DateShownByPartner(std::size_t a, std::uint32_t q) const {
    const Link link = match_[a][q];
    return daysMoved_[a][q] != 0 && link.log >= 0 &&
           !OutOfPeriod(OwnTime(static_cast<std::size_t>(link.log), link.qso));
  }

  void Decide(std::size_t a) {
    CheckedLog& log = logs_[a];
    const LogIndex& index = index_[a];
    const Rules& rules = contest_.rules;
    for (std::uint32_t q = 0; q < log.qsos.size(); ++q) {
      CheckedQso& qso = log.qsos[q];
      qso.correct.reset();
      qso.other.reset();
      const std::int64_t b = LogOf(index.callOf[q]);
      const Link link = match_[a][q];
      std::int64_t twin = -1;
      if (a < refused_.size() && q < refused_[a].size() && refused_[a][q]) {
        qso.verdict = Verdict::kRefused;
      } else if (OutOfPeriod(OwnTime(a, q)) && !DateShownByPartner(a, q)) {
        qso.verdict = Verdict::kOutOfPeriod;  // by this log's own time, whatever the other's
      } else if (link.log >= 0 && link.log != b) {
        qso.verdict = Verdict::kBustedCall;  // the other log took it for our miscopy of them
        qso.correct = logs_[link.log].call;
        qso.other = OtherSide{static_cast<std::size_t>(link.log), link.qso};
      } else if (link.log >= 0) {
        const CheckedQso& theirs = logs_[b].qsos[link.qso];
        qso.other = OtherSide{static_cast<std::size_t>(b), link.qso};
        qso.verdict = SameNumber(qso.rcvd, theirs.sent) ? Verdict::kOk : Verdict::kBustedExchange;
        if (qso.verdict == Verdict::kBustedExchange) qso.correct = theirs.sent;
      } else if (twin = TwinOf(a, q); twin >= 0) {
        qso.verdict = Verdict::kDupe;  // logged twice: the other log has it once
        qso.other = OtherSide{a, static_cast<std::size_t>(twin)};
      } else if (b >= 0) {
        qso.verdict = Verdict::kNil;
      } else {
        const int otherLogs = logsWithCall_[index.callOf[q]] - 1;
        qso.verdict = otherLogs >= rules.nonEntrantMinLogs ? Verdict::kUnverified : Verdict::kUnique;
      }
      const bool judged = qso.verdict != Verdict::kRefused && qso.verdict != Verdict::kOutOfPeriod;
      qso.daysMoved = judged ? daysMoved_[a][q] : 0;
    }
    // Of a call's repeats on a band and mode, the earliest in time keeps the credit,
    // whatever the order of the file's lines (byCall is in time order).
    std::unordered_set<Key> credited;
    for (const Entry& e : index.byCall) {
      CheckedQso& qso = log.qsos[e.qso];
      if (KeepsCredit(qso.verdict, rules) && !credited.insert(e.key).second) {
        qso.verdict = Verdict::kDupe;
      }
    }
  }

  Contest& contest_;
  const std::vector<std::vector<bool>>& refused_;
  std::optional<std::int64_t> start_, end_;  // the period, when the rules set it
  std::vector<CheckedLog>& logs_;
  std::vector<LogIndex> index_;
  std::vector<std::vector<Link>> match_;
  std::vector<std::vector<std::int8_t>> daysMoved_;  // each QSO's date moved for matching
  std::vector<std::uint32_t> ownCall_;                          // each log's call number
  std::unordered_map<std::string, std::uint32_t> callNumbers_;
  std::unordered_map<std::string, std::uint32_t> bandModeNumbers_;
  std::vector<std::int64_t> logOf_;                             // by call number; -1: no log
  std::vector<int> logsWithCall_;                               // by call number
};

}  // namespace

std::int64_t SecondsOf(const platform::CalendarTime& time) {
  using namespace std::chrono;
  const sys_days date = year_month_day(year(time.year), month(static_cast<unsigned>(time.month)),
                                       day(static_cast<unsigned>(time.day)));
  return std::int64_t{date.time_since_epoch().count()} * 86400 + time.hour * 3600 +
         time.minute * 60 + time.second;
}

int EditsApart(std::string_view a, std::string_view b) {
  if (a.size() < b.size()) std::swap(a, b);
  if (a.size() - b.size() >= static_cast<std::size_t>(kFarApart)) return kFarApart;
  // The edit distance with neighbour swaps, row by row, counted only up to kFarApart
  // and only near the diagonal (further cells are at least that far).
  const std::size_t n = b.size();
  std::vector<int> before(n + 1, kFarApart), previous(n + 1), current(n + 1);
  for (std::size_t j = 0; j <= n; ++j) previous[j] = static_cast<int>(std::min<std::size_t>(j, kFarApart));
  for (std::size_t i = 1; i <= a.size(); ++i) {
    current.assign(n + 1, kFarApart);
    current[0] = static_cast<int>(std::min<std::size_t>(i, kFarApart));
    const std::size_t first = i > static_cast<std::size_t>(kFarApart) ? i - kFarApart : 1;
    for (std::size_t j = first; j <= n && j <= i + kFarApart; ++j) {
      int cell = std::min({previous[j] + 1, current[j - 1] + 1, previous[j - 1] + (a[i - 1] != b[j - 1])});
      if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1]) cell = std::min(cell, before[j - 2] + 1);
      current[j] = std::min(cell, kFarApart);
    }
    std::swap(before, previous);
    std::swap(previous, current);
  }
  return previous[n];
}

bool OneCharApart(std::string_view a, std::string_view b) { return EditsApart(a, b) == 1; }

int MedianOffsetMinutes(std::vector<std::int64_t> differences) {
  if (differences.size() < kMinPairsForOffset) return 0;
  const auto middle = differences.begin() + static_cast<std::ptrdiff_t>(differences.size() / 2);
  std::nth_element(differences.begin(), middle, differences.end());
  return static_cast<int>(std::llround(static_cast<double>(*middle) / 60.0));
}

void CrossCheck(Contest& contest, const std::vector<std::vector<bool>>& refused) {
  for (CheckedLog& log : contest.logs) log.clockOffsetMinutes = 0;
  Checker(contest, refused).Run();
}

}  // namespace adjudication
