#include "robot/log_intake.h"

#include <sched.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "adjudication/adjudicator.h"
#include "adjudication/categories.h"
#include "adjudication/cross_check.h"
#include "adjudication/outputs.h"
#include "host/scoring_run.h"
#include "logs/log_notes.h"
#include "robot/json_text.h"
#include "robot/secrets.h"
#include "stats/ubn/check_file.h"
#include "stats/ubn/file_names.h"
#include "text/ascii_text.h"

namespace fs = std::filesystem;

namespace robot {
namespace {

// The reason at the end of each line of the check file, in order: the plug-in writes
// one line per refused QSO after its header and a blank line.
std::vector<std::string> RefusalReasons(const std::string& checkFile) {
  std::ifstream in(checkFile, std::ios::binary);
  std::vector<std::string> reasons;
  std::string line;
  for (int number = 1; std::getline(in, line); ++number) {
    if (number <= 2) continue;
    const std::string_view shown = text::TrimBlanks(line);
    std::string reason;
    for (const char* known : {stats::kNoContestModeReason, stats::kNoRxNumberReason}) {
      if (shown.ends_with(text::TrimBlanks(known))) reason = std::string(text::TrimBlanks(known));
    }
    reasons.push_back(reason);
  }
  return reasons;
}

std::optional<long long> ClaimedScoreHeader(const logs::QsoLog& log) {
  for (const auto& [tag, value] : log.headers) {
    if (tag != "CLAIMED-SCORE") continue;
    if (!text::AllDigits(value) || value.size() > 12) return std::nullopt;
    return std::stoll(value);
  }
  return std::nullopt;
}


}  // namespace

bool IsCallSign(const std::string& call) {
  if (call.size() < 3 || call.size() > 20) return false;
  bool letter = false, digit = false;
  for (const char c : call) {
    const bool isLetter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
    const bool isDigit = c >= '0' && c <= '9';
    if (!isLetter && !isDigit && c != '/') return false;
    letter = letter || isLetter;
    digit = digit || isDigit;
  }
  return letter && digit;
}

void EnterFolderOnThisThread(const std::string& folder) {
  thread_local bool own = false;
  if (!own) {
    if (unshare(CLONE_FS) != 0) {
      throw std::runtime_error(std::string("cannot give the thread a folder of its own: ") +
                               std::strerror(errno));
    }
    own = true;
  }
  if (chdir(folder.c_str()) != 0) {
    throw std::runtime_error("cannot enter " + folder + ": " + std::strerror(errno));
  }
}

LogIntake::LogIntake(const std::string& pluginPath, const std::string& hostFolder,
                     const std::string& regionList, const adjudication::Rules& rules)
    : hostFolder_(hostFolder), regionList_(regionList), rules_(rules) {
  std::string error;
  if (!plugin_.Load(pluginPath, error)) {
    throw std::runtime_error("cannot load the plug-in " + pluginPath + ": " + error);
  }
  if (!RefreshRegionList()) throw std::runtime_error("cannot copy the region list " + regionList);
}

bool LogIntake::RefreshRegionList() {
  std::error_code ec;
  const fs::path copy = fs::path(hostFolder_) / "Plugins" / "zelta.dom";
  const auto size = fs::file_size(regionList_, ec);
  if (ec) {  // no list: no station counts as one of it
    copied_.clear();
    fs::remove(copy, ec);
    return true;
  }
  const std::string stamp = std::to_string(size) + "@" +
      std::to_string(fs::last_write_time(regionList_, ec).time_since_epoch().count());
  if (ec || stamp == copied_) return !ec;
  fs::create_directories(copy.parent_path(), ec);
  fs::copy_file(regionList_, copy, fs::copy_options::overwrite_existing, ec);
  if (ec) return false;
  copied_ = stamp;
  return true;
}

UploadSummary LogIntake::Read(const std::string& bytes) {
  if (text::TrimBlanks(bytes).empty()) {
    throw UploadRefused(UploadRefused::Reason::kEmpty, "the upload is empty");
  }
  UploadSummary summary;
  summary.sha256 = Sha256Hex(bytes);
  summary.bytes = static_cast<std::int64_t>(bytes.size());
  zelta::LoadedLog loaded;
  try {
    std::string copy = bytes;
    loaded = zelta::LoadLog(copy);
  } catch (const logs::LogRefused& refused) {
    throw UploadRefused(UploadRefused::Reason::kNotALog,
                        "line " + std::to_string(refused.Position().line) + ": " + refused.what());
  }
  const logs::QsoLog& log = loaded.log;
  summary.call = log.ownCall;
  if (summary.call.empty()) {
    throw UploadRefused(UploadRefused::Reason::kNoCall,
                        "the log names no own call (CALLSIGN, STATION_CALLSIGN or OPERATOR)");
  }
  if (!IsCallSign(summary.call)) {
    throw UploadRefused(UploadRefused::Reason::kBadCall,
                        "the log's own call '" + logs::ShownText(summary.call, 40) +
                            "' is no call sign (letters, digits and '/')");
  }
  if (loaded.qsos.Size() == 0) {
    throw UploadRefused(UploadRefused::Reason::kNoQso,
                        log.skipped.empty() ? "the log holds no QSO" : "no QSO of the log can be read");
  }
  summary.format = log.format == logs::LogFormat::kAdif ? "adif" : "cabrillo";
  // The category as the contest names it. A header that fits none is said so with the
  // values allowed, so that the entrant can send a corrected log before the deadline.
  std::vector<Problem> problems;
  const adjudication::Classification found = adjudication::Classify(log.headers, rules_);
  if (found.kind == adjudication::Classification::Kind::kCategory) {
    summary.category = found.name;
  } else if (found.kind == adjudication::Classification::Kind::kChecklog) {
    summary.category = "CHECKLOG";
  } else {
    const std::string header = logs::ShownText(found.header, 200);
    summary.category = "unclassified: " + header;
    problems.push_back({0, "the log's category (" + header +
                               ") fits none of the contest's categories; allowed: " +
                               adjudication::AllowedValues(rules_)});
  }
  if (found.kind != adjudication::Classification::Kind::kChecklog && !found.defaulted.empty()) {
    std::string taken;
    for (const std::size_t field : found.defaulted) {
      taken += std::string(taken.empty() ? "" : ", ") + adjudication::kCategoryFields[field] + " " +
               adjudication::kCategoryDefaults[field];
    }
    problems.push_back({0, "category fields not given, taken as the header dialog has them: " + taken});
  }
  summary.logClaimedScore = ClaimedScoreHeader(log);
  summary.skippedLines = static_cast<int>(logs::SkippedCount(log));

  zelta::RunCounts counts;
  std::vector<std::string> reasons;
  {
    const std::lock_guard lock(mutex_);
    RefreshRegionList();  // a list that cannot be copied now leaves the last copy in use
    EnterFolderOnThisThread(hostFolder_);
    counts = zelta::AddLog(plugin_, loaded.qsos, summary.call, false);
    int ignored = 0;
    const std::optional<adjudication::Score> score =
        adjudication::ParseSummaryScore(plugin_.GetResult(ignored));
    summary.claimedScore = score ? score->score : 0;
    const std::string checkFile = stats::CheckFileName(summary.call);
    reasons = RefusalReasons(checkFile);
    std::error_code removeError;
    fs::remove(checkFile, removeError);
  }
  summary.qsos = static_cast<int>(counts.handed);
  summary.counted = static_cast<int>(counts.Counted());
  summary.repeats = static_cast<int>(counts.repeats);
  summary.refused = static_cast<int>(counts.Refused());

  for (const zelta::LogProblem& problem : loaded.problems) {
    problems.push_back({static_cast<long long>(problem.position.line),
                        (problem.skipped ? "skipped: " : "") + problem.text});
  }
  if (counts.repeats > 0) {
    problems.push_back({static_cast<long long>(counts.firstRepeatLine),
                        std::to_string(counts.repeats) +
                            (counts.repeats == 1 ? " exact repeat" : " exact repeats") +
                            " of a QSO counted once (this one repeats line " +
                            std::to_string(counts.firstRepeatOfLine) + ")"});
  }
  for (std::size_t r = 0; r < counts.refusedQsos.size(); ++r) {
    const logs::LogQso qso = loaded.qsos.At(counts.refusedQsos[r]);
    const std::string reason = r < reasons.size() && !reasons[r].empty() ? reasons[r]
                                                                          : "refused by the plug-in";
    problems.push_back({static_cast<long long>(qso.position.line),
                        "QSO refused: " + reason + " (" + logs::ShownText(qso.call) + ", " +
                            logs::ShownText(qso.mode) + ")"});
  }
  if (rules_.start || rules_.end) {
    for (std::size_t i = 0; i < loaded.qsos.Size(); ++i) {
      const logs::LogQso qso = loaded.qsos.At(i);
      const long long at = adjudication::SecondsOf(qso.time);
      if ((rules_.start && at < adjudication::SecondsOf(*rules_.start)) ||
          (rules_.end && at >= adjudication::SecondsOf(*rules_.end))) {
        problems.push_back({static_cast<long long>(qso.position.line),
                            "QSO outside the contest period (" +
                                adjudication::TimeText(qso.time) + " UTC, " +
                                logs::ShownText(qso.call) + ")"});
      }
    }
  }
  std::stable_sort(problems.begin(), problems.end(),
                   [](const Problem& a, const Problem& b) { return a.line < b.line; });
  summary.problemsJson = ProblemsJson(problems);
  return summary;
}

}  // namespace robot
