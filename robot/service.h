// The log robot's HTTP service: the entrants' pages and API, the organiser's pages
// and API, and the published results: the front door (front_door.h) reads each request
// within the limits (limits.h), cpp-httplib's handlers answer it on a pool of workers.
#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>

namespace robot {

// The robot cannot start; what() names the problem (a bad rules file, a folder it
// cannot write, an address it cannot listen on).
class RobotError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct RobotOptions {
  std::string contestDir;            // rules.ini, Plugins/zelta.dom; robot/ is the robot's
  std::string host = "127.0.0.1";
  int port = 8080;                   // 0: any free port (see Robot::Port())
  std::size_t maxUploadKb = 10240;
  std::string pluginPath;            // libStats.so
  int workers = 8;                   // requests served at once
  int scoringCopies = 4;             // private copies of the plug-in: uploads scored at once
  std::chrono::seconds uploadTime{120};  // the longest an upload's body may take to arrive
  std::chrono::seconds ioTimeout{10};    // the longest a request's head (or a form) may take
  int connectionsPerAddress = 8;         // connections of one address at once
  std::chrono::seconds grace{10};        // after a stop, for the requests in flight
};

class Robot {
 public:
  // Opens the contest folder, the store, the token and the plug-in, and binds the
  // address. `say` gets the lines for the operator. Throws RobotError.
  Robot(const RobotOptions& options, std::function<void(const std::string&)> say);
  ~Robot();
  Robot(const Robot&) = delete;
  Robot& operator=(const Robot&) = delete;

  // The port listened on.
  int Port() const;

  // Serve()
  // Serves until Stop(); then the requests in flight are finished and a running
  // check is ended before it returns.
  void Serve();

  // Stop()
  // May be called from any thread, also before Serve().
  void Stop();

 private:
  struct Parts;
  std::unique_ptr<Parts> parts_;
};

// ServeUntilSignalled()
// Serves until SIGINT or SIGTERM arrives, then stops cleanly. Call it before any
// other thread of the process starts, so that the signals come to it alone.
void ServeUntilSignalled(Robot& robot, const std::function<void(const std::string&)>& say);

}  // namespace robot
