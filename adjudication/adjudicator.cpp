#include "adjudication/adjudicator.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <sstream>

#include "adjudication/cross_check.h"
#include "logs/log_reader.h"

namespace fs = std::filesystem;

namespace adjudication {
namespace {

struct EntrantLog {
  std::string file;
  logs::QsoLog log;
};

// The one place where a log's Cabrillo header lines reach the checked log: copied
// when the readers keep them (QsoLog::headers, (TAG, value) pairs in file order).
template <typename Log>
void CopyHeaders(const Log& log, CheckedLog& checked) {
  if constexpr (requires { log.headers; }) {
    for (const auto& [tag, value] : log.headers) checked.headers.emplace_back(tag, value);
  }
}

}  // namespace

std::string ReadWholeFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw AdjudicationError("cannot read " + path.generic_string());
  std::ostringstream bytes;
  bytes << in.rdbuf();
  if (in.bad()) throw AdjudicationError("cannot read " + path.generic_string());
  return std::move(bytes).str();
}

namespace {

std::vector<EntrantLog> ReadLogs(const std::string& logDir, std::vector<std::string>& notes,
                                 const Progress& progress) {
  std::error_code ec;
  if (!fs::is_directory(fs::path(logDir), ec)) {
    throw AdjudicationError("log folder " + logDir + " does not exist");
  }
  std::vector<fs::path> files;
  for (const auto& entry : fs::directory_iterator(fs::path(logDir), ec)) {
    const std::string name = entry.path().filename().string();
    if (!name.empty() && name[0] != '.' && entry.is_regular_file(ec)) files.push_back(entry.path());
  }
  if (ec) throw AdjudicationError("cannot list " + logDir + ": " + ec.message());
  if (files.empty()) throw AdjudicationError("log folder " + logDir + " holds no logs");
  std::sort(files.begin(), files.end());

  std::vector<EntrantLog> logs;
  std::map<std::string, std::string> fileOfCall;
  for (const fs::path& path : files) {
    EntrantLog entrant;
    entrant.file = path.filename().string();
    const std::string label = path.generic_string();
    try {
      entrant.log = logs::ReadLog(ReadWholeFile(path));
    } catch (const logs::LogRefused& refused) {
      throw AdjudicationError(label + ":" + std::to_string(refused.Position().line) +
                              ": cannot read the log (byte " +
                              std::to_string(refused.Position().offset) + "): " + refused.what());
    }
    for (const auto* list : {&entrant.log.warnings, &entrant.log.skipped}) {
      for (const logs::LogNote& note : *list) {
        notes.push_back(label + ":" + std::to_string(note.position.line) + ": " + note.text);
      }
    }
    const std::string& call = entrant.log.ownCall;
    if (call.empty()) {
      throw AdjudicationError(label + " names no own call (CALLSIGN or STATION_CALLSIGN)");
    }
    if (const auto [it, added] = fileOfCall.emplace(call, entrant.file); !added) {
      throw AdjudicationError(fs::path(logDir).append(it->second).generic_string() + " and " +
                              label + " are both logs of " + call);
    }
    logs.push_back(std::move(entrant));
    if (progress) progress("reading", logs.size(), files.size());
  }
  std::sort(logs.begin(), logs.end(), [](const EntrantLog& a, const EntrantLog& b) {
    return a.log.ownCall < b.log.ownCall;
  });
  return logs;
}

// A fresh host folder for the plug-in, the current directory while it lives.
class ScratchHost {
 public:
  ScratchHost(const std::string& hostDir, const std::string& scratchBase,
              std::vector<std::string>& notes) {
    std::random_device random;
    std::error_code ec;
    // The plug-in writes its check file and settings at every run: on a memory file
    // system when there is one (and TMPDIR names no other place), else in the temp folder.
    fs::path base = fs::temp_directory_path(ec);
    if (std::getenv("TMPDIR") == nullptr && fs::is_directory("/dev/shm", ec)) base = "/dev/shm";
    if (!scratchBase.empty()) base = scratchBase;
    for (int attempt = 0; attempt < 100 && path_.empty(); ++attempt) {
      const fs::path candidate = base / ("zelta-adjudicate-" + std::to_string(random()));
      if (!ec && fs::create_directory(candidate, ec) && !ec) path_ = candidate;
    }
    if (path_.empty()) throw AdjudicationError("cannot make a scratch folder: " + ec.message());
    fs::create_directory(path_ / "Plugins", ec);
    const fs::path regions = fs::path(hostDir) / "Plugins" / "zelta.dom";
    if (fs::is_regular_file(regions, ec)) {
      const fs::path copy = path_ / "Plugins" / "zelta.dom";
      fs::copy_file(regions, copy, ec);
      // Nobody edits the private copy: dated well back, the plug-in takes it as settled
      // and looks at it once per lookup instead of reading it again for two seconds.
      if (!ec) fs::last_write_time(copy, fs::file_time_type::clock::now() - std::chrono::hours(1), ec);
      if (ec) {
        Remove();
        throw AdjudicationError("cannot copy the region list " + regions.generic_string() +
                                ": " + ec.message());
      }
    } else {
      notes.push_back("warning: " + regions.generic_string() +
                      " does not exist: no station counts as one of the region list");
    }
    previous_ = fs::current_path();
    fs::current_path(path_, ec);
    if (ec) {
      Remove();
      throw AdjudicationError("cannot enter the scratch folder: " + ec.message());
    }
  }
  ~ScratchHost() {
    std::error_code ec;
    if (!previous_.empty()) fs::current_path(previous_, ec);
    Remove();
  }
  ScratchHost(const ScratchHost&) = delete;
  ScratchHost& operator=(const ScratchHost&) = delete;

