#include "robot/service.h"

#include <httplib.h>
#include <pthread.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <set>
#include <sstream>
#include <thread>

#include "adjudication/cross_check.h"
#include "adjudication/rules_file.h"
#include "robot/archive_route.h"
#include "host/host_system.h"
#include "host/scoring_run.h"
#include "logs/log_notes.h"
#include "robot/contest_check.h"
#include "robot/json_text.h"
#include "robot/log_intake.h"
#include "robot/organiser.h"
#include "robot/pages.h"
#include "robot/secrets.h"
#include "robot/store.h"
#include "text/ascii_text.h"

namespace fs = std::filesystem;

namespace robot {
namespace {

using httplib::ContentReader;
using httplib::Request;
using httplib::Response;

constexpr char kCookie[] = "zelta_organiser";
constexpr std::size_t kMaxFormParts = 16;
constexpr std::size_t kMaxEmail = 254;

Language PageLanguage(const Request& req) {
  return req.get_param_value("lang") == "en" ? Language::kEnglish : Language::kRussian;
}

// The API answers in English unless Russian is asked for.
Language ApiLanguage(const Request& req) {
  return req.get_param_value("lang") == "ru" ? Language::kRussian : Language::kEnglish;
}

const char* Pick(Language language, const char* russian, const char* english) {
  return language == Language::kEnglish ? english : russian;
}

void SendPage(Response& res, int status, const std::string& html) {
  res.status = status;
  res.set_header("Cache-Control", "no-store");
  res.set_content(html, "text/html; charset=utf-8");
}

void SendJson(Response& res, int status, const std::string& json) {
  res.status = status;
  res.set_header("Cache-Control", "no-store");
  res.set_content(json, "application/json; charset=utf-8");
}

bool IsEmail(const std::string& text) {
  if (text.size() > kMaxEmail) return false;
  const std::size_t at = text.find('@');
  if (at == std::string::npos || at == 0 || at + 1 == text.size() ||
      text.find('@', at + 1) != std::string::npos) {
    return false;
  }
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte <= 0x20 || byte == 0x7F || c == '<' || c == '>' || c == '"' || c == '\\') return false;
  }
  return true;
}

std::string CookieValue(const Request& req, const std::string& name) {
  const std::string header = req.get_header_value("Cookie");
  std::size_t pos = 0;
  while (pos < header.size()) {
    std::size_t end = header.find(';', pos);
    if (end == std::string::npos) end = header.size();
    const std::string_view part = text::TrimBlanks(std::string_view(header).substr(pos, end - pos));
    if (part.size() > name.size() && part.substr(0, name.size()) == name && part[name.size()] == '=') {
      return std::string(part.substr(name.size() + 1));
    }
    pos = end + 1;
  }
  return "";
}

// A file of a results folder: only names that the folder lists are served, so no
// path from a request ever reaches the file system.
std::optional<std::string> ListedFile(const fs::path& folder, const std::string& name) {
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(folder, ec)) {
    if (entry.path().filename().string() == name && entry.is_regular_file(ec)) {
      std::ifstream in(entry.path(), std::ios::binary);
      if (!in.is_open()) return std::nullopt;  // gone since listed: never an empty answer
      std::ostringstream bytes;
      bytes << in.rdbuf();
      if (in.bad()) return std::nullopt;
      return std::move(bytes).str();
    }
  }
  return std::nullopt;
}

// What arrived of an upload.
struct UploadBody {
  std::string log;
  std::string text;      // the log pasted into the form
  std::string email;
  std::string replaces;
  bool tooLarge = false;
  bool tooSlow = false;
  bool complete = false;
};

// The library listens with a backlog of five connections: a burst of entrants at the
// deadline would find the door shut. Linux takes a second listen() on the socket as
// a new backlog.
class Server : public httplib::Server {
 public:
  bool WidenBacklog() { return ::listen(svr_sock_, SOMAXCONN) == 0; }
};

}  // namespace

struct Robot::Parts {
  RobotOptions options;
  std::function<void(const std::string&)> say;
  fs::path contestDir;
  fs::path robotDir;
  adjudication::RulesFile rules;
  ContestInfo contest;
  std::unique_ptr<Store> store;
  std::unique_ptr<OrganiserAccess> organiser;
  std::unique_ptr<LogIntake> intake;
  std::unique_ptr<ContestCheck> check;
  Server server;
  std::size_t maxUploadBytes = 0;
  int port = 0;
  std::atomic<bool> stopped{false};
  std::atomic<bool> serving{false};

