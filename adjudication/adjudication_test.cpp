#include <filesystem>
#include <map>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "adjudication/adjudicator.h"
#include "adjudication/cross_check.h"
#include "adjudication/outputs.h"
#include "adjudication/rules_file.h"
#include "adjudication/simulator.h"
#include "platform/shared_library.h"

namespace adjudication {
namespace {

namespace fs = std::filesystem;

TEST(EditsApart, SubstitutionsInsertionsDeletionsAndNeighbourSwapsInAnyMix) {
  const struct {
    const char* a;
    const char* b;
    int edits;
  } cases[] = {
      {"Q1ABC", "Q1ABC", 0}, {"Q1ABC", "Q1ABD", 1}, {"Q1ABC", "Q1AB", 1}, {"Q1AB", "Q1ABC", 1},
      {"Q1ABC", "Q1BAC", 1}, {"Q1ABC", "1QABC", 1}, {"Q1ABC", "Q1AXBC", 1}, {"", "Q", 1},
      {"Q1ABC", "Q1CBA", 2}, {"Q1ABC", "Q1AXYC", 2}, {"Q1ABC", "Q1A", 2}, {"Q1ABC", "Q1ABCDE", 2},
      {"Q1ABC", "Q1BAD", 2}, {"Q1ABC", "X1ABY", 2}, {"Q1ABC", "1QACB", 2},
      {"Q1ABC", "Q7ADE", kFarApart}, {"Q1ABC", "Q1", kFarApart}, {"Q1ABC", "Q1ABCDEF", kFarApart},
      {"Q1ABC", "CBA1Q", kFarApart}, {"Q1ABCDEFGH", "X1ABCDEFGY", 2}, {"", "Q1A", kFarApart},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(EditsApart(c.a, c.b), c.edits) << c.a << " " << c.b;
    EXPECT_EQ(EditsApart(c.b, c.a), c.edits) << c.b << " " << c.a;
    EXPECT_EQ(OneCharApart(c.a, c.b), c.edits == 1) << c.a << " " << c.b;
  }
}

TEST(ClockOffset, MedianOfTheDifferencesRoundedToMinutes) {
  EXPECT_EQ(MedianOffsetMinutes({480, 480, 470, -3000, 490, 480, 9000}), 8);
  EXPECT_EQ(MedianOffsetMinutes({-300, -290, -310, -300, -300}), -5);
  EXPECT_EQ(MedianOffsetMinutes({470, 470, 470, -470, -470}), 8) << "rounded, not cut";
  EXPECT_EQ(MedianOffsetMinutes({-470, -470, -470, 470, 470}), -8);
  EXPECT_EQ(MedianOffsetMinutes({480, 480, 480, 480}), 0) << "too few pairs to tell";
}

TEST(RulesFile, ValuesAndErrorsNamingTheLine) {
  const Rules rules = ParseRules(
      "; contest\n[Other]\nX=1\n[rules]\nstart = 2026-12-06 0900\nEnd=2026-12-06 1300\n"
      "ToleranceMinutes=3\nNonEntrantMinLogs=0\nUniquesCount=0\n",
      "r.ini");
  ASSERT_TRUE(rules.start && rules.end);
  EXPECT_EQ(std::tuple(rules.start->hour, rules.end->hour, rules.toleranceMinutes, rules.nonEntrantMinLogs,
                       rules.uniquesCount),
            std::tuple(9, 13, 3, 0, false));
  EXPECT_EQ(ParseRules("", "r.ini").toleranceMinutes, 5);

  // (An unknown key is the end-to-end test's.)
  const std::map<std::string, std::string> bad = {
      {"[Rules]\n\nToleranceMinutes=five\n", "r.ini:3:"},
      {"[Rules]\nStart=2026-12-06 1300\nEnd=2026-12-06 0900\n", "r.ini:3: End must"},
      {"[Rules]\nUniquesCount=1\nUniquesCount=0\n", "r.ini:3:"},
      {"Start=2026-12-06 0900\n", "r.ini:1:"},
  };
  for (const auto& [text, message] : bad) {
    try {
      ParseRules(text, "r.ini");
      ADD_FAILURE() << "accepted: " << text;
    } catch (const RulesError& e) {
      EXPECT_EQ(std::string(e.what()).rfind(message, 0), 0u) << e.what();
    }
  }
}

// One QSO of a contest written out by hand.
CheckedQso Qso(const char* call, int minute, const char* sent, const char* rcvd, const char* band = "20") {
  return {.time = {2026, 12, 6, (600 + minute) / 60, (600 + minute) % 60, 0}, .band = band, .mode = "CW", .call = call,
          .sent = sent, .rcvd = rcvd};
}

TEST(CrossCheck, EachVerdictInItsOrder) {
  Contest contest;
  contest.rules.end = platform::CalendarTime{2026, 12, 6, 12, 0, 0};
  for (const char* call : {"Q1AA", "Q2BB", "Q3CC"}) contest.logs.emplace_back().call = call;
  const struct {
    CheckedQso qso;
    Verdict verdict;
    const char* correct;
  } ours[] = {
      {Qso("Q2BB", 0, "001", "101"), Verdict::kOk, "-"},
      {Qso("Q2BB", 5, "002", "102"), Verdict::kRefused, "-"},  // flagged below, though Q2BB has it
      {Qso("Q2BB", 130, "003", "103"), Verdict::kOutOfPeriod, "-"},
      {Qso("Q2BB", 10, "004", "171", "40"), Verdict::kBustedExchange, "107"},
      {Qso("Q3CC", 20, "005", "201"), Verdict::kNil, "-"},  // Q3CC has no QSO with us then
      {Qso("Q2BX", 30, "006", "109", "15"), Verdict::kBustedCall, "Q2BB"},  // Q2BB logged us then
      {Qso("Q9ZZ", 40, "007", "301"), Verdict::kUnverified, "-"},  // in two other logs
      {Qso("Q8YY", 41, "008", "401"), Verdict::kUnique, "-"},
      {Qso("Q2BB", 50, "009", "110"), Verdict::kDupe, "-"},  // of the first
      {Qso("Q3CC", 59, "010", "202"), Verdict::kNil, "-"},   // never a dupe of the nil above
      {Qso("Q8YY", 70, "011", "402", "40"), Verdict::kUnique, "-"},  // three bands are one log
      {Qso("Q8YY", 80, "012", "403", "80"), Verdict::kUnique, "-"},
      {Qso("Q8YY", 90, "013", "404"), Verdict::kDupe, "-"},  // of a unique that counts
  };
  for (const auto& row : ours) contest.logs[0].qsos.push_back(row.qso);
  contest.logs[1].qsos = {
      Qso("Q1AA", 0, "101", "001"),  Qso("Q1AA", 5, "102", "002"),
      Qso("Q1AA", 130, "103", "003"), Qso("Q1AA", 10, "107", "004", "40"),
      Qso("Q1AA", 30, "109", "006", "15"), Qso("Q9ZZ", 40, "108", "302"),
      Qso("Q1AA", 50, "110", "009"),
  };
  contest.logs[2].qsos = {Qso("Q1AA", 35, "201", "005"), Qso("Q9ZZ", 40, "202", "303")};
  CrossCheck(contest, {{false, true}, {}, {}});

  for (std::size_t q = 0; q < std::size(ours); ++q) {
    const CheckedQso& qso = contest.logs[0].qsos[q];
    EXPECT_EQ(VerdictName(qso.verdict), VerdictName(ours[q].verdict)) << "QSO " << q;
    EXPECT_EQ(qso.correct.value_or("-"), ours[q].correct) << "QSO " << q;
  }
  // Q2BB's side: its QSO at 10:30 was with Q1AA, whose call it has right.
  EXPECT_EQ(contest.logs[1].qsos[4].verdict, Verdict::kOk);
  // Without credit for uniques there is no credit to repeat.
  contest.rules.uniquesCount = false;
  CrossCheck(contest, {{false, true}, {}, {}});
  EXPECT_EQ(contest.logs[0].qsos.back().verdict, Verdict::kUnique);
}

// Crowded calls: other stations miscopy Q1ABC onto entrants' calls (Q1ABD one edit
// off, Q1ACD two) and onto calls without a log, QSOs logged twice, the period's edges
// (10:00 to 12:00). Every QSO of every log with its verdict, right call and other side.
TEST(CrossCheck, MiscopiesOntoEntrantsQsosLoggedTwiceAndThePeriodsEdges) {
  Contest contest;
  contest.rules.start = platform::CalendarTime{2026, 12, 6, 10, 0, 0};
  contest.rules.end = platform::CalendarTime{2026, 12, 6, 12, 0, 0};
  struct Row {
    const char* log;
    CheckedQso qso;
    Verdict verdict;
    const char* correct = "-";
    const char* otherLog = "-";  // the other side: its log, its minute on the same band
    int otherMinute = 0;
  };
  const Row rows[] = {
      // Q2XYZ logged Q1ABD, an entrant without that QSO: their miscopy of us.
      {"Q1ABC", Qso("Q2XYZ", 10, "001", "101"), Verdict::kOk, "-", "Q2XYZ", 10},
      {"Q2XYZ", Qso("Q1ABD", 10, "101", "001"), Verdict::kBustedCall, "Q1ABC", "Q1ABC", 10},
      // Q2XYZ's QSO with Q1ABD is real (Q1ABD has it), and so is its copy a minute later.
      {"Q1ABC", Qso("Q2XYZ", 20, "002", "102", "40"), Verdict::kNil},
      {"Q1ABD", Qso("Q2XYZ", 20, "301", "102", "40"), Verdict::kOk, "-", "Q2XYZ", 20},
      {"Q2XYZ", Qso("Q1ABD", 20, "102", "301", "40"), Verdict::kOk, "-", "Q1ABD", 20},
      {"Q2XYZ", Qso("Q1ABD", 21, "103", "301", "40"), Verdict::kDupe, "-", "Q2XYZ", 20},
      // A copy of a matched QSO is a QSO logged twice, unless the numbers say it is ours.
      {"Q1ABD", Qso("Q2XYZ", 90, "302", "108", "17"), Verdict::kOk, "-", "Q2XYZ", 90},
      {"Q2XYZ", Qso("Q1ABD", 90, "108", "302", "17"), Verdict::kOk, "-", "Q1ABD", 90},
      {"Q2XYZ", Qso("Q1ABD", 89, "109", "009", "17"), Verdict::kBustedCall, "Q1ABC", "Q1ABC", 89},
      {"Q1ABC", Qso("Q2XYZ", 89, "009", "0109", "17"), Verdict::kOk, "-", "Q2XYZ", 89},  // 0109 is 109
      // Two edits off, onto the entrant Q1ACD.
      {"Q1ABC", Qso("Q2XYZ", 30, "003", "104", "15"), Verdict::kOk, "-", "Q2XYZ", 31},
      {"Q2XYZ", Qso("Q1ACD", 31, "104", "003", "15"), Verdict::kBustedCall, "Q1ABC", "Q1ABC", 30},
      // Two edits off onto a call without a log, the number miscopied too.
      {"Q1ABC", Qso("Q3KK", 40, "004", "201"), Verdict::kOk, "-", "Q3KK", 40},
      {"Q3KK", Qso("Q1AXY", 40, "201", "044"), Verdict::kBustedCall, "Q1ABC", "Q1ABC", 40},
      // One edit off with other numbers, two edits off with ours: the numbers decide.
      {"Q1ABC", Qso("Q3KK", 50, "005", "202", "40"), Verdict::kOk, "-", "Q3KK", 51},
      {"Q3KK", Qso("Q1ABX", 50, "203", "099", "40"), Verdict::kBustedCall, "Q1ABC", "Q1ABC", 50},
      {"Q3KK", Qso("Q1BXC", 51, "202", "005", "40"), Verdict::kBustedCall, "Q1ABC", "Q1ABC", 50},
      // Q1ABX is one edit from both Q1ABC and Q1ABD: the number that Q1ABD copied decides.
      {"Q1ABC", Qso("Q2XYZ", 100, "010", "555", "12"), Verdict::kNil},
      {"Q1ABD", Qso("Q2XYZ", 100, "303", "110", "12"), Verdict::kOk, "-", "Q2XYZ", 100},
      {"Q2XYZ", Qso("Q1ABX", 100, "110", "330", "12"), Verdict::kBustedCall, "Q1ABD", "Q1ABD", 100},
      // Q1ABE sent no log, but three logs have it: a station of its own, taken for a
      // miscopy of Q1ABC only when a number agrees.
      {"Q1ABD", Qso("Q1ABE", 5, "304", "901"), Verdict::kUnverified},
      {"Q2XYZ", Qso("Q1ABE", 6, "111", "902"), Verdict::kUnverified},
      {"Q1ABC", Qso("Q3KK", 110, "011", "206", "30"), Verdict::kNil},
      {"Q3KK", Qso("Q1ABE", 110, "207", "777", "30"), Verdict::kUnverified},
      // Three edits off is no miscopy.
      {"Q1ABC", Qso("Q3KK", 60, "006", "204", "80"), Verdict::kNil},
      {"Q3KK", Qso("Q7ADE", 60, "204", "006", "80"), Verdict::kUnique},
      // The tolerance's edges: five minutes apart either way match, six do not.
      {"Q1ABD", Qso("Q3KK", 25, "305", "211", "30"), Verdict::kOk, "-", "Q3KK", 30},
      {"Q3KK", Qso("Q1ABD", 30, "211", "305", "30"), Verdict::kOk, "-", "Q1ABD", 25},
      {"Q1ABD", Qso("Q3KK", 35, "306", "212", "60"), Verdict::kOk, "-", "Q3KK", 30},
      {"Q3KK", Qso("Q1ABD", 30, "212", "306", "60"), Verdict::kOk, "-", "Q1ABD", 35},
      {"Q1ABD", Qso("Q3KK", 45, "307", "213", "4"), Verdict::kNil},
      {"Q3KK", Qso("Q1ABD", 51, "213", "307", "4"), Verdict::kNil},
      // Logged twice by Q1ABD, never by Q3KK: neither copy is matched, both are nil.
      {"Q1ABD", Qso("Q3KK", 65, "308", "214", "2"), Verdict::kNil},
      {"Q1ABD", Qso("Q3KK", 66, "309", "214", "2"), Verdict::kNil},
      // Logged twice by Q1ABC, once by Q3KK.
      {"Q1ABC", Qso("Q3KK", 70, "007", "205", "15"), Verdict::kDupe, "-", "Q1ABC", 71},
      {"Q1ABC", Qso("Q3KK", 71, "008", "205", "15"), Verdict::kOk, "-", "Q3KK", 71},
      {"Q3KK", Qso("Q1ABC", 71, "205", "008", "15"), Verdict::kOk, "-", "Q1ABC", 71},
      // The edges: Start inside, End outside; a matched QSO is outside only when both
      // logs put it outside, an unmatched one by its own time.
      {"Q1ACD", Qso("Q2XYZ", -1, "401", "105", "80"), Verdict::kOk, "-", "Q2XYZ", 0},
      {"Q2XYZ", Qso("Q1ACD", 0, "105", "401", "80"), Verdict::kOk, "-", "Q1ACD", -1},
      {"Q1ACD", Qso("Q2XYZ", 120, "402", "106", "10"), Verdict::kOutOfPeriod},
      {"Q2XYZ", Qso("Q1ACD", 120, "106", "402", "10"), Verdict::kOutOfPeriod},
      {"Q1ACD", Qso("Q2XYZ", 120, "403", "107", "160"), Verdict::kOk, "-", "Q2XYZ", 119},
      {"Q2XYZ", Qso("Q1ACD", 119, "107", "403", "160"), Verdict::kOk, "-", "Q1ACD", 120},
      {"Q1ACD", Qso("Q4NN", 0, "404", "501", "6"), Verdict::kUnique},
      {"Q1ACD", Qso("Q4NN", 120, "405", "502", "2"), Verdict::kOutOfPeriod},
      {"Q1ACD", Qso("Q3KK", 80, "406", "210"), Verdict::kOk, "-", "Q3KK", 80},
      {"Q3KK", Qso("Q1ACD", 80, "210", "406"), Verdict::kOk, "-", "Q1ACD", 80},
  };
  for (const char* call : {"Q1ABC", "Q1ABD", "Q1ACD", "Q2XYZ", "Q3KK"}) contest.logs.emplace_back().call = call;
  auto logOf = [&](std::string_view call) {
    for (std::size_t l = 0; l < contest.logs.size(); ++l) {
      if (contest.logs[l].call == call) return l;
    }
    return contest.logs.size();
  };
  for (const Row& row : rows) contest.logs[logOf(row.log)].qsos.push_back(row.qso);
  CrossCheck(contest, {});

  std::map<std::size_t, std::size_t> next;
  for (const Row& row : rows) {
    const std::size_t l = logOf(row.log);
    const CheckedQso& qso = contest.logs[l].qsos[next[l]++];
    SCOPED_TRACE(std::string(row.log) + " " + qso.call + " " + TimeText(qso.time));
    EXPECT_EQ(VerdictName(qso.verdict), VerdictName(row.verdict));
    EXPECT_EQ(qso.correct.value_or("-"), row.correct);
    ASSERT_EQ(qso.other ? contest.logs[qso.other->log].call : "-", row.otherLog);
    if (!qso.other) continue;
    const CheckedQso& other = contest.logs[qso.other->log].qsos[qso.other->qso];
    EXPECT_EQ(std::tuple(TimeText(other.time), other.band),
              std::tuple(TimeText(Qso("", row.otherMinute, "", "").time), qso.band));
  }
  for (const CheckedLog& log : contest.logs) EXPECT_EQ(log.clockOffsetMinutes, 0) << log.call;
}

TEST(Json, EscapesTextsFromTheLogs) {
  Contest contest;
  contest.logs.push_back({.call = "Q1\"A\\", .file = "a\x01\xff\xd0\x96.cbr"});
  const std::string json = VerdictsJson(contest);
  EXPECT_NE(json.find("\"call\": \"Q1\\\"A\\\\\""), std::string::npos) << json;
  EXPECT_NE(json.find("\"file\": \"a\\u0001\\ufffd\xd0\x96.cbr\""), std::string::npos) << json;
}

// Simulated contests through the built plug-in: with faults at least 99.5% of the
// verdicts agree with the truth, every miscopy onto an entrant's call among them (and
// its innocent side), and the faults cost points; without faults every verdict agrees
// and no QSO loses credit. Every injected clock offset is found.
TEST(SimulatedContest, VerdictsAndClockOffsetsAgreeWithTheTruth) {
  int ontoEntrants = 0;
  for (const SimulationOptions& options : {SimulationOptions{30, 50, 1, true}, SimulationOptions{30, 50, 2, true},
                                           SimulationOptions{20, 40, 3, false}}) {
    SCOPED_TRACE("seed " + std::to_string(options.seed));
    const SimulatedContest simulated = Simulate(options);
    // A random name: builds testing at the same time on one machine never share it.
    const fs::path dir = fs::temp_directory_path() / ("zelta-simulated-" + std::to_string(std::random_device{}()));
    std::string error;
    ASSERT_TRUE(WriteSimulation(simulated, dir.string(), error)) << error;
    zelta::StatsPlugin plugin;
    ASSERT_TRUE(plugin.Load((fs::path(platform::ExecutablePath()).parent_path() / STATS_LIBRARY_NAME).string(), error))
        << error;
    AdjudicationInput input{(dir / "logs").string(), dir.string(), ParseRules(simulated.rules, "rules.ini"),
                            (dir / "scratch").string()};
    fs::create_directory(input.scratchBase);
    std::vector<std::string> notes;
    const Contest contest = Adjudicate(input, plugin, notes);
    EXPECT_TRUE(notes.empty()) << notes.front();
    // The plug-in's scratch folder is gone (on Windows only once the plug-in closed its
    // check file), and the plug-in is still there to use.
    EXPECT_TRUE(fs::is_empty(input.scratchBase));
    EXPECT_EQ(plugin.IsValidExchg("017"), 1);
    fs::remove_all(dir);

    std::map<std::pair<std::string, std::size_t>, const CheckedQso*> checked;
    std::map<std::pair<std::string, std::size_t>, const TruthEntry*> truths;
    int lost = 0;
    for (const CheckedLog& log : contest.logs) {
      EXPECT_EQ(log.clockOffsetMinutes, simulated.clockOffsets.at(log.call)) << log.call;
      EXPECT_LE(log.checked.score, log.claimed.score) << log.call;
      EXPECT_GT(log.claimed.score, 0) << log.call;
      lost += log.claimed.score - log.checked.score;
      for (const CheckedQso& qso : log.qsos) {
        checked[{log.file, qso.line}] = &qso;
        EXPECT_TRUE(options.faults || KeepsCredit(qso.verdict, Rules())) << log.call << " line " << qso.line;
      }
    }
    EXPECT_EQ(lost > 0, options.faults) << "only injected faults cost points";
    EXPECT_EQ(checked.size(), simulated.truth.size());
    auto agrees = [&](const TruthEntry& truth) {
      const auto it = checked.find({truth.file, truth.line});
      return it != checked.end() && it->second->verdict == truth.verdict &&
             it->second->correct.value_or("") == truth.correct;
    };
    std::size_t agreeing = 0;
    for (const TruthEntry& truth : simulated.truth) {
      agreeing += agrees(truth);
      truths[{truth.file, truth.line}] = &truth;
    }
    EXPECT_GE(agreeing * 1000, simulated.truth.size() * (options.faults ? 995 : 1000)) << agreeing << " agree";
    for (const TruthEntry& truth : simulated.truth) {
      if (truth.verdict != Verdict::kBustedCall || simulated.clockOffsets.count(truth.call) == 0) continue;
      ++ontoEntrants;
      ASSERT_TRUE(agrees(truth)) << truth.file << " line " << truth.line << ": " << truth.call;
      const CheckedQso& miscopy = *checked.at({truth.file, truth.line});
      const CheckedLog& innocent = contest.logs[miscopy.other->log];
      const CheckedQso& theirs = innocent.qsos[miscopy.other->qso];
      EXPECT_TRUE(agrees(*truths.at({innocent.file, theirs.line}))) << innocent.file << " line " << theirs.line;
    }
  }
  EXPECT_GT(ontoEntrants, 0) << "miscopies onto entrants' calls";
}

}  // namespace
}  // namespace adjudication
