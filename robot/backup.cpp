#include "robot/backup.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <thread>

#include "robot/store.h"

namespace fs = std::filesystem;

namespace robot {
namespace {

// A connection closed at the end of its scope.
class Connection {
 public:
  Connection(const std::string& path, int flags, const std::string& what) {
    if (sqlite3_open_v2(path.c_str(), &db_, flags, nullptr) != SQLITE_OK) {
      const std::string reason = db_ ? sqlite3_errmsg(db_) : "out of memory";
      sqlite3_close(db_);
      db_ = nullptr;
      throw StoreError("cannot open " + what + " " + path + ": " + reason);
    }
    sqlite3_busy_timeout(db_, 10000);
  }
  ~Connection() { sqlite3_close(db_); }
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;
  sqlite3* get() const { return db_; }

 private:
  sqlite3* db_ = nullptr;
};

// The first column of the first row of `sql`, or "" when there is none.
std::string FirstValue(sqlite3* db, const char* sql) {
  sqlite3_stmt* statement = nullptr;
  std::string value;
  if (sqlite3_prepare_v2(db, sql, -1, &statement, nullptr) == SQLITE_OK &&
      sqlite3_step(statement) == SQLITE_ROW && sqlite3_column_text(statement, 0) != nullptr) {
    value = reinterpret_cast<const char*>(sqlite3_column_text(statement, 0));
  }
  sqlite3_finalize(statement);
  return value;
}

void SyncFolderOf(const fs::path& file) {
  const int folder = open(file.parent_path().empty() ? "." : file.parent_path().c_str(),
                          O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folder >= 0) {
    fsync(folder);
    close(folder);
  }
}

}  // namespace

void BackUpDatabase(const std::string& from, const std::string& to) {
  std::error_code ec;
  if (!fs::is_regular_file(from, ec)) {
    throw StoreError("there is no robot's database " + from + " (has the robot run in this folder?)");
  }
  if (fs::exists(to, ec) || fs::is_symlink(to, ec)) {
    throw StoreError("the backup " + to + " exists already: name a new file");
  }
  const fs::path target(to);
  const fs::path partial = target.parent_path() / (target.filename().string() + ".partial-" +
                                                   std::to_string(getpid()));
  auto fail = [&](const std::string& message) {
    fs::remove(partial, ec);
    throw StoreError(message);
  };
  try {
    // Read-write without creating: the source is never written, but a reader of a
    // database in WAL mode shares its index file with the robot.
    Connection source(from, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, "the robot's database");
    if (FirstValue(source.get(), "SELECT name FROM sqlite_master WHERE type = 'table' AND name = 'uploads'") !=
        "uploads") {
      const std::string reason = sqlite3_errcode(source.get()) == SQLITE_OK ? "it has no uploads table"
                                                                            : sqlite3_errmsg(source.get());
      fail(from + " is not the robot's database (" + reason + ")");
    }
    {
      // The copy holds what the robot's folder keeps private (e-mail addresses, every
      // log): made for its owner only before SQLite writes a byte into it.
      const int made = open(partial.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
      if (made < 0) fail("cannot write the backup " + partial.string() + ": " + std::strerror(errno));
      close(made);
      Connection copy(partial.string(),
                      SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, "the backup");
      sqlite3_exec(copy.get(), "PRAGMA synchronous=FULL", nullptr, nullptr, nullptr);
      sqlite3_backup* backup = sqlite3_backup_init(copy.get(), "main", source.get(), "main");
      if (backup == nullptr) fail("cannot back up " + from + ": " + sqlite3_errmsg(copy.get()));
      // All pages in one step: one read transaction, so one state of the database,
      // while the robot goes on committing into its log beside it.
      int status = SQLITE_OK;
      for (int attempt = 0; attempt < 100; ++attempt) {
        status = sqlite3_backup_step(backup, -1);
        if (status != SQLITE_BUSY && status != SQLITE_LOCKED) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
      }
      sqlite3_backup_finish(backup);
      if (status != SQLITE_DONE) {
        fail("cannot back up " + from + " into " + to + ": " + sqlite3_errstr(status));
      }
      // The robot keeps its database in WAL mode; the copy is left whole in its file.
      sqlite3_exec(copy.get(), "PRAGMA journal_mode=WAL", nullptr, nullptr, nullptr);
      const std::string integrity = FirstValue(copy.get(), "PRAGMA integrity_check");
      if (integrity != "ok") fail("the backup of " + from + " is damaged: " + integrity);
    }
    // Closed: its log is checkpointed into the file; the file is synced on disk.
    const int file = open(partial.c_str(), O_RDONLY | O_CLOEXEC);
    if (file < 0 || fsync(file) != 0) {
      if (file >= 0) close(file);
      fail("cannot write the backup " + partial.string());
    }
    close(file);
    fs::rename(partial, target, ec);
    if (ec) fail("cannot put the backup in place as " + to + ": " + ec.message());
    SyncFolderOf(target);
  } catch (const StoreError&) {
    fs::remove(partial, ec);
    fs::remove(partial.string() + "-wal", ec);
    fs::remove(partial.string() + "-shm", ec);
    throw;
  }
}

}  // namespace robot