 private:
  void Remove() {
    std::error_code ec;
    fs::remove_all(path_, ec);
  }
  fs::path path_;
  fs::path previous_;
};

// One scoring run of the QSOs of `log` for which `take` says yes; `counted` gets
// what AddData0 answered for each QSO handed over.
template <typename Take>
Score ScoreRun(zelta::StatsPlugin& plugin, const std::string& call, const logs::QsoLog& log,
               Take take, std::vector<bool>* refused) {
  platform::CalendarTime first;
  if (!log.qsos.empty()) first = log.qsos.front().time;
  plugin.ResetStats(call, false, first);
  for (std::size_t q = 0; q < log.qsos.size(); ++q) {
    if (!take(q)) continue;
    const int counted = plugin.AddData(call, log.qsos[q]);
    if (refused) (*refused)[q] = counted != 1;
  }
  int score = 0;
  const std::string summary = plugin.GetResult(score);
  const std::optional<Score> parsed = ParseSummaryScore(summary);
  if (!parsed) throw AdjudicationError("the plug-in's summary for " + call + " has no score");
  return *parsed;
}

}  // namespace

std::optional<Score> ParseSummaryScore(std::string_view summary) {
  std::optional<Score> result;
  Score score;
  bool total = false;
  std::size_t pos = 0;
  while (pos < summary.size()) {
    std::size_t end = summary.find('\n', pos);
    if (end == std::string_view::npos) end = summary.size();
    std::istringstream line{std::string(summary.substr(pos, end - pos))};
    pos = end + 1;
    std::string first;
    line >> first;
    if (first == "Total") {
      total = static_cast<bool>(line >> score.qsos >> score.points >> score.multipliers);
    } else if (first == "Score:") {
      std::string product, equals;
      if (line >> product >> equals >> score.score && equals == "=" && total) result = score;
    }
  }
  return result;
}

Contest Adjudicate(const AdjudicationInput& input, zelta::StatsPlugin& plugin,
                   std::vector<std::string>& notes, const Progress& progress) {
  std::vector<EntrantLog> logs = ReadLogs(input.logDir, notes, progress);
  Contest contest;
  contest.rules = input.rules;
  contest.logs.resize(logs.size());
  std::vector<std::vector<bool>> refused(logs.size());
  {
    ScratchHost host(input.hostDir, input.scratchBase, notes);
    for (std::size_t l = 0; l < logs.size(); ++l) {
      const logs::QsoLog& log = logs[l].log;
      CheckedLog& checked = contest.logs[l];
      checked.call = log.ownCall;
      checked.file = logs[l].file;
      CopyHeaders(log, checked);
      checked.qsos.reserve(log.qsos.size());
      for (const logs::LogQso& qso : log.qsos) {
        CheckedQso entry;
        entry.line = qso.position.line;
        entry.time = qso.time;
        entry.band = qso.band;
        entry.mode = qso.mode;
        entry.call = qso.call;
        entry.sent = qso.sentNumber;
        entry.rcvd = qso.rcvdNumber;
        checked.qsos.push_back(std::move(entry));
      }
      refused[l].assign(log.qsos.size(), false);
      checked.claimed = ScoreRun(plugin, checked.call, log, [](std::size_t) { return true; },
                                 &refused[l]);
      if (progress) progress("scoring the claims", l + 1, logs.size());
    }

    CrossCheck(contest, refused);
    if (progress) progress("cross-checking", logs.size(), logs.size());

    for (std::size_t l = 0; l < logs.size(); ++l) {
      CheckedLog& checked = contest.logs[l];
      auto keeps = [&](std::size_t q) { return KeepsCredit(checked.qsos[q].verdict, contest.rules); };
      bool allKept = true;
      for (std::size_t q = 0; q < checked.qsos.size() && allKept; ++q) {
        allKept = refused[l][q] || keeps(q);
      }
      // The same QSOs give the same score: only a log that lost credit is rescored.
      checked.checked = allKept ? checked.claimed
                                : ScoreRun(plugin, checked.call, logs[l].log, keeps, nullptr);
      if (progress) progress("scoring the checked logs", l + 1, logs.size());
    }
    // The plug-in holds the last run's check file open until it is unloaded, and
    // Windows removes no folder with an open file in it: a fresh plug-in lets go.
    std::string error;
    if (!plugin.Reload(error)) throw AdjudicationError("cannot load the plug-in again: " + error);
  }
  return contest;
}

}  // namespace adjudication
