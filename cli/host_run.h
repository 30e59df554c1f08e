// What the commands that run the plug-in as the host does share: where the plug-in
// and the host folder are, reading a log with its problems reported, the own call.
#pragma once

#include <optional>
#include <string>

#include "cli/command.h"
#include "host/plugin_driver.h"
#include "host/scoring_run.h"

namespace cli {

struct HostOptions {
  std::optional<std::string> plugin;   // --plugin PATH
  std::string dir = ".";               // --dir DIR
  std::optional<std::string> call;     // --call CALL
  bool report = false, raw = false, batch = false;
};

// AddPluginOption(), AddDirOption(), AddCallOption()
// --plugin, and (where the command runs in a host folder) --dir; for a command that
// reads a log, --call.
void AddPluginOption(CLI::App& command, HostOptions& options);
void AddDirOption(CLI::App& command, HostOptions& options, const std::string& what);
void AddCallOption(CLI::App& command, HostOptions& options);

// OpenHost()
// Resolves the plug-in's path against the starting folder, makes the host folder
// the current one (unless `enterHostFolder` is false) and loads the plug-in there;
// kDone, or kFailed after the message.
int OpenHost(const HostOptions& options, zelta::StatsPlugin& plugin, bool enterHostFolder = true);

// LoadReported()
// Reads the log from `bytes` (released) and reports its problems on standard
// error as `label:line: text`; false after the message when the log holds no QSO
// that can be read.
bool LoadReported(const std::string& label, std::string& bytes, zelta::LoadedLog& loaded);

// OwnCall()
// --call, else the log's own call. Throws UsageError when neither gives one.
std::string OwnCall(const HostOptions& options, const zelta::LoadedLog& loaded,
                    const std::string& label);

// AddReported()
// Hands the log over (showing a terminal how far it has got for a large log) and
// writes the counts line.
void AddReported(zelta::StatsPlugin& plugin, const zelta::LoadedLog& loaded,
                 const std::string& ownCall, bool report);

// ScoreLog()
// Scores the log in `bytes` (`label` names it) and prints the summary; the own call
// used goes to `ownCallOut`.
int ScoreLog(const HostOptions& options, const std::string& label, std::string& bytes,
             std::string* ownCallOut);

}  // namespace cli
