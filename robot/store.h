// The robot's store: one SQLite database in WAL mode holding every upload, its
// original bytes and what its receipt says, the refused attempts to replace a log,
// and the robot's own settings. Uploads are only ever added: the database itself
// refuses to change or delete one. The newest upload of a call is the one that counts.
#pragma once

#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

struct sqlite3;

namespace robot {

// The database cannot be opened, read or written; what() says which and why.
class StoreError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// What the receipt of an upload says, besides its number and time.
struct UploadSummary {
  std::string call;                  // the log's own call as it gives it
  std::string format;                // "cabrillo" or "adif"
  std::string category;              // the CATEGORY-* values, blank-separated; may be empty
  std::string email;                 // as the entrant typed it; may be empty
  std::string sha256;                // of the original bytes
  std::int64_t bytes = 0;
  int qsos = 0;                      // handed to the plug-in
  int counted = 0;
  int repeats = 0;
  int refused = 0;
  int skippedLines = 0;
  int claimedScore = 0;              // the plug-in's score of the whole log
  std::optional<long long> logClaimedScore;  // the log's own CLAIMED-SCORE
  std::string problemsJson = "[]";   // [{"line": N, "text": "..."}], already JSON
  std::string problemCountsJson = "{}";  // {"refused": N, ...}: every problem by kind
};

struct Upload {
  std::int64_t id = 0;
  std::string receipt;
  std::string received;              // UTC, "2026-12-06T14:03:12Z"
  std::optional<std::string> replaces;      // the receipt this upload supersedes
  std::optional<std::string> supersededBy;  // the receipt of the upload that replaced it
  bool late = false;                 // taken after the deadline, from the organiser
  UploadSummary summary;
};

// An attempt to upload a log for a call that had one, without that log's receipt.
struct ReplacementAttempt {
  std::int64_t id = 0;
  std::string at;                    // UTC, as Upload::received
  std::string call;
  bool receiptGiven = false;         // a receipt was given, but not the right one
  std::string sha256;
  std::int64_t bytes = 0;
  std::string email;
  bool kept = false;                 // its bytes are kept (attempts since they are)
};

// One of the organiser's decisions about a call (see robot/decisions.h for what each
// kind means and how a later one overrides an earlier one).
struct Decision {
  std::int64_t id = 0;
  std::string at;                    // UTC, as Upload::received
  std::string call;                  // as the organiser typed it
  std::string kind;                  // "category", "checklog", "disqualified" or "accept"
  std::string value;                 // the category's name, "1"/"0", or the attempt's number
  std::string reason;
};

class Store {
 public:
  // Opens (creating when missing) the database at `path`. Throws StoreError.
  explicit Store(const std::string& path);
  ~Store();
  Store(const Store&) = delete;
  Store& operator=(const Store&) = delete;

  // Why an upload was refused.
  enum class Refusal {
    kNone,
    kCallHasLog,       // the call counts a log, and the receipt given is not its
    kNotNewest,        // the receipt given is of an upload that was replaced since
  };

  struct AddResult {
    std::optional<Upload> stored;          // the new upload, committed durably
    Refusal refusal = Refusal::kNone;
    std::optional<Upload> newestOfCall;    // kCallHasLog: the upload that needs replacing
    std::optional<Upload> given;           // the upload whose receipt was given, if any
  };

  // Add()
  // In one transaction, a log of a call (letter case ignored) whose counting log is
  // the newest upload of the call, unless another call's upload has replaced it:
  // - when the call counts a log, only the receipt of that log replaces it;
  // - when it counts none, the receipt of another call's counting log replaces that
  //   one (its call was mistyped: it then counts no log, and its owner may upload
  //   without a receipt), and no receipt stores the first log of the call;
  // - the receipt of an upload replaced since is refused.
  // A refusal records a ReplacementAttempt, its bytes kept for the organiser, and
  // says why. `late` marks a log taken after the deadline. Returns only after
  // the commit is on disk. `receivedUtc` is "YYYY-MM-DDTHH:MM:SSZ". Throws StoreError.
  AddResult Add(const UploadSummary& summary, const std::string& content,
                const std::string& replaces, const std::string& receivedUtc, bool late = false);

  // Find()
  // The upload with that receipt, compared in constant time; nullopt for any other text.
  std::optional<Upload> Find(const std::string& receipt);

  // Newest(), All()
  // The counting upload of each call, by call; every upload, oldest first.
  std::vector<Upload> Newest();
  std::vector<Upload> All();

  // Content()
  // The original bytes of upload `id`.
  std::string Content(std::int64_t id);

  // EachNewestContent()
  // Calls `take` with each call's newest upload and its bytes, by call.
  void EachNewestContent(const std::function<void(const Upload&, const std::string&)>& take);

  std::vector<ReplacementAttempt> Attempts();

  // AttemptContent()
  // The bytes of refused attempt `id`; nullopt when they were not kept.
  std::optional<std::string> AttemptContent(std::int64_t id);

  // Attempt()
  // Refused attempt `id`, if there is one.
  std::optional<ReplacementAttempt> Attempt(std::int64_t id);

  // HasCall()
  // Whether any upload was made for `call` (letter case ignored).
  bool HasCall(const std::string& call);

  // AddDecision(), Decisions()
  // Records a decision (never changed or deleted afterwards) and returns it with its
  // number and time; every decision, oldest first. Throws StoreError.
  Decision AddDecision(const Decision& decision, const std::string& atUtc);
  std::vector<Decision> Decisions();

  // Setting(), SetSetting()
  // The robot's own values (such as whether the results are published).
  std::optional<std::string> Setting(const std::string& key);
  void SetSetting(const std::string& key, const std::string& value);

 private:
  std::vector<Upload> Query(const char* sql, std::int64_t id = 0);
  std::optional<Upload> FindLocked(const std::string& receipt);
  // The upload that counts for the upper-case call key, if any.
  std::optional<Upload> CountingOf(const std::string& callKey);
  std::mutex mutex_;
  sqlite3* db_ = nullptr;
};

}  // namespace robot
