#include "robot/decisions.h"

#include <nlohmann/json.hpp>

#include "adjudication/categories.h"
#include "robot/json_text.h"
#include "text/ascii_text.h"

namespace robot {
namespace {

constexpr const char* kKinds[] = {"category", "checklog", "disqualified", "accept"};

DecisionRequest Refused(int status, std::string error) {
  DecisionRequest request;
  request.status = status;
  request.error = std::move(error);
  return request;
}

}  // namespace

DecisionRequest ReadDecision(std::string_view json, const adjudication::Rules& rules, Store& store) {
  const nlohmann::json body = nlohmann::json::parse(json, nullptr, false);
  if (body.is_discarded() || !body.is_object()) return Refused(400, "the decision is no JSON object");
  const auto text = [&](const char* name) -> std::string {
    const auto found = body.find(name);
    if (found == body.end() || !found->is_string()) return "";
    const std::string value = found->get<std::string>();
    return std::string(text::TrimBlanks(value));
  };
  Decision decision;
  decision.call = text::AsciiUpper(text("call"));
  decision.reason = text("reason");
  if (decision.call.empty()) return Refused(400, "the decision names no \"call\"");
  if (decision.reason.empty()) return Refused(400, "the decision gives no \"reason\"");
  for (const char* kind : kKinds) {
    if (!body.contains(kind)) continue;
    if (!decision.kind.empty()) {
      return Refused(400, "a decision is of one kind: \"" + decision.kind + "\" and \"" + kind + "\" given");
    }
    decision.kind = kind;
  }
  if (decision.kind.empty()) {
    return Refused(400, "the decision is of no known kind: give \"category\", \"checklog\","
                        " \"disqualified\" or \"accept\"");
  }
  const nlohmann::json& value = body[decision.kind];
  if (decision.kind == "category") {
    const std::string wanted = value.is_string() ? text::AsciiUpper(text::TrimBlanks(value.get<std::string>())) : "";
    std::string allowed;
    for (const adjudication::Category& category : adjudication::ContestCategories(rules)) {
      if (text::AsciiUpper(category.name) == wanted) decision.value = category.name;
      allowed += (allowed.empty() ? "" : ", ") + category.name;
    }
    if (decision.value.empty()) {
      return Refused(400, "the contest has no category \"" + wanted + "\"; its categories are: " + allowed);
    }
  } else if (decision.kind == "checklog" || decision.kind == "disqualified") {
    if (!value.is_boolean()) return Refused(400, "\"" + decision.kind + "\" is true or false");
    decision.value = value.get<bool>() ? "1" : "0";
  } else {
    if (!value.is_number_integer() || value.get<long long>() <= 0) {
      return Refused(400, "\"accept\" is the number of a refused attempt");
    }
    decision.value = std::to_string(value.get<long long>());
  }
  if (!store.HasCall(decision.call)) {
    return Refused(404, "no log was uploaded for " + decision.call);
  }
  if (decision.kind == "accept") {
    const std::optional<ReplacementAttempt> attempt = store.Attempt(std::stoll(decision.value));
    if (!attempt || !attempt->kept) {
      return Refused(404, "there is no refused attempt number " + decision.value + " with its log kept");
    }
    if (text::AsciiUpper(attempt->call) != decision.call) {
      return Refused(400, "attempt " + decision.value + " is a log of " + attempt->call + ", not of " +
                              decision.call);
    }
  }
  DecisionRequest request;
  request.decision = std::move(decision);
  return request;
}

std::map<std::string, CallDecisions> InForce(const std::vector<Decision>& decisions) {
  std::map<std::string, CallDecisions> inForce;
  for (const Decision& d : decisions) {  // oldest first: a later one overrides
    CallDecisions& call = inForce[text::AsciiUpper(d.call)];
    (d.kind == "disqualified" ? call.disqualified : d.kind == "accept" ? call.accepted : call.standing) = d;
  }
  return inForce;
}

bool IsInForce(const Decision& decision, const std::map<std::string, CallDecisions>& inForce) {
  const auto found = inForce.find(text::AsciiUpper(decision.call));
  if (found == inForce.end()) return false;
  for (const auto* held : {&found->second.standing, &found->second.disqualified, &found->second.accepted}) {
    if (*held && (*held)->id == decision.id) return true;
  }
  return false;
}

void ApplyStanding(const Decision& standing, const adjudication::Rules& rules,
                   std::vector<std::pair<std::string, std::string>>& headers) {
  std::vector<std::pair<std::string, std::string>> category;
  if (standing.kind == "checklog") {
    if (standing.value != "1") return;
    category.emplace_back("CATEGORY-OPERATOR", "CHECKLOG");
  } else {
    for (const adjudication::Category& c : adjudication::ContestCategories(rules)) {
      if (c.name != standing.value) continue;
      for (std::size_t i = 0; i < c.values.size(); ++i) {
        category.emplace_back(adjudication::kCategoryFields[i], c.values[i]);
      }
    }
    if (category.empty()) return;
  }
  std::erase_if(headers, [](const auto& line) {
    return text::AsciiUpper(line.first).rfind("CATEGORY", 0) == 0;
  });
  headers.insert(headers.end(), category.begin(), category.end());
}

std::string DecisionJson(const Decision& decision, bool inForce) {
  JsonObject out;
  out.Number("id", decision.id).Text("at", decision.at).Text("call", decision.call).Text("kind", decision.kind);
  if (decision.kind == "category") {
    out.Text("category", decision.value);
  } else if (decision.kind == "accept") {
    out.Number("accept", std::stoll(decision.value));
  } else {
    out.Bool(decision.kind, decision.value == "1");
  }
  return out.Text("reason", decision.reason).Bool("in_force", inForce).Done();
}

std::string DecisionsJson(const std::vector<Decision>& decisions) {
  const auto inForce = InForce(decisions);
  std::string list;
  for (const Decision& d : decisions) list += (list.empty() ? "\n" : ",\n") + DecisionJson(d, IsInForce(d, inForce));
  return "{\"decisions\": [" + list + (list.empty() ? "]}\n" : "\n]}\n");
}

}  // namespace robot
