#include "adjudication/simulator.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <unordered_map>
#include <unordered_set>

#include "adjudication/cross_check.h"

namespace fs = std::filesystem;

namespace adjudication {
namespace {

constexpr int kPeriodMinutes = 4 * 60;  // 2026-12-06 09:00 to 13:00 UTC

struct Band {
  const char* name;
  int baseKhz;
};
constexpr Band kBands[] = {{"80", 3500}, {"40", 7000}, {"20", 14000}, {"15", 21000}};
struct Mode {
  const char* code;  // Cabrillo
  const char* rst;
};
constexpr Mode kModes[] = {{"CW", "599"}, {"PH", "59"}, {"PM", "599"}, {"RY", "599"}};
constexpr int kRefusedMode = 3;

// SplitMix64: the same numbers on every system and compiler.
class Random {
 public:
  explicit Random(std::uint64_t seed) : state_(seed) {}
  std::uint64_t Next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
  }
  int Below(int n) { return static_cast<int>(Next() % static_cast<std::uint64_t>(n)); }
  double Unit() { return static_cast<double>(Next() >> 11) * (1.0 / 9007199254740992.0); }
  bool Chance(double p) { return Unit() < p; }

 private:
  std::uint64_t state_;
};

enum class Fault {
  kNone,
  kCallMiscopied,    // a logs another call than b's: any call, an entrant's, or b's cut short
  kNumberMiscopied,
  kMissingOnB,
  kDupe,             // worked again: a dupe in both logs
  kOutOfPeriod,
  kLoggedTwice,      // a logs the QSO twice, a minute apart, the copy with its next number
                     // and b's time
  kAtTheEdge,        // in the period's first or last minute, logged a minute outside by a
                     // (out of the period for a, in it for b)
};

struct Contact {
  int a = 0, b = 0;  // a takes any one-sided fault
  int band = 0, mode = 0;
  int minute = 0;    // true time, from the period's start
  Fault fault = Fault::kNone;
  bool repeat = false;  // the second QSO of a dupe
  int recordA = -1, recordB = -1;
};

struct Record {
  int contact = 0;
  bool written = true;
  bool copy = false;     // the second entry of a QSO logged twice
  int minuteError = 0;   // logged this many minutes off its true time
  std::string loggedCall;
  std::string serial;
  std::string rcvd;
  int freqKhz = 0;
};

struct Station {
  std::string call;
  bool entrant = true;
  int clock = 0;
  int dateOffFrom = -1;  // from this minute on the log's dates are a day off, when >= 0
  int dateOffDays = 0;
  std::vector<Record> records;
};

// Calls as crowded as a real contest's: most share a few prefixes and the first
// letter of their suffix, so that many are one or two characters apart.
std::string RandomCall(Random& random) {
  std::string call = "Q";
  const double digit = random.Unit();
  call += static_cast<char>(digit < 0.5 ? '1' : digit < 0.75 ? '2' : '3' + random.Below(7));
  call += random.Chance(0.8) ? "ABDF"[random.Below(4)] : static_cast<char>('A' + random.Below(26));
  const int letters = 1 + random.Below(2);
  for (int i = 0; i < letters; ++i) call += static_cast<char>('A' + random.Below(26));
  return call;
}

// The call with one character substituted, inserted, deleted or two swapped, and
// no station's call.
std::string Miscopy(const std::string& call, const std::unordered_set<std::string>& calls,
                    Random& random) {
  for (;;) {
    std::string copy = call;
    const std::size_t at = 1 + static_cast<std::size_t>(random.Below(static_cast<int>(call.size()) - 1));
    const char letter = static_cast<char>('A' + random.Below(26));
    switch (random.Below(4)) {
      case 0: copy[at] = letter; break;
      case 1: copy.insert(at, 1, letter); break;
      case 2: if (copy.size() > 3) copy.erase(at, 1); break;
      default: if (at + 1 < copy.size()) std::swap(copy[at], copy[at + 1]); break;
    }
    if (copy != call && calls.count(copy) == 0) return copy;
  }
}

std::string Serial(int n) {
  char text[16];
  std::snprintf(text, sizeof text, "%03d", n);
  return text;
}

std::string Pad(const std::string& text, std::size_t width, bool left) {
  if (text.size() >= width) return text;
  const std::string blanks(width - text.size(), ' ');
  return left ? blanks + text : text + blanks;
}

std::string TimeOfMinute(int minute) {
  // Minutes from 2026-12-06 09:00; the contest's days are 5 to 7 December.
  const int total = 9 * 60 + minute + 24 * 60;  // from 2026-12-05 00:00
  char text[32];
  std::snprintf(text, sizeof text, "2026-12-%02d %02d%02d", 5 + total / (24 * 60),
                total / 60 % 24, total % 60);
  return text;
}

}  // namespace

