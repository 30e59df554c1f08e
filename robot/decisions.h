// The organiser's decisions about calls: what a request asks for, and which decisions
// hold for each call when the contest is checked.
//
// Four kinds, each with the organiser's reason:
// - category: the log is ranked in that category of the contest, whatever its header says;
// - checklog: true makes the log a checklog (cross-checked, no place); false ranks it as
//   its header says;
// - disqualified: true shows the entrant apart in the results, with the reason and no
//   place (its QSOs still confirm the others'); false takes that back;
// - accept: the kept bytes of that refused attempt are the call's log, whatever was
//   uploaded for the call.
// Decisions are never changed: a later one overrides an earlier one of the same question.
// Category and checklog answer one question (where the log stands), so the newest of
// the two holds; disqualified and accept are questions of their own. A log moved to a
// category and then disqualified is shown apart, and back in that category when the
// disqualification is taken back.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "adjudication/verdicts.h"
#include "robot/store.h"

namespace robot {

struct DecisionRequest {
  int status = 200;            // 400 or 404 when refused
  std::string error;           // why, when refused
  Decision decision;           // when taken: what to record
};

// ReadDecision()
// The decision a JSON request asks for: {"call": ..., "reason": ...} and one of
// "category" (a name of the contest's categories, letter case ignored), "checklog" or
// "disqualified" (true or false), "accept" (a refused attempt's number). 400 for bad
// JSON, no or two kinds, a category the contest has not (saying which it has) or a
// reason missing; 404 for a call without any upload and an attempt not kept; 400 for
// an attempt of another call.
DecisionRequest ReadDecision(std::string_view json, const adjudication::Rules& rules, Store& store);

// What holds for one call.
struct CallDecisions {
  std::optional<Decision> standing;      // the newest category or checklog decision
  std::optional<Decision> disqualified;  // the newest disqualified decision (value "1" or "0")
  std::optional<Decision> accepted;      // the newest accept decision
};

// InForce()
// The decisions that hold, by upper-case call.
std::map<std::string, CallDecisions> InForce(const std::vector<Decision>& decisions);

// ApplyStanding()
// A log's header lines with a category or checklog decision applied: its category
// lines replaced by the category's values or by CATEGORY-OPERATOR: CHECKLOG. A
// checklog-false decision, or a category the rules no longer have, leaves them as
// they are.
void ApplyStanding(const Decision& standing, const adjudication::Rules& rules,
                   std::vector<std::pair<std::string, std::string>>& headers);

// DecisionJson(), DecisionsJson()
// {"id", "at", "call", "kind", the kind's field, "reason", "in_force"}; the list as
// {"decisions": [...]}.
std::string DecisionJson(const Decision& decision, bool inForce);
std::string DecisionsJson(const std::vector<Decision>& decisions);

// Whether `decision` is among those in force.
bool IsInForce(const Decision& decision, const std::map<std::string, CallDecisions>& inForce);

}  // namespace robot
