// The organiser's decisions on the organiser's page: the logs whose header fits no
// category (with the header as written), every decision taken, and a small form for
// each kind, its CSRF token in the form's body.
#include "adjudication/categories.h"
#include "reports/report_parts.h"
#include "robot/decisions.h"
#include "robot/service_parts.h"
#include "text/ascii_text.h"

namespace robot {
namespace {

using reports::detail::HtmlText;

// The field of each form: the call, the kind's own field, the reason, the token.
std::string DecisionForm(Language language, const std::string& id, const std::string& kindField,
                         const std::string& hidden) {
  return "<form method=\"post\" action=\"/organiser/decisions\" class=\"decision\" id=\"decide-" + id +
         "\">" + hidden + "<input type=\"text\" name=\"call\" maxlength=\"20\" required placeholder=\"" +
         Pick(language, "позывной", "call") + "\"> " + kindField +
         " <input type=\"text\" name=\"reason\" maxlength=\"500\" required placeholder=\"" +
         Pick(language, "причина", "reason") + "\"> <button type=\"submit\">" +
         Pick(language, "Решить", "Decide") + "</button></form>\n";
}

std::string YesNo(Language language, const char* kind) {
  return "<input type=\"hidden\" name=\"kind\" value=\"" + std::string(kind) + "\"><select name=\"value\">"
         "<option value=\"true\">" + Pick(language, "да", "yes") + "</option><option value=\"false\">" +
         Pick(language, "нет", "no") + "</option></select>";
}

std::string DecisionValue(Language language, const Decision& d) {
  if (d.kind == "category") return Pick(language, "категория ", "category ") + HtmlText(d.value);
  if (d.kind == "accept") return Pick(language, "принять попытку ", "accept attempt ") + HtmlText(d.value);
  const bool yes = d.value == "1";
  if (d.kind == "checklog") return yes ? Pick(language, "контрольный отчёт", "checklog")
                                       : Pick(language, "не контрольный отчёт", "not a checklog");
  return yes ? Pick(language, "дисквалифицирован", "disqualified")
             : Pick(language, "дисквалификация снята", "disqualification taken back");
}

}  // namespace

std::string DecisionsSection(Language language, const std::vector<Upload>& uploads,
                             const std::vector<Decision>& decisions, const adjudication::Rules& rules,
                             const std::string& csrf) {
  const auto inForce = InForce(decisions);
  std::string body;
  // Counting logs whose header fits no category: ranked as unclassified until decided.
  std::string unclassified;
  constexpr std::string_view kUnclassified = "unclassified: ";
  for (const Upload& upload : uploads) {
    const std::string& category = upload.summary.category;
    if (upload.supersededBy || category.rfind(kUnclassified, 0) != 0) continue;
    const auto found = inForce.find(text::AsciiUpper(upload.summary.call));
    const bool decided = found != inForce.end() && found->second.standing;
    unclassified += "<tr>" + std::string("<td>") + HtmlText(upload.summary.call) + "</td><td>" +
                    HtmlText(category.substr(kUnclassified.size())) + "</td><td>" +
                    (decided ? DecisionValue(language, *found->second.standing) : "") + "</td></tr>\n";
  }
  body += "<h2 id=\"unclassified\">" +
          std::string(Pick(language, "Отчёты вне категорий", "Logs that fit no category")) + "</h2>\n";
  body += unclassified.empty()
              ? "<p>" + std::string(Pick(language, "Нет.", "None.")) + "</p>\n"
              : "<table class=\"unclassified\">\n<thead><tr><th>" + std::string(Pick(language, "Позывной", "Call")) +
                    "</th><th>" + Pick(language, "Заголовок отчёта", "The log's header") + "</th><th>" +
                    Pick(language, "Решение", "Decision") + "</th></tr></thead>\n<tbody>\n" + unclassified +
                    "</tbody>\n</table>\n";

  body += "<h2 id=\"decisions\">" + std::string(Pick(language, "Решения организатора", "The organiser's decisions")) +
          " (" + std::to_string(decisions.size()) + ")</h2>\n";
  if (!decisions.empty()) {
    body += "<table class=\"decisions\">\n<thead><tr>";
    for (const char* head : {Pick(language, "Время", "Time"), Pick(language, "Позывной", "Call"),
                             Pick(language, "Решение", "Decision"), Pick(language, "Причина", "Reason"),
                             Pick(language, "Действует", "In force")}) {
      body += "<th>" + std::string(head) + "</th>";
    }
    body += "</tr></thead>\n<tbody>\n";
    for (const Decision& d : decisions) {
      const std::string at = d.at.size() == 20 ? d.at.substr(0, 10) + " " + d.at.substr(11, 8) + " UTC" : d.at;
      body += "<tr><td>" + HtmlText(at) + "</td><td>" + HtmlText(d.call) + "</td><td>" +
              DecisionValue(language, d) + "</td><td>" + HtmlText(d.reason) + "</td><td>" +
              (IsInForce(d, inForce) ? Pick(language, "да", "yes") : Pick(language, "заменено", "overridden")) +
              "</td></tr>\n";
    }
    body += "</tbody>\n</table>\n";
  }
  const std::string hidden = "<input type=\"hidden\" name=\"csrf\" value=\"" + HtmlText(csrf) + "\">" +
                             (language == Language::kEnglish ? "<input type=\"hidden\" name=\"lang\" value=\"en\">" : "");
  std::string options;
  for (const adjudication::Category& c : adjudication::ContestCategories(rules)) {
    options += "<option>" + HtmlText(c.name) + "</option>";
  }
  body += "<p>" + std::string(Pick(language, "Категория:", "Category:")) + "</p>\n" +
          DecisionForm(language, "category",
                       "<input type=\"hidden\" name=\"kind\" value=\"category\"><select name=\"value\">" + options +
                           "</select>",
                       hidden) +
          "<p>" + Pick(language, "Контрольный отчёт:", "Checklog:") + "</p>\n" +
          DecisionForm(language, "checklog", YesNo(language, "checklog"), hidden) + "<p>" +
          Pick(language, "Дисквалифицирован:", "Disqualified:") + "</p>\n" +
          DecisionForm(language, "disqualified", YesNo(language, "disqualified"), hidden) + "<p>" +
          Pick(language, "Принять отклонённую попытку (её номер #N в списке попыток ниже):",
               "Accept a refused attempt (its number, #N in the list of attempts below):") +
          "</p>\n" +
          DecisionForm(language, "accept",
                       "<input type=\"hidden\" name=\"kind\" value=\"accept\"><input type=\"number\" "
                       "name=\"value\" min=\"1\" required>",
                       hidden);
  return body;
}

}  // namespace robot
