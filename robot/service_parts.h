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
#include "robot/front_door.h"
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

// On every answer, the robot's own and the library's.
inline const std::pair<const char*, const char*> kSecurityHeaders[] = {
    {"X-Content-Type-Options", "nosniff"},
    {"X-Frame-Options", "DENY"},
    {"Referrer-Policy", "no-referrer"},
    {"Content-Security-Policy",
     "default-src 'none'; style-src 'unsafe-inline'; img-src data:; form-action 'self'; "
     "frame-ancestors 'none'; base-uri 'none'"},
};

Language PageLanguage(const Request& req);
// The API answers in English unless Russian is asked for.
Language ApiLanguage(const Request& req);
const char* Pick(Language language, const char* russian, const char* english);
void SendPage(Response& res, int status, const std::string& html);
void SendJson(Response& res, int status, const std::string& json);
bool IsEmail(const std::string& text);
std::string CookieValue(const Request& req, const std::string& name);
// A field of a form's body (application/x-www-form-urlencoded), never of the query
// string; empty when absent.
std::string FormField(const Request& req, const std::string& name);

// What arrived of an upload.
struct UploadBody {
  std::string log;
  std::string text;      // the log pasted into the form
  std::string email;
  std::string replaces;
  std::string csrf;      // the organiser's form: its session's CSRF token
  bool tooLarge = false;
  bool complete = false;
};

// cpp-httplib's server, its socket bound by the library and then handed to the front
// door; the door's whole requests are answered by the library's handlers in memory.
class Server : public httplib::Server {
 public:
  // The bound socket, listening with a backlog that a burst of entrants at the deadline
  // does not fill (the library's is five); the server no longer owns it. -1 on failure.
  int TakeListeningSocket();
  // The whole HTTP answer to a whole request, as the library's handlers give it.
  DoorAnswer Handle(const WholeRequest& request);

  std::string spoolFolder;  // where large answers wait to be sent (the robot's own folder)

 private:
  static constexpr int kServedByTheDoor = -2;
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
  std::unique_ptr<FrontDoor> door;
  std::size_t maxUploadBytes = 0;
  int port = 0;
  std::atomic<bool> stopped{false};
  std::atomic<bool> serving{false};

  // Each audience's routes.
  void EntrantRoutes();
  void OrganiserRoutes();
  void ApiRoutes();
  void DecisionRoutes();

  // The door's own answers, in the form the route would give them.
  std::string DoorRefusal(Refusal why, const std::string& method, const std::string& target);
  // An error without a route's own words: the status's in the API's or a page's form.
  void GeneralError(const Request& req, Response& res);
  // An upload refused for its size, or for its time.
  std::string UploadTooLarge(Language language) const;
  std::string UploadTooSlow(Language language) const;

  void Upload(const Request& req, Response& res, const ContentReader& reader, bool api);
  UploadBody ReadBody(const ContentReader& reader, bool multipart);
  void Refuse(Response& res, bool api, Language language, int status, const std::string& message);
  // The organiser: whether the request carries the token or a session; `csrf` gets
  // the session's CSRF token (empty for the Bearer token).
  bool Organiser(const Request& req, std::string* csrf = nullptr);
  bool FormAllowed(const Request& req);
  // The results published: shown at /results/, their folder open to every reader.
  bool Publish();  // the newest check as the published snapshot; false when there is none
  void Unauthorised(const Request& req, Response& res, bool api);
  // From the newest results (the organiser's) or the published ones.
  void ServeResults(const Request& req, Response& res, const std::string& file, bool english = false,
                    bool published = false);
  void NotFound(const Request& req, Response& res);
};

}  // namespace robot
