// The robot as its own process under load, killed in the middle of it, and stopped
// while a request is in flight. Loopback only; every loop is bounded.
#include <httplib.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sqlite3.h>

#include <atomic>
#include <cstdlib>
#include <fstream>
#include <iterator>
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

TEST(RobotUnderLoad, FortyClientsFiveHundredUploadsEveryOneReceiptedAndStored) {
  const ContestFolder contest(4, 10);
  RobotProcess robot(contest.Path(), {"--connections-per-address", std::to_string(kClients)});
  Sent sent;
  Load(robot.Port(), sent);
  EXPECT_TRUE(sent.failures.empty()) << sent.failures.size() << " failed, the first " << sent.failures.front();
  ASSERT_EQ(sent.receipts.size(), static_cast<std::size_t>(kUploads));
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
  RobotProcess again(contest.Path());
  httplib::Client client("127.0.0.1", again.Port());
  const httplib::Headers bearer = {{"Authorization", "Bearer " + Token(contest.Path())}};
  for (const auto& [call, receipt] : sent.receipts) {
    const auto original = client.Get("/organiser/logs/" + receipt, bearer);
    ASSERT_TRUE(original) << call;
    EXPECT_EQ(original->status, 200) << call;
    EXPECT_EQ(original->body, sent.logs[call]) << call;
  }
  EXPECT_EQ(client.Post("/api/logs", CabrilloLog("Q9NEW", 5), "text/plain")->status, 200);
  EXPECT_EQ(again.End(SIGTERM), 0);
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

// zelta backup in the middle of a load: a robot started on the copy serves every
// upload receipted before the backup began, byte for byte.
TEST(RobotUnderLoad, BackedUpInTheMiddleTheCopyHoldsEveryUploadReceiptedBefore) {
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
  EXPECT_TRUE(sent.failures.empty()) << sent.failures.front();
  ASSERT_EQ(backedUp, 0);
  EXPECT_LT(receiptsWhenDone, kUploads) << "the load ended before the backup did";
  EXPECT_EQ(robot.End(SIGTERM), 0);
  EXPECT_EQ(fs::status(copy).permissions() & fs::perms::all, fs::perms::owner_read | fs::perms::owner_write)
      << "the copy is as private as the robot's folder";
  for (const auto& entry : fs::directory_iterator(restored.Path())) {
    EXPECT_EQ(entry.path().filename().string().find(".partial"), std::string::npos) << "left behind";
  }

  fs::create_directories(restored.Path() / "robot");
  fs::rename(copy, restored.Path() / "robot" / "robot.sqlite3");
  RobotProcess again(restored.Path());
  httplib::Client client("127.0.0.1", again.Port());
  const httplib::Headers bearer = {{"Authorization", "Bearer " + Token(restored.Path())}};
  for (const auto& [call, receipt] : before) {
    const auto original = client.Get("/organiser/logs/" + receipt, bearer);
    ASSERT_TRUE(original) << call;
    ASSERT_EQ(original->status, 200) << call;
    EXPECT_EQ(original->body, sent.logs[call]) << call;
  }
  EXPECT_EQ(client.Post("/api/logs", CabrilloLog("Q9NEW", 5), "text/plain")->status, 200)
      << "the robot takes uploads on the copy";
  EXPECT_EQ(again.End(SIGTERM), 0);
}

// The published results read over and over while later checks write theirs: every
// answer is the published page, whole, and the checks change nothing public.
TEST(RobotUnderLoad, ThePublishedResultsStayWholeWhileChecksRun) {
  const ContestFolder contest(30, 120);
  RobotProcess robot(contest.Path());
  httplib::Client client("127.0.0.1", robot.Port());
  client.set_read_timeout(std::chrono::seconds(120));
  const httplib::Headers bearer = {{"Authorization", "Bearer " + Token(contest.Path())}};
  for (const fs::path& log : contest.Logs()) {
    std::ifstream in(log, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_EQ(client.Post("/api/logs", bytes, "text/plain")->status, 200) << log;
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
  checking = false;
  for (std::thread& reader : readers) reader.join();
  EXPECT_GT(reads, 0);
  EXPECT_TRUE(wrong.empty()) << wrong.size() << " of " << reads << " answers were not the published page: "
                             << wrong.front();
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
                                       {{"Authorization", "Bearer " + Token(contest.Path())}});
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

TEST(RobotUnderLoad, StopsOnSigtermAfterFinishingTheRequestInFlight) {
  const ContestFolder contest(4, 10);
  RobotProcess robot(contest.Path());
  const std::string log = CabrilloLog("Q1SLOW", 40);
  const std::string head = "POST /api/logs HTTP/1.1\r\nHost: x\r\nContent-Length: " + std::to_string(log.size()) + "\r\n\r\n";
  std::string answer;
  std::thread upload([&] {
    SendRaw(robot.Port(), {head + log.substr(0, 100), log.substr(100)}, std::chrono::milliseconds(600), &answer);
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  kill(robot.Pid(), SIGTERM);
  upload.join();
  EXPECT_EQ(answer.substr(0, 12), "HTTP/1.1 200") << answer;
  EXPECT_EQ(robot.End(SIGTERM), 0);
  std::string integrity;
  EXPECT_EQ(Database(contest.Path(), integrity).count("Q1SLOW"), 1u);
}

}  // namespace
