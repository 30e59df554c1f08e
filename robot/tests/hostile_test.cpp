// The robot as its own process against clients without the organiser's token that
// try to exhaust it, stall it or keep it from stopping: each attack is cut off, the
// memory stays bounded, and an honest entrant from another address gets the receipt
// meanwhile. Loopback only (127.0.0.0/8); every loop is bounded.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <fstream>
#include <thread>

#include "robot/tests/robot_test_support.h"

namespace {

using namespace robot_testing;
using Clock = std::chrono::steady_clock;

constexpr std::size_t kMaxUploadKb = 10240;   // the robot's default

// A connection from `from` (an address of 127.0.0.0/8) to the robot; -1 if refused.
int Connect(int port, const std::string& from) {
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in source{};
  source.sin_family = AF_INET;
  inet_pton(AF_INET, from.c_str(), &source.sin_addr);
  sockaddr_in robot{};
  robot.sin_family = AF_INET;
  robot.sin_port = htons(static_cast<uint16_t>(port));
  robot.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  timeval timeout{20, 0};  // no read of the test waits longer
  setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
  if (bind(fd, reinterpret_cast<sockaddr*>(&source), sizeof source) != 0 ||
      connect(fd, reinterpret_cast<sockaddr*>(&robot), sizeof robot) != 0) {
    close(fd);
    return -1;
  }
  return fd;
}

// What the robot answers, as far as it has come, without waiting.
void TakeAnswer(int fd, std::string& answer) {
  char buffer[4096];
  ssize_t got;
  while ((got = recv(fd, buffer, sizeof buffer, MSG_DONTWAIT)) > 0) answer.append(buffer, static_cast<std::size_t>(got));
}

int Status(const std::string& answer) {
  return answer.compare(0, 9, "HTTP/1.1 ") == 0 ? std::atoi(answer.c_str() + 9) : 0;
}

// An attack: `head`, then `more()` sent again and again until the robot answers or
// drops the connection, at most `bound` bytes. The answer's status, and in `sent` the
// bytes sent.
int Flood(int port, const std::string& head, const std::function<std::string()>& more, std::size_t bound,
          std::size_t& sent) {
  const int fd = Connect(port, "127.0.0.1");
  if (fd < 0) return -1;
  std::string answer;
  sent = 0;
  std::string chunk = head;
  while (sent < bound && answer.empty()) {
    const ssize_t n = send(fd, chunk.data(), chunk.size(), MSG_NOSIGNAL);
    if (n < 0) break;
    sent += static_cast<std::size_t>(n);
    TakeAnswer(fd, answer);
    chunk = more();
  }
  // The answer, if it has not come yet (SO_RCVTIMEO bounds the wait).
  char buffer[4096];
  ssize_t got;
  while (answer.size() < 12 && (got = recv(fd, buffer, sizeof buffer, 0)) > 0) answer.append(buffer, static_cast<std::size_t>(got));
  close(fd);
  return Status(answer);
}

// The robot's resident memory and its peak, in KB.
std::pair<long, long> Memory(pid_t pid) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/status");
  long rss = 0, peak = 0;
  for (std::string line; std::getline(in, line);) {
    if (line.rfind("VmRSS:", 0) == 0) rss = std::atol(line.c_str() + 6);
    if (line.rfind("VmHWM:", 0) == 0) peak = std::atol(line.c_str() + 6);
  }
  return {rss, peak};
}

// An honest upload from 127.0.0.2; its status, and the seconds it took.
std::pair<int, double> HonestUpload(int port, const std::string& call) {
  const auto start = Clock::now();
  const std::string log = CabrilloLog(call, 40);
  const int fd = Connect(port, "127.0.0.2");
  if (fd < 0) return {-1, 0};
  const std::string request = "POST /api/logs HTTP/1.1\r\nHost: x\r\nContent-Length: " + std::to_string(log.size()) +
                              "\r\n\r\n" + log;
  send(fd, request.data(), request.size(), MSG_NOSIGNAL);
  std::string answer;
  char buffer[4096];
  ssize_t got;
  while ((got = recv(fd, buffer, sizeof buffer, 0)) > 0) answer.append(buffer, static_cast<std::size_t>(got));
  close(fd);
  return {Status(answer), std::chrono::duration<double>(Clock::now() - start).count()};
}

// Slow and idle clients spread over many addresses: each slow one sends its head a
// byte a second. `closedByRobot` counts those the robot has closed when the time is up.
struct Crowd {
  std::vector<int> slow, idle;
  std::atomic<bool> done{false};
  int closedByRobot = 0;
  std::thread dribbling;

  Crowd(int port, int slowCount, int idleCount, std::chrono::seconds time) {
    for (int i = 0; i < slowCount; ++i) slow.push_back(Connect(port, "127.0.1." + std::to_string(1 + i % 50)));
    for (int i = 0; i < idleCount; ++i) idle.push_back(Connect(port, "127.0.2." + std::to_string(1 + i % 20)));
    dribbling = std::thread([this, time] {
      const std::string head = "POST /submit HTTP/1.1\r\nHost: x\r\nX-Slow: ";
      const auto end = Clock::now() + time;
      for (std::size_t byte = 0; Clock::now() < end; ++byte) {
        for (const int fd : slow) {
          if (fd >= 0) send(fd, &head[byte % head.size()], 1, MSG_NOSIGNAL | MSG_DONTWAIT);
        }
        std::this_thread::sleep_for(std::chrono::seconds(1));
      }
      for (const std::vector<int>* fds : {&slow, &idle}) {
        for (const int fd : *fds) {
          pollfd p{fd, POLLIN, 0};
          char c;
          // Closed by the robot: readable, and at its end (or reset) once its answer is read.
          if (fd < 0) {
            ++closedByRobot;  // refused at once
          } else if (poll(&p, 1, 0) == 1) {
            std::string answer;
            TakeAnswer(fd, answer);
            if (recv(fd, &c, 1, MSG_DONTWAIT) <= 0 && errno != EAGAIN) ++closedByRobot;
          }
        }
      }
      done = true;
    });
  }
  ~Crowd() {
    if (dribbling.joinable()) dribbling.join();
    for (const std::vector<int>* fds : {&slow, &idle}) {
      for (const int fd : *fds) {
        if (fd >= 0) close(fd);
      }
    }
  }
};

