// The inside of the robot's HTTP service, shared by the files that serve each
// audience: the entrant's pages (entrant_pages.cpp), the organiser's pages
// (organiser_pages.cpp) and the API (api_routes.cpp); the upload both the entrant's
// form and the API take (upload.cpp). Each audience's file registers its routes.
#pragma once

#include <httplib.h>

#include <atomic>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "adjudication/rules_file.h"
#include "robot/contest_check.h"
#include "robot/log_intake.h"
#include "robot/organiser.h"
#include "robot/pages.h"
#include "robot/service.h"
#include "robot/store.h"

namespace robot {

namespace fs = std::filesystem;

using httplib::ContentReader;
using httplib::Request;
using httplib::Response;

inline constexpr char kCookie[] = "zelta_organiser";

Language PageLanguage(const Request& req);
// The API answers in English unless Russian is asked for.
Language ApiLanguage(const Request& req);
const char* Pick(Language language, const char* russian, const char* english);
void SendPage(Response& res, int status, const std::string& html);
void SendJson(Response& res, int status, const std::string& json);
bool IsEmail(const std::string& text);
std::string CookieValue(const Request& req, const std::string& name);

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

  // Each audience's routes.
  void EntrantRoutes();
  void OrganiserRoutes();
  void ApiRoutes();
  void DecisionRoutes();

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

}  // namespace robot
