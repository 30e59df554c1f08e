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

TEST(OneCharApart, SubstitutionInsertionDeletionAndNeighbourSwapOnly) {
  for (const auto& [a, b] : {std::pair{"Q1ABC", "Q1ABD"}, {"Q1ABC", "Q1AB"}, {"Q1AB", "Q1ABC"}, {"Q1ABC", "Q1BAC"},
                             {"Q1ABC", "1QABC"}, {"Q1ABC", "Q1AXBC"}, {"", "Q"}}) {
    EXPECT_TRUE(OneCharApart(a, b)) << a << " " << b;
  }
  for (const auto& [a, b] : {std::pair{"Q1ABC", "Q1ABC"}, {"Q1ABC", "Q1CBA"}, {"Q1ABC", "Q1AXYC"}, {"Q1ABC", "Q1A"},
                             {"Q1ABC", "Q1ABCDE"}}) {
    EXPECT_FALSE(OneCharApart(a, b)) << a << " " << b;
  }
}

TEST(ClockOffset, MedianOfTheDifferencesRoundedToMinutes) {
  EXPECT_EQ(MedianOffsetMinutes({480, 480, 470, -3000, 490, 480, 9000}), 8);
  EXPECT_EQ(MedianOffsetMinutes({-300, -290, -310, -300, -300}), -5);
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
  return {.time = {2026, 12, 6, 10 + minute / 60, minute % 60, 0}, .band = band, .mode = "CW", .call = call,
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
}

TEST(Json, EscapesTextsFromTheLogs) {
  Contest contest;
  contest.logs.push_back({.call = "Q1\"A\\", .file = "a\x01\xff\xd0\x96.cbr"});
  const std::string json = VerdictsJson(contest);
  EXPECT_NE(json.find("\"call\": \"Q1\\\"A\\\\\""), std::string::npos) << json;
  EXPECT_NE(json.find("\"file\": \"a\\u0001\\ufffd\xd0\x96.cbr\""), std::string::npos) << json;
}

// Simulated contests through the built plug-in: with faults at least 99% of the
// verdicts agree with the truth and the faults cost points; without faults every
// verdict agrees and no QSO loses credit. Every injected clock offset is found.
TEST(SimulatedContest, VerdictsAndClockOffsetsAgreeWithTheTruth) {
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
    AdjudicationInput input{(dir / "logs").string(), dir.string(), ParseRules(simulated.rules, "rules.ini")};
    std::vector<std::string> notes;
    const Contest contest = Adjudicate(input, plugin, notes);
    EXPECT_TRUE(notes.empty()) << notes.front();
    fs::remove_all(dir);

    std::map<std::pair<std::string, std::size_t>, const CheckedQso*> checked;
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
    std::size_t agreeing = 0;
    for (const TruthEntry& truth : simulated.truth) {
      const auto it = checked.find({truth.file, truth.line});
      agreeing += it != checked.end() && it->second->verdict == truth.verdict &&
                  it->second->correct.value_or("") == truth.correct;
    }
    EXPECT_GE(agreeing * 100, simulated.truth.size() * (options.faults ? 99 : 100)) << agreeing << " agree";
  }
}

}  // namespace
}  // namespace adjudication
