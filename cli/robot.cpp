// zelta robot: the log robot, the web service where entrants upload their logs.
#include <memory>

#include "cli/command.h"
#include "host/scoring_run.h"
#include "robot/service.h"

namespace cli {

void AddRobot(CLI::App& zelta, Commands& commands) {
  struct Options {
    std::string contestDir;
    std::string listen = "127.0.0.1:8080";
    std::size_t maxUploadKb = 10240;
    int workers = 8;
    int perAddress = 8;
    std::optional<std::string> plugin;
  };
  auto options = std::make_shared<Options>();
  CLI::App* command = zelta.add_subcommand(
      "robot",
      "Serves the log robot: entrants upload their logs and get a receipt at once.\n\n"
      "Serves the contest in CONTESTDIR over HTTP until SIGINT or SIGTERM, then finishes\n"
      "the requests in flight and stops. CONTESTDIR holds rules.ini (the checker's rules,\n"
      "with the optional Deadline=YYYY-MM-DD HHMM in UTC after which no log is taken) and\n"
      "Plugins/zelta.dom (the region list); the robot keeps its database, every upload's\n"
      "bytes and the organiser's token (robot/organiser.token, made at the first start)\n"
      "in CONTESTDIR/robot. Entrants use / (upload), /receipt/NUMBER and /received; the\n"
      "organiser /organiser (checks the newest log of every call as `zelta adjudicate`\n"
      "does, into CONTESTDIR/results, and publishes a copy of them, CONTESTDIR/published,\n"
      "at /results/; GET /api/logs.zip gives every upload). Put it behind a TLS reverse\n"
      "proxy to serve it to the Internet. `zelta backup` copies its database meanwhile.");
  command->add_option("CONTESTDIR", options->contestDir, "the contest's folder")->required();
  command->add_option("--listen", options->listen,
                      "the address and port to serve on (default 127.0.0.1:8080)")
      ->type_name("ADDR:PORT");
  command->add_option("--max-upload-kb", options->maxUploadKb,
                      "the largest upload taken, in KB (default 10240)")
      ->check(CLI::Range(1, 1048576))
      ->type_name("KB");
  command->add_option("--workers", options->workers, "requests served at once (default 8)")
      ->check(CLI::Range(1, 256))
      ->type_name("N");
  command->add_option("--connections-per-address", options->perAddress,
                      "connections one client address may hold open at once; more are\n"
                      "answered 503 at once (default 8)")
      ->check(CLI::Range(1, 512))
      ->type_name("N");
  command->add_option("--plugin", options->plugin,
                      "the plug-in to load (default: the one beside this program, else\n"
                      "../lib/zelta/ from it, where the package installs it)")
      ->type_name("PATH");
  command->footer(
      "The robot speaks plain HTTP: on the Internet it stands behind a TLS reverse proxy\n"
      "that passes the client's scheme on, for example nginx:\n"
      "  location / { proxy_pass http://127.0.0.1:8080; client_max_body_size 11m;\n"
      "               proxy_set_header X-Forwarded-Proto $scheme; }\n"
      "The Debian package installs the service zelta-robot (not enabled), which serves\n"
      "/var/lib/zelta-robot as an unprivileged user: put rules.ini and Plugins/zelta.dom\n"
      "there, then 'systemctl enable --now zelta-robot'; the token is then in\n"
      "/var/lib/zelta-robot/robot/organiser.token.\n"
      "Exit status: 0 stopped by a signal, 1 the folder, the rules, the plug-in or the\n"
      "address cannot be used, 2 usage error.\n"
      "\n"
      "Example:\n"
      "  zelta simulate --stations 20 --out contest\n"
      "  zelta robot contest --listen 127.0.0.1:8080");
  commands.push_back({command, [options] {
                        robot::RobotOptions robotOptions;
                        robotOptions.contestDir = options->contestDir;
                        // ADDR:PORT, the address of IPv6 in brackets.
                        const std::size_t colon = options->listen.rfind(':');
                        std::string host = options->listen.substr(0, colon);
                        if (host.size() > 2 && host.front() == '[' && host.back() == ']') {
                          host = host.substr(1, host.size() - 2);
                        }
                        int port = -1;
                        try {
                          std::size_t used = 0;
                          const std::string digits = options->listen.substr(colon + 1);
                          port = std::stoi(digits, &used);
                          if (used != digits.size()) port = -1;
                        } catch (const std::exception&) {
                        }
                        if (colon == std::string::npos || host.empty() || port < 0 || port > 65535) {
                          throw UsageError("--listen takes ADDR:PORT, such as 127.0.0.1:8080");
                        }
                        robotOptions.host = host;
                        robotOptions.port = port;
                        robotOptions.maxUploadKb = options->maxUploadKb;
                        robotOptions.workers = options->workers;
                        robotOptions.connectionsPerAddress = options->perAddress;
                        robotOptions.pluginPath =
                            options->plugin ? *options->plugin : zelta::DefaultPluginPath();
                        auto say = [](const std::string& text) { Note(text); };
                        try {
                          robot::Robot robot(robotOptions, say);
                          robot::ServeUntilSignalled(robot, say);
                        } catch (const robot::RobotError& e) {
                          return Failure(e.what());
                        }
                        return kDone;
                      }});
}

std::string AbsentCommand(const std::string&) { return {}; }

}  // namespace cli
