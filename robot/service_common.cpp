// What the audiences' routes share: the answers' forms, the organiser's access, the
// published results' files.
#include <fstream>
#include <sstream>

#include "robot/json_text.h"
#include "robot/limits.h"
#include "robot/secrets.h"
#include "robot/service_parts.h"
#include "text/ascii_text.h"

namespace robot {
namespace {

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

}  // namespace

Language PageLanguage(const Request& req) {
  return req.get_param_value("lang") == "en" ? Language::kEnglish : Language::kRussian;
}

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

// A field of a form's body (application/x-www-form-urlencoded), never of the query
// string, where proxies' logs would keep a secret.
std::string FormField(const Request& req, const std::string& name) {
  const std::string type = text::AsciiLower(req.get_header_value("Content-Type"));
  if (type.rfind("application/x-www-form-urlencoded", 0) != 0) return "";
  httplib::Params fields;
  httplib::detail::parse_query_text(req.body, fields);
  const auto field = fields.find(name);
  return field == fields.end() ? "" : field->second;
}

bool Robot::Parts::Publish() {
  if (!check->Publish()) return false;
  store->SetSetting("published", "1");
  return true;
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
  const std::string field = FormField(req, "csrf");
  const std::string given = field.empty() ? req.get_header_value("X-CSRF-Token") : field;
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

}  // namespace robot