TEST(RobotHostile, EachAttackIsCutOffMemoryStaysBoundedAndAnHonestEntrantIsServed) {
  const ContestFolder contest(4, 10);
  RobotProcess robot(contest.Path());
  const int port = robot.Port();
  ASSERT_EQ(HonestUpload(port, "Q1AAA").first, 200);  // the plug-in loaded, the store open
  const long before = Memory(robot.Pid()).first;

  // Hundreds of connections open: 160 sending a byte a second, 64 idle, over 70 addresses.
  Crowd crowd(port, 160, 64, std::chrono::seconds(13));
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  const auto [honest, seconds] = HonestUpload(port, "Q1BBB");
  EXPECT_EQ(honest, 200);
  EXPECT_LT(seconds, 2.0) << "the honest upload waited behind the slow clients";

  // One address holds a few connections at once; the next is told at once.
  std::vector<int> many;
  for (int i = 0; i < 8; ++i) many.push_back(Connect(port, "127.0.0.3"));
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  const int ninth = Connect(port, "127.0.0.3");
  std::string busy;
  char byte;
  while (ninth >= 0 && recv(ninth, &byte, 1, 0) == 1) busy += byte;
  EXPECT_EQ(Status(busy), 503);
  for (const int fd : many) close(fd);
  if (ninth >= 0) close(ninth);

  const std::string block(65536, 'x');
  const auto chunk = [&] { return "10000\r\n" + block + "\r\n"; };
  std::size_t sent = 0;
  constexpr std::size_t kBound = 512u << 20;  // far more than any attack may send
  // Bodies of every framing where no body or a small one is taken.
  EXPECT_EQ(Flood(port, "POST /organiser/login HTTP/1.1\r\nHost: x\r\nTransfer-Encoding: chunked\r\n\r\n", chunk,
                  kBound, sent), 413);
  EXPECT_LT(sent, 64u << 20);
  EXPECT_EQ(Flood(port, "POST /nowhere HTTP/1.1\r\nHost: x\r\nTransfer-Encoding: chunked\r\n\r\n", chunk, kBound, sent),
            413);
  EXPECT_EQ(Flood(port, "POST /api/publish HTTP/1.1\r\nHost: x\r\nTransfer-Encoding: identity\r\n\r\n",
                  [&] { return block; }, kBound, sent), 400);
  EXPECT_EQ(Flood(port, "GET / HTTP/1.1\r\nHost: x\r\nContent-Length: 100000\r\n\r\n", [&] { return block; }, kBound,
                  sent), 413);
  // Header lines without end, small or large.
  EXPECT_EQ(Flood(port, "GET / HTTP/1.1\r\n", [] { return std::string("X-A: b\r\n"); }, kBound, sent), 431);
  EXPECT_EQ(Flood(port, "GET / HTTP/1.1\r\nX-A: ", [&] { return block; }, kBound, sent), 431);
  // An upload whose body never reaches a boundary: every byte counts.
  const std::string multipart =
      "POST /submit HTTP/1.1\r\nHost: x\r\nTransfer-Encoding: chunked\r\n"
      "Content-Type: multipart/form-data; boundary=XyZ\r\n\r\n";
  EXPECT_EQ(Flood(port, multipart, chunk, kBound, sent), 413);
  EXPECT_LT(sent, (kMaxUploadKb << 10) + (16u << 20));
  EXPECT_EQ(Flood(port, "POST /api/logs HTTP/1.1\r\nHost: x\r\nContent-Length: 99999999999\r\n\r\n",
                  [&] { return block; }, kBound, sent), 413);

  // Still serving the honest, the crowd still connected.
  const auto [again, secondsAgain] = HonestUpload(port, "Q1CCC");
  EXPECT_EQ(again, 200);
  EXPECT_LT(secondsAgain, 2.0);
  EXPECT_FALSE(crowd.done);
  crowd.dribbling.join();
  EXPECT_EQ(crowd.closedByRobot, 224) << "every slow or idle client is cut off within its head's time";
  const auto [rss, peak] = Memory(robot.Pid());
  EXPECT_LT(peak - before, 64 * 1024) << "KB of peak growth; now " << rss - before;
}

TEST(RobotHostile, SigtermWithASlowClientConnectedStopsWithinFifteenSeconds) {
  const ContestFolder contest(4, 10);
  RobotProcess robot(contest.Path());
  const int slow = Connect(robot.Port(), "127.0.0.1");
  ASSERT_GE(slow, 0);
  const std::string head = "POST /api/logs HTTP/1.1\r\nHost: x\r\nContent-Length: 1000\r\n\r\nQSO";
  send(slow, head.data(), head.size(), MSG_NOSIGNAL);  // its body goes on never
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  EXPECT_EQ(robot.End(SIGTERM, std::chrono::seconds(15)), 0) << "-1: still running 15 s after SIGTERM";
  close(slow);
}

}  // namespace
