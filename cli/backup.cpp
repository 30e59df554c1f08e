// zelta backup: a copy of the log robot's database, taken while the robot serves.
#include <memory>

#include "cli/command.h"
#include "robot/backup.h"
#include "robot/store.h"

namespace cli {

void AddBackup(CLI::App& zelta, Commands& commands) {
  struct Options {
    std::string contestDir;
    std::string file;
  };
  auto options = std::make_shared<Options>();
  CLI::App* command = zelta.add_subcommand(
      "backup",
      "Copies the log robot's database while the robot serves uploads.\n\n"
      "Copies CONTESTDIR/robot/robot.sqlite3 (every upload, its original bytes, the\n"
      "refused attempts and the robot's settings) into the new FILE with SQLite's online\n"
      "backup: one consistent state, taken while the robot goes on receiving logs. FILE\n"
      "is written under a temporary name beside it and appears only when complete and\n"
      "checked. To serve from the copy, put it in place of CONTESTDIR/robot/robot.sqlite3\n"
      "of a stopped robot (the token and the results are not in the database).");
  command->add_option("CONTESTDIR", options->contestDir, "the contest's folder that the robot serves")
      ->required();
  command->add_option("FILE", options->file, "the copy to write (a new file)")->required();
  command->footer(
      "The Debian package backs the packaged robot up daily (zelta-robot-backup.timer),\n"
      "keeping the last seven copies in /var/lib/zelta-robot-backups.\n"
      "Exit status: 0 the copy is complete, 1 the database cannot be read or the copy\n"
      "cannot be written (nothing is left behind), 2 usage error.\n"
      "\n"
      "Example:\n"
      "  zelta backup contest robot-2026-12-07.sqlite3");
  commands.push_back({command, [options] {
                        try {
                          robot::BackUpDatabase(options->contestDir + "/robot/robot.sqlite3", options->file);
                        } catch (const robot::StoreError& e) {
                          return Failure(e.what());
                        }
                        Note("backed up into " + options->file);
                        return kDone;
                      }});
}

}  // namespace cli
