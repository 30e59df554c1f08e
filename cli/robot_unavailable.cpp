// The Windows build has no log robot (a Linux service): there `zelta.exe robot`,
// `zelta.exe submit` and `zelta.exe backup` say that they are in the Linux build.
#include "cli/command.h"

namespace cli {

void AddRobot(CLI::App&, Commands&) {}
void AddSubmit(CLI::App&, Commands&) {}
void AddBackup(CLI::App&, Commands&) {}

std::string AbsentCommand(const std::string& name) {
  if (name != "robot" && name != "submit" && name != "backup") return {};
  return "this zelta has no " + name +
         " command: the log robot and its client are in the Linux build (the Debian package)";
}

}  // namespace cli
