#include "robot/store.h"

#include <sqlite3.h>

#include "robot/secrets.h"
#include "text/ascii_text.h"

namespace robot {
namespace {

constexpr const char* kSchema =
    "CREATE TABLE IF NOT EXISTS uploads("
    " id INTEGER PRIMARY KEY, receipt TEXT NOT NULL UNIQUE, call TEXT NOT NULL,"
    " call_key TEXT NOT NULL, received TEXT NOT NULL, replaces TEXT,"
    " format TEXT NOT NULL, category TEXT NOT NULL, email TEXT NOT NULL,"
    " sha256 TEXT NOT NULL, bytes INTEGER NOT NULL, qsos INTEGER NOT NULL,"
    " counted INTEGER NOT NULL, repeats INTEGER NOT NULL, refused INTEGER NOT NULL,"
    " skipped_lines INTEGER NOT NULL, claimed_score INTEGER NOT NULL,"
    " log_claimed_score INTEGER, problems TEXT NOT NULL, content BLOB NOT NULL);"
    "CREATE INDEX IF NOT EXISTS uploads_by_call ON uploads(call_key, id);"
    // An upload, once receipted, stays as it was.
    "CREATE TRIGGER IF NOT EXISTS uploads_never_change BEFORE UPDATE ON uploads"
    " BEGIN SELECT RAISE(ABORT, 'an upload is never changed'); END;"
    "CREATE TRIGGER IF NOT EXISTS uploads_never_deleted BEFORE DELETE ON uploads"
    " BEGIN SELECT RAISE(ABORT, 'an upload is never deleted'); END;"
    "CREATE TABLE IF NOT EXISTS replacement_attempts("
    " id INTEGER PRIMARY KEY, at TEXT NOT NULL, call TEXT NOT NULL,"
    " receipt_given INTEGER NOT NULL, sha256 TEXT NOT NULL, bytes INTEGER NOT NULL,"
    " email TEXT NOT NULL);"
    "CREATE TABLE IF NOT EXISTS settings(key TEXT PRIMARY KEY, value TEXT NOT NULL);";

// Every column of an upload but its bytes, and the receipt of the upload after it.
constexpr const char* kUploadColumns =
    "SELECT u.id, u.receipt, u.received, u.replaces,"
    " (SELECT n.receipt FROM uploads n WHERE n.call_key = u.call_key AND n.id > u.id"
    "  ORDER BY n.id LIMIT 1),"
    " u.call, u.format, u.category, u.email, u.sha256, u.bytes, u.qsos, u.counted,"
    " u.repeats, u.refused, u.skipped_lines, u.claimed_score, u.log_claimed_score,"
    " u.problems, u.problem_counts FROM uploads u ";

class Statement {
 public:
  Statement(sqlite3* db, const char* sql) : db_(db) {
    if (sqlite3_prepare_v2(db, sql, -1, &statement_, nullptr) != SQLITE_OK) Fail("prepare");
  }
  ~Statement() { sqlite3_finalize(statement_); }
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;

  Statement& Bind(int index, const std::string& text) {
    Check(sqlite3_bind_text(statement_, index, text.data(), static_cast<int>(text.size()),
                            SQLITE_TRANSIENT));
    return *this;
  }
  Statement& BindBlob(int index, const std::string& bytes) {
    Check(sqlite3_bind_blob64(statement_, index, bytes.data(), bytes.size(), SQLITE_STATIC));
    return *this;
  }
  Statement& Bind(int index, long long value) {
    Check(sqlite3_bind_int64(statement_, index, value));
    return *this;
  }
  Statement& BindNull(int index) {
    Check(sqlite3_bind_null(statement_, index));
    return *this;
  }
  // True while there is a row.
  bool Step() {
    const int status = sqlite3_step(statement_);
    if (status == SQLITE_ROW) return true;
    if (status != SQLITE_DONE) Fail("step");
    return false;
  }
  bool IsNull(int column) const { return sqlite3_column_type(statement_, column) == SQLITE_NULL; }
  long long Int(int column) const { return sqlite3_column_int64(statement_, column); }
  std::string Text(int column) const {
    const void* data = sqlite3_column_blob(statement_, column);
    const int size = sqlite3_column_bytes(statement_, column);
    return data == nullptr ? std::string() : std::string(static_cast<const char*>(data), size);
  }

 private:
  void Check(int status) {
    if (status != SQLITE_OK) Fail("bind");
  }
  [[noreturn]] void Fail(const char* what) {
    throw StoreError(std::string("the robot's database failed (") + what + "): " +
                     sqlite3_errmsg(db_));
  }
  sqlite3* db_;
  sqlite3_stmt* statement_ = nullptr;
};

void Execute(sqlite3* db, const char* sql) {
  char* message = nullptr;
  if (sqlite3_exec(db, sql, nullptr, nullptr, &message) != SQLITE_OK) {
    const std::string text = message ? message : sqlite3_errmsg(db);
    sqlite3_free(message);
    throw StoreError("the robot's database failed: " + text);
  }
}

// Rolls back an open transaction unless it was committed.
class Transaction {
 public:
  explicit Transaction(sqlite3* db) : db_(db) { Execute(db_, "BEGIN IMMEDIATE"); }
  ~Transaction() {
    if (!done_) sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
  }
  void Commit() {
    Execute(db_, "COMMIT");
    done_ = true;
  }

