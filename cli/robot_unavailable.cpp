// The Windows build has no log robot (a Linux service): there `zelta.exe robot` and
// `zelta.exe submit` are unknown commands.
#include "cli/command.h"

namespace cli {

void AddRobot(CLI::App&, Commands&) {}
void AddSubmit(CLI::App&, Commands&) {}

}  // namespace cli
