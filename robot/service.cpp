// The robot's service: the contest folder, the store, the plug-in and the server set
// up, served until stopped. The routes are in each audience's file.
#include <pthread.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <sstream>
#include <thread>

#include "host/host_system.h"
#include "logs/log_notes.h"
#include "robot/json_text.h"
#include "robot/limits.h"
#include "robot/service_parts.h"

namespace robot {

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
  p.server.spoolFolder = p.robotDir.string();
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
                                           p.rules.rules, std::min(options.scoringCopies, options.workers));
  } catch (const std::exception& e) {
    throw RobotError(e.what());
  }
  OpenResults((p.contestDir / "results").string(), p.store->Setting("published").value_or("") == "1");
  p.check = std::make_unique<ContestCheck>(
      *p.store, CheckPaths{p.contestDir.string(), p.robotDir.string(), options.pluginPath});

  // The server: the library's handlers, one request per connection, each request
  // whole in memory when it reaches them (the front door has read it within limits).
  p.server.set_keep_alive_max_count(1);
  p.server.set_payload_max_length(p.maxUploadBytes);
  p.server.set_default_headers(httplib::Headers(std::begin(kSecurityHeaders), std::end(kSecurityHeaders)));
  // Nothing of the organiser's is kept by a browser or a proxy.
  p.server.set_post_routing_handler([](const Request& req, Response& res) {
    if (req.path.rfind("/organiser", 0) == 0 && !res.has_header("Cache-Control")) {
      res.set_header("Cache-Control", "no-store");
    }
  });
  p.server.set_error_handler([&p](const Request& req, Response& res) {
    if (res.body.empty()) p.GeneralError(req, res);
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
  p.EntrantRoutes();
  p.OrganiserRoutes();
  p.ApiRoutes();
  p.DecisionRoutes();
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
  const int listening = p.server.TakeListeningSocket();
  if (listening < 0) throw RobotError("cannot listen on " + options.host);
  DoorHandlers handlers;
  handlers.bodyLimit = [&p](const std::string& method, const std::string& target) {
    return BodyLimitOf(method, target, p.options);
  };
  handlers.serve = [&p](const WholeRequest& request) { return p.server.Handle(request); };
  handlers.refuse = [&p](Refusal why, const std::string& method, const std::string& target) {
    return p.DoorRefusal(why, method, target);
  };
  try {
    p.door = std::make_unique<FrontDoor>(listening, DoorLimitsOf(options), std::move(handlers));
  } catch (const std::exception& e) {
    throw RobotError(e.what());
  }
}

Robot::~Robot() = default;

int Robot::Port() const { return parts_->port; }

void Robot::Serve() {
  Parts& p = *parts_;
  p.serving = true;
  if (!p.stopped) {
    p.say("listening on http://" + p.options.host + ":" + std::to_string(p.port) + "/");
    p.door->Run();
  }
  p.check->Stop();
  p.serving = false;
}

void Robot::Stop() {
  Parts& p = *parts_;
  p.stopped = true;
  p.door->Stop();
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