SimulatedContest Simulate(const SimulationOptions& options) {
  Random random(options.seed * 0x2545F4914F6CDD1DULL + 12345);
  const int n = std::max(options.stations, 2);
  std::vector<Station> stations(static_cast<std::size_t>(n));
  std::unordered_set<std::string> calls;
  for (int s = 0; s < n; ++s) {
    Station& station = stations[s];
    do station.call = RandomCall(random); while (!calls.insert(station.call).second);
    station.entrant = s < 2 || !random.Chance(0.1);
  }
  std::string regions;
  for (const Station& station : stations) {
    if (random.Chance(0.2)) regions += station.call + "\r\n";
  }
  if (options.faults) {
    for (Station& station : stations) {
      if (station.entrant && random.Chance(0.03)) {
        station.clock = (3 + random.Below(7)) * (random.Chance(0.5) ? 1 : -1);
      }
      if (station.entrant && random.Chance(0.02)) {
        station.dateOffFrom = 60 + random.Below(kPeriodMinutes - 90);
        station.dateOffDays = random.Chance(0.5) ? 1 : -1;
      }
    }
    if (n >= 10) stations[1].clock = 8;  // at least one clock eight minutes fast
    if (n >= 20) {                        // and one log a day off from the third hour
      stations[0].dateOffFrom = 120;
      stations[0].dateOffDays = 1;
    }
  }

  // Each pair of stations works at most once per band and mode.
  const long long pairs = static_cast<long long>(n) * (n - 1) / 2;
  const long long wanted = std::min<long long>(static_cast<long long>(n) * options.qsosPerStation / 2,
                                               pairs * 12 / 2);
  std::vector<Contact> contacts;
  contacts.reserve(static_cast<std::size_t>(wanted * 102 / 100 + 8));
  std::unordered_set<std::uint64_t> worked;
  auto combination = [&](int a, int b, int band, int mode) {
    return ((static_cast<std::uint64_t>(std::min(a, b)) * 1000003 + std::max(a, b)) * 4 + band) *
               4 + mode;
  };
  while (static_cast<long long>(contacts.size()) < wanted) {
    Contact c;
    c.a = random.Below(n);
    c.b = random.Below(n - 1);
    if (c.b >= c.a) ++c.b;
    c.band = random.Below(4);
    const double m = random.Unit();
    c.mode = m < 0.5 ? 0 : m < 0.9 ? 1 : 2;
    c.minute = random.Below(kPeriodMinutes);
    const bool bothLog = stations[c.a].entrant && stations[c.b].entrant;
    if (options.faults) {
      const double r = random.Unit();
      if (r < 0.005) c.mode = kRefusedMode;
      else if (r < 0.010) c.fault = Fault::kOutOfPeriod;
      else if (r < 0.020) c.fault = Fault::kDupe;
      else if (bothLog && r < 0.035) c.fault = Fault::kCallMiscopied;
      else if (bothLog && r < 0.050) c.fault = Fault::kNumberMiscopied;
      else if (bothLog && r < 0.065) c.fault = Fault::kMissingOnB;
      else if (bothLog && r < 0.069) c.fault = Fault::kLoggedTwice;
      else if (bothLog && r < 0.072) c.fault = Fault::kAtTheEdge;
    }
    if (!stations[c.a].entrant) std::swap(c.a, c.b);  // one-sided faults fall on a log
    if (!worked.insert(combination(c.a, c.b, c.band, c.mode)).second) continue;
    if (c.fault == Fault::kOutOfPeriod) {
      c.minute = random.Chance(0.5) ? kPeriodMinutes + random.Below(30) : -1 - random.Below(30);
    }
    if (c.fault == Fault::kAtTheEdge) c.minute = random.Chance(0.5) ? 0 : kPeriodMinutes - 1;
    contacts.push_back(c);
    if (c.fault == Fault::kDupe) {
      Contact again = c;
      again.fault = Fault::kNone;
      again.repeat = true;
      const int gap = 10 + random.Below(30);
      again.minute = c.minute + gap < kPeriodMinutes ? c.minute + gap : c.minute;
      contacts.back().minute = again.minute == c.minute ? c.minute - gap : c.minute;
      if (contacts.back().minute < 0) {  // a period too short for both: no dupe
        contacts.back().minute = c.minute;
        contacts.back().fault = Fault::kNone;
        continue;
      }
      contacts.push_back(again);
    }
  }

  // Every station numbers its QSOs in time order, logged or not; the second entry of
  // a QSO logged twice takes a number of its own, a minute after (or before) the first.
  for (std::size_t i = 0; i < contacts.size(); ++i) {
    Contact& c = contacts[i];
    for (const bool sideA : {true, false}) {
      Station& station = stations[sideA ? c.a : c.b];
      Record record;
      record.contact = static_cast<int>(i);
      record.written = station.entrant && !(c.fault == Fault::kMissingOnB && !sideA);
      record.loggedCall = stations[sideA ? c.b : c.a].call;
      record.freqKhz = kBands[c.band].baseKhz + 20 + random.Below(200);
      if (sideA && c.fault == Fault::kAtTheEdge) record.minuteError = c.minute == 0 ? -1 : 1;
      // The partner of a QSO logged twice logs it at the copy's minute: nearer the copy,
      // whose number (the next) is not the one they received.
      if (!sideA && c.fault == Fault::kLoggedTwice) record.minuteError = c.minute + 1 < kPeriodMinutes ? 1 : -1;
      station.records.push_back(record);
      if (sideA && c.fault == Fault::kLoggedTwice) {
        record.copy = true;
        record.minuteError = c.minute + 1 < kPeriodMinutes ? 1 : -1;
        station.records.push_back(record);
      }
    }
  }
  auto loggedMinute = [&](const Record& r) { return contacts[r.contact].minute + r.minuteError; };
  for (std::size_t s = 0; s < stations.size(); ++s) {
    auto& records = stations[s].records;
    std::stable_sort(records.begin(), records.end(), [&](const Record& x, const Record& y) {
      return loggedMinute(x) < loggedMinute(y);
    });
    for (std::size_t r = 0; r < records.size(); ++r) {
      records[r].serial = Serial(static_cast<int>(r) + 1);
      if (records[r].copy) continue;
      Contact& c = contacts[records[r].contact];
      (static_cast<int>(s) == c.a ? c.recordA : c.recordB) = static_cast<int>(r);
    }
  }
  // Entrants' calls by length, for miscopies that land on one of them.
  std::vector<int> entrants;
  for (int s = 0; s < n; ++s) {
    if (stations[s].entrant) entrants.push_back(s);
  }
  for (Contact& c : contacts) {
    Record& onA = stations[c.a].records[c.recordA];
    Record& onB = stations[c.b].records[c.recordB];
    onA.rcvd = onB.serial;
    onB.rcvd = onA.serial;
    if (c.fault == Fault::kLoggedTwice) {  // the copy is the record beside the first
      for (Record& record : stations[c.a].records) {
        if (record.copy && record.contact == onA.contact) record.rcvd = onA.rcvd;
      }
    }
    if (c.fault == Fault::kCallMiscopied) {
      // A third of them land on an entrant's call one or two edits off (one who never
      // works a on this band and mode), a few are cut short after the prefix's letter.
      const double kind = random.Unit();
      std::vector<int> near;
      if (kind < 0.35) {
        for (int s : entrants) {
          if (s != c.a && s != c.b && EditsApart(stations[s].call, onA.loggedCall) <= 2 &&
              worked.count(combination(c.a, s, c.band, c.mode)) == 0) {
            near.push_back(s);
          }
        }
      }
      if (!near.empty()) {
        onA.loggedCall = stations[near[static_cast<std::size_t>(random.Below(static_cast<int>(near.size())))]].call;
      } else if (kind > 0.9) {
        onA.loggedCall.resize(3);
      } else {
        onA.loggedCall = Miscopy(onA.loggedCall, calls, random);
      }
    }
    if (c.fault == Fault::kNumberMiscopied) {
      std::string& number = onA.rcvd;
      const std::size_t digit = static_cast<std::size_t>(random.Below(static_cast<int>(number.size())));
      number[digit] = static_cast<char>('0' + (number[digit] - '0' + 1 + random.Below(9)) % 10);
    }
  }

  // How many logs hold each call, for the uniques.
  std::unordered_map<std::string, int> logsWithCall;
  for (const Station& station : stations) {
    std::unordered_set<std::string> held;
    for (const Record& record : station.records) {
      if (record.written && held.insert(record.loggedCall).second) ++logsWithCall[record.loggedCall];
    }
  }

  // A log's dates are a day off from its switch on, but for the QSOs with other faults.
  auto DaysOff = [&](int s, const Contact& c) {
    const Station& station = stations[s];
    const bool plain = c.fault == Fault::kNone && !c.repeat && c.mode != kRefusedMode;
    return plain && station.dateOffFrom >= 0 && c.minute >= station.dateOffFrom ? station.dateOffDays : 0;
  };

  SimulatedContest contest;
  contest.regionList = regions;
  contest.rules =
      "[Rules]\r\nStart=2026-12-06 0900\r\nEnd=2026-12-06 1300\r\nToleranceMinutes=5\r\n"
      "NonEntrantMinLogs=2\r\nUniquesCount=1\r\n";
  for (std::size_t s = 0; s < stations.size(); ++s) {
    const Station& station = stations[s];
    if (!station.entrant) continue;
    contest.clockOffsets[station.call] = station.clock;
    const std::string file = station.call + ".cbr";
    std::string text = "START-OF-LOG: 3.0\r\nCONTEST: ZELTA-CUP\r\nCALLSIGN: " + station.call +
                       "\r\nCATEGORY-OPERATOR: SINGLE-OP\r\nCATEGORY-BAND: ALL\r\n"
                       "CATEGORY-MODE: MIXED\r\nCATEGORY-POWER: " +
                       (s % 3 == 0 ? "LOW" : "HIGH") +
                       "\r\nCREATED-BY: Orvo \r\nNAME: Operator " + std::to_string(s + 1) +
                       "\r\nOPERATORS: " + station.call + "\r\n";
    std::size_t line = 10;
    for (const Record& record : station.records) {
      if (!record.written) continue;
      const Contact& c = contacts[record.contact];
      const bool sideA = static_cast<int>(s) == c.a;
      const int p = sideA ? c.b : c.a;
      const Station& partner = stations[p];
      const Mode& mode = kModes[c.mode];
      text += "QSO: " + Pad(std::to_string(record.freqKhz), 5, true) + ' ' + Pad(mode.code, 2, true) +
              ' ' + TimeOfMinute(loggedMinute(record) + station.clock + 24 * 60 * DaysOff(static_cast<int>(s), c)) +
              ' ' + Pad(station.call, 13, false) +
              ' ' + Pad(mode.rst, 3, false) + ' ' + Pad(record.serial, 6, false) + ' ' +
              Pad(record.loggedCall, 13, false) + ' ' + Pad(mode.rst, 3, false) + ' ' +
              record.rcvd + "\r\n";
      TruthEntry truth;
      truth.file = file;
      truth.line = ++line;
      truth.call = record.loggedCall;
      if (c.mode == kRefusedMode) {
        truth.verdict = Verdict::kRefused;
      } else if (c.fault == Fault::kOutOfPeriod || (sideA && c.fault == Fault::kAtTheEdge) ||
                 (DaysOff(static_cast<int>(s), c) != 0 && (!partner.entrant || DaysOff(p, c) != 0))) {
        // Each log by its own time; a date a day off stands unless the partner's log
        // shows the right one.
        truth.verdict = Verdict::kOutOfPeriod;
      } else if (c.repeat || record.copy) {
        truth.verdict = Verdict::kDupe;
      } else if (!partner.entrant) {
        truth.verdict = logsWithCall[partner.call] - 1 >= 2 ? Verdict::kUnverified : Verdict::kUnique;
      } else if (sideA && c.fault == Fault::kMissingOnB) {
        truth.verdict = Verdict::kNil;
      } else if (sideA && c.fault == Fault::kCallMiscopied) {
        truth.verdict = Verdict::kBustedCall;
        truth.correct = partner.call;
      } else if (sideA && c.fault == Fault::kNumberMiscopied) {
        truth.verdict = Verdict::kBustedExchange;
        truth.correct = stations[c.b].records[c.recordB].serial;
      }
      contest.truth.push_back(truth);
      ++contest.qsoCount;
    }
    text += "END-OF-LOG:\r\n";
    contest.logs.emplace_back(file, std::move(text));
  }
  return contest;
}

std::string TruthCsv(const SimulatedContest& contest) {
  std::string csv = "file,line,call,verdict,correct\n";
  for (const TruthEntry& t : contest.truth) {
    csv += t.file + ',' + std::to_string(t.line) + ',' + t.call + ',' +
           std::string(VerdictName(t.verdict)) + ',' + t.correct + '\n';
  }
  return csv;
}

bool WriteSimulation(const SimulatedContest& contest, const std::string& dir, std::string& error) {
  const fs::path root(dir);
  std::error_code ec;
  fs::create_directories(root / "logs", ec);
  fs::create_directories(root / "Plugins", ec);
  auto write = [&](const fs::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) error = "cannot write " + path.generic_string();
    return static_cast<bool>(out);
  };
  for (const auto& [file, bytes] : contest.logs) {
    if (!write(root / "logs" / file, bytes)) return false;
  }
  return write(root / "Plugins" / "zelta.dom", contest.regionList) &&
         write(root / "rules.ini", contest.rules) && write(root / "truth.csv", TruthCsv(contest));
}

}  // namespace adjudication
