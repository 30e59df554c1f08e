#include <algorithm>
#include <filesystem>
#include <map>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "adjudication/adjudicator.h"
#include "adjudication/categories.h"
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
      {"[Categories]\nSO = SINGLE-OP ALL CW\n", "r.ini:2: the category SO needs four values"},
      {"[Categories]\nSO = SINGLE-OP ALL CW LOW\nso = SINGLE-OP ALL SSB LOW\n", "r.ini:3: the category so is given twice"},
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

// A header read as entrants write it, against the default categories and against a
// contest's own list (where "*" takes any value).
TEST(Categories, HeadersAsEntrantsWriteThemChecklogsAndHeadersThatFitNone) {
  using Kind = Classification::Kind;
  using Headers = std::vector<std::pair<std::string, std::string>>;
  const Rules defaults;
  const Rules own = ParseRules("[Categories]\nSingle CW = single-op * CW *\nMulti=MULTI-OP ALL mixed HIGH\n", "r.ini");
  const struct {
    Headers headers;
    const Rules& rules;
    Kind kind;
    const char* name;
    std::size_t defaulted;
  } cases[] = {
      {{{"CATEGORY-OPERATOR", "SINGLE-OP"}, {"CATEGORY-BAND", "ALL"}, {"CATEGORY-MODE", "CW"}, {"CATEGORY-POWER", "LOW"}},
       defaults, Kind::kCategory, "SINGLE-OP ALL CW LOW", 0},
      {{{"category-operator", " single-op "}, {"Category-Band", "all"}, {"CATEGORY-MODE", "cw\t"}, {"CATEGORY-POWER", "low"}},
       defaults, Kind::kCategory, "SINGLE-OP ALL CW LOW", 0},
      {{{"CATEGORY", "SINGLE-OP ALL LOW CW"}}, defaults, Kind::kCategory, "SINGLE-OP ALL CW LOW", 0},
      {{{"CATEGORY-MODE", "MIXED"}, {"CATEGORY-STATION", "PORTABLE"}}, defaults, Kind::kCategory, "SINGLE-OP ALL MIX HIGH", 3},
      {{}, defaults, Kind::kCategory, "SINGLE-OP ALL SSB HIGH", 4},
      {{{"CATEGORY-OPERATOR", "checklog"}, {"CATEGORY-MODE", "RTTY"}}, defaults, Kind::kChecklog, "", 3},
      {{{"CATEGORY", "CHECKLOG"}}, defaults, Kind::kChecklog, "", 4},
      {{{"CATEGORY-MODE", "RTTY"}}, defaults, Kind::kUnclassified, "", 3},
      {{{"CATEGORY", "SINGLE-OP ALL LOW CW ASSISTED"}}, defaults, Kind::kUnclassified, "", 0},
      {{{"CATEGORY", "SINGLE-OP CW SSB"}}, defaults, Kind::kUnclassified, "", 2},  // two modes
      {{{"CATEGORY-MODE", "CW"}, {"CATEGORY", "SINGLE-OP SSB"}}, defaults, Kind::kUnclassified, "", 2},
      {{{"CATEGORY-MODE", "CW"}, {"CATEGORY-POWER", "QRP"}, {"CATEGORY-BAND", "20M-15M-10M"}}, own, Kind::kCategory, "Single CW", 1},
      {{{"CATEGORY-OPERATOR", "MULTI-OP"}, {"CATEGORY-MODE", "MIXED"}}, own, Kind::kCategory, "Multi", 2},
      {{{"CATEGORY-OPERATOR", "MULTI-OP"}, {"CATEGORY-MODE", "CW"}}, own, Kind::kUnclassified, "", 2},
  };
  for (const auto& c : cases) {
    const Classification found = Classify(c.headers, c.rules);
    SCOPED_TRACE(found.header);
    EXPECT_EQ(found.kind, c.kind);
    EXPECT_EQ(found.name, c.name);
    EXPECT_EQ(found.defaulted.size(), c.defaulted);
  }
  EXPECT_EQ(DefaultCategories().size(), 5u * 3 * 3 * 3);
  EXPECT_EQ(AllowedValues(own), "CATEGORY-OPERATOR: SINGLE-OP, MULTI-OP; CATEGORY-BAND: any, ALL; "
                                "CATEGORY-MODE: CW, MIX; CATEGORY-POWER: any, HIGH");
}

