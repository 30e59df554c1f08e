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
