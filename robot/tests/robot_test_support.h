// What the robot's tests share: a contest folder, the robot served in the test or
// as its own process, logs made to order, and requests sent byte by byte.
#pragma once

#include <httplib.h>
#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <thread>

#include "robot/service.h"
#include "tests/support/test_support.h"

namespace robot_testing {

namespace fs = std::filesystem;
using testing_support::ReadFileBytes;

// The built plug-in and zelta, beside the test program.
std::string PluginPath();
std::string ZeltaPath();

// A scratch contest folder holding a simulated contest (logs/, Plugins/zelta.dom,
// rules.ini with `extraRules` added under [Rules]); removed at the end.
class ContestFolder {
 public:
  explicit ContestFolder(int stations = 12, int qsos = 60, const std::string& extraRules = "");
  ~ContestFolder();
  const fs::path& Path() const { return path_; }
  // The simulated logs' paths, by call.
  std::vector<fs::path> Logs() const;

 private:
  fs::path path_;
};

// The robot serving `contest` on a free loopback port on a thread of the test.
class ServedRobot {
 public:
  explicit ServedRobot(const fs::path& contest, std::size_t maxUploadKb = 10240);
  ~ServedRobot();
  int Port() const { return robot_->Port(); }

 private:
  std::unique_ptr<robot::Robot> robot_;
  std::thread serving_;
};

// `zelta robot` as a process of its own on a free loopback port.
class RobotProcess {
 public:
  // `options`: more of zelta robot's options.
  explicit RobotProcess(const fs::path& contest, const std::vector<std::string>& options = {});
  ~RobotProcess();
  int Port() const { return port_; }
  pid_t Pid() const { return pid_; }
  // Sends `signal` and waits for the process; its exit status (or 128 + signal).
  // Given `within`, waits no longer: -1 if it still runs then (it is then killed).
  int End(int signal, std::optional<std::chrono::milliseconds> within = std::nullopt);

 private:
  pid_t pid_ = -1;
  int port_ = 0;
};

// A Cabrillo log of `call` with `qsos` QSOs in the contest's period, `headers`
// added to the header as they are.
std::string CabrilloLog(const std::string& call, int qsos, const std::string& headers = "");

// The token of the robot of `contest`, and as the header that carries it.
std::string Token(const fs::path& contest);
httplib::Headers Bearer(const fs::path& contest);

// A connection from `from` (an address of 127.0.0.0/8) to the port, -1 if refused;
// no read on it waits longer than 20 s.
int Connect(int port, const std::string& from = "127.0.0.1");

// The status of an HTTP answer, or 0.
int StatusOf(const std::string& answer);

// SendRaw()
// Connects to the port, sends `parts` one after another with `pause` between them,
// then reads the answer until the robot closes; the answer's status, or 0.
int SendRaw(int port, const std::vector<std::string>& parts,
            std::chrono::milliseconds pause = std::chrono::milliseconds(0),
            std::string* answer = nullptr);

// Every file under `folder` but those under robot/ and results/.
std::vector<std::string> FilesOutsideRobot(const fs::path& folder);

}  // namespace robot_testing
