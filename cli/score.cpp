// zelta score: one log scored through the plug-in, as the host program scores it.
#include <memory>

#include "cli/command.h"
#include "cli/host_run.h"

namespace cli {

void AddScore(CLI::App& zelta, Commands& commands) {
  struct Options {
    HostOptions host;
    std::string log;
  };
  auto options = std::make_shared<Options>();
  CLI::App* command = zelta.add_subcommand(
      "score",
      "Scores a log through the plug-in, as the host program does.\n\n"
      "Scores LOG (ADIF .adi or Cabrillo, recognised by content) through the plug-in:\n"
      "ResetStats0, one AddData0 per QSO, then GetResult0, whose summary is printed.");
  command->add_option("LOG", options->log, "the log file")->required();
  AddCallOption(*command, options->host);
  command->add_flag("--report", options->host.report,
                    "start the run with the report flag: the plug-in writes the Cabrillo\n"
                    "log CALL.cbr and confirms it");
  AddDirOption(*command, options->host,
               "the host's folder (default: the current one). The plug-in runs there:\n"
               "it reads Plugins/zelta.dom, Plugins/QOLEB.ini and cabrillo.ini, and\n"
               "writes CALL-ubn.txt (refused QSOs) and CALL.cbr there");
  AddPluginOption(*command, options->host);
  command->add_flag("--raw", options->host.raw,
                    "print the summary's bytes as the plug-in returns them (Windows-1251)\n"
                    "instead of UTF-8");
  command->add_flag("--batch", options->host.batch,
                    "answer the plug-in's windows without a person: message boxes are\n"
                    "printed to standard error, the header dialog is cancelled");
  command->footer(
      "QSOs go over in time order. Records that cannot become a complete QSO are skipped,\n"
      "each kind of problem reported once with its lines; QSOs that the contest does not\n"
      "count are listed in CALL-ubn.txt; exact repeats of a QSO are counted once.\n"
      "Exit status: 0 scored, 1 no log to score (a folder, a device, an empty or unreadable\n"
      "file, no QSO that can be read) or the folder or plug-in cannot be used, 2 usage error.\n"
      "\n"
      "Example:\n"
      "  zelta score mylog.adi --call Q1ABC --dir zelta-demo --report");
  commands.push_back({command, [options] {
                        std::string bytes, error;
                        if (!ReadLogFile(options->log, bytes, error)) return Failure(error);
                        return ScoreLog(options->host, options->log, bytes, nullptr);
                      }});
}

}  // namespace cli
