#include "robot/contest_check.h"

#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <stdexcept>
#include <filesystem>
#include <fstream>
#include <map>

#include "adjudication/adjudicator.h"
#include "adjudication/outputs.h"
#include "adjudication/rules_file.h"
#include "host/plugin_driver.h"
#include "host/scoring_run.h"
#include "platform/files.h"
#include "reports/reports.h"
#include "robot/decisions.h"
#include "robot/json_text.h"
#include "robot/log_intake.h"
#include "robot/secrets.h"
#include "text/ascii_text.h"

namespace fs = std::filesystem;

namespace robot {
namespace {

// Thrown from the progress of a check that is asked to stop.
struct CheckStopped {};

void WriteWhole(const fs::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) throw adjudication::AdjudicationError("cannot write " + path.string());
}

// In every snapshot: the time its check ended.
constexpr char kStamp[] = "checked.txt";

std::string ReadStamp(const fs::path& folder) {
  std::ifstream in(folder / kStamp, std::ios::binary);
  std::string line;
  std::getline(in, line);
  return line;
}

// SyncToDisk()
// Returns when every file written under `folder` is on disk.
void SyncToDisk(const fs::path& folder) {
  const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0 || syncfs(fd) != 0) {
    if (fd >= 0) close(fd);
    throw std::runtime_error("cannot write " + folder.string() + " to disk");
  }
  close(fd);
}

// PutInPlace()
// Puts the complete folder `ready`, its files on disk, in place of `target` in one
// step: the two folders are swapped (or `ready` renamed, when there is no `target`
// yet), and the old one is removed. A reader opens a file of the old snapshot or of
// the new one, never a file being written.
void PutInPlace(const fs::path& ready, const fs::path& target) {
  std::error_code ec;
  if (fs::exists(target, ec)) {
    if (renameat2(AT_FDCWD, ready.c_str(), AT_FDCWD, target.c_str(), RENAME_EXCHANGE) != 0) {
      throw std::runtime_error("cannot put " + ready.string() + " in place of " + target.string());
    }
    fs::remove_all(ready, ec);  // the old snapshot, now under the new one's name
  } else {
    fs::rename(ready, target);
  }
}

std::string SummaryTableJson(const adjudication::Contest& contest) {
  std::string out = "[";
  for (const adjudication::CheckedLog& log : contest.logs) {
    int counts[adjudication::kVerdictCount] = {};
    for (const adjudication::CheckedQso& qso : log.qsos) ++counts[static_cast<int>(qso.verdict)];
    JsonObject verdicts;
    for (int v = 0; v < adjudication::kVerdictCount; ++v) {
      verdicts.Number(adjudication::VerdictName(static_cast<adjudication::Verdict>(v)), counts[v]);
    }
    out += (out.size() > 1 ? ",\n" : "\n") + JsonObject()
                                                 .Text("call", log.call)
                                                 .Number("qsos", static_cast<long long>(log.qsos.size()))
                                                 .Number("claimed_score", log.claimed.score)
                                                 .Number("checked_score", log.checked.score)
                                                 .Number("clock_offset_minutes", log.clockOffsetMinutes)
                                                 .Raw("verdicts", verdicts.Done())
                                                 .Done();
  }
  return out + "\n]";
}

// Whether a log's bytes are Cabrillo (else ADIF), for the name of its file.
bool LooksLikeCabrillo(const std::string& bytes) {
  return text::AsciiUpper(std::string_view(bytes).substr(0, 4096)).find("START-OF-LOG") != std::string::npos;
}

}  // namespace

ContestCheck::ContestCheck(Store& store, CheckPaths paths) : store_(store), paths_(std::move(paths)) {
  // Results published by an earlier version of the robot were served from results/
  // itself: they become the published snapshot.
  std::error_code ec;
  if (store_.Setting("published").value_or("") == "1" &&
      !fs::exists(fs::path(PublishedFolder()) / "index.html", ec)) {
    try {
      Publish();
    } catch (const std::exception&) {
      // Left unpublished: the organiser publishes again.
    }
  }
}

bool ContestCheck::Published() const {
  std::error_code ec;
  return fs::is_regular_file(fs::path(PublishedFolder()) / "index.html", ec);
}

std::string ContestCheck::ResultsFolder() const { return (fs::path(paths_.contestDir) / "results").string(); }

