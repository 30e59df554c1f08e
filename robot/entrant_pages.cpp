// The entrant's pages: the upload form, the receipts, the list of logs received and
// the published results.
#include "robot/service_parts.h"

namespace robot {

void Robot::Parts::EntrantRoutes() {
  server.Get("/", [this](const Request& req, Response& res) {
    SendPage(res, 200, UploadPage(PageLanguage(req), contest));
  });
  server.Post("/submit", [this](const Request& req, Response& res, const ContentReader& reader) {
    Upload(req, res, reader, false);
  });
  server.Get(R"(/receipt/([^/]{1,100}))", [this](const Request& req, Response& res) {
    const Language language = PageLanguage(req);
    if (const std::optional<robot::Upload> upload = store->Find(req.matches[1])) {
      return SendPage(res, 200, ReceiptPage(language, *upload, false));
    }
    SendPage(res, 404, MessagePage(language, Pick(language, "Квитанция не найдена", "No such receipt"),
                                   Pick(language, "Квитанции с таким номером нет. Проверьте номер.",
                                        "There is no receipt with this number. Check the number.")));
  });
  server.Get("/received", [this](const Request& req, Response& res) {
    SendPage(res, 200, ReceivedPage(PageLanguage(req), store->Newest()));
  });
  server.Get("/results", [](const Request&, Response& res) { res.set_redirect("/results/", 301); });
  server.Get(R"(/results/(en/)?(reports/)?([^/]{0,100}))", [this](const Request& req, Response& res) {
    if (!check->Published()) {
      const Language language = PageLanguage(req);
      return SendPage(res, 404, MessagePage(language, Pick(language, "Результатов пока нет", "No results yet"),
                                            Pick(language, "Результаты ещё не опубликованы.",
                                                 "The results are not published yet.")));
    }
    const bool english = req.matches[1].length() > 0;
    const bool report = req.matches[2].length() > 0;
    const std::string name = req.matches[3];
    if (!english && !report && name.empty() && PageLanguage(req) == Language::kEnglish) {
      return res.set_redirect("/results/en/", 302);  // the English results have pages of their own
    }
    if (report) return ServeResults(req, res, name, english, true);
    if (name.empty() || name == "index.html") return ServeResults(req, res, "", english, true);
    if (name == "results.csv") return ServeResults(req, res, name, english, true);
    NotFound(req, res);  // nothing else of the folder is public (verdicts.json)
  });
}

}  // namespace robot
