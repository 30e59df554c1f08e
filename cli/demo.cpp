// zelta demo: the sample log scored in a fresh host folder, or with --organiser a
// small simulated contest checked and published.
#include <filesystem>
#include <fstream>
#include <memory>

#include "adjudication/simulator.h"
#include "cli/adjudicate.h"
#include "cli/command.h"
#include "cli/example_files.h"
#include "host/scoring_run.h"
#include "stats/ubn/file_names.h"

namespace fs = std::filesystem;

namespace cli {
namespace {

int OperatorDemo(const HostOptions& options) {
  const fs::path folder = "zelta-demo";
  std::string sample;
  for (const zelta::ExampleFile& file : zelta::ExampleFiles()) {
    const fs::path path = folder / fs::path(std::string(file.path));
    std::error_code ec;
    fs::create_directories(path.parent_path(), ec);
    if (!WriteFileBytes(path.string(), std::string(file.bytes))) {
      return Failure("cannot write " + path.generic_string());
    }
    if (path.extension() == ".adi") sample = path.generic_string();
  }
  std::string bytes;
  if (sample.empty() || !ReadFileBytes(sample, bytes)) return Failure("the demo has no sample log");

  HostOptions run = options;
  run.dir = folder.string();
  run.report = true;
  run.batch = true;
  std::string ownCall;
  const fs::path start = fs::current_path();
  if (const int status = ScoreLog(run, sample, bytes, &ownCall); status != kDone) return status;
  fs::current_path(start);

  auto describe = [&](const std::string& name) {
    const fs::path path = folder / name;
    return path.generic_string() + (fs::exists(path) ? "" : " (not written)");
  };
  PrintBytes("\nCheck file (refused QSOs): " + describe(stats::CheckFileName(ownCall)) +
             "\nCabrillo log:              " + describe(stats::CabrilloFileName(ownCall)) +
             "\n\nScore your own log in the same host folder:\n  zelta score LOG --dir " +
             folder.generic_string() + " --report\n");
  return kDone;
}

// A small simulated contest, checked, with its results page: the organiser's side in
// one command.
int OrganiserDemo(const HostOptions& options) {
  if (options.raw) throw UsageError("demo --organiser takes no --raw");
  const fs::path folder = "zelta-contest";
  adjudication::SimulationOptions simulation;
  simulation.stations = 30;
  simulation.qsosPerStation = 100;
  std::string error;
  const adjudication::SimulatedContest simulated = adjudication::Simulate(simulation);
  if (!adjudication::WriteSimulation(simulated, folder.string(), error)) return Failure(error);
  PrintBytes("Simulated " + zelta::CountOf(simulated.logs.size(), "log") + " (" +
             zelta::CountOf(simulated.qsoCount, "QSO") + ") in " + folder.generic_string() +
             "/logs\n\n");
  AdjudicateOptions run;
  run.host.plugin = options.plugin;
  run.host.dir = folder.string();
  run.logDir = (folder / "logs").string();
  run.rules = (folder / "rules.ini").string();
  run.out = (folder / "results").string();
  return RunAdjudicate(run);
}

}  // namespace

void AddDemo(CLI::App& zelta, Commands& commands) {
  struct Options {
    HostOptions host;
    bool organiser = false;
  };
  auto options = std::make_shared<Options>();
  CLI::App* command = zelta.add_subcommand(
      "demo",
      "Scores the sample log in ./zelta-demo (or, --organiser, checks a simulated contest).\n\n"
      "Sets up the host folder ./zelta-demo from the examples built into zelta (a sample\n"
      "ADIF log, Plugins/zelta.dom, Plugins/QOLEB.ini, cabrillo.ini), scores the sample\n"
      "log with the report flag, and prints the summary and the paths of the check file\n"
      "and the Cabrillo log. Running it again refreshes the example files.");
  command->add_flag("--organiser,--organizer", options->organiser,
                    "show the organiser's side instead: simulate a small contest in\n"
                    "./zelta-contest, check every log, write the results page, the results\n"
                    "CSV and a log-check report for each entrant into ./zelta-contest/results,\n"
                    "and print the page's path");
  AddPluginOption(*command, options->host);
  command->add_flag("--raw", options->host.raw,
                    "print the summary's bytes as the plug-in returns them (Windows-1251)");
  command->footer("Example:\n  zelta demo\n  zelta demo --organiser");
  commands.push_back({command, [options] {
                        return options->organiser ? OrganiserDemo(options->host)
                                                  : OperatorDemo(options->host);
                      }});
}

}  // namespace cli
