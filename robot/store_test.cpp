// The store: who may replace a log, what is kept, and that nothing receipted changes.
#include "robot/store.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include "robot/secrets.h"
#include "tests/support/test_support.h"

namespace {

using robot::Store;
using robot::UploadSummary;
using testing_support::ScopedWorkDir;

UploadSummary Log(const std::string& call, const std::string& email = "") {
  UploadSummary s;
  s.call = call;
  s.format = "cabrillo";
  s.email = email;
  s.sha256 = robot::Sha256Hex(call);
  s.bytes = 10;
  return s;
}

constexpr const char* kNow = "2026-12-06T14:03:12Z";

TEST(Store, ReplacingALogNeedsTheReceiptOfTheCallsNewestUpload) {
  const ScopedWorkDir dir;
  Store store((dir.Path() / "robot.sqlite3").string());
  const auto first = store.Add(Log("Q1ABC"), "first", "", kNow);
  ASSERT_TRUE(first.stored);
  const std::string receipt1 = first.stored->receipt;
  EXPECT_EQ(robot::ReceiptNumber(receipt1), 1);
  EXPECT_EQ(receipt1.substr(0, 16), "R-20261206-0001-");

  std::string almost = receipt1;
  almost.back() = almost.back() == '0' ? '1' : '0';
  struct Case {
    const char* what;
    std::string call;
    std::string replaces;
    bool stored;
  };
  const Case cases[] = {
      {"no receipt", "Q1ABC", "", false},
      {"another case of the call, no receipt", "q1abc", "", false},
      {"a receipt one digit off", "Q1ABC", almost, false},
      {"the receipt", "q1abc", receipt1, true},
      {"the superseded receipt", "Q1ABC", receipt1, false},
      {"the superseded receipt for a call that has no log", "Q2XYZ", receipt1, false},
      {"no receipt for a call that has no log", "Q2XYZ", "", true},
  };
  std::string newest = receipt1;
  for (const Case& c : cases) {
    const auto result = store.Add(Log(c.call), c.what, c.replaces, kNow);
    ASSERT_EQ(result.stored.has_value(), c.stored) << c.what;
    if (!c.stored && c.call == "Q2XYZ") {
      EXPECT_EQ(result.refusal, Store::Refusal::kNotNewest) << c.what;
    } else if (!c.stored) {
      ASSERT_TRUE(result.newestOfCall) << c.what;
      EXPECT_EQ(result.refusal, Store::Refusal::kCallHasLog) << c.what;
      EXPECT_EQ(result.newestOfCall->receipt, newest) << c.what;
    } else if (c.call != "Q2XYZ") {
      EXPECT_EQ(result.stored->replaces, newest) << c.what;
      newest = result.stored->receipt;
    } else {
      EXPECT_FALSE(result.stored->replaces) << c.what;
    }
  }

  // Every upload is kept, the earlier one marked as superseded; the newest counts.
  const auto all = store.All();
  ASSERT_EQ(all.size(), 3u);
  EXPECT_EQ(all[0].supersededBy, newest);
  EXPECT_EQ(store.Content(all[0].id), "first");
  const auto counted = store.Newest();
  ASSERT_EQ(counted.size(), 2u);
  EXPECT_EQ(counted[0].receipt, newest);
  EXPECT_EQ(store.Content(counted[0].id), "the receipt");
  EXPECT_EQ(counted[1].summary.call, "Q2XYZ");

  // The refused attempts are there for the organiser, and whether a receipt was tried.
  const auto attempts = store.Attempts();
  ASSERT_EQ(attempts.size(), 5u);
  EXPECT_FALSE(attempts[0].receiptGiven);
  EXPECT_TRUE(attempts[2].receiptGiven);
  EXPECT_TRUE(attempts[3].receiptGiven);
  EXPECT_EQ(attempts[4].call, "Q2XYZ");
  EXPECT_EQ(store.AttemptContent(attempts[2].id), "a receipt one digit off") << "its bytes are kept";
  EXPECT_TRUE(attempts[2].kept);
  EXPECT_FALSE(store.AttemptContent(attempts[4].id + 1));
}

TEST(Store, FindsAReceiptOnlyWhenEveryCharacterIsRight) {
  const ScopedWorkDir dir;
  Store store((dir.Path() / "robot.sqlite3").string());
  const std::string receipt = store.Add(Log("Q1ABC"), "x", "", kNow).stored->receipt;
  ASSERT_TRUE(store.Find(receipt));
  std::string wrongRandom = receipt;
  wrongRandom[wrongRandom.size() - 5] = wrongRandom[wrongRandom.size() - 5] == 'a' ? 'b' : 'a';
  for (const std::string& text :
       {wrongRandom, robot::ReceiptStem(receipt), std::string(), receipt + "0",
        std::string("R-20261206-0001-../../etc/passwd"), std::string("R-20261206-0000-0123456789abcdef")}) {
    EXPECT_FALSE(store.Find(text)) << text;
  }
}

TEST(Store, KeepsEveryUploadAcrossReopeningAndRefusesToChangeOne) {
  const ScopedWorkDir dir;
  const std::string path = (dir.Path() / "robot.sqlite3").string();
  std::string receipt;
  {
    Store store(path);
    receipt = store.Add(Log("Q1ABC", "op@example.org"), std::string("\0\xFF\r\n", 4), "", kNow, true)
                  .stored->receipt;
    store.SetSetting("published", "1");
    EXPECT_FALSE(store.Add(Log("Q1ABC"), "refused", "", kNow).stored);
    EXPECT_EQ(store.AddDecision({0, "", "Q1ABC", "checklog", "1", "asked"}, kNow).id, 1);
  }
  Store store(path);
  const auto found = store.Find(receipt);
  ASSERT_TRUE(found);
  EXPECT_EQ(found->summary.email, "op@example.org");
  EXPECT_TRUE(found->late);
  EXPECT_EQ(store.Content(found->id), std::string("\0\xFF\r\n", 4));
  EXPECT_EQ(store.Setting("published"), "1");

  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
  for (const char* sql : {"DELETE FROM uploads", "UPDATE uploads SET call = 'Q9ZZZ'",
                          "UPDATE uploads SET content = x'00'", "UPDATE late_uploads SET upload_id = 2",
                          "DELETE FROM late_uploads", "DELETE FROM attempt_contents",
                          "UPDATE decisions SET value = '0'", "DELETE FROM decisions"}) {
    EXPECT_NE(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK) << sql;
  }
  EXPECT_EQ(store.All().size(), 1u);
  EXPECT_EQ(store.Decisions().at(0).value, "1");
  sqlite3_close(db);
}

// A database of the robot's first version (no problem counts, late logs, attempts or
// decisions): opened, it keeps its receipts and gains what it lacks.
TEST(Store, ADatabaseOfTheFirstVersionKeepsItsReceipts) {
  const ScopedWorkDir dir;
  const std::string path = (dir.Path() / "robot.sqlite3").string();
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(db,
                         "CREATE TABLE uploads(id INTEGER PRIMARY KEY, receipt TEXT NOT NULL UNIQUE, call TEXT NOT NULL,"
                         " call_key TEXT NOT NULL, received TEXT NOT NULL, replaces TEXT, format TEXT NOT NULL,"
                         " category TEXT NOT NULL, email TEXT NOT NULL, sha256 TEXT NOT NULL, bytes INTEGER NOT NULL,"
                         " qsos INTEGER NOT NULL, counted INTEGER NOT NULL, repeats INTEGER NOT NULL,"
                         " refused INTEGER NOT NULL, skipped_lines INTEGER NOT NULL, claimed_score INTEGER NOT NULL,"
                         " log_claimed_score INTEGER, problems TEXT NOT NULL, content BLOB NOT NULL);"
                         "INSERT INTO uploads VALUES(1, 'R-20261206-0001-0123456789abcdef', 'Q1ABC', 'Q1ABC',"
                         " '2026-12-06T14:03:12Z', NULL, 'cabrillo', '', '', 'x', 1, 1, 1, 0, 0, 0, 1, NULL,"
                         " '[{\"line\": 3, \"text\": \"t\"}]', x'00')",
                         nullptr, nullptr, nullptr),
            SQLITE_OK);
  sqlite3_close(db);
  Store store(path);
  const auto old = store.Find("R-20261206-0001-0123456789abcdef");
  ASSERT_TRUE(old);
  EXPECT_EQ(old->summary.problemsJson, "[{\"line\": 3, \"text\": \"t\"}]");
  EXPECT_EQ(old->summary.problemCountsJson, "{}");
  EXPECT_FALSE(old->late);
  UploadSummary counted = Log("Q2ABC");
  counted.problemCountsJson = "{\"refused\": 2}";
  const auto added = store.Find(store.Add(counted, "x", "", kNow, true).stored->receipt);
  EXPECT_EQ(added->summary.problemCountsJson, "{\"refused\": 2}");
  EXPECT_TRUE(added->late);
  EXPECT_FALSE(store.Add(Log("Q2ABC"), "refused", "", kNow).stored);
  EXPECT_EQ(store.AddDecision({0, "", "Q2ABC", "checklog", "1", "asked"}, kNow).id, 1);
}

}  // namespace