  void Routes();
  void Upload(const Request& req, Response& res, const ContentReader& reader, bool api);
  UploadBody ReadBody(const ContentReader& reader, bool multipart);
  void Refuse(Response& res, bool api, Language language, int status, const std::string& message);
  // The organiser: whether the request carries the token or a session; `csrf` gets
  // the session's CSRF token (empty for the Bearer token).
  bool Organiser(const Request& req, std::string* csrf = nullptr);
  bool FormAllowed(const Request& req);
  void Unauthorised(const Request& req, Response& res, bool api);
  // From the newest results (the organiser's) or the published ones.
  void ServeResults(const Request& req, Response& res, const std::string& file, bool english = false,
                    bool published = false);
  void NotFound(const Request& req, Response& res);
};

void Robot::Parts::Refuse(Response& res, bool api, Language language, int status,
                          const std::string& message) {
  if (api) {
    SendJson(res, status, ErrorJson(message));
    return;
  }
  const char* title = status == 413   ? Pick(language, "Файл слишком велик", "The file is too large")
                      : status == 403 ? Pick(language, "Приём закрыт", "Submission closed")
                      : status == 409 ? Pick(language, "Отчёт уже получен", "A log is already received")
                                      : Pick(language, "Отчёт не принят", "The log is not accepted");
  SendPage(res, status, MessagePage(language, title, message));
}

UploadBody Robot::Parts::ReadBody(const ContentReader& reader, bool multipart) {
  UploadBody body;
  const auto start = std::chrono::steady_clock::now();
  std::size_t total = 0;
  auto take = [&](std::size_t size) {
    total += size;
    if (total > maxUploadBytes) body.tooLarge = true;
    if (std::chrono::steady_clock::now() - start > options.uploadTime) body.tooSlow = true;
    return !body.tooLarge && !body.tooSlow;
  };
  if (!multipart) {
    body.complete = reader([&](const char* data, std::size_t size) {
      if (!take(size)) return false;
      body.log.append(data, size);
      return true;
    });
    return body;
  }
  std::string* field = nullptr;
  std::size_t parts = 0;
  body.complete = reader(
      [&](const httplib::MultipartFormData& part) {
        // The part's file name is never used: the log is stored by its receipt.
        field = part.name == "log"        ? &body.log
                : part.name == "text"     ? &body.text
                : part.name == "email"    ? &body.email
                : part.name == "replaces" ? &body.replaces
                                          : nullptr;
        if (field) field->clear();  // a field given twice: the last counts
        return ++parts <= kMaxFormParts;
      },
      [&](const char* data, std::size_t size) {
        if (!take(size)) return false;
        if (field) field->append(data, size);
        return true;
      });
  return body;
}

