#include "host/scoring_run.h"

#include <chrono>
#include <filesystem>

#include "host/host_system.h"
#include "logs/log_notes.h"
#include "logs/log_reader.h"
#include "platform/shared_library.h"
#include "stats/ubn/file_names.h"

namespace fs = std::filesystem;

namespace zelta {

LoadedLog LoadLog(std::string& bytes) {
  LoadedLog loaded;
  loaded.log = logs::ReadLog(bytes, [&loaded](logs::LogQso&& qso) { loaded.qsos.Add(qso); });
  std::string().swap(bytes);
  for (const logs::LogNote& note : loaded.log.warnings) {
    loaded.problems.push_back({note.position, note.text, false});
  }
  for (const logs::LogNote& note : loaded.log.skipped) {
    loaded.problems.push_back({note.position, note.text, true});
  }
  if (const auto lines = loaded.qsos.SortByTime()) {
    loaded.problems.push_back(
        {logs::LogPosition{0, lines->first},
         "the log is not in time order (the QSO on line " + std::to_string(lines->second) +
             " is earlier than this one); its QSOs are handed over in time order",
         false});
  }
  return loaded;
}

std::string ProblemLine(const std::string& label, const LogProblem& problem) {
  std::string line = logs::ShownText(label, 200) + ":" + std::to_string(problem.position.line);
  if (problem.skipped) line += " (byte " + std::to_string(problem.position.offset) + ")";
  return line + ": " + problem.text;
}

RunCounts AddLog(StatsPlugin& plugin, const QsoHandover& qsos, const std::string& ownCall,
                 bool report, const RunProgress& progress) {
  plugin.ResetStats(ownCall, report, qsos.Size() == 0 ? NowUtc() : qsos.At(0).time);
  RunCounts counts;
  counts.handed = qsos.Size();
  std::vector<std::size_t> acceptedAtThisTime;  // QSOs of one time that the plug-in keeps
  for (std::size_t i = 0; i < qsos.Size(); ++i) {
    if (progress && i % 1024 == 0) progress(i, qsos.Size());
    if (i > 0 && !qsos.SameTime(i - 1, i)) acceptedAtThisTime.clear();
    const logs::LogQso qso = qsos.At(i);
    if (plugin.AddData(ownCall, qso) != 1) {
      counts.refusedQsos.push_back(i);
      continue;
    }
    ++counts.accepted;
    bool repeat = false;
    for (const std::size_t earlier : acceptedAtThisTime) {
      if (!qsos.SameForPlugin(earlier, i)) continue;
      repeat = true;
      if (counts.repeats++ == 0) {
        counts.firstRepeatLine = qso.position.line;
        counts.firstRepeatOfLine = qsos.At(earlier).position.line;
      }
      break;
    }
    if (!repeat) acceptedAtThisTime.push_back(i);
  }
  return counts;
}

std::string RunCountsText(const RunCounts& counts, const std::string& ownCall,
                          const logs::QsoLog& log) {
  std::string text = CountOf(counts.handed, "QSO") + " handed to the plug-in, " +
                     std::to_string(counts.Counted()) + " counted";
  if (counts.repeats > 0) {
    text += ", " + std::to_string(counts.repeats) +
            (counts.repeats == 1 ? " exact repeat" : " exact repeats") +
            " of a QSO ignored (the first on line " + std::to_string(counts.firstRepeatLine) +
            ", as on line " + std::to_string(counts.firstRepeatOfLine) + ")";
  }
  if (counts.Refused() > 0) {
    text += ", " + std::to_string(counts.Refused()) + " refused (see " +
            stats::CheckFileName(ownCall) + ")";
  }
  if (const std::size_t skipped = logs::SkippedCount(log)) {
    text += "; " +
            CountOf(skipped, log.format == logs::LogFormat::kAdif ? "record" : "QSO line") +
            " of the log skipped";
  }
  return text;
}

std::string DefaultPluginPath() {
  const std::string self = platform::ExecutablePath();
  if (self.empty()) return {};
  const fs::path beside = fs::path(self).parent_path() / PluginFileName();
  // Installed as a package: <prefix>/bin/zelta and <prefix>/lib/zelta/libStats.so.
  const fs::path installed = fs::path(self).parent_path() / ".." / "lib" / "zelta" / PluginFileName();
  std::error_code ignored;
  if (!fs::exists(beside, ignored) && fs::is_regular_file(installed, ignored)) {
    return installed.lexically_normal().string();
  }
  return beside.string();
}

platform::CalendarTime NowUtc() {
  using namespace std::chrono;
  const auto now = floor<seconds>(system_clock::now());
  const auto today = floor<days>(now);
  const year_month_day date(today);
  const hh_mm_ss<seconds> time(now - today);
  platform::CalendarTime t;
  t.year = static_cast<int>(date.year());
  t.month = static_cast<int>(static_cast<unsigned>(date.month()));
  t.day = static_cast<int>(static_cast<unsigned>(date.day()));
  t.hour = static_cast<int>(time.hours().count());
  t.minute = static_cast<int>(time.minutes().count());
  t.second = static_cast<int>(time.seconds().count());
  return t;
}

std::string CountOf(std::size_t n, const char* thing) {
  return std::to_string(n) + " " + thing + (n == 1 ? "" : "s");
}

}  // namespace zelta
