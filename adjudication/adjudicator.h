// The log checker: reads every entrant's log of a folder, scores each through the
// plug-in (the claimed score), cross-checks all QSOs and scores what keeps its
// credit (the checked score).
#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "adjudication/verdicts.h"
#include "host/plugin_driver.h"

namespace adjudication {

// The folder or a log in it cannot be used; what() says which and why.
class AdjudicationError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct AdjudicationInput {
  std::string logDir;   // one log per entrant, every file of it but hidden ones
  std::string hostDir;  // supplies the region list, Plugins/zelta.dom
  Rules rules;
  // Where the plug-in's scratch host folder is made; empty: a memory file system
  // when there is one (and TMPDIR names no other place), else the temp folder.
  std::string scratchBase;
};

// ReadWholeFile()
// The bytes of the file at `path`; throws AdjudicationError when it cannot be read.
std::string ReadWholeFile(const std::filesystem::path& path);

// Called as work goes on: the stage ("reading", "scoring", ...), done of total.
using Progress = std::function<void(std::string_view stage, std::size_t done, std::size_t total)>;

// Adjudicate()
// The checked contest, logs sorted by call. The plug-in is run in a scratch host
// folder of its own (the region list copied into it), never with the report flag,
// and the current directory is the same afterwards; the plug-in is loaded afresh at
// the end, so that its last run leaves no file open in that folder. Messages about the logs (records
// the readers skipped, a missing region list) go to `notes`, each naming its file
// and line. Throws AdjudicationError for a folder without logs, an unreadable log,
// a log without its own call and two logs of one call.
Contest Adjudicate(const AdjudicationInput& input, zelta::StatsPlugin& plugin,
                   std::vector<std::string>& notes, const Progress& progress = {});

// ParseSummaryScore()
// QSOs, points and multipliers from the plug-in's summary's total line and the
// score from its "Score: P*M = S" line; nullopt when either is missing.
std::optional<Score> ParseSummaryScore(std::string_view summary);

}  // namespace adjudication