void Robot::Parts::Upload(const Request& req, Response& res, const ContentReader& reader,
                          bool api) {
  const Language language = api ? ApiLanguage(req) : PageLanguage(req);
  // Nothing is read of an upload that cannot be taken anyway. After the deadline only
  // the organiser hands a log in (the token, or a session's form with its CSRF token),
  // and it is marked late.
  const bool pastDeadline =
      rules.deadline && adjudication::SecondsOf(zelta::NowUtc()) >= adjudication::SecondsOf(*rules.deadline);
  const bool late = pastDeadline && FormAllowed(req);
  if (pastDeadline && !late) {
    return Refuse(res, api, language, 403,
                  std::string(Pick(language, "Отчёты принимались до ", "Logs were received until ")) +
                      PeriodTime(*rules.deadline) + " UTC" +
                      Pick(language, "; срок истёк. Обратитесь к организатору.",
                           "; the deadline has passed. Write to the organiser."));
  }
  const std::string tooLarge =
      std::string(Pick(language, "Загрузка больше предела в ", "The upload is over the limit of ")) +
      std::to_string(options.maxUploadKb) +
      Pick(language, " КБ. Отправьте только файл отчёта.", " KB. Send the log file alone.");
  if (req.has_header("Content-Length") &&
      req.get_header_value<std::uint64_t>("Content-Length") > maxUploadBytes + (api ? 0 : 65536)) {
    res.set_header("Connection", "close");
    return Refuse(res, api, language, 413, tooLarge);
  }
  const bool multipart = req.is_multipart_form_data();
  if (!api && !multipart) {
    return Refuse(res, api, language, 400,
                  Pick(language, "Отправьте отчёт формой со страницы приёма.",
                       "Send the log with the form of the submission page."));
  }
  UploadBody body = ReadBody(reader, multipart);
  if (body.tooLarge) {
    res.set_header("Connection", "close");
    return Refuse(res, api, language, 413, tooLarge);
  }
  if (body.tooSlow) {
    res.set_header("Connection", "close");
    return Refuse(res, api, language, 408,
                  Pick(language, "Загрузка шла слишком долго. Попробуйте ещё раз.",
                       "The upload took too long. Try again."));
  }
  if (!body.complete) {
    return Refuse(res, api, language, 400,
                  Pick(language, "Загрузка пришла не полностью. Попробуйте ещё раз.",
                       "The upload arrived incomplete. Try again."));
  }
  if (api) {
    body.email = req.get_param_value("email");
    body.replaces = req.get_param_value("replaces");
  }
  if (body.log.empty()) body.log = std::move(body.text);
  body.email = std::string(text::TrimBlanks(body.email));
  body.replaces = std::string(text::TrimBlanks(body.replaces));
  if (!body.email.empty() && !IsEmail(body.email)) {
    return Refuse(res, api, language, 400,
                  Pick(language, "Адрес эл. почты указан неверно. Исправьте его или оставьте поле пустым.",
                       "The e-mail address is not valid. Correct it or leave it out."));
  }
  UploadSummary summary;
  try {
    summary = intake->Read(body.log);
  } catch (const UploadRefused& refused) {
    std::string message;
    switch (refused.reason()) {
      case UploadRefused::Reason::kEmpty:
        message = Pick(language, "Загрузка пуста: выберите файл отчёта или вставьте его текст.",
                       "The upload is empty: choose your log file or paste its text.");
        break;
      case UploadRefused::Reason::kNotALog:
        message = std::string(Pick(language, "Это не отчёт Cabrillo или ADIF (",
                                   "This is neither a Cabrillo nor an ADIF log (")) +
                  refused.what() +
                  Pick(language, "). Загрузите отчёт в формате Cabrillo или ADIF.",
                       "). Upload your log as Cabrillo or ADIF.");
        break;
      case UploadRefused::Reason::kNoCall:
        message = Pick(language,
                       "В отчёте нет вашего позывного (CALLSIGN в Cabrillo, STATION_CALLSIGN или "
                       "OPERATOR в ADIF). Добавьте его и загрузите отчёт снова.",
                       "The log does not name your call (CALLSIGN in Cabrillo, STATION_CALLSIGN "
                       "or OPERATOR in ADIF). Add it and upload the log again.");
        break;
      case UploadRefused::Reason::kBadCall:
        message = std::string(refused.what()) +
                  Pick(language, ". Исправьте позывной в отчёте и загрузите его снова.",
                       ". Correct the call in the log and upload it again.");
        break;
      case UploadRefused::Reason::kNoQso:
        message = std::string(refused.what()) +
                  Pick(language, ". Проверьте, тот ли файл выбран.", ". Check that this is the right file.");
        break;
    }
    return Refuse(res, api, language, 400, message);
  }
  summary.email = body.email;
  const Store::AddResult added = store->Add(summary, body.log, body.replaces, IsoNow(), late);
  if (added.refusal == Store::Refusal::kNotNewest) {
    return Refuse(res, api, language, 409,
                  std::string(Pick(language, "Отчёт с этой квитанцией уже заменён более поздней загрузкой. ",
                                   "The log of this receipt has been replaced by a later upload. ")) +
                      Pick(language, "Чтобы заменить отчёт, укажите квитанцию его последней загрузки.",
                           "To replace a log, give the receipt of its newest upload."));
  }
  if (!added.stored) {
    const robot::Upload& newest = *added.newestOfCall;
    const bool otherCall = added.given && text::AsciiUpper(added.given->summary.call) != text::AsciiUpper(summary.call);
    const std::string when = newest.received.substr(0, 10) + " " + newest.received.substr(11, 8) + " UTC";
    return Refuse(res, api, language, 409,
                  std::string(Pick(language, "Отчёт ", "A log for ")) + summary.call +
                      Pick(language, " уже получен ", " was received on ") + when +
                      Pick(language, ". Чтобы заменить его, укажите номер квитанции той загрузки.",
                           ". To replace it, give the receipt number of that upload.") +
                      (otherCall ? std::string(Pick(language, " Указанная квитанция — отчёта ",
                                                    " The receipt given is that of the log of ")) +
                                       added.given->summary.call +
                                       Pick(language, "; позывной, у которого есть отчёт, сохраняет его.",
                                            "; a call that has a log keeps it.")
                                 : std::string()));
  }
  say("received " + summary.call + " (" + ReceiptStem(added.stored->receipt) + ", " +
      std::to_string(summary.qsos) + " QSOs)");
  if (api) return SendJson(res, 200, ReceiptJson(*added.stored));
  SendPage(res, 200, ReceiptPage(language, *added.stored, true));
}

