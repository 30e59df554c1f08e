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
    "CREATE TABLE IF NOT EXISTS settings(key TEXT PRIMARY KEY, value TEXT NOT NULL);"
    // Added later (a database of an earlier version gains them, its rows unchanged):
    // which upload replaced which across calls is found by `replaces`, and the logs
    // the organiser took after the deadline.
    "CREATE INDEX IF NOT EXISTS uploads_by_replaces ON uploads(replaces);"
    "CREATE TABLE IF NOT EXISTS late_uploads(upload_id INTEGER PRIMARY KEY REFERENCES uploads(id));"
    "CREATE TRIGGER IF NOT EXISTS late_never_change BEFORE UPDATE ON late_uploads"
    " BEGIN SELECT RAISE(ABORT, 'an upload is never changed'); END;"
    "CREATE TRIGGER IF NOT EXISTS late_never_deleted BEFORE DELETE ON late_uploads"
    " BEGIN SELECT RAISE(ABORT, 'an upload is never deleted'); END;"
    // The bytes of a refused attempt, so that the organiser can take that log.
    "CREATE TABLE IF NOT EXISTS attempt_contents("
    " attempt_id INTEGER PRIMARY KEY REFERENCES replacement_attempts(id), content BLOB NOT NULL);"
    "CREATE TRIGGER IF NOT EXISTS attempt_contents_never_change BEFORE UPDATE ON attempt_contents"
    " BEGIN SELECT RAISE(ABORT, 'an attempt is never changed'); END;"
    "CREATE TRIGGER IF NOT EXISTS attempt_contents_never_deleted BEFORE DELETE ON attempt_contents"
    " BEGIN SELECT RAISE(ABORT, 'an attempt is never deleted'); END;"
    // The organiser's decisions about calls, in the order they were taken.
    "CREATE TABLE IF NOT EXISTS decisions("
    " id INTEGER PRIMARY KEY, at TEXT NOT NULL, call TEXT NOT NULL, call_key TEXT NOT NULL,"
    " kind TEXT NOT NULL CHECK(kind IN ('category', 'checklog', 'disqualified', 'accept')),"
    " value TEXT NOT NULL, reason TEXT NOT NULL);"
    "CREATE TRIGGER IF NOT EXISTS decisions_never_change BEFORE UPDATE ON decisions"
    " BEGIN SELECT RAISE(ABORT, 'a decision is never changed'); END;"
    "CREATE TRIGGER IF NOT EXISTS decisions_never_deleted BEFORE DELETE ON decisions"
    " BEGIN SELECT RAISE(ABORT, 'a decision is never deleted'); END;";

// Every column of an upload but its bytes, the receipt of the upload that replaced
// it (one that names it; else the next of its call), and whether it came late.
constexpr const char* kUploadColumns =
    "SELECT u.id, u.receipt, u.received, u.replaces,"
    " COALESCE((SELECT r.receipt FROM uploads r WHERE r.replaces = u.receipt ORDER BY r.id LIMIT 1),"
    "  (SELECT n.receipt FROM uploads n WHERE n.call_key = u.call_key AND n.id > u.id"
    "   ORDER BY n.id LIMIT 1)),"
    " u.call, u.format, u.category, u.email, u.sha256, u.bytes, u.qsos, u.counted,"
    " u.repeats, u.refused, u.skipped_lines, u.claimed_score, u.log_claimed_score,"
    " u.problems, u.problem_counts, EXISTS(SELECT 1 FROM late_uploads l WHERE l.upload_id = u.id) FROM uploads u ";

