// The Windows build has no log robot: `robot` and `submit` say so.
#include "cli/command.h"

namespace cli {
namespace {

void AddUnavailable(CLI::App& zelta, Commands& commands, const char* name) {
  CLI::App* command = zelta.add_subcommand(name, "");
  command->group("");  // not listed in the help
  command->allow_extras();
  commands.push_back({command, [name] {
                        return Failure(std::string("this zelta has no ") + name +
                                       " command: the log robot runs on Linux (the Debian package)");
                      }});
}

}  // namespace

void AddRobot(CLI::App& zelta, Commands& commands) { AddUnavailable(zelta, commands, "robot"); }
void AddSubmit(CLI::App& zelta, Commands& commands) { AddUnavailable(zelta, commands, "submit"); }

}  // namespace cli