bool Robot::Parts::Organiser(const Request& req, std::string* csrf) {
  const std::string authorization = req.get_header_value("Authorization");
  if (authorization.size() > 7 && text::EqualsIgnoringCase(authorization.substr(0, 7), "Bearer ")) {
    if (csrf) csrf->clear();
    return organiser->IsToken(text::TrimBlanks(std::string_view(authorization).substr(7)));
  }
  const std::optional<std::string> sessionCsrf = organiser->SessionCsrf(CookieValue(req, kCookie));
  if (!sessionCsrf) return false;
  if (csrf) *csrf = *sessionCsrf;
  return true;
}

// A request that changes something: the Bearer token, or a session's form with its
// CSRF token.
bool Robot::Parts::FormAllowed(const Request& req) {
  std::string csrf;
  if (!Organiser(req, &csrf)) return false;
  if (csrf.empty()) return true;
  const std::string given =
      req.has_param("csrf") ? req.get_param_value("csrf") : req.get_header_value("X-CSRF-Token");
  return SameSecret(given, csrf);
}

void Robot::Parts::Unauthorised(const Request& req, Response& res, bool api) {
  if (api) {
    res.set_header("WWW-Authenticate", "Bearer");
    return SendJson(res, 401, ErrorJson("the organiser's token is needed (Authorization: Bearer TOKEN)"));
  }
  SendPage(res, 401, LoginPage(PageLanguage(req), false));
}

// `file`: "" for the results page, "results.csv", or the name of a report; in English
// from the results' en/ folder.
void Robot::Parts::ServeResults(const Request& req, Response& res, const std::string& file,
                                bool english, bool published) {
  const fs::path results =
      fs::path(published ? check->PublishedFolder() : check->ResultsFolder()) / (english ? "en" : "");
  std::optional<std::string> bytes;
  const char* type = "text/plain; charset=utf-8";
  if (file.empty()) {
    bytes = ListedFile(results, "index.html");
    type = "text/html; charset=utf-8";
  } else if (file == "results.csv") {
    bytes = ListedFile(results, file);
    type = "text/csv; charset=utf-8";
  } else {
    bytes = ListedFile(results / "reports", file);
  }
  if (!bytes) return NotFound(req, res);
  res.status = 200;
  res.set_content(*bytes, type);
}

void Robot::Parts::NotFound(const Request& req, Response& res) {
  const Language language = PageLanguage(req);
  SendPage(res, 404, MessagePage(language, Pick(language, "Не найдено", "Not found"),
                                 Pick(language, "Такой страницы нет.", "There is no such page.")));
}