 private:
  sqlite3* db_;
  bool done_ = false;
};

Upload ReadUpload(const Statement& row) {
  Upload upload;
  upload.id = row.Int(0);
  upload.receipt = row.Text(1);
  upload.received = row.Text(2);
  if (!row.IsNull(3)) upload.replaces = row.Text(3);
  if (!row.IsNull(4)) upload.supersededBy = row.Text(4);
  UploadSummary& s = upload.summary;
  s.call = row.Text(5);
  s.format = row.Text(6);
  s.category = row.Text(7);
  s.email = row.Text(8);
  s.sha256 = row.Text(9);
  s.bytes = row.Int(10);
  s.qsos = static_cast<int>(row.Int(11));
  s.counted = static_cast<int>(row.Int(12));
  s.repeats = static_cast<int>(row.Int(13));
  s.refused = static_cast<int>(row.Int(14));
  s.skippedLines = static_cast<int>(row.Int(15));
  s.claimedScore = static_cast<int>(row.Int(16));
  if (!row.IsNull(17)) s.logClaimedScore = row.Int(17);
  s.problemsJson = row.Text(18);
  s.problemCountsJson = row.Text(19);
  return upload;
}

}  // namespace

Store::Store(const std::string& path) {
  const int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX;
  if (sqlite3_open_v2(path.c_str(), &db_, flags, nullptr) != SQLITE_OK) {
    const std::string reason = db_ ? sqlite3_errmsg(db_) : "out of memory";
    sqlite3_close(db_);
    db_ = nullptr;
    throw StoreError("cannot open the robot's database " + path + ": " + reason);
  }
  try {
    sqlite3_busy_timeout(db_, 10000);
    // WAL, and every commit synced to disk before it returns: a receipted upload
    // survives a crash of the robot or of the machine.
    Statement wal(db_, "PRAGMA journal_mode=WAL");
    if (!wal.Step() || wal.Text(0) != "wal") {
      throw StoreError("the robot's database " + path + " cannot be put in WAL mode");
    }
    Execute(db_, "PRAGMA synchronous=FULL");
    Execute(db_, kSchema);
    // The counts of a receipt's problems by kind came later: a database of before gets
    // the column, its receipts an empty object.
    bool counts = false;
    for (Statement columns(db_, "PRAGMA table_info(uploads)"); columns.Step();) {
      counts = counts || columns.Text(1) == "problem_counts";
    }
    if (!counts) Execute(db_, "ALTER TABLE uploads ADD COLUMN problem_counts TEXT NOT NULL DEFAULT '{}'");
  } catch (...) {
    sqlite3_close(db_);
    db_ = nullptr;
    throw;
  }
}

Store::~Store() { sqlite3_close(db_); }

Store::AddResult Store::Add(const UploadSummary& summary, const std::string& content,
                            const std::string& replaces, const std::string& receivedUtc) {
  const std::lock_guard lock(mutex_);
  const std::string callKey = text::AsciiUpper(summary.call);
  Transaction transaction(db_);
  AddResult result;
  std::optional<Upload> newest;
  {
    const std::string sql = std::string(kUploadColumns) +
                            "WHERE u.call_key = ?1 ORDER BY u.id DESC LIMIT 1";
    Statement query(db_, sql.c_str());
    query.Bind(1, callKey);
    if (query.Step()) newest = ReadUpload(query);
  }
  if (newest && !SameSecret(replaces, newest->receipt)) {
    Statement attempt(db_,
                      "INSERT INTO replacement_attempts(at, call, receipt_given, sha256, bytes,"
                      " email) VALUES(?1, ?2, ?3, ?4, ?5, ?6)");
    attempt.Bind(1, receivedUtc).Bind(2, summary.call).Bind(3, replaces.empty() ? 0LL : 1LL)
        .Bind(4, summary.sha256).Bind(5, static_cast<long long>(summary.bytes)).Bind(6, summary.email);
    attempt.Step();
    transaction.Commit();
    result.newestOfCall = std::move(newest);
    return result;
  }
  long long id = 1;
  {
    Statement next(db_, "SELECT COALESCE(MAX(id), 0) + 1 FROM uploads");
    if (next.Step()) id = next.Int(0);
  }
  Upload upload;
  upload.id = id;
  upload.receipt = MakeReceipt(receivedUtc.substr(0, 4) + receivedUtc.substr(5, 2) +
                                   receivedUtc.substr(8, 2), id);
  upload.received = receivedUtc;
  if (newest) upload.replaces = newest->receipt;
  upload.summary = summary;
  Statement insert(db_,
                   "INSERT INTO uploads(id, receipt, call, call_key, received, replaces, format,"
                   " category, email, sha256, bytes, qsos, counted, repeats, refused,"
                   " skipped_lines, claimed_score, log_claimed_score, problems, content, problem_counts)"
                   " VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12, ?13, ?14, ?15,"
                   " ?16, ?17, ?18, ?19, ?20, ?21)");
  insert.Bind(1, id).Bind(2, upload.receipt).Bind(3, summary.call).Bind(4, callKey)
      .Bind(5, receivedUtc);
  if (upload.replaces) {
    insert.Bind(6, *upload.replaces);
  } else {
    insert.BindNull(6);
  }
  insert.Bind(7, summary.format).Bind(8, summary.category).Bind(9, summary.email)
      .Bind(10, summary.sha256).Bind(11, static_cast<long long>(summary.bytes))
      .Bind(12, static_cast<long long>(summary.qsos)).Bind(13, static_cast<long long>(summary.counted))
      .Bind(14, static_cast<long long>(summary.repeats))
      .Bind(15, static_cast<long long>(summary.refused))
      .Bind(16, static_cast<long long>(summary.skippedLines))
      .Bind(17, static_cast<long long>(summary.claimedScore));
  if (summary.logClaimedScore) {
    insert.Bind(18, *summary.logClaimedScore);
  } else {
    insert.BindNull(18);
  }
  insert.Bind(19, summary.problemsJson).BindBlob(20, content).Bind(21, summary.problemCountsJson);
  insert.Step();
  transaction.Commit();
  result.stored = std::move(upload);
  return result;
}

std::vector<Upload> Store::Query(const char* where, std::int64_t id) {
  const std::string sql = std::string(kUploadColumns) + where;
  Statement query(db_, sql.c_str());
  if (id != 0) query.Bind(1, static_cast<long long>(id));
  std::vector<Upload> uploads;
  while (query.Step()) uploads.push_back(ReadUpload(query));
  return uploads;
}

std::optional<Upload> Store::Find(const std::string& receipt) {
  const std::optional<std::int64_t> number = ReceiptNumber(receipt);
  if (!number || *number <= 0) return std::nullopt;
  const std::lock_guard lock(mutex_);
  std::vector<Upload> found = Query("WHERE u.id = ?1", *number);
  if (found.empty() || !SameSecret(receipt, found.front().receipt)) return std::nullopt;
  return std::move(found.front());
}

std::vector<Upload> Store::Newest() {
  const std::lock_guard lock(mutex_);
  return Query(
      "WHERE u.id = (SELECT MAX(m.id) FROM uploads m WHERE m.call_key = u.call_key)"
      " ORDER BY u.call_key");
}

std::vector<Upload> Store::All() {
  const std::lock_guard lock(mutex_);
  return Query("ORDER BY u.id");
}

std::string Store::Content(std::int64_t id) {
  const std::lock_guard lock(mutex_);
  Statement query(db_, "SELECT content FROM uploads WHERE id = ?1");
  query.Bind(1, static_cast<long long>(id));
  if (!query.Step()) throw StoreError("no upload number " + std::to_string(id));
  return query.Text(0);
}

void Store::EachNewestContent(
    const std::function<void(const Upload&, const std::string&)>& take) {
  for (const Upload& upload : Newest()) take(upload, Content(upload.id));
}

std::vector<ReplacementAttempt> Store::Attempts() {
  const std::lock_guard lock(mutex_);
  Statement query(db_,
                  "SELECT id, at, call, receipt_given, sha256, bytes, email"
                  " FROM replacement_attempts ORDER BY id");
  std::vector<ReplacementAttempt> attempts;
  while (query.Step()) {
    ReplacementAttempt a;
    a.id = query.Int(0);
    a.at = query.Text(1);
    a.call = query.Text(2);
    a.receiptGiven = query.Int(3) != 0;
    a.sha256 = query.Text(4);
    a.bytes = query.Int(5);
    a.email = query.Text(6);
    attempts.push_back(std::move(a));
  }
  return attempts;
}

std::optional<std::string> Store::Setting(const std::string& key) {
  const std::lock_guard lock(mutex_);
  Statement query(db_, "SELECT value FROM settings WHERE key = ?1");
  query.Bind(1, key);
  if (!query.Step()) return std::nullopt;
  return query.Text(0);
}

void Store::SetSetting(const std::string& key, const std::string& value) {
  const std::lock_guard lock(mutex_);
  Statement update(db_,
                   "INSERT INTO settings(key, value) VALUES(?1, ?2)"
                   " ON CONFLICT(key) DO UPDATE SET value = excluded.value");
  update.Bind(1, key).Bind(2, value);
  update.Step();
}

}  // namespace robot
