// The organiser's pages: the login, the uploads, the check and the publishing, the
// results before they are published.
#include "robot/json_text.h"
#include "robot/secrets.h"
#include "robot/service_parts.h"
#include "text/ascii_text.h"

namespace robot {

void Robot::Parts::OrganiserRoutes() {
  server.Get("/organiser", [this](const Request& req, Response& res) {
    std::string csrf;
    if (!Organiser(req, &csrf)) return Unauthorised(req, res, false);
    const CheckStatus status = check->Status();
    const Language language = PageLanguage(req);
    const std::vector<robot::Upload> uploads = store->All();
    SendPage(res, 200, OrganiserPage(language, uploads, store->Attempts(), status, status.published, csrf,
                                     DecisionsSection(language, uploads, store->Decisions(), rules.rules, csrf)));
  });
  server.Post("/organiser/login", [this](const Request& req, Response& res) {
    if (!organiser->IsToken(text::TrimBlanks(FormField(req, "token")))) {
      return SendPage(res, 401, LoginPage(PageLanguage(req), true));
    }
    const bool https = req.get_header_value("X-Forwarded-Proto") == "https";
    res.set_header("Set-Cookie", std::string(kCookie) + "=" + organiser->NewSession() +
                                     "; Path=/; HttpOnly; SameSite=Strict" + (https ? "; Secure" : ""));
    res.set_redirect(PageLanguage(req) == Language::kEnglish ? "/organiser?lang=en" : "/organiser", 303);
  });
  server.Post("/organiser/logout", [this](const Request& req, Response& res) {
    // The session ends whatever the form: a session's cookie is all it takes to end it.
    organiser->EndSession(CookieValue(req, kCookie));
    res.set_header("Set-Cookie", std::string(kCookie) + "=; Path=/; HttpOnly; SameSite=Strict; Max-Age=0");
    res.set_redirect("/organiser", 303);
  });
  server.Get(R"(/organiser/logs/([^/]{1,100}))", [this](const Request& req, Response& res) {
    if (!Organiser(req)) return Unauthorised(req, res, false);
    const std::optional<robot::Upload> upload = store->Find(req.matches[1]);
    if (!upload) return SendJson(res, 404, ErrorJson("there is no upload with this receipt"));
    const std::string name = ReceiptStem(upload->receipt) + (upload->summary.format == "adif" ? ".adi" : ".cbr");
    res.set_header("Content-Disposition", "attachment; filename=\"" + name + "\"");
    res.set_header("Cache-Control", "no-store");
    res.set_content(store->Content(upload->id), "application/octet-stream");
  });
  // The bytes of a refused attempt, so that the organiser can take that log.
  server.Get(R"(/organiser/attempts/(\d{1,18}))", [this](const Request& req, Response& res) {
    if (!Organiser(req)) return Unauthorised(req, res, false);
    const std::optional<std::string> bytes = store->AttemptContent(std::stoll(req.matches[1]));
    if (!bytes) return SendJson(res, 404, ErrorJson("there is no kept attempt with this number"));
    res.set_header("Content-Disposition",
                   "attachment; filename=\"attempt-" + std::string(req.matches[1]) + ".txt\"");
    res.set_header("Cache-Control", "no-store");
    res.set_content(*bytes, "application/octet-stream");
  });
  server.Post("/organiser/check", [this](const Request& req, Response& res) {
    if (!FormAllowed(req)) return Unauthorised(req, res, false);
    check->Start();
    res.set_redirect(PageLanguage(req) == Language::kEnglish ? "/organiser?lang=en" : "/organiser", 303);
  });
  server.Post("/organiser/publish", [this](const Request& req, Response& res) {
    if (!FormAllowed(req)) return Unauthorised(req, res, false);
    if (!Publish()) {
      const Language language = PageLanguage(req);
      return SendPage(res, 409, MessagePage(language, Pick(language, "Публиковать нечего", "Nothing to publish"),
                                            Pick(language, "Результатов ещё нет: сначала проверьте отчёты.",
                                                 "There are no results yet: run the check first.")));
    }
    res.set_redirect(PageLanguage(req) == Language::kEnglish ? "/organiser?lang=en" : "/organiser", 303);
  });
  server.Get(R"(/organiser/results/(reports/)?([^/]{0,100}))", [this](const Request& req, Response& res) {
    if (!Organiser(req)) return Unauthorised(req, res, false);
    const std::string name = req.matches[2];
    if (req.matches[1].length() > 0 || name == "results.csv") return ServeResults(req, res, name);
    if (name.empty() || name == "index.html") return ServeResults(req, res, "");
    NotFound(req, res);
  });
}

}  // namespace robot
