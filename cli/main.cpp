// zelta: a stand-in for the host program that scores a contest log through the
// Stats plug-in, and the organiser's checker. This file only assembles the commands.
#include <cstdio>
#include <cstring>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "cli/command.h"
#include "host/host_system.h"

#ifndef ZELTA_VERSION
#define ZELTA_VERSION "0"
#endif

namespace {

// The list of commands in `zelta --help` shows the first line of each command's
// description; the command's own help shows all of it.
class Formatter : public CLI::Formatter {
 public:
  std::string make_subcommand(const CLI::App* sub) const override {
    const std::string description = sub->get_description();
    std::ostringstream out;
    CLI::detail::format_help(out, sub->get_name(), description.substr(0, description.find('\n')),
                             column_width_);
    return out.str();
  }
};

int Usage(const std::string& text, const std::string& command) {
  std::fprintf(stderr, "zelta: %s\nzelta: see 'zelta %s--help'\n", text.c_str(),
               command.empty() ? "" : (command + " ").c_str());
  return cli::kUsage;
}

}  // namespace

int main(int argc, char** argv) {
  zelta::PrepareStandardOutput();
  CLI::App zelta(
      "zelta: scores a contest log through the Stats plug-in, as the host program does,\n"
      "and checks every entrant's log for the organiser.",
      "zelta");
  zelta.formatter(std::make_shared<Formatter>());
  zelta.set_version_flag("--version", "zelta " ZELTA_VERSION);
  zelta.require_subcommand(1);
  zelta.footer(
      "Each command's options: zelta COMMAND --help.\n"
      "Exit status: 0 done, 1 a log, folder, rules file or the plug-in cannot be used,\n"
      "2 usage error.\n"
      "\n"
      "Example:\n"
      "  zelta demo\n"
      "  zelta score mylog.adi --dir zelta-demo --report");
  cli::Commands commands;
  cli::AddScore(zelta, commands);
  cli::AddCheck(zelta, commands);
  cli::AddExchange(zelta, commands);
  cli::AddDemo(zelta, commands);
  cli::AddAdjudicate(zelta, commands);
  cli::AddSimulate(zelta, commands);
  cli::AddRobot(zelta, commands);
  cli::AddSubmit(zelta, commands);
  cli::AddBackup(zelta, commands);
  for (const cli::Command& command : commands) command.app->allow_extras();

  std::vector<const char*> args(argv, argv + argc);
  if (argc < 2) {
    std::fputs(zelta.help().c_str(), stderr);
    return cli::kUsage;
  }
  if (std::strcmp(args[1], "help") == 0) {
    // "zelta help score" is "zelta score --help".
    args.erase(args.begin() + 1);
    args.push_back("--help");
  }
  if (args.size() > 1 && args[1][0] != '-') {
    bool known = false;
    for (const cli::Command& command : commands) known = known || command.app->get_name() == args[1];
    if (!known && !cli::AbsentCommand(args[1]).empty()) return cli::Failure(cli::AbsentCommand(args[1]));
    if (!known) return Usage("unknown command '" + std::string(args[1]) + "'", "");
  }
  try {
    zelta.parse(static_cast<int>(args.size()), const_cast<char**>(args.data()));
  } catch (const CLI::CallForHelp& e) {
    return zelta.exit(e);
  } catch (const CLI::CallForAllHelp& e) {
    return zelta.exit(e);
  } catch (const CLI::CallForVersion& e) {
    return zelta.exit(e);
  } catch (const CLI::ParseError& e) {
    const auto chosen = zelta.get_subcommands();
    return Usage(e.what(), chosen.empty() ? "" : chosen.front()->get_name());
  }
  for (const cli::Command& command : commands) {
    if (!command.app->parsed()) continue;
    const std::string name = command.app->get_name();
    for (const std::string& extra : command.app->remaining()) {
      return Usage((extra.size() > 1 && extra[0] == '-' ? "unknown option '" : "unexpected argument '") +
                       extra.substr(0, extra.find('=')) + "'",
                   name);
    }
    try {
      return command.run();
    } catch (const cli::UsageError& e) {
      return Usage(e.what(), name);
    } catch (const std::exception& e) {
      return cli::Failure(e.what());
    }
  }
  return Usage("no command given", "");
}
