// zelta simulate: a whole contest with known truth, for trying the checker.
#include <cstdint>
#include <filesystem>
#include <memory>

#include "adjudication/simulator.h"
#include "cli/command.h"
#include "host/scoring_run.h"

namespace fs = std::filesystem;

namespace cli {

void AddSimulate(CLI::App& zelta, Commands& commands) {
  struct Options {
    adjudication::SimulationOptions simulation;
    std::string out;
    std::string faults = "on";
  };
  auto options = std::make_shared<Options>();
  CLI::App* command = zelta.add_subcommand(
      "simulate",
      "Writes a simulated contest whose true verdicts are known.\n\n"
      "Writes a simulated contest: N stations with calls as crowded as a real contest's\n"
      "(about one in ten sends no log) each making about Q QSOs over four hours on 80, 40,\n"
      "20 and 15 m in CW, SSB and BPSK63, with faults injected at set rates: miscopied\n"
      "calls (some onto another entrant's call, some cut short) and numbers, QSOs missing\n"
      "from one log or logged twice, dupes, clocks several minutes wrong, dates a day off,\n"
      "QSOs outside the period, at its edge or in a mode the contest does not count. The\n"
      "same seed gives the same contest. Written:\n"
      "DIR/logs/CALL.cbr, DIR/Plugins/zelta.dom (the region list), DIR/rules.ini and\n"
      "DIR/truth.csv (file,line,call,verdict,correct: the true verdict of every QSO).");
  command->add_option("--stations", options->simulation.stations, "the number of stations")
      ->required()
      ->check(CLI::Range(2, 100000))
      ->type_name("N");
  command->add_option("--out", options->out, "the folder to write the contest into")
      ->required()
      ->type_name("DIR");
  command->add_option("--seed", options->simulation.seed, "the seed (default 1)")->type_name("S");
  command->add_option("--qsos", options->simulation.qsosPerStation,
                      "QSOs per station, about (default 100)")
      ->check(CLI::Range(1, 100000))
      ->type_name("Q");
  command->add_option("--faults", options->faults, "inject faults (default on)")
      ->check(CLI::IsMember({"on", "off"}))
      ->type_name("on|off");
  command->footer("Example:\n  zelta simulate --stations 20 --out contest --seed 7");
  commands.push_back({command, [options] {
                        options->simulation.faults = options->faults == "on";
                        const adjudication::SimulatedContest contest =
                            adjudication::Simulate(options->simulation);
                        std::string error;
                        if (!adjudication::WriteSimulation(contest, options->out, error)) {
                          return Failure(error);
                        }
                        const std::string dir = fs::path(options->out).generic_string();
                        PrintBytes("Wrote " + zelta::CountOf(contest.logs.size(), "log") + " (" +
                                   zelta::CountOf(contest.qsoCount, "QSO") + ") to " + dir +
                                   "/logs, the region list " + dir + "/Plugins/zelta.dom, the rules " +
                                   dir + "/rules.ini and the true verdicts " + dir +
                                   "/truth.csv\n\nCheck the logs:\n  zelta adjudicate " + dir +
                                   "/logs --dir " + dir + " --rules " + dir + "/rules.ini\n");
                        return kDone;
                      }});
}

}  // namespace cli