std::string ContestCheck::PublishedFolder() const {
  return (fs::path(paths_.contestDir) / "published").string();
}

bool ContestCheck::Publish() {
  const std::lock_guard lock(folders_);
  const fs::path results = ResultsFolder();
  const fs::path writing = fs::path(paths_.contestDir) / "published.writing";
  std::error_code ec;
  if (!fs::is_regular_file(results / "index.html", ec)) return false;
  fs::remove_all(writing, ec);
  try {
    fs::copy(results, writing, fs::copy_options::recursive);
    OpenResults(writing.string(), true);
    SyncToDisk(writing);
    PutInPlace(writing, PublishedFolder());
  } catch (...) {
    fs::remove_all(writing, ec);
    throw;
  }
  return true;
}

ContestCheck::~ContestCheck() { Stop(); }

bool ContestCheck::Start(std::uint64_t* number) {
  std::unique_lock lock(mutex_);
  if (status_.running || stopping_) return false;
  if (thread_.joinable()) thread_.join();  // the last check has ended: its thread is done
  status_.running = true;
  status_.stage = "reading";
  status_.done = status_.total = 0;
  const std::uint64_t mine = ++started_;
  if (number) *number = mine;
  thread_ = std::thread([this, mine] { Run(mine); });
  return true;
}

CheckStatus ContestCheck::Wait(std::uint64_t number) {
  std::unique_lock lock(mutex_);
  ended_.wait(lock, [&] { return finished_ >= number; });
  return status_;
}

CheckStatus ContestCheck::Status() {
  CheckStatus status;
  {
    const std::lock_guard lock(mutex_);
    status = status_;
  }
  const std::lock_guard lock(folders_);
  std::error_code ec;
  status.resultsChecked = ReadStamp(ResultsFolder());
  status.publishedChecked = ReadStamp(PublishedFolder());
  status.hasResults = fs::is_regular_file(fs::path(ResultsFolder()) / "index.html", ec);
  status.published = fs::is_regular_file(fs::path(PublishedFolder()) / "index.html", ec);
  return status;
}


void ContestCheck::Stop() {
  stopping_ = true;
  std::thread running;
  {
    const std::lock_guard lock(mutex_);
    running = std::move(thread_);
  }
  if (running.joinable()) running.join();
}

void ContestCheck::Progress(std::string_view stage, std::size_t done, std::size_t total) {
  if (stopping_) throw CheckStopped();
  const std::lock_guard lock(mutex_);
  status_.stage = std::string(stage);
  status_.done = done;
  status_.total = total;
}

