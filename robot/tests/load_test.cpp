// The robot as its own process: under load, killed in the middle of it, stopped while
// a request is in flight, and against clients without the organiser's token that try
// to exhaust it or stall it (each attack is cut off, the memory stays bounded, and an
// honest entrant gets the receipt meanwhile). Loopback only (127.0.0.0/8); every loop
// is bounded.
#include <httplib.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sqlite3.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <fstream>
#include <map>
#include <mutex>
#include <thread>

#include "robot/json_text.h"
#include "robot/tests/robot_test_support.h"

namespace {

using namespace robot_testing;

constexpr int kClients = 40;
constexpr int kUploads = 500;

std::string Call(int i) { return "Q" + std::to_string(i % 10) + "L" + std::string(1, 'A' + i / 260 % 26) + std::string(1, 'A' + i / 10 % 26); }

// What the clients sent and got: receipt by call, for each upload answered with one.
struct Sent {
  std::mutex mutex;
  std::map<std::string, std::string> receipts;
  std::map<std::string, std::string> logs;     // every log sent, by call
  std::vector<std::string> failures;          // "call: what went wrong"
};

// kClients clients upload kUploads logs of different calls; each stops at its first
// failure. `each` runs after every receipt.
void Load(int port, Sent& sent, const std::function<void(int receipts)>& each = nullptr) {
  std::atomic<int> next{0};
  std::vector<std::thread> clients;
  for (int c = 0; c < kClients; ++c) {
    clients.emplace_back([&] {
      httplib::Client client("127.0.0.1", port);
      client.set_read_timeout(std::chrono::seconds(60));
      for (int i = next++; i < kUploads; i = next++) {
        const std::string call = Call(i);
        const std::string log = CabrilloLog(call, 30 + i % 50);
        {
          const std::lock_guard lock(sent.mutex);
          sent.logs[call] = log;
        }
        const auto answer = client.Post("/api/logs", log, "text/plain");
        const std::lock_guard lock(sent.mutex);
        if (!answer || answer->status != 200) {
          sent.failures.push_back(call + ": " + (answer ? std::to_string(answer->status) + " " + answer->body
                                                        : httplib::to_string(answer.error())));
          return;
        }
        sent.receipts[call] = robot::JsonField(answer->body, "receipt").value_or("");
        if (each) each(static_cast<int>(sent.receipts.size()));
      }
    });
  }
  for (std::thread& client : clients) client.join();
}

// Every upload in the robot's database: call, receipt, bytes.
struct Stored {
  std::string receipt;
  std::string bytes;
};
std::map<std::string, Stored> Database(const fs::path& contest, std::string& integrity) {
  sqlite3* db = nullptr;
  std::map<std::string, Stored> rows;
  if (sqlite3_open_v2((contest / "robot" / "robot.sqlite3").c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
    return rows;
  }
  sqlite3_stmt* statement = nullptr;
  sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &statement, nullptr);
  if (sqlite3_step(statement) == SQLITE_ROW) integrity = reinterpret_cast<const char*>(sqlite3_column_text(statement, 0));
  sqlite3_finalize(statement);
  sqlite3_prepare_v2(db, "SELECT call, receipt, content FROM uploads", -1, &statement, nullptr);
  while (sqlite3_step(statement) == SQLITE_ROW) {
    const auto* content = static_cast<const char*>(sqlite3_column_blob(statement, 2));
    rows[reinterpret_cast<const char*>(sqlite3_column_text(statement, 0))] = {
        reinterpret_cast<const char*>(sqlite3_column_text(statement, 1)),
        std::string(content, static_cast<std::size_t>(sqlite3_column_bytes(statement, 2)))};
  }
  sqlite3_finalize(statement);
  sqlite3_close(db);
  return rows;
}

// A robot started again on `contest` serves every upload of `receipts` (receipt by
// call) byte for byte as sent, and takes a new one.
void ExpectServedAsSent(const fs::path& contest, const std::map<std::string, std::string>& receipts,
                        Sent& sent) {
  RobotProcess again(contest);
  httplib::Client client("127.0.0.1", again.Port());
  for (const auto& [call, receipt] : receipts) {
    const auto original = client.Get("/organiser/logs/" + receipt, Bearer(contest));
    ASSERT_TRUE(original) << call;
    EXPECT_EQ(original->status, 200) << call;
    EXPECT_EQ(original->body, sent.logs[call]) << call;
  }
  EXPECT_EQ(client.Post("/api/logs", CabrilloLog("Q9NEW", 5), "text/plain")->status, 200);
  EXPECT_EQ(again.End(SIGTERM), 0);
}

TEST(RobotUnderLoad, KilledInTheMiddleLosesNoReceiptedUploadAndHalfStoresNone) {
  const ContestFolder contest(4, 10);
  Sent sent;
  {
    RobotProcess robot(contest.Path(), {"--connections-per-address", std::to_string(kClients)});
    std::atomic<bool> killed{false};
    Load(robot.Port(), sent, [&](int receipts) {
      if (receipts >= kUploads / 3 && !killed.exchange(true)) kill(robot.Pid(), SIGKILL);
    });
    EXPECT_EQ(robot.End(SIGKILL), 128 + SIGKILL);
  }
  ASSERT_GE(sent.receipts.size(), static_cast<std::size_t>(kUploads / 3));
  ASSERT_LT(sent.receipts.size(), static_cast<std::size_t>(kUploads)) << "the robot was not killed in time";

  // Started again, it serves every receipted upload byte for byte, holds only what was
  // sent (an upload committed as the robot died may have no receipt), and goes on.
  ExpectServedAsSent(contest.Path(), sent.receipts, sent);
  std::string integrity;
  const auto rows = Database(contest.Path(), integrity);
  EXPECT_EQ(integrity, "ok");
  EXPECT_LE(rows.size(), sent.receipts.size() + kClients + 1);
  for (const auto& [call, row] : rows) {
    if (call == "Q9NEW") continue;
    ASSERT_TRUE(sent.logs.count(call)) << call << " was never sent";
    EXPECT_EQ(row.bytes, sent.logs[call]) << call;
  }
}

// Forty clients, five hundred uploads, and zelta backup in the middle of them: every
// upload receipted and stored, and a robot started on the copy serves every upload
// receipted before the backup began, byte for byte.
TEST(RobotUnderLoad, EveryUploadStoredAndABackupInTheMiddleHoldsEveryOneReceiptedBefore) {
  const ContestFolder contest(4, 10);
  const ContestFolder restored(4, 10);
  const fs::path copy = restored.Path() / "robot.sqlite3";
  RobotProcess robot(contest.Path(), {"--connections-per-address", std::to_string(kClients)});
  Sent sent;
  std::map<std::string, std::string> before;  // receipt by call, as the backup began
  std::thread backup;
  std::atomic<int> backedUp{-1};
  std::atomic<int> receiptsWhenDone{0};
  Load(robot.Port(), sent, [&](int receipts) {
    if (receipts < kUploads / 3 || backup.joinable()) return;
    before = sent.receipts;  // under the clients' lock
    backup = std::thread([&] {
      const std::string command = ZeltaPath() + " backup " + contest.Path().string() + " " + copy.string();
      backedUp = std::system(command.c_str());
      const std::lock_guard lock(sent.mutex);
      receiptsWhenDone = static_cast<int>(sent.receipts.size());
    });
  });
  backup.join();
  EXPECT_TRUE(sent.failures.empty()) << sent.failures.size() << " failed, the first " << sent.failures.front();
  ASSERT_EQ(sent.receipts.size(), static_cast<std::size_t>(kUploads));
  ASSERT_EQ(backedUp, 0);
  EXPECT_LT(receiptsWhenDone, kUploads) << "the load ended before the backup did";
  EXPECT_EQ(robot.End(SIGTERM), 0);
  std::string integrity;
  const auto rows = Database(contest.Path(), integrity);
  EXPECT_EQ(integrity, "ok");
  ASSERT_EQ(rows.size(), static_cast<std::size_t>(kUploads));
  for (const auto& [call, receipt] : sent.receipts) {
    const auto row = rows.find(call);
    ASSERT_NE(row, rows.end()) << call;
    EXPECT_EQ(row->second.receipt, receipt) << call;
    EXPECT_EQ(row->second.bytes, sent.logs[call]) << call;
  }

  EXPECT_EQ(fs::status(copy).permissions() & fs::perms::all, fs::perms::owner_read | fs::perms::owner_write)
      << "the copy is as private as the robot's folder";
  for (const auto& entry : fs::directory_iterator(restored.Path())) {
    EXPECT_EQ(entry.path().filename().string().find(".partial"), std::string::npos) << "left behind";
  }
  fs::create_directories(restored.Path() / "robot");
  fs::rename(copy, restored.Path() / "robot" / "robot.sqlite3");
  ExpectServedAsSent(restored.Path(), before, sent);
}

// The published results read over and over while later checks write theirs, and one
// fails: every answer is the published page, whole, and the checks change nothing
// public; the organiser sees the newest check beside it and publishes that when ready.
TEST(RobotUnderLoad, ThePublishedResultsStayWholeWhileChecksRun) {
  const ContestFolder contest(30, 120);
  RobotProcess robot(contest.Path());
  httplib::Client client("127.0.0.1", robot.Port());
  client.set_read_timeout(std::chrono::seconds(120));
  const httplib::Headers bearer = Bearer(contest.Path());
  for (const fs::path& log : contest.Logs()) {
    ASSERT_EQ(client.Post("/api/logs", ReadFileBytes(log), "text/plain")->status, 200) << log;
  }
  ASSERT_EQ(client.Post("/api/check", bearer, "", "text/plain")->status, 200);
  ASSERT_EQ(client.Post("/api/publish", bearer, "", "text/plain")->status, 200);
  const std::string published = client.Get("/results/")->body;
  ASSERT_NE(published.find("</html>"), std::string::npos);

  std::atomic<bool> checking{true};
  std::atomic<int> reads{0};
  std::vector<std::string> wrong;
  std::mutex wrongMutex;
  std::vector<std::thread> readers;
  for (int r = 0; r < 4; ++r) {
    readers.emplace_back([&] {
      httplib::Client reader("127.0.0.1", robot.Port());
      while (checking) {
        const auto page = reader.Get("/results/");
        ++reads;
        if (!page || page->status != 200 || page->body != published) {
          const std::lock_guard lock(wrongMutex);
          wrong.push_back(page ? std::to_string(page->status) + ", " + std::to_string(page->body.size()) + " bytes"
                               : httplib::to_string(page.error()));
        }
      }
    });
  }
  for (int check = 0; check < 3; ++check) {
    ASSERT_EQ(client.Post("/api/logs", CabrilloLog("Q9C" + std::string(1, 'A' + check), 20), "text/plain")->status, 200);
    EXPECT_EQ(client.Post("/api/check", bearer, "", "text/plain")->status, 200);
  }
  const std::string status = client.Get("/api/check", bearer)->body;
  const std::string rules = ReadFileBytes(contest.Path() / "rules.ini");
  std::ofstream(contest.Path() / "rules.ini", std::ios::app) << "Start=never\n";
  EXPECT_EQ(client.Post("/api/check", bearer, "", "text/plain")->status, 500);
  std::ofstream(contest.Path() / "rules.ini", std::ios::trunc) << rules;
  checking = false;
  for (std::thread& reader : readers) reader.join();
  EXPECT_GT(reads, 0);
  EXPECT_TRUE(wrong.empty()) << wrong.size() << " of " << reads << " answers were not the published page: "
                             << wrong.front();
  EXPECT_FALSE(fs::exists(contest.Path() / "results.writing"));
  EXPECT_EQ(robot::JsonField(status, "published"), "true");
  EXPECT_EQ(robot::JsonField(status, "results_checked"), robot::JsonField(status, "finished"));
  EXPECT_NE(robot::JsonField(status, "published_checked").value_or(""), "");
  EXPECT_NE(client.Get("/organiser/results/", bearer)->body.find("Q9CC"), std::string::npos);
  const auto publishing = client.Post("/api/publish", bearer, "", "text/plain");
  EXPECT_EQ(robot::JsonField(publishing->body, "checked"), robot::JsonField(status, "results_checked"));
  EXPECT_NE(client.Get("/results/")->body.find("Q9CC"), std::string::npos);
  EXPECT_EQ(robot.End(SIGTERM), 0);
}

TEST(RobotUnderLoad, LargeLogsBeingScoredHoldUpNoOtherUpload) {
  const ContestFolder contest(4, 10);
  RobotProcess robot(contest.Path());
  std::atomic<int> largeDone{0};
  std::vector<std::thread> large;
  for (const char* call : {"Q1BIG", "Q2BIG"}) {
    large.emplace_back([&, call] {
      httplib::Client client("127.0.0.1", robot.Port());
      client.set_read_timeout(std::chrono::seconds(120));
      const std::string log = CabrilloLog(call, 100000);  // 8 MB
      const auto answer = client.Post("/api/logs", log, "text/plain");
      ASSERT_TRUE(answer && answer->status == 200) << call;
      // A large answer is sent from a file rather than held: whole all the same.
      const auto original = client.Get("/organiser/logs/" + *robot::JsonField(answer->body, "receipt"),
                                       Bearer(contest.Path()));
      EXPECT_TRUE(original && original->body == log) << call << "'s original, as sent";
      ++largeDone;
    });
  }
  std::this_thread::sleep_for(std::chrono::seconds(3));  // both read, both being scored
  httplib::Client client("127.0.0.1", robot.Port());
  const int doneWhenSent = largeDone;
  const auto small = client.Post("/api/logs", CabrilloLog("Q1SMALL", 30), "text/plain");
  const int doneWhenReceipted = largeDone;
  for (std::thread& thread : large) thread.join();
  ASSERT_TRUE(small);
  EXPECT_EQ(small->status, 200);
  EXPECT_EQ(doneWhenReceipted, doneWhenSent) << "the small log waited for a large one to be scored";
}

// SIGTERM while one upload is in flight and a slow client's body goes on never: the
// upload is finished and receipted, and the robot stops within fifteen seconds.
TEST(RobotUnderLoad, StopsOnSigtermAfterTheRequestInFlightWhateverASlowClientDoes) {
  const ContestFolder contest(4, 10);
  RobotProcess robot(contest.Path());
  const int slow = Connect(robot.Port());
  ASSERT_GE(slow, 0);
  const std::string never = "POST /api/logs HTTP/1.1\r\nHost: x\r\nContent-Length: 1000\r\n\r\nQSO";
  send(slow, never.data(), never.size(), MSG_NOSIGNAL);
  const std::string log = CabrilloLog("Q1SLOW", 40);
  const std::string head = "POST /api/logs HTTP/1.1\r\nHost: x\r\nContent-Length: " + std::to_string(log.size()) + "\r\n\r\n";
  std::string answer;
  std::thread upload([&] {
    SendRaw(robot.Port(), {head + log.substr(0, 100), log.substr(100)}, std::chrono::milliseconds(600), &answer);
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  EXPECT_EQ(robot.End(SIGTERM, std::chrono::seconds(15)), 0) << "-1: still running 15 s after SIGTERM";
  upload.join();
  close(slow);
  EXPECT_EQ(answer.substr(0, 12), "HTTP/1.1 200") << answer;
  std::string integrity;
  EXPECT_EQ(Database(contest.Path(), integrity).count("Q1SLOW"), 1u);
}

using Clock = std::chrono::steady_clock;

constexpr std::size_t kMaxUploadKb = 10240;   // the robot's default

// What the robot answers, as far as it has come, without waiting.
void TakeAnswer(int fd, std::string& answer) {
  char buffer[4096];
  ssize_t got;
  while ((got = recv(fd, buffer, sizeof buffer, MSG_DONTWAIT)) > 0) answer.append(buffer, static_cast<std::size_t>(got));
}

// An attack: `head`, then `more()` sent again and again until the robot answers or
// drops the connection, at most `bound` bytes. The answer's status, and in `sent` the
// bytes sent.
int Flood(int port, const std::string& head, const std::function<std::string()>& more, std::size_t bound,
          std::size_t& sent) {
  const int fd = Connect(port);
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
  return StatusOf(answer);
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

// An honest upload, from an address the crowd does not use; its status, and the seconds it took.
std::pair<int, double> HonestUpload(int port, const std::string& call) {
  const auto start = Clock::now();
  const std::string log = CabrilloLog(call, 40);
  const int status = SendRaw(port, {"POST /api/logs HTTP/1.1\r\nHost: x\r\nContent-Length: " +
                                    std::to_string(log.size()) + "\r\n\r\n" + log});
  return {status, std::chrono::duration<double>(Clock::now() - start).count()};
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
  EXPECT_EQ(StatusOf(busy), 503);
  for (const int fd : many) close(fd);
  if (ninth >= 0) close(ninth);

  const std::string block(65536, 'x');
  const std::function<std::string()> chunk = [&] { return "10000\r\n" + block + "\r\n"; };
  const std::function<std::string()> bytes = [&] { return block; };
  constexpr std::size_t kBound = 512u << 20;  // far more than any attack may send
  // Bodies of every framing where no body or a small one is taken; header lines without
  // end, small or large; an upload whose body never reaches a boundary (every byte counts).
  const struct {
    std::string head;
    std::function<std::string()> more;
    int status;
    std::size_t most;  // bytes sent before the robot cuts it off
  } attacks[] = {
      {"POST /organiser/login HTTP/1.1\r\nHost: x\r\nTransfer-Encoding: chunked\r\n\r\n", chunk, 413,
       64u << 20},
      {"POST /nowhere HTTP/1.1\r\nHost: x\r\nTransfer-Encoding: chunked\r\n\r\n", chunk, 413, kBound},
      {"POST /api/publish HTTP/1.1\r\nHost: x\r\nTransfer-Encoding: identity\r\n\r\n", bytes, 400, kBound},
      {"GET / HTTP/1.1\r\nHost: x\r\nContent-Length: 100000\r\n\r\n", bytes, 413, kBound},
      {"GET / HTTP/1.1\r\n", [] { return std::string("X-A: b\r\n"); }, 431, kBound},
      {"GET / HTTP/1.1\r\nX-A: ", bytes, 431, kBound},
      {"POST /submit HTTP/1.1\r\nHost: x\r\nTransfer-Encoding: chunked\r\n"
       "Content-Type: multipart/form-data; boundary=XyZ\r\n\r\n", chunk, 413,
       (kMaxUploadKb << 10) + (16u << 20)},
      {"POST /api/logs HTTP/1.1\r\nHost: x\r\nContent-Length: 99999999999\r\n\r\n", bytes, 413, kBound},
  };
  for (const auto& attack : attacks) {
    std::size_t sent = 0;
    EXPECT_EQ(Flood(port, attack.head, attack.more, kBound, sent), attack.status) << attack.head;
    EXPECT_LT(sent, attack.most) << attack.head;
  }

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

}  // namespace
