#include "robot/tests/robot_test_support.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <random>
#include <stdexcept>

#include "adjudication/simulator.h"
#include "platform/shared_library.h"

extern char** environ;

namespace robot_testing {

std::string PluginPath() {
  return (fs::path(platform::ExecutablePath()).parent_path() / STATS_LIBRARY_NAME).string();
}

std::string ZeltaPath() {
  return (fs::path(platform::ExecutablePath()).parent_path() / "zelta").string();
}

ContestFolder::ContestFolder(int stations, int qsos, const std::string& extraRules) {
  std::random_device random;
  path_ = fs::temp_directory_path() / ("zelta-robot-test-" + std::to_string(random()));
  adjudication::SimulationOptions options;
  options.stations = stations;
  options.qsosPerStation = qsos;
  adjudication::SimulatedContest contest = adjudication::Simulate(options);
  contest.rules += extraRules;
  std::string error;
  if (!adjudication::WriteSimulation(contest, path_.string(), error)) throw std::runtime_error(error);
}

ContestFolder::~ContestFolder() {
  std::error_code ec;
  fs::remove_all(path_, ec);
}

std::vector<fs::path> ContestFolder::Logs() const {
  std::vector<fs::path> logs;
  for (const auto& entry : fs::directory_iterator(path_ / "logs")) logs.push_back(entry.path());
  std::sort(logs.begin(), logs.end());
  return logs;
}

ServedRobot::ServedRobot(const fs::path& contest, std::size_t maxUploadKb) {
  robot::RobotOptions options;
  options.contestDir = contest.string();
  options.port = 0;
  options.maxUploadKb = maxUploadKb;
  options.pluginPath = PluginPath();
  options.uploadTime = std::chrono::seconds(5);
  options.ioTimeout = std::chrono::seconds(2);
  robot_ = std::make_unique<robot::Robot>(options, [](const std::string&) {});
  serving_ = std::thread([this] { robot_->Serve(); });
}

ServedRobot::~ServedRobot() {
  robot_->Stop();
  serving_.join();
}

RobotProcess::RobotProcess(const fs::path& contest, const std::vector<std::string>& options) {
  int pipe[2];
  if (::pipe(pipe) != 0) throw std::runtime_error("pipe");
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, pipe[1], STDERR_FILENO);
  posix_spawn_file_actions_addclose(&actions, pipe[0]);
  const std::string zelta = ZeltaPath(), dir = contest.string(), plugin = PluginPath();
  std::vector<const char*> argv = {zelta.c_str(), "robot", dir.c_str(), "--listen", "127.0.0.1:0",
                                   "--plugin", plugin.c_str()};
  for (const std::string& option : options) argv.push_back(option.c_str());
  argv.push_back(nullptr);
  const int spawned = posix_spawn(&pid_, zelta.c_str(), &actions, nullptr,
                                  const_cast<char* const*>(argv.data()), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(pipe[1]);
  if (spawned != 0) throw std::runtime_error("cannot start " + zelta);
  // "zelta: listening on http://127.0.0.1:PORT/"
  std::string said;
  char c;
  while (port_ == 0 && read(pipe[0], &c, 1) == 1) {
    said += c;
    const std::size_t at = said.find("listening on http://127.0.0.1:");
    if (c == '\n' && at != std::string::npos) port_ = std::atoi(said.c_str() + at + 30);
  }
  close(pipe[0]);  // later lines go nowhere; the robot ignores SIGPIPE
  if (port_ == 0) {
    End(SIGKILL);
    throw std::runtime_error("the robot did not start: " + said);
  }
}

RobotProcess::~RobotProcess() {
  if (pid_ > 0) End(SIGKILL);
}

int RobotProcess::End(int signal, std::optional<std::chrono::milliseconds> within) {
  if (pid_ <= 0) return -1;
  kill(pid_, signal);
  int status = 0;
  if (within) {
    const auto end = std::chrono::steady_clock::now() + *within;
    while (waitpid(pid_, &status, WNOHANG) == 0) {
      if (std::chrono::steady_clock::now() >= end) {
        End(SIGKILL);
        return -1;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
  } else {
    waitpid(pid_, &status, 0);
  }
  pid_ = -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

std::string CabrilloLog(const std::string& call, int qsos, const std::string& headers) {
  std::string log = "START-OF-LOG: 3.0\r\nCONTEST: ZELTA-CUP\r\nCALLSIGN: " + call +
                    "\r\nCATEGORY-OPERATOR: SINGLE-OP\r\n" + headers;
  static const char* const kBands[][2] = {{"3520", "CW"}, {"7030", "CW"}, {"14200", "PH"}, {"21050", "CW"}};
  for (int i = 0; i < qsos; ++i) {
    char line[160];
    const int minute = i % 240;
    std::snprintf(line, sizeof line,
                  "QSO: %5s %s 2026-12-06 %02d%02d %-10s 599 %03d Q%dW%c%c 599 %03d\r\n",
                  kBands[i % 4][0], kBands[i % 4][1], 9 + minute / 60, minute % 60, call.c_str(),
                  i % 1000 + 1, i % 10, 'A' + i % 26, 'A' + i / 26 % 26, (i * 7) % 1000 + 1);
    log += line;
  }
  return log + "END-OF-LOG:\r\n";
}

std::string Token(const fs::path& contest) {
  std::ifstream in(contest / "robot" / "organiser.token");
  std::string token;
  in >> token;
  return token;
}

httplib::Headers Bearer(const fs::path& contest) { return {{"Authorization", "Bearer " + Token(contest)}}; }

int Connect(int port, const std::string& from) {
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in source{};
  source.sin_family = AF_INET;
  inet_pton(AF_INET, from.c_str(), &source.sin_addr);
  sockaddr_in robot{};
  robot.sin_family = AF_INET;
  robot.sin_port = htons(static_cast<uint16_t>(port));
  robot.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  timeval timeout{20, 0};
  setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
  if (bind(fd, reinterpret_cast<sockaddr*>(&source), sizeof source) != 0 ||
      connect(fd, reinterpret_cast<sockaddr*>(&robot), sizeof robot) != 0) {
    close(fd);
    return -1;
  }
  return fd;
}

int StatusOf(const std::string& answer) {
  return answer.compare(0, 9, "HTTP/1.1 ") == 0 ? std::atoi(answer.c_str() + 9) : 0;
}

int SendRaw(int port, const std::vector<std::string>& parts, std::chrono::milliseconds pause,
            std::string* answer) {
  const int socket = Connect(port);
  if (socket < 0) return 0;
  for (std::size_t i = 0; i < parts.size(); ++i) {
    if (i > 0) std::this_thread::sleep_for(pause);
    // The robot may answer and close before everything is sent.
    if (send(socket, parts[i].data(), parts[i].size(), MSG_NOSIGNAL) < 0) break;
  }
  // The robot closes after its answer (a client that half-closes gets none).
  std::string received;
  char buffer[4096];
  ssize_t got;
  while ((got = recv(socket, buffer, sizeof buffer, 0)) > 0) received.append(buffer, got);
  close(socket);
  if (answer) *answer = received;
  return StatusOf(received);
}

std::vector<std::string> FilesOutsideRobot(const fs::path& folder) {
  std::vector<std::string> files;
  for (auto it = fs::recursive_directory_iterator(folder); it != fs::recursive_directory_iterator(); ++it) {
    const std::string relative = fs::relative(it->path(), folder).generic_string();
    if (relative == "robot" || relative == "results") {
      it.disable_recursion_pending();
      continue;
    }
    files.push_back(relative);
  }
  std::sort(files.begin(), files.end());
  return files;
}

}  // namespace robot_testing