void ContestCheck::Run(std::uint64_t number) {
  const fs::path work = fs::path(paths_.robotDir) / "check";
  const fs::path logDir = work / ("logs-" + std::to_string(number));
  const fs::path pluginCopy = work / ("plugin-" + std::to_string(number) + "-" + fs::path(paths_.pluginPath).filename().string());
  // The results are written apart and put in place only when complete.
  const fs::path writing = fs::path(paths_.contestDir) / "results.writing";
  std::string error;
  std::string summary = "[]";
  std::string finished;
  int logs = 0;
  try {
    // The check changes folders as it goes: on this thread only.
    EnterFolderOnThisThread(paths_.robotDir);
    std::error_code ec;
    fs::remove_all(work, ec);
    fs::remove_all(writing, ec);
    fs::create_directories(logDir);
    // The newest log of each call under a name that tells nothing secret, or the
    // refused attempt the organiser accepted for the call.
    const std::map<std::string, CallDecisions> decisions = InForce(store_.Decisions());
    std::map<std::string, std::string> callOfFile;  // file name: upper-case call
    const auto writeLog = [&](const std::string& stem, const std::string& call, const std::string& bytes) {
      const std::string name = stem + (LooksLikeCabrillo(bytes) ? ".cbr" : ".adi");
      WriteWhole(logDir / name, bytes);
      callOfFile[name] = call;
      ++logs;
    };
    store_.EachNewestContent([&](const Upload& upload, const std::string& bytes) {
      const std::string call = text::AsciiUpper(upload.summary.call);
      const auto decided = decisions.find(call);
      if (decided != decisions.end() && decided->second.accepted) return;  // below
      writeLog(ReceiptStem(upload.receipt), call, bytes);
    });
    for (const auto& [call, decided] : decisions) {
      if (!decided.accepted) continue;
      const std::optional<std::string> bytes = store_.AttemptContent(std::stoll(decided.accepted->value));
      if (!bytes) throw adjudication::AdjudicationError("the accepted attempt " + decided.accepted->value + " is not kept");
      writeLog("attempt-" + decided.accepted->value, call, *bytes);
    }
    if (logs == 0) throw adjudication::AdjudicationError("no log has been received yet");

    adjudication::AdjudicationInput input;
    input.logDir = logDir.string();
    input.hostDir = paths_.contestDir;
    const fs::path rulesPath = fs::path(paths_.contestDir) / "rules.ini";
    if (fs::exists(rulesPath, ec)) {
      input.rules = adjudication::ParseRules(adjudication::ReadWholeFile(rulesPath), rulesPath.string());
    }
    // A private copy of the plug-in has its own process-wide state.
    fs::copy_file(paths_.pluginPath, pluginCopy, fs::copy_options::overwrite_existing);
    zelta::StatsPlugin plugin;
    if (!plugin.Load(pluginCopy.string(), error)) {
      throw adjudication::AdjudicationError("cannot load the plug-in: " + error);
    }
    std::vector<std::string> notes;
    adjudication::Contest contest = adjudication::Adjudicate(
        input, plugin, notes,
        [this](std::string_view stage, std::size_t done, std::size_t total) {
          Progress(stage, done, total);
        });
    plugin.Unload();
    // The organiser's decisions: where a log stands, and who is disqualified. Every
    // log was cross-checked as it was, so that its QSOs confirm the others'.
    for (adjudication::CheckedLog& log : contest.logs) {
      const auto decided = decisions.find(callOfFile[log.file]);
      if (decided == decisions.end()) continue;
      if (decided->second.standing) ApplyStanding(*decided->second.standing, input.rules, log.headers);
      if (decided->second.disqualified && decided->second.disqualified->value == "1") {
        log.disqualified = decided->second.disqualified->reason;
      }
    }
    Progress("writing the results", 0, contest.logs.size());
    fs::create_directories(writing);
    OpenResults(writing.string(), false);  // closed to others until published
    WriteWhole(writing / "verdicts.json", adjudication::VerdictsJson(contest));
    // The results in Russian, and in English beside them (en/).
    if (!reports::WriteReports(contest, writing.string(), reports::Language::kRussian, error) ||
        !reports::WriteReports(contest, (writing / "en").string(), reports::Language::kEnglish, error)) {
      throw adjudication::AdjudicationError(error);
    }
    finished = IsoNow();
    WriteWhole(writing / kStamp, finished + "\n");
    OpenResults(writing.string(), false);
    SyncToDisk(writing);
    {
      const std::lock_guard lock(folders_);
      PutInPlace(writing, ResultsFolder());
    }
    summary = SummaryTableJson(contest);
    error.clear();
  } catch (const CheckStopped&) {
    error = "the robot stopped before the check ended";
  } catch (const std::exception& e) {
    error = e.what();
    if (error.empty()) error = "the check failed";
  }
  std::error_code ec;
  fs::remove_all(work, ec);
  fs::remove_all(writing, ec);
  const std::lock_guard lock(mutex_);
  status_.running = false;
  status_.finished = finished.empty() ? IsoNow() : finished;
  status_.error = error;
  status_.logs = logs;
  status_.summaryJson = error.empty() ? summary : "[]";
  finished_ = number;
  ended_.notify_all();
}

void OpenResults(const std::string& folder, bool open) {
  std::error_code ec;
  const auto set = [&](const fs::path& path, bool isFolder) {
    fs::permissions(path,
                    isFolder ? (open ? fs::perms(0755) : fs::perms(0700)) : (open ? fs::perms(0644) : fs::perms(0600)),
                    fs::perm_options::replace | fs::perm_options::nofollow, ec);
  };
  if (!fs::is_directory(folder, ec)) return;
  set(folder, true);
  for (auto it = fs::recursive_directory_iterator(folder, ec); !ec && it != fs::recursive_directory_iterator();
       it.increment(ec)) {
    if (it->is_symlink(ec)) continue;
    set(it->path(), it->is_directory(ec));
  }
}

std::string CheckSummaryJson(const CheckStatus& status) {
  return JsonObject()
             .Number("logs", status.logs)
             .Text("finished", status.finished)
             .Raw("table", status.summaryJson)
             .Done() + "\n";
}

}  // namespace robot