void Robot::Parts::Routes() {
  server.Get("/", [this](const Request& req, Response& res) {
    SendPage(res, 200, UploadPage(PageLanguage(req), contest));
  });
  server.Post("/submit", [this](const Request& req, Response& res, const ContentReader& reader) {
    Upload(req, res, reader, false);
  });
  server.Post("/api/logs", [this](const Request& req, Response& res, const ContentReader& reader) {
    Upload(req, res, reader, true);
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
  server.Get("/api/receipts/([^/]{1,100})", [this](const Request& req, Response& res) {
    if (const std::optional<robot::Upload> upload = store->Find(req.matches[1])) {
      return SendJson(res, 200, ReceiptJson(*upload));
    }
    SendJson(res, 404, ErrorJson("there is no receipt with this number"));
  });
  server.Get("/received", [this](const Request& req, Response& res) {
    SendPage(res, 200, ReceivedPage(PageLanguage(req), store->Newest()));
  });
  server.Get("/api/received", [this](const Request&, Response& res) {
    SendJson(res, 200, ReceivedJson(store->Newest()));
  });

  // The organiser.
  server.Get("/organiser", [this](const Request& req, Response& res) {
    std::string csrf;
    if (!Organiser(req, &csrf)) return Unauthorised(req, res, false);
    const CheckStatus status = check->Status();
    SendPage(res, 200, OrganiserPage(PageLanguage(req), store->All(), store->Attempts(), status,
                                     status.published, csrf));
  });
  server.Post("/organiser/login", [this](const Request& req, Response& res) {
    if (!organiser->IsToken(text::TrimBlanks(req.get_param_value("token")))) {
      return SendPage(res, 401, LoginPage(PageLanguage(req), true));
    }
    const bool https = req.get_header_value("X-Forwarded-Proto") == "https";
    res.set_header("Set-Cookie", std::string(kCookie) + "=" + organiser->NewSession() +
                                     "; Path=/; HttpOnly; SameSite=Strict" + (https ? "; Secure" : ""));
    res.set_redirect(PageLanguage(req) == Language::kEnglish ? "/organiser?lang=en" : "/organiser", 303);
  });
  server.Post("/organiser/logout", [this](const Request& req, Response& res) {
    if (FormAllowed(req)) organiser->EndSession(CookieValue(req, kCookie));
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
  server.Post("/organiser/check", [this](const Request& req, Response& res) {
    if (!FormAllowed(req)) return Unauthorised(req, res, false);
    check->Start();
    res.set_redirect(PageLanguage(req) == Language::kEnglish ? "/organiser?lang=en" : "/organiser", 303);
  });
  server.Post("/organiser/publish", [this](const Request& req, Response& res) {
    if (!FormAllowed(req)) return Unauthorised(req, res, false);
    if (check->Publish()) store->SetSetting("published", "1");
    res.set_redirect(PageLanguage(req) == Language::kEnglish ? "/organiser?lang=en" : "/organiser", 303);
  });
  server.Get(R"(/organiser/results/(reports/)?([^/]{0,100}))", [this](const Request& req, Response& res) {
    if (!Organiser(req)) return Unauthorised(req, res, false);
    const std::string name = req.matches[2];
    if (req.matches[1].length() > 0 || name == "results.csv") return ServeResults(req, res, name);
    if (name.empty() || name == "index.html") return ServeResults(req, res, "");
    NotFound(req, res);
  });
  server.Get("/api/check", [this](const Request& req, Response& res) {
    if (!Organiser(req)) return Unauthorised(req, res, true);
    const CheckStatus status = check->Status();
    SendJson(res, 200, JsonObject()
                           .Bool("running", status.running)
                           .Text("stage", status.stage)
                           .Number("done", static_cast<long long>(status.done))
                           .Number("total", static_cast<long long>(status.total))
                           .Text("finished", status.finished)
                           .Text("error", status.error)
                           .Text("results_checked", status.resultsChecked)
                           .Bool("published", status.published)
                           .Text("published_checked", status.publishedChecked)
                           .Done() + "\n");
  });
  server.Post("/api/check", [this](const Request& req, Response& res) {
    if (!FormAllowed(req)) return Unauthorised(req, res, true);
    std::uint64_t number = 0;
    if (!check->Start(&number)) {
      return SendJson(res, 409, ErrorJson("a check is running already; ask GET /api/check how far it is"));
    }
    const CheckStatus status = check->Wait(number);
    if (!status.error.empty()) {
      return SendJson(res, status.logs == 0 ? 409 : 500, ErrorJson("the check failed: " + status.error));
    }
    SendJson(res, 200, CheckSummaryJson(status));
  });
  server.Post("/api/publish", [this](const Request& req, Response& res) {
    if (!FormAllowed(req)) return Unauthorised(req, res, true);
    if (!check->Publish()) {
      return SendJson(res, 409, ErrorJson("there are no results to publish: run the check first"));
    }
    store->SetSetting("published", "1");
    SendJson(res, 200, JsonObject()
                           .Bool("published", true)
                           .Text("results", "/results/")
                           .Text("checked", check->Status().publishedChecked)
                           .Done() + "\n");
  });

  AddArchiveRoute(server, *store, robotDir.string(),
                  {[this](const Request& req) { return Organiser(req); },
                   [this](const Request& req, Response& res) { Unauthorised(req, res, true); }});

  // The published results.
  server.Get("/results", [](const Request&, Response& res) { res.set_redirect("/results/", 301); });
  server.Get(R"(/results/(en/)?(reports/)?([^/]{0,100}))", [this](const Request& req, Response& res) {
    if (!check->Status().published) {
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

Robot::Robot(const RobotOptions& options, std::function<void(const std::string&)> say)
    : parts_(std::make_unique<Parts>()) {
  Parts& p = *parts_;
  p.options = options;
  p.say = std::move(say);
  p.maxUploadBytes = options.maxUploadKb * 1024;
  std::error_code ec;
  p.contestDir = fs::absolute(fs::path(options.contestDir), ec).lexically_normal();
  if (!fs::is_directory(p.contestDir, ec)) {
    throw RobotError("the contest folder " + options.contestDir + " does not exist");
  }
  // The rules: the period shown and the deadline kept; a bad file stops the robot.
  const fs::path rulesPath = p.contestDir / "rules.ini";
  if (fs::exists(rulesPath, ec)) {
    std::ifstream in(rulesPath, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    if (!in) throw RobotError("cannot read the rules " + rulesPath.string());
    try {
      p.rules = adjudication::ParseRulesFile(text.str(), rulesPath.string());
    } catch (const adjudication::RulesError& e) {
      throw RobotError(e.what());
    }
  } else {
    p.say("warning: " + rulesPath.string() + " does not exist: no contest period, no deadline");
  }
  p.contest.start = p.rules.rules.start;
  p.contest.end = p.rules.rules.end;
  p.contest.deadline = p.rules.deadline;
  p.contest.maxUploadKb = options.maxUploadKb;

  // The robot's own folder, the owner's alone: the logs, the e-mail addresses, the token.
  p.robotDir = p.contestDir / "robot";
  const fs::path hostDir = p.robotDir / "host";
  fs::create_directories(hostDir / "Plugins", ec);
  if (ec || access(p.robotDir.c_str(), W_OK) != 0 || access(hostDir.c_str(), W_OK) != 0) {
    throw RobotError("cannot write the robot's folder " + p.robotDir.string() +
                     (ec ? ": " + ec.message() : std::string(": permission denied")));
  }
  chmod(p.robotDir.c_str(), 0700);
  const fs::path regions = p.contestDir / "Plugins" / "zelta.dom";
  if (!fs::is_regular_file(regions, ec)) {
    p.say("warning: " + regions.string() + " does not exist: no station counts as one of the region list");
  }
  try {
    p.store = std::make_unique<Store>((p.robotDir / "robot.sqlite3").string());
    const fs::path tokenPath = p.robotDir / "organiser.token";
    p.organiser = std::make_unique<OrganiserAccess>(tokenPath.string());
    p.say(std::string(p.organiser->Created() ? "the organiser's token was made: " : "the organiser's token: ") +
          tokenPath.string());
    zelta::StartBatchMode();
    p.intake = std::make_unique<LogIntake>(options.pluginPath, hostDir.string(), regions.string(),
                                           p.rules.rules);
  } catch (const std::exception& e) {
    throw RobotError(e.what());
  }
  p.check = std::make_unique<ContestCheck>(
      *p.store, CheckPaths{p.contestDir.string(), p.robotDir.string(), options.pluginPath});

  // The server: a pool of workers, timeouts on silent clients, one request per
  // connection (a refused upload's unread body can never be taken for a request).
  const int workers = std::max(1, options.workers);
  p.server.new_task_queue = [workers] { return new httplib::ThreadPool(static_cast<std::size_t>(workers)); };
  p.server.set_read_timeout(options.ioTimeout);
  p.server.set_write_timeout(options.ioTimeout);
  p.server.set_keep_alive_max_count(1);
  p.server.set_payload_max_length(p.maxUploadBytes + 65536);
  p.server.set_default_headers({
      {"X-Content-Type-Options", "nosniff"},
      {"X-Frame-Options", "DENY"},
      {"Referrer-Policy", "no-referrer"},
      {"Content-Security-Policy",
       "default-src 'none'; style-src 'unsafe-inline'; img-src data:; form-action 'self'; "
       "frame-ancestors 'none'; base-uri 'none'"},
  });
  // A request with neither Content-Length nor Transfer-Encoding has no body (HTTP/1.1),
  // as `curl -X POST` sends an organiser's request; the library would wait for one until
  // the timeout. The request is the server's own object, not a constant one.
  p.server.set_pre_routing_handler([](const Request& req, Response&) {
    if (!req.has_header("Content-Length") && !req.has_header("Transfer-Encoding")) {
      const_cast<Request&>(req).headers.emplace("Content-Length", "0");
    }
    return httplib::Server::HandlerResponse::Unhandled;
  });
  p.server.set_error_handler([](const Request& req, Response& res) {
    if (!res.body.empty()) return;
    const bool api = req.path.rfind("/api/", 0) == 0;
    const std::string text = res.status == 404   ? "not found"
                             : res.status == 413 ? "the request is too large"
                             : res.status == 400 ? "the request cannot be read"
                                                 : "the request cannot be served";
    if (api) {
      res.set_content(ErrorJson(text), "application/json; charset=utf-8");
    } else {
      res.set_content(MessagePage(PageLanguage(req), std::to_string(res.status), text),
                      "text/html; charset=utf-8");
    }
  });
  p.server.set_exception_handler([&p](const Request& req, Response& res, std::exception_ptr error) {
    std::string what = "unknown error";
    try {
      std::rethrow_exception(error);
    } catch (const std::exception& e) {
      what = e.what();
    } catch (...) {
    }
    p.say("error serving " + req.method + " " + logs::ShownText(req.path, 100) + ": " + what);
    const bool api = req.path.rfind("/api/", 0) == 0;
    if (api) {
      SendJson(res, 500, ErrorJson("the robot failed; nothing was stored. Try again later."));
    } else {
      SendPage(res, 500, MessagePage(PageLanguage(req), "500", "The robot failed; nothing was stored."));
    }
  });
  p.Routes();
  if (options.port == 0) {
    p.port = p.server.bind_to_any_port(options.host);
    if (p.port <= 0) throw RobotError("cannot listen on " + options.host);
  } else {
    if (!p.server.bind_to_port(options.host, options.port)) {
      throw RobotError("cannot listen on " + options.host + ":" + std::to_string(options.port) +
                       " (the port is in use, or the address is not this machine's)");
    }
    p.port = options.port;
  }
  if (!p.server.WidenBacklog()) throw RobotError("cannot listen on " + options.host);
}

Robot::~Robot() = default;

int Robot::Port() const { return parts_->port; }

void Robot::Serve() {
  Parts& p = *parts_;
  p.serving = true;
  if (!p.stopped) {
    p.say("listening on http://" + p.options.host + ":" + std::to_string(p.port) + "/");
    p.server.listen_after_bind();
  }
  p.check->Stop();
  p.serving = false;
}

void Robot::Stop() {
  Parts& p = *parts_;
  p.stopped = true;
  // Serve() may be about to listen: the server can be stopped once it does.
  for (int i = 0; i < 200 && p.serving && !p.server.is_running(); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  p.server.stop();
  p.check->Stop();
}

void ServeUntilSignalled(Robot& robot, const std::function<void(const std::string&)>& say) {
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);
  signal(SIGPIPE, SIG_IGN);  // a client that goes away is the worker's error, not the robot's end
  std::thread serving([&robot] { robot.Serve(); });
  int received = 0;
  sigwait(&signals, &received);
  say(std::string("stopping (") + (received == SIGINT ? "SIGINT" : "SIGTERM") +
      "): finishing the requests in flight");
  robot.Stop();
  serving.join();
  say("stopped");
}

}  // namespace robot