// The upload that counts for its call: the newest of the call, unless an upload of
// another call has replaced it.
constexpr const char* kCounting =
    "u.id = (SELECT MAX(m.id) FROM uploads m WHERE m.call_key = u.call_key)"
    " AND NOT EXISTS(SELECT 1 FROM uploads r WHERE r.replaces = u.receipt)";

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
  upload.late = row.Int(20) != 0;
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
    {
      // Finalized at once: a statement left open would hold the schema's transaction.
      Statement wal(db_, "PRAGMA journal_mode=WAL");
      if (!wal.Step() || wal.Text(0) != "wal") {
        throw StoreError("the robot's database " + path + " cannot be put in WAL mode");
      }
    }
    Execute(db_, "PRAGMA synchronous=FULL");
    Execute(db_, kSchema);
    // SQLite opens a file it may not write for reading alone, and the schema above
    // changes nothing in a database that has it: a robot that cannot store an upload
    // must not start. A row written and rolled back proves the file can be written.
    bool writable = sqlite3_db_readonly(db_, "main") == 0;
    if (writable) {
      writable = sqlite3_exec(db_,
                              "BEGIN IMMEDIATE;"
                              " INSERT OR REPLACE INTO settings(key, value) VALUES('write-probe', '');",
                              nullptr, nullptr, nullptr) == SQLITE_OK;
      const std::string reason = sqlite3_errmsg(db_);
      if (sqlite3_get_autocommit(db_) == 0) sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
      if (!writable) throw StoreError("cannot write the robot's database " + path + ": " + reason);
    }
    if (!writable) {
      throw StoreError("cannot write the robot's database " + path +
                       ": the file is read-only (give the robot's user write access to it)");
    }
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
                            const std::string& replaces, const std::string& receivedUtc, bool late) {
  const std::lock_guard lock(mutex_);
  const std::string callKey = text::AsciiUpper(summary.call);
  Transaction transaction(db_);
  AddResult result;
  const std::optional<Upload> counting = CountingOf(callKey);
  if (!replaces.empty()) result.given = FindLocked(replaces);
  // The log replaced: the call's own, or (the call counting none) another call's.
  std::optional<Upload> replaced;
  if (counting) {
    if (result.given && result.given->id == counting->id) {
      replaced = counting;
    } else {
      result.refusal = Refusal::kCallHasLog;
      result.newestOfCall = counting;
    }
  } else if (result.given) {
    if (CountingOf(text::AsciiUpper(result.given->summary.call)).value_or(Upload()).id == result.given->id) {
      replaced = result.given;
    } else {
      result.refusal = Refusal::kNotNewest;
    }
  }
  if (result.refusal != Refusal::kNone) {
    Statement attempt(db_,
                      "INSERT INTO replacement_attempts(at, call, receipt_given, sha256, bytes,"
                      " email) VALUES(?1, ?2, ?3, ?4, ?5, ?6)");
    attempt.Bind(1, receivedUtc).Bind(2, summary.call).Bind(3, replaces.empty() ? 0LL : 1LL)
        .Bind(4, summary.sha256).Bind(5, static_cast<long long>(summary.bytes)).Bind(6, summary.email);
    attempt.Step();
    Statement keep(db_, "INSERT INTO attempt_contents(attempt_id, content) VALUES(?1, ?2)");
    keep.Bind(1, static_cast<long long>(sqlite3_last_insert_rowid(db_))).BindBlob(2, content).Step();
    transaction.Commit();
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
  if (replaced) upload.replaces = replaced->receipt;
  upload.late = late;
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
  if (late) {
    Statement mark(db_, "INSERT INTO late_uploads(upload_id) VALUES(?1)");
    mark.Bind(1, id).Step();
  }
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
  const std::lock_guard lock(mutex_);
  return FindLocked(receipt);
}

std::optional<Upload> Store::FindLocked(const std::string& receipt) {
  const std::optional<std::int64_t> number = ReceiptNumber(receipt);
  if (!number || *number <= 0) return std::nullopt;
  std::vector<Upload> found = Query("WHERE u.id = ?1", *number);
  if (found.empty() || !SameSecret(receipt, found.front().receipt)) return std::nullopt;
  return std::move(found.front());
}

std::optional<Upload> Store::CountingOf(const std::string& callKey) {
  const std::string sql = std::string(kUploadColumns) + "WHERE u.call_key = ?1 AND " + kCounting;
  Statement query(db_, sql.c_str());
  query.Bind(1, callKey);
  if (!query.Step()) return std::nullopt;
  return ReadUpload(query);
}

std::vector<Upload> Store::Newest() {
  const std::lock_guard lock(mutex_);
  return Query((std::string("WHERE ") + kCounting + " ORDER BY u.call_key").c_str());
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
                  "SELECT a.id, a.at, a.call, a.receipt_given, a.sha256, a.bytes, a.email,"
                  " EXISTS(SELECT 1 FROM attempt_contents c WHERE c.attempt_id = a.id)"
                  " FROM replacement_attempts a ORDER BY a.id");
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
    a.kept = query.Int(7) != 0;
    attempts.push_back(std::move(a));
  }
  return attempts;
}

std::optional<std::string> Store::AttemptContent(std::int64_t id) {
  const std::lock_guard lock(mutex_);
  Statement query(db_, "SELECT content FROM attempt_contents WHERE attempt_id = ?1");
  query.Bind(1, static_cast<long long>(id));
  if (!query.Step()) return std::nullopt;
  return query.Text(0);
}

bool Store::HasCall(const std::string& call) {
  const std::lock_guard lock(mutex_);
  Statement query(db_, "SELECT 1 FROM uploads WHERE call_key = ?1 LIMIT 1");
  query.Bind(1, text::AsciiUpper(call));
  return query.Step();
}

std::optional<ReplacementAttempt> Store::Attempt(std::int64_t id) {
  for (ReplacementAttempt& attempt : Attempts()) {
    if (attempt.id == id) return std::move(attempt);
  }
  return std::nullopt;
}

Decision Store::AddDecision(const Decision& decision, const std::string& atUtc) {
  const std::lock_guard lock(mutex_);
  Statement insert(db_,
                   "INSERT INTO decisions(at, call, call_key, kind, value, reason)"
                   " VALUES(?1, ?2, ?3, ?4, ?5, ?6)");
  insert.Bind(1, atUtc).Bind(2, decision.call).Bind(3, text::AsciiUpper(decision.call))
      .Bind(4, decision.kind).Bind(5, decision.value).Bind(6, decision.reason);
  insert.Step();
  Decision stored = decision;
  stored.id = sqlite3_last_insert_rowid(db_);
  stored.at = atUtc;
  return stored;
}

std::vector<Decision> Store::Decisions() {
  const std::lock_guard lock(mutex_);
  Statement query(db_, "SELECT id, at, call, kind, value, reason FROM decisions ORDER BY id");
  std::vector<Decision> decisions;
  while (query.Step()) {
    Decision d;
    d.id = query.Int(0);
    d.at = query.Text(1);
    d.call = query.Text(2);
    d.kind = query.Text(3);
    d.value = query.Text(4);
    d.reason = query.Text(5);
    decisions.push_back(std::move(d));
  }
  return decisions;
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
