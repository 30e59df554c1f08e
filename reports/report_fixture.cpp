#include "reports/report_fixture.h"

#include <string>
#include <utility>

namespace reports::fixture {
namespace {

using adjudication::CheckedLog;
using adjudication::CheckedQso;
using adjudication::OtherSide;
using adjudication::Verdict;

struct QsoRow {
  int hhmm;
  const char* band;
  const char* mode;
  const char* call;
  const char* sent;
  const char* rcvd;
  Verdict verdict;
  const char* correct = nullptr;
  int otherLog = -1;
  int otherQso = -1;
};

CheckedLog Log(const char* call, const char* file, int offset, adjudication::Score claimed,
               adjudication::Score checked, std::vector<std::pair<std::string, std::string>> headers,
               std::initializer_list<QsoRow> rows) {
  CheckedLog log;
  log.call = call;
  log.file = file;
  log.headers = std::move(headers);
  log.claimed = claimed;
  log.checked = checked;
  log.clockOffsetMinutes = offset;
  std::size_t line = static_cast<std::size_t>(log.headers.size()) + 2;
  for (const QsoRow& row : rows) {
    CheckedQso qso;
    qso.line = line++;
    qso.time = {2026, 12, 6, row.hhmm / 100, row.hhmm % 100, 0};
    qso.band = row.band;
    qso.mode = row.mode;
    qso.call = row.call;
    qso.sent = row.sent;
    qso.rcvd = row.rcvd;
    qso.verdict = row.verdict;
    if (row.correct != nullptr) qso.correct = row.correct;
    if (row.otherLog >= 0) {
      qso.other = OtherSide{static_cast<std::size_t>(row.otherLog),
                            static_cast<std::size_t>(row.otherQso)};
    }
    log.qsos.push_back(qso);
  }
  return log;
}

std::vector<std::pair<std::string, std::string>> Category(const char* power) {
  return {{"CATEGORY-OPERATOR", "SINGLE-OP"}, {"CATEGORY-BAND", "ALL"}, {"CATEGORY-POWER", power}};
}

}  // namespace

adjudication::Contest SmallContest() {
  adjudication::Contest contest;
  contest.rules.start = platform::CalendarTime{2026, 12, 6, 9, 0, 0};
  contest.rules.end = platform::CalendarTime{2026, 12, 6, 11, 0, 0};
  auto q1Headers = Category("HIGH");
  q1Headers.emplace_back("SOAPBOX", "Good conditions on 40, thanks for the QSOs!");
  contest.logs.push_back(Log(
      "Q1ABC", "q1abc.cbr", 0, {9, 19, 5, 95}, {3, 6, 3, 18}, q1Headers,
      {{905, "20", "CW", "Q2XYZ", "001", "017", Verdict::kOk, nullptr, 1, 0},
       {912, "20", "CW", "Q3ZP", "002", "005", Verdict::kBustedExchange, "015", 2, 0},
       {920, "40", "SSB", "Q4KK", "003", "011", Verdict::kNil},
       {931, "40", "SSB", "Q9ZZZ", "004", "020", Verdict::kUnique},
       {940, "40", "SSB", "Q2XZY", "005", "018", Verdict::kBustedCall, "Q2XYZ", 1, 1},
       {945, "20", "CW", "Q2XYZ", "006", "019", Verdict::kDupe},
       {1005, "40", "CW", "Q3ZP", "007", "017", Verdict::kOk, nullptr, 2, 2},
       {1010, "15", "RTTY", "Q7RR", "008", "022", Verdict::kRefused},
       {1020, "15", "SSB", "Q7RR", "009", "023", Verdict::kUnverified},
       {1130, "15", "CW", "Q8AA", "010", "030", Verdict::kOutOfPeriod}}));
  contest.logs.push_back(Log(
      "Q2XYZ", "q2xyz.log", 8, {3, 6, 2, 12}, {3, 6, 2, 12}, Category("HIGH"),
      {{913, "20", "CW", "Q1ABC", "017", "001", Verdict::kOk, nullptr, 0, 0},
       {948, "40", "SSB", "Q1ABC", "018", "005", Verdict::kOk, nullptr, 0, 4},
       {1008, "20", "CW", "Q3ZP", "019", "016", Verdict::kOk, nullptr, 2, 1}}));
  contest.logs.back().qsos[2].time.day = 7;  // logged a day late: Q3ZP's log has the date
  contest.logs.back().qsos[2].daysMoved = -1;
  contest.logs.push_back(Log(
      "Q3ZP", "Q3ZP.cbr", 0, {4, 8, 3, 24}, {2, 4, 2, 8}, Category("LOW"),
      {{912, "20", "CW", "Q1ABC", "015", "002", Verdict::kOk, nullptr, 0, 1},
       {1000, "20", "CW", "Q2XYZ", "016", "091", Verdict::kBustedExchange, "019", 1, 2},
       {1005, "40", "CW", "Q1ABD", "017", "007", Verdict::kBustedCall, "Q1ABC", 0, 6},
       {1021, "15", "SSB", "Q7RR", "018", "024", Verdict::kUnverified}}));
  contest.logs.push_back(Log(
      "Q4KK", "q4kk.adi", 0, {2, 2, 2, 4}, {1, 1, 1, 1}, {},
      {{950, "80", "CW", "Q3ZP", "001", "018", Verdict::kNil},
       {1025, "15", "SSB", "Q7RR", "002", "025", Verdict::kUnverified}}));
  return contest;
}

adjudication::Contest HostileContest() {
  adjudication::Contest contest;
  contest.logs.push_back(Log(
      "../../etc/x", "<b>x</b>.cbr", 0, {1, 2, 1, 2}, {0, 0, 0, 0},
      {{"CATEGORY-OPERATOR", "<script>alert(1)</script>"},
       {"SOAPBOX", "<img src=x onerror=alert(1)>\x01\x1b[31mred\x7f \xcf\xf0\xe8\xe2\xe5\xf2 \xff"
                   "\r\nQSO: forged\xe2\x80\xae"}},
      {{905, "20\r\n", "CW\x1b", "<i>Q9</i>", "0,1", "\"02", Verdict::kNil}}));
  contest.logs.push_back(Log("..\\a", "a.cbr", 0, {1, 2, 1, 2}, {1, 2, 1, 2},
                             {{"CATEGORY-POWER", "=HYPERLINK(\"http://x\")"}},
                             {{906, "20", "CW", "Q1ABC", "001", "002", Verdict::kOk}}));
  contest.logs.push_back(Log("Q1ABC", "q1abc.cbr", 0, {}, {}, {}, {}));
  contest.logs.push_back(Log("q1abc", "q1abc-2.cbr", 0, {}, {}, {}, {}));
  contest.logs.push_back(Log("Nul", "nul.cbr", 0, {}, {}, {}, {}));
  return contest;
}

}  // namespace reports::fixture
