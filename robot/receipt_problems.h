// A receipt's problems told so that an entrant can read them: a run of lines with the
// same problem told once, as a range with its likely cause; at most kMaxListedProblems
// listed, every problem counted by its kind.
#pragma once

#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "adjudication/verdicts.h"
#include "platform/ole_calendar.h"
#include "robot/json_text.h"

namespace robot {

constexpr std::size_t kMaxListedProblems = 200;
constexpr std::size_t kShortestRun = 3;   // fewer lines alike are told one by one

// One problem of one line, as the intake finds it.
struct Finding {
  long long line = 0;
  std::string kind;      // what it is counted as: "outside_period", "refused", ...
  std::string alike;     // the same for findings that a run may join ("" for none)
  std::string text;      // told alone
  std::string runText;   // told for a run: "QSOs refused: no such band"
  std::optional<platform::CalendarTime> time;  // a QSO's, for the period's runs
};

struct ToldProblems {
  std::vector<Problem> listed;
  std::map<std::string, long long> counts;   // every finding by its kind
};

// TellProblems()
// The findings in line order, runs joined, the list cut at kMaxListedProblems.
ToldProblems TellProblems(std::vector<Finding> findings, const adjudication::Rules& rules);

// ProblemCountsJson(), ReadProblemCounts()
// The counts as the receipt's JSON object {"refused": 12, ...}, and back.
std::string ProblemCountsJson(const std::map<std::string, long long>& counts);
std::map<std::string, long long> ReadProblemCounts(std::string_view json);

}  // namespace robot
