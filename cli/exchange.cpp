// zelta exchange: the plug-in's exchange rule.
#include <memory>

#include "cli/command.h"
#include "cli/host_run.h"

namespace cli {

void AddExchange(CLI::App& zelta, Commands& commands) {
  struct Options {
    HostOptions host;
    std::string text;
  };
  auto options = std::make_shared<Options>();
  CLI::App* command = zelta.add_subcommand(
      "exchange",
      "Asks the plug-in whether a received exchange is acceptable.\n\n"
      "Asks the plug-in whether TEXT is an acceptable received exchange (a number of\n"
      "three or four digits other than 599).");
  command->add_option("TEXT", options->text, "the received exchange")->required();
  AddPluginOption(*command, options->host);
  command->footer("Example:\n  zelta exchange 017");
  commands.push_back({command, [options] {
                        zelta::StatsPlugin plugin;
                        if (const int status = OpenHost(options->host, plugin, false);
                            status != kDone) {
                          return status;
                        }
                        const int answer = plugin.IsValidExchg(options->text);
                        PrintBytes("\"" + options->text + "\": " +
                                   (answer == 1 ? "acceptable exchange (1)\n"
                                                : "not an acceptable exchange (0)\n"));
                        return kDone;
                      }});
}

}  // namespace cli
