#include "cli/host_run.h"

#include <chrono>
#include <cstdio>
#include <filesystem>

#include "cli/command.h"
#include "host/host_system.h"
#include "logs/log_notes.h"
#include "logs/log_reader.h"
#include "logs/text_encoding.h"

namespace fs = std::filesystem;

namespace cli {

void AddPluginOption(CLI::App& command, HostOptions& options) {
  command.add_option("--plugin", options.plugin,
                     "the plug-in to load (default: the one beside this program, else\n"
                     "../lib/zelta/ from it, where the package installs it)")
      ->type_name("PATH");
}

void AddDirOption(CLI::App& command, HostOptions& options, const std::string& what) {
  command.add_option("--dir", options.dir, what)->type_name("DIR");
}

void AddCallOption(CLI::App& command, HostOptions& options) {
  command.add_option("--call", options.call,
                     "own call sign (default: the log's STATION_CALLSIGN, OPERATOR or\n"
                     "Cabrillo CALLSIGN)")
      ->type_name("CALL");
}

int OpenHost(const HostOptions& options, zelta::StatsPlugin& plugin, bool enterHostFolder) {
  fs::path pluginPath;
  if (options.plugin) {
    pluginPath = fs::absolute(fs::path(*options.plugin));
  } else {
    const std::string found = zelta::DefaultPluginPath();
    if (found.empty()) return Failure("cannot find where zelta lies: pass --plugin PATH");
    pluginPath = found;
  }
  std::error_code ec;
  if (!fs::is_regular_file(pluginPath, ec)) {
    return Failure("plug-in " + pluginPath.string() + " does not exist");
  }
  const std::string& dir = options.dir;
  if (enterHostFolder) {
    if (!fs::is_directory(fs::path(dir), ec)) return Failure("host folder " + dir + " does not exist");
    fs::current_path(fs::path(dir), ec);
    if (ec) return Failure("cannot enter the host folder " + dir + ": " + ec.message());
    if (!fs::is_directory("Plugins", ec)) {
      Note("warning: " + dir +
           " has no Plugins folder: the plug-in finds neither its region list nor its settings");
    }
  }
  std::string error;
  if (!plugin.Load(pluginPath.string(), error)) {
    return Failure("cannot load the plug-in " + pluginPath.string() + ": " + error);
  }
  return kDone;
}

bool LoadReported(const std::string& label, std::string& bytes, zelta::LoadedLog& loaded) {
  try {
    loaded = zelta::LoadLog(bytes);
  } catch (const logs::LogRefused& refused) {
    Failure(logs::ShownText(label, 200) + ":" + std::to_string(refused.Position().line) +
            ": cannot read the log (byte " + std::to_string(refused.Position().offset) +
            "): " + refused.what());
    return false;
  }
  for (const zelta::LogProblem& problem : loaded.problems) Note(zelta::ProblemLine(label, problem));
  if (loaded.qsos.Size() == 0) {
    Failure(logs::ShownText(label, 200) + (loaded.log.skipped.empty()
                                               ? ": the log holds no QSO"
                                               : ": no QSO of the log can be read"));
    return false;
  }
  return true;
}

std::string OwnCall(const HostOptions& options, const zelta::LoadedLog& loaded,
                    const std::string& label) {
  if (options.call) {
    if (options.call->empty()) throw UsageError("--call needs a call sign");
    return *options.call;
  }
  if (loaded.log.ownCall.empty()) {
    throw UsageError(label.empty() ? std::string("no log gives the own call sign: pass --call CALL")
                                   : label + " names no own call sign (STATION_CALLSIGN, "
                                             "OPERATOR or CALLSIGN): pass --call CALL");
  }
  return loaded.log.ownCall;
}

void AddReported(zelta::StatsPlugin& plugin, const zelta::LoadedLog& loaded,
                 const std::string& ownCall, bool report) {
  // A large log takes some seconds: a terminal is shown how far it has got.
  const bool terminal = zelta::StandardErrorIsTerminal();
  const auto start = std::chrono::steady_clock::now();
  auto lastShown = start;
  bool shown = false;
  auto progress = [&](std::size_t done, std::size_t total) {
    const auto now = std::chrono::steady_clock::now();
    if (now - start <= std::chrono::seconds(2) || now - lastShown <= std::chrono::milliseconds(500)) {
      return;
    }
    std::fprintf(stderr, "\rzelta: %zu of %s handed to the plug-in", done,
                 zelta::CountOf(total, "QSO").c_str());
    std::fflush(stderr);
    lastShown = now;
    shown = true;
  };
  const zelta::RunCounts counts =
      zelta::AddLog(plugin, loaded.qsos, ownCall, report,
                    terminal ? zelta::RunProgress(progress) : zelta::RunProgress());
  if (shown) std::fputs("\r\x1B[K", stderr);
  Note(zelta::RunCountsText(counts, ownCall, loaded.log));
}

int ScoreLog(const HostOptions& options, const std::string& label, std::string& bytes,
             std::string* ownCallOut) {
  zelta::LoadedLog loaded;
  if (!LoadReported(label, bytes, loaded)) return kFailed;
  const std::string ownCall = OwnCall(options, loaded, label);
  if (options.batch) zelta::StartBatchMode();
  zelta::StatsPlugin plugin;
  if (const int status = OpenHost(options, plugin); status != kDone) return status;
  AddReported(plugin, loaded, ownCall, options.report);
  int score = 0;
  const std::string summary = plugin.GetResult(score);
  PrintBytes(options.raw ? summary : logs::Cp1251ToUtf8(summary));
  plugin.Unload();
  if (ownCallOut) *ownCallOut = ownCall;
  return kDone;
}

}  // namespace cli
