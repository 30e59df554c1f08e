// One log scored as the host program scores it: read, its problems gathered as
// zelta reports them, its QSOs handed to the plug-in in time order and what the
// plug-in did with them counted. Shared by `zelta score` and the log robot.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "host/plugin_driver.h"
#include "host/qso_handover.h"
#include "logs/qso_log.h"
#include "platform/ole_calendar.h"

namespace zelta {

// Something to tell about a log: a remark on a QSO that was kept, a record that
// was skipped, or the reordering of the QSOs.
struct LogProblem {
  logs::LogPosition position;
  std::string text;            // bytes from the file come escaped
  bool skipped = false;        // a record that never reached the plug-in
};

struct LoadedLog {
  logs::QsoLog log;            // the header, the own call and the notes; no QSOs
  QsoHandover qsos;            // every QSO read, in time order
  std::vector<LogProblem> problems;  // the warnings, the skipped records, the reordering
};

// LoadLog()
// Reads the log from `bytes`, which it releases. Throws logs::LogRefused when the
// text is no log. A log that holds no QSO is returned as it is.
LoadedLog LoadLog(std::string& bytes);

// ProblemLine()
// A problem as zelta prints it: "FILE:LINE: text", a skipped record with its byte
// offset ("FILE:LINE (byte N): text"); `label` names the file.
std::string ProblemLine(const std::string& label, const LogProblem& problem);

struct RunCounts {
  std::size_t handed = 0;      // QSOs handed to the plug-in
  std::size_t accepted = 0;    // of them taken by the plug-in, exact repeats included
  std::size_t repeats = 0;     // taken, but kept by the plug-in as the same record as another
  std::size_t firstRepeatLine = 0, firstRepeatOfLine = 0;
  std::vector<std::size_t> refusedQsos;  // hand-over indices of the QSOs the plug-in refused
  std::size_t Counted() const { return accepted - repeats; }
  std::size_t Refused() const { return handed - accepted; }
};

using RunProgress = std::function<void(std::size_t done, std::size_t total)>;

// AddLog()
// Starts a run for `ownCall` and hands every QSO over in time order. `progress`,
// when given, is told every 1,024 QSOs.
RunCounts AddLog(StatsPlugin& plugin, const QsoHandover& qsos, const std::string& ownCall,
                 bool report, const RunProgress& progress = nullptr);

// RunCountsText()
// "N QSOs handed to the plug-in, C counted, R exact repeats of a QSO ignored (...),
// F refused (see CALL-ubn.txt); S records of the log skipped".
std::string RunCountsText(const RunCounts& counts, const std::string& ownCall,
                          const logs::QsoLog& log);

// DefaultPluginPath()
// The plug-in beside this program, else in ../lib/zelta/ from it (where the package
// installs it); empty when the program cannot tell where it lies.
std::string DefaultPluginPath();

// NowUtc()
// The present time, UTC, to the second.
platform::CalendarTime NowUtc();

// CountOf()
// "1 QSO", "2 QSOs".
std::string CountOf(std::size_t n, const char* thing);

}  // namespace zelta