// One QSO of a contest written out by hand.
CheckedQso Qso(const char* call, int minute, const char* sent, const char* rcvd, const char* band = "20",
               int second = 0) {
  const int total = 600 + minute + 1440;  // from 5 December 00:00
  return {.time = {2026, 12, 5 + total / 1440, total / 60 % 24, total % 60, second}, .band = band, .mode = "CW", .call = call,
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
      {Qso("Q7XX", 95, "014", "501", "6"), Verdict::kUnique, "-"},  // in one other log, two asked
  };
  for (const auto& row : ours) contest.logs[0].qsos.push_back(row.qso);
  contest.logs[1].qsos = {
      Qso("Q1AA", 0, "101", "001"),  Qso("Q1AA", 5, "102", "002"),
      Qso("Q1AA", 130, "103", "003"), Qso("Q1AA", 10, "107", "004", "40"),
      Qso("Q1AA", 30, "109", "006", "15"), Qso("Q9ZZ", 40, "108", "302"),
      Qso("Q1AA", 50, "110", "009"), Qso("Q7XX", 96, "111", "502", "6"),
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
  EXPECT_EQ(contest.logs[0].qsos[12].verdict, Verdict::kUnique) << "Q8YY at 11:30";
}

// Crowded calls: other stations miscopy Q1ABC onto entrants' calls (Q1ABD one edit
// off, Q1ACD two) and onto calls without a log, QSOs logged twice, the period's edges
// (10:00 to 12:00), a QSO logged twice with the next number nearer the partner's time,
// lines already paired, repeats out of file order, a log with seconds. Every QSO of every
// log with its verdict, right call and other side, whatever the order of logs and lines.
struct RowResults {
  std::vector<std::string> actual, expected, labels;
  std::map<std::string, int> offsets;  // each log's clock offset
  int datesMoved = 0;                  // QSOs judged at the date their partner shows
};
RowResults CheckedRows(std::uint32_t seed) {
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
  std::vector<Row> rows = {
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
      // One edit off with other numbers, two edits off with ours: the numbers decide,
      // and a call near ours with neither number is another station's.
      {"Q1ABC", Qso("Q3KK", 50, "005", "202", "40"), Verdict::kOk, "-", "Q3KK", 51},
      {"Q3KK", Qso("Q1ABX", 50, "203", "099", "40"), Verdict::kUnique},
      {"Q3KK", Qso("Q1BXC", 51, "202", "005", "40"), Verdict::kBustedCall, "Q1ABC", "Q1ABC", 50},
      // Q1ABX is one edit from both Q1ABC and Q1ABD, and both have the number it sent:
      // the one whose number it copied too takes the line, which serves no other QSO.
      {"Q1ABC", Qso("Q2XYZ", 100, "010", "110", "12"), Verdict::kNil},
      {"Q1ABD", Qso("Q2XYZ", 100, "330", "110", "12"), Verdict::kOk, "-", "Q2XYZ", 100},
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
      // Logged again a minute later with the next number: Q3KK's line, nearer the copy,
      // goes with the line whose number Q3KK received, and Q3KK keeps its credit.
      {"Q1ABC", Qso("Q3KK", 100, "012", "215", "10"), Verdict::kOk, "-", "Q3KK", 101},
      {"Q1ABC", Qso("Q3KK", 101, "013", "215", "10"), Verdict::kDupe, "-", "Q1ABC", 100},
      {"Q3KK", Qso("Q1ABC", 101, "215", "012", "10"), Verdict::kOk, "-", "Q1ABC", 100},
      // A call one edit off ours with neither number ours is another QSO: no miscopy.
      {"Q1ABC", Qso("Q3KK", 105, "014", "216", "6"), Verdict::kNil},
      {"Q3KK", Qso("Q1ABX", 105, "217", "088", "6"), Verdict::kUnique},
      // Q2XYZ's line with us is paired already: our QSO with Q2XYY, a station without a
      // log, is not taken for a miscopy of it, though a number agrees.
      {"Q1ABC", Qso("Q2XYZ", 106, "015", "120", "6"), Verdict::kOk, "-", "Q2XYZ", 106},
      {"Q2XYZ", Qso("Q1ABC", 106, "120", "015", "6"), Verdict::kOk, "-", "Q1ABC", 106},
      {"Q1ABC", Qso("Q2XYY", 107, "016", "120", "6"), Verdict::kUnique},
      // Of two repeats the earlier in time keeps the credit, though it stands later.
      {"Q1ABC", Qso("Q8YY", 112, "017", "601", "6"), Verdict::kDupe},
      {"Q1ABC", Qso("Q8YY", 111, "018", "602", "6"), Verdict::kUnique},
      // The edges: Start inside, End outside; each log's QSO by its own time, whatever
      // the other log's.
      {"Q1ACD", Qso("Q2XYZ", -1, "401", "105", "80"), Verdict::kOutOfPeriod},
      {"Q2XYZ", Qso("Q1ACD", 0, "105", "401", "80"), Verdict::kOk, "-", "Q1ACD", -1},
      {"Q1ACD", Qso("Q2XYZ", 120, "402", "106", "10"), Verdict::kOutOfPeriod},
      {"Q2XYZ", Qso("Q1ACD", 120, "106", "402", "10"), Verdict::kOutOfPeriod},
      {"Q1ACD", Qso("Q2XYZ", 120, "403", "107", "160"), Verdict::kOutOfPeriod},
      {"Q2XYZ", Qso("Q1ACD", 119, "107", "403", "160"), Verdict::kOk, "-", "Q1ACD", 120},
      {"Q1ACD", Qso("Q4NN", 0, "404", "501", "6"), Verdict::kUnique},
      {"Q1ACD", Qso("Q4NN", 120, "405", "502", "2"), Verdict::kOutOfPeriod},
      {"Q1ACD", Qso("Q3KK", 80, "406", "210"), Verdict::kOk, "-", "Q3KK", 80},
      {"Q3KK", Qso("Q1ACD", 80, "210", "406"), Verdict::kOk, "-", "Q1ACD", 80},
      // A date a day off stands unless the partner's log, by its own time, shows the period's.
      {"Q1ACD", Qso("Q2XYZ", 60 - 1440, "407", "140", "d1"), Verdict::kOk, "-", "Q2XYZ", 61},
      {"Q2XYZ", Qso("Q1ACD", 61, "140", "407", "d1"), Verdict::kOk, "-", "Q1ACD", 60 - 1440},
      {"Q1ACD", Qso("Q3KK", 70 + 1440, "408", "220", "d1"), Verdict::kOutOfPeriod},
      {"Q3KK", Qso("Q1ACD", 70 + 1440, "220", "408", "d1"), Verdict::kOutOfPeriod},
      {"Q1ACD", Qso("Q4NN", 75 - 1440, "409", "503", "d1"), Verdict::kOutOfPeriod},
      {"Q1ACD", Qso("Q2XYZ", 119 - 1440, "410", "141", "d2"), Verdict::kOutOfPeriod},
      {"Q2XYZ", Qso("Q1ACD", 121, "141", "410", "d2"), Verdict::kOutOfPeriod},
      // Q5SS logs seconds, 40 past the minute its partners' Cabrillo logs truncate to:
      // no clock correction, and its QSO at 10:00:20 is inside the period.
      {"Q5SS", Qso("Q2XYZ", 0, "501", "130", "30", 20), Verdict::kOk, "-", "Q2XYZ", 0},
      {"Q2XYZ", Qso("Q5SS", 0, "130", "501", "30"), Verdict::kOk, "-", "Q5SS", 0},
  };
  for (const char* band : {"b1", "b2", "b3", "b4", "b5", "b6"}) {  // enough to estimate Q5SS's clock
    const int minute = band[1] - '0';
    rows.push_back({"Q5SS", Qso("Q3KK", minute, "5", "3", band, 40), Verdict::kOk, "-", "Q3KK", minute});
    rows.push_back({"Q3KK", Qso("Q5SS", minute, "3", "5", band), Verdict::kOk, "-", "Q5SS", minute});
  }
  std::vector<std::string> calls = {"Q1ABC", "Q1ABD", "Q1ACD", "Q2XYZ", "Q3KK", "Q5SS"};
  std::vector<std::size_t> lines(rows.size());
  for (std::size_t i = 0; i < rows.size(); ++i) lines[i] = i;
  std::mt19937 random(seed);
  if (seed != 0) {
    std::shuffle(calls.begin(), calls.end(), random);
    std::shuffle(lines.begin(), lines.end(), random);
  }
  for (const std::string& call : calls) contest.logs.emplace_back().call = call;
  auto logOf = [&](std::string_view call) {
    for (std::size_t l = 0; l < contest.logs.size(); ++l) {
      if (contest.logs[l].call == call) return l;
    }
    return contest.logs.size();
  };
  for (const std::size_t i : lines) {
    CheckedQso qso = rows[i].qso;
    qso.line = i;  // the row it stands for
    contest.logs[logOf(rows[i].log)].qsos.push_back(qso);
  }
  CrossCheck(contest, {});

  // Each row as checked and as expected: its verdict, right call, and the other side's
  // log, time and band.
  auto describe = [](const std::string& verdict, const std::string& correct, const std::string& otherLog,
                     const std::string& otherTime) { return verdict + " " + correct + " " + otherLog + " " + otherTime; };
  RowResults results{std::vector<std::string>(rows.size()), {}};
  for (const CheckedLog& log : contest.logs) {
    for (const CheckedQso& qso : log.qsos) {
      const CheckedQso* other = qso.other ? &contest.logs[qso.other->log].qsos[qso.other->qso] : nullptr;
      results.actual[qso.line] =
          describe(std::string(VerdictName(qso.verdict)), qso.correct.value_or("-"),
                   other ? contest.logs[qso.other->log].call : "-", other ? TimeText(other->time) + " " + other->band : "-");
    }
    results.offsets[log.call] = log.clockOffsetMinutes;
    for (const CheckedQso& qso : log.qsos) results.datesMoved += qso.daysMoved;
  }
  for (const Row& row : rows) {
    results.expected.push_back(describe(std::string(VerdictName(row.verdict)), row.correct, row.otherLog,
                                        row.otherLog == std::string("-")
                                            ? "-" : TimeText(Qso("", row.otherMinute, "", "").time) + " " + row.qso.band));
    results.labels.push_back(std::string(row.log) + " " + row.qso.call + " " + TimeText(row.qso.time));
  }
  return results;
}

TEST(CrossCheck, MiscopiesOntoEntrantsQsosLoggedTwiceAndThePeriodsEdges) {
  for (std::uint32_t seed = 0; seed <= 5; ++seed) {  // 0: in order; else shuffled
    const RowResults results = CheckedRows(seed);
    for (std::size_t i = 0; i < results.expected.size(); ++i) {
      EXPECT_EQ(results.actual[i], results.expected[i]) << results.labels[i] << ", seed " << seed;
    }
    for (const auto& [call, offset] : results.offsets) EXPECT_EQ(offset, 0) << call << ", seed " << seed;
    EXPECT_EQ(results.datesMoved, 1) << "seed " << seed;
  }
}

// Q7FF's clock is eight minutes fast and it worked mostly Q8GG, which also worked two
// others: Q7FF is corrected, Q8GG is not, and every QSO is confirmed.
TEST(CrossCheck, ClockOffsetsSettleWithoutSwingingTwoLogsPastEachOther) {
  Contest contest;
  for (const char* call : {"Q7FF", "Q8GG", "Q9AA", "Q9BB"}) contest.logs.emplace_back().call = call;
  for (int i = 0; i < 8; ++i) {
    const std::string band = std::to_string(10 + i);
    contest.logs[0].qsos.push_back(Qso("Q8GG", 10 * i + 8, "1", "2", band.c_str()));
    contest.logs[1].qsos.push_back(Qso("Q7FF", 10 * i, "2", "1", band.c_str()));
  }
  for (int i = 0; i < 6; ++i) {
    const std::string band = std::to_string(20 + i);
    contest.logs[1].qsos.push_back(Qso(i % 2 ? "Q9AA" : "Q9BB", 100 + i, "2", "3", band.c_str()));
    contest.logs[i % 2 ? 2 : 3].qsos.push_back(Qso("Q8GG", 100 + i, "3", "2", band.c_str()));
  }
  CrossCheck(contest, {});
  EXPECT_EQ(std::tuple(contest.logs[0].clockOffsetMinutes, contest.logs[1].clockOffsetMinutes,
                       contest.logs[2].clockOffsetMinutes),
            std::tuple(8, 0, 0));
  for (const CheckedLog& log : contest.logs) {
    for (const CheckedQso& qso : log.qsos) EXPECT_EQ(qso.verdict, Verdict::kOk) << log.call << " " << qso.call;
  }
}

TEST(Json, EscapesTextsFromTheLogs) {
  Contest contest;
  contest.logs.push_back({.call = "Q1\"A\\", .file = "a\x01\xff\xd0\x96.cbr"});
  const std::string json = VerdictsJson(contest);
  EXPECT_NE(json.find("\"call\": \"Q1\\\"A\\\\\""), std::string::npos) << json;
  EXPECT_NE(json.find("\"file\": \"a\\u0001\\ufffd\xd0\x96.cbr\""), std::string::npos) << json;
}

// Simulated contests through the built plug-in: with faults at least 99.9% of the
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
    EXPECT_GE(agreeing * 1000, simulated.truth.size() * (options.faults ? 999 : 1000)) << agreeing << " agree";
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
