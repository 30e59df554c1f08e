#include "adjudication/cross_check.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <string>
#include <tuple>
#include <unordered_map>
#include <unordered_set>

namespace adjudication {
namespace {

// The first pairing for the clock estimate looks this far either side.
constexpr std::int64_t kPairingWindowSeconds = 30 * 60;

std::string Key(std::string_view call, std::string_view band, std::string_view mode) {
  std::string key;
  key.reserve(call.size() + band.size() + mode.size() + 2);
  key.append(call).append(1, '\x1f').append(band).append(1, '\x1f').append(mode);
  return key;
}

// QSO indices of one log under one key, in order of time.
struct Group {
  std::string call;
  std::vector<std::uint32_t> qsos;
};

struct LogIndex {
  std::vector<std::int64_t> seconds;                    // as logged
  std::unordered_map<std::string, Group> byCall;        // by Key(call, band, mode)
  std::unordered_map<std::string, Group> byBandMode;    // by Key("", band, mode)
};

struct Link {
  std::int64_t log = -1;
  std::uint32_t qso = 0;
};

bool AllDigits(std::string_view text) {
  return !text.empty() &&
         std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Numbers are the same when they are the same number ("017" and "17") or, when
// either is not a number, the same text.
bool SameNumber(std::string_view a, std::string_view b) {
  if (AllDigits(a) && AllDigits(b)) {
    a.remove_prefix(std::min(a.find_first_not_of('0'), a.size()));
    b.remove_prefix(std::min(b.find_first_not_of('0'), b.size()));
  }
  return a == b;
}

class Checker {
 public:
  Checker(Contest& contest, const std::vector<std::vector<bool>>& refused)
      : contest_(contest), refused_(refused), logs_(contest.logs) {}

  void Run() {
    BuildIndex();
    EstimateOffsets();
    MatchExactly();
    MatchMiscopiedCalls();
    for (std::size_t l = 0; l < logs_.size(); ++l) Decide(l);
  }

 private:
  std::int64_t Corrected(std::size_t log, std::uint32_t qso) const {
    return index_[log].seconds[qso] - std::int64_t{logs_[log].clockOffsetMinutes} * 60;
  }

  void BuildIndex() {
    index_.resize(logs_.size());
    match_.resize(logs_.size());
    for (std::size_t l = 0; l < logs_.size(); ++l) {
      const CheckedLog& log = logs_[l];
      LogIndex& index = index_[l];
      logOf_.emplace(log.call, l);
      index.seconds.reserve(log.qsos.size());
      for (const CheckedQso& qso : log.qsos) index.seconds.push_back(SecondsOf(qso.time));
      std::vector<std::uint32_t> order(log.qsos.size());
      for (std::uint32_t q = 0; q < order.size(); ++q) order[q] = q;
      std::stable_sort(order.begin(), order.end(), [&](std::uint32_t a, std::uint32_t b) {
        return index.seconds[a] < index.seconds[b];
      });
      std::unordered_set<std::string_view> calls;
      for (const std::uint32_t q : order) {
        const CheckedQso& qso = log.qsos[q];
        if (calls.insert(qso.call).second) ++logsWithCall_[qso.call];
        Group& group = index.byCall[Key(qso.call, qso.band, qso.mode)];
        if (group.qsos.empty()) group.call = qso.call;
        group.qsos.push_back(q);
        index.byBandMode[Key("", qso.band, qso.mode)].qsos.push_back(q);
      }
      match_[l].assign(log.qsos.size(), Link());
      for (std::size_t i = 0; i <= log.call.size(); ++i) {
        std::string variant = log.call;
        if (i < variant.size()) variant.erase(i, 1);
        auto& logs = callVariants_[variant];
        if (logs.empty() || logs.back() != l) logs.push_back(l);
      }
    }
  }

  const Group* Find(std::size_t log, const std::string& key, bool byCall = true) const {
    const auto& map = byCall ? index_[log].byCall : index_[log].byBandMode;
    const auto it = map.find(key);
    return it == map.end() ? nullptr : &it->second;
  }

  // The log of `call`, or -1.
  std::int64_t LogOf(const std::string& call) const {
    const auto it = logOf_.find(call);
    return it == logOf_.end() ? -1 : static_cast<std::int64_t>(it->second);
  }

  // Calls `visit(q)` for each QSO of `group` (of log `log`) whose corrected time
  // lies within `window` seconds of `target`.
  template <typename Visit>
  void ForEachNear(std::size_t log, const Group& group, std::int64_t target, std::int64_t window,
                   Visit visit) const {
    auto it = std::lower_bound(group.qsos.begin(), group.qsos.end(), target - window,
                               [&](std::uint32_t q, std::int64_t t) { return Corrected(log, q) < t; });
    for (; it != group.qsos.end() && Corrected(log, *it) <= target + window; ++it) visit(*it);
  }

  // Each log's offset from the median of its time differences with the QSOs that
  // pair up in other logs; a second round measures against the partners' corrected
  // clocks.
  void EstimateOffsets() {
    for (int round = 0; round < 2; ++round) {
      std::vector<int> offsets(logs_.size(), 0);
      for (std::size_t a = 0; a < logs_.size(); ++a) {
        std::vector<std::int64_t> differences;
        const CheckedLog& log = logs_[a];
        const std::int64_t expected = std::int64_t{log.clockOffsetMinutes} * 60;
        for (std::uint32_t q = 0; q < log.qsos.size(); ++q) {
          const CheckedQso& qso = log.qsos[q];
          const std::int64_t b = LogOf(qso.call);
          if (b < 0 || static_cast<std::size_t>(b) == a) continue;
          const Group* group = Find(b, Key(log.call, qso.band, qso.mode));
          if (group == nullptr) continue;
          const std::int64_t own = index_[a].seconds[q];
          std::int64_t best = kPairingWindowSeconds + 1;
          std::int64_t difference = 0;
          ForEachNear(b, *group, own - expected, kPairingWindowSeconds, [&](std::uint32_t p) {
            const std::int64_t d = own - Corrected(b, p);
            if (std::llabs(d - expected) < best) {
              best = std::llabs(d - expected);
              difference = d;
            }
          });
          if (best <= kPairingWindowSeconds) differences.push_back(difference);
        }
        offsets[a] = MedianOffsetMinutes(std::move(differences));
      }
      for (std::size_t l = 0; l < logs_.size(); ++l) logs_[l].clockOffsetMinutes = offsets[l];
    }
  }

  // One to one, nearest in time first, for every pair of logs that worked each
  // other on a band and mode.
  void MatchExactly() {
    const std::int64_t tolerance = std::int64_t{contest_.rules.toleranceMinutes} * 60;
    std::vector<std::tuple<std::int64_t, std::uint32_t, std::uint32_t>> candidates;
    for (std::size_t a = 0; a < logs_.size(); ++a) {
      for (const auto& [key, group] : index_[a].byCall) {
        const std::int64_t b = LogOf(group.call);
        if (b <= static_cast<std::int64_t>(a)) continue;  // each pair once, from its first log
        const CheckedQso& first = logs_[a].qsos[group.qsos.front()];
        const Group* other = Find(b, Key(logs_[a].call, first.band, first.mode));
        if (other == nullptr) continue;
        candidates.clear();
        for (const std::uint32_t q : group.qsos) {
          const std::int64_t t = Corrected(a, q);
          ForEachNear(b, *other, t, tolerance, [&](std::uint32_t p) {
            candidates.emplace_back(std::llabs(t - Corrected(b, p)), q, p);
          });
        }
        std::sort(candidates.begin(), candidates.end());
        for (const auto& [distance, q, p] : candidates) {
          if (match_[a][q].log >= 0 || match_[b][p].log >= 0) continue;
          match_[a][q] = Link{b, p};
          match_[b][p] = Link{static_cast<std::int64_t>(a), q};
        }
      }
    }
  }

  // A QSO still without a match is matched with the worked station's QSO at that
  // time, band and mode whose call is ours with one character wrong (and is no
  // other entrant's call): they miscopied us.
  void MatchMiscopiedCalls() {
    const std::int64_t tolerance = std::int64_t{contest_.rules.toleranceMinutes} * 60;
    for (std::size_t a = 0; a < logs_.size(); ++a) {
      const CheckedLog& log = logs_[a];
      for (std::uint32_t q = 0; q < log.qsos.size(); ++q) {
        if (match_[a][q].log >= 0) continue;
        const CheckedQso& qso = log.qsos[q];
        const std::int64_t b = LogOf(qso.call);
        if (b < 0 || static_cast<std::size_t>(b) == a) continue;
        const Group* group = Find(b, Key("", qso.band, qso.mode), false);
        if (group == nullptr) continue;
        const std::int64_t t = Corrected(a, q);
        std::int64_t best = -1;
        std::int64_t bestDistance = 0;
        ForEachNear(b, *group, t, tolerance, [&](std::uint32_t p) {
          const std::string& theirs = logs_[b].qsos[p].call;
          if (match_[b][p].log >= 0 || LogOf(theirs) >= 0 || !OneCharApart(theirs, log.call)) return;
          const std::int64_t distance = std::llabs(t - Corrected(b, p));
          if (best < 0 || distance < bestDistance) {
            best = p;
            bestDistance = distance;
          }
        });
        if (best < 0) continue;
        match_[a][q] = Link{b, static_cast<std::uint32_t>(best)};
        match_[b][best] = Link{static_cast<std::int64_t>(a), q};
      }
    }
  }

  // For a call without a log: the QSO with us, at this time, band and mode, in the
  // log of an entrant whose call is one character off it.
  Link FindBustedCall(std::size_t a, std::uint32_t q) const {
    const CheckedQso& qso = logs_[a].qsos[q];
    if (match_[a][q].log >= 0) return match_[a][q];  // they matched our miscopy of them
    const std::int64_t tolerance = std::int64_t{contest_.rules.toleranceMinutes} * 60;
    const std::int64_t t = Corrected(a, q);
    Link found;
    std::int64_t bestDistance = 0;
    std::unordered_set<std::size_t> seen;
    for (std::size_t i = 0; i <= qso.call.size(); ++i) {
      std::string variant = qso.call;
      if (i < variant.size()) variant.erase(i, 1);
      const auto it = callVariants_.find(variant);
      if (it == callVariants_.end()) continue;
      for (const std::size_t c : it->second) {
        if (c == a || !seen.insert(c).second || !OneCharApart(logs_[c].call, qso.call)) continue;
        const Group* group = Find(c, Key(logs_[a].call, qso.band, qso.mode));
        if (group == nullptr) continue;
        ForEachNear(c, *group, t, tolerance, [&](std::uint32_t p) {
          const std::int64_t distance = std::llabs(t - Corrected(c, p));
          if (found.log < 0 || distance < bestDistance) {
            found = Link{static_cast<std::int64_t>(c), p};
            bestDistance = distance;
          }
        });
      }
    }
    return found;
  }

  void Decide(std::size_t a) {
    CheckedLog& log = logs_[a];
    const Rules& rules = contest_.rules;
    const std::optional<std::int64_t> start =
        rules.start ? std::optional(SecondsOf(*rules.start)) : std::nullopt;
    const std::optional<std::int64_t> end =
        rules.end ? std::optional(SecondsOf(*rules.end)) : std::nullopt;
    std::unordered_set<std::string> credited;
    for (std::uint32_t q = 0; q < log.qsos.size(); ++q) {
      CheckedQso& qso = log.qsos[q];
      qso.correct.reset();
      qso.other.reset();
      const std::int64_t t = Corrected(a, q);
      const std::int64_t b = LogOf(qso.call);
      const Link link = match_[a][q];
      if (a < refused_.size() && q < refused_[a].size() && refused_[a][q]) {
        qso.verdict = Verdict::kRefused;
      } else if ((start && t < *start) || (end && t >= *end)) {
        qso.verdict = Verdict::kOutOfPeriod;
      } else if (b >= 0) {
        if (link.log == b) {
          const CheckedQso& theirs = logs_[b].qsos[link.qso];
          qso.other = OtherSide{static_cast<std::size_t>(b), link.qso};
          qso.verdict = SameNumber(qso.rcvd, theirs.sent) ? Verdict::kOk : Verdict::kBustedExchange;
          if (qso.verdict == Verdict::kBustedExchange) qso.correct = theirs.sent;
        } else {
          qso.verdict = Verdict::kNil;
        }
      } else if (const Link busted = FindBustedCall(a, q); busted.log >= 0) {
        qso.verdict = Verdict::kBustedCall;
        qso.correct = logs_[busted.log].call;
        qso.other = OtherSide{static_cast<std::size_t>(busted.log), busted.qso};
      } else {
        const auto count = logsWithCall_.find(qso.call);
        const int otherLogs = count == logsWithCall_.end() ? 0 : count->second - 1;
        qso.verdict = otherLogs >= rules.nonEntrantMinLogs ? Verdict::kUnverified : Verdict::kUnique;
      }
      if (KeepsCredit(qso.verdict, rules) &&
          !credited.insert(Key(qso.call, qso.band, qso.mode)).second) {
        qso.verdict = Verdict::kDupe;
      }
    }
  }

  Contest& contest_;
  const std::vector<std::vector<bool>>& refused_;
  std::vector<CheckedLog>& logs_;
  std::vector<LogIndex> index_;
  std::vector<std::vector<Link>> match_;
  std::unordered_map<std::string, std::size_t> logOf_;
  std::unordered_map<std::string, int> logsWithCall_;  // how many logs hold the call
  std::unordered_map<std::string, std::vector<std::size_t>> callVariants_;  // a log's call,
                                                      // whole and less one character
};

}  // namespace

std::int64_t SecondsOf(const platform::CalendarTime& time) {
  using namespace std::chrono;
  const sys_days date = year_month_day(year(time.year), month(static_cast<unsigned>(time.month)),
                                       day(static_cast<unsigned>(time.day)));
  return std::int64_t{date.time_since_epoch().count()} * 86400 + time.hour * 3600 +
         time.minute * 60 + time.second;
}

bool OneCharApart(std::string_view a, std::string_view b) {
  if (a.size() < b.size()) std::swap(a, b);
  std::size_t prefix = 0;
  while (prefix < b.size() && a[prefix] == b[prefix]) ++prefix;
  if (a.size() == b.size() + 1) return a.substr(prefix + 1) == b.substr(prefix);
  if (a.size() != b.size() || prefix == a.size()) return false;
  if (a.substr(prefix + 1) == b.substr(prefix + 1)) return true;  // substituted
  return prefix + 1 < a.size() && a[prefix] == b[prefix + 1] && a[prefix + 1] == b[prefix] &&
         a.substr(prefix + 2) == b.substr(prefix + 2);  // neighbours swapped
}

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
