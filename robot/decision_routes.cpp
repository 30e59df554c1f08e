// The organiser's decisions: recorded and listed through the API (organiser's token)
// and taken from the organiser's page's forms (session and CSRF token).
#include <nlohmann/json.hpp>

#include "robot/decisions.h"
#include "robot/json_text.h"
#include "robot/service_parts.h"

namespace robot {

void Robot::Parts::DecisionRoutes() {
  server.Get("/api/decisions", [this](const Request& req, Response& res) {
    if (!Organiser(req)) return Unauthorised(req, res, true);
    SendJson(res, 200, DecisionsJson(store->Decisions()));
  });
  server.Post("/api/decisions", [this](const Request& req, Response& res) {
    if (!FormAllowed(req)) return Unauthorised(req, res, true);
    const DecisionRequest asked = ReadDecision(req.body, rules.rules, *store);
    if (!asked.error.empty()) return SendJson(res, asked.status, ErrorJson(asked.error));
    SendJson(res, 201, DecisionJson(store->AddDecision(asked.decision, IsoNow()), true) + "\n");
  });
  // The page's forms: call, kind, value and reason, read as the API reads its JSON.
  server.Post("/organiser/decisions", [this](const Request& req, Response& res) {
    if (!FormAllowed(req)) return Unauthorised(req, res, false);
    const Language language = PageLanguage(req);
    const std::string kind = req.get_param_value("kind");
    const std::string value = req.get_param_value("value");
    nlohmann::json json = {{"call", req.get_param_value("call")}, {"reason", req.get_param_value("reason")}};
    if (kind == "checklog" || kind == "disqualified") {
      json[kind] = value == "true";
    } else if (kind == "accept") {
      // Anything but a plain number is left as text, which the API refuses.
      const bool number = !value.empty() && value.size() < 18 &&
                          value.find_first_not_of("0123456789") == std::string::npos;
      json[kind] = number ? nlohmann::json(std::stoll(value)) : nlohmann::json(value);
    } else if (kind == "category") {
      json[kind] = value;
    }
    const DecisionRequest asked = ReadDecision(json.dump(), rules.rules, *store);
    if (!asked.error.empty()) {
      return SendPage(res, asked.status,
                      MessagePage(language, Pick(language, "Решение не принято", "The decision was not taken"),
                                  asked.error));
    }
    store->AddDecision(asked.decision, IsoNow());
    res.set_redirect(language == Language::kEnglish ? "/organiser?lang=en#decisions" : "/organiser#decisions", 303);
  });
}

}  // namespace robot
