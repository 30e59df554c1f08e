// What every command of zelta's command line shares: the exit statuses, the way
// messages are written, and how a command is added to the program.
#pragma once

#include <CLI/CLI.hpp>

#include <cstddef>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace cli {

// Exit statuses.
inline constexpr int kDone = 0;     // the command did its work
inline constexpr int kFailed = 1;   // a log, folder, rules file or the plug-in cannot be used
inline constexpr int kUsage = 2;    // the command line is wrong

// A wrong command line that CLI11 cannot see (an option that needs another, a call
// sign that is empty); what() names the option.
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A command: its part of the command line, and what runs when it is chosen.
struct Command {
  CLI::App* app;
  std::function<int()> run;
};
using Commands = std::vector<Command>;

// Each command file adds its command to `zelta` and to `commands`.
void AddScore(CLI::App& zelta, Commands& commands);
void AddCheck(CLI::App& zelta, Commands& commands);
void AddExchange(CLI::App& zelta, Commands& commands);
void AddDemo(CLI::App& zelta, Commands& commands);
void AddAdjudicate(CLI::App& zelta, Commands& commands);
void AddSimulate(CLI::App& zelta, Commands& commands);
void AddRobot(CLI::App& zelta, Commands& commands);   // Linux only: zelta.exe has neither
void AddSubmit(CLI::App& zelta, Commands& commands);
void AddBackup(CLI::App& zelta, Commands& commands);   // Linux only, as the robot

// AbsentCommand()
// Why this build has no command `name` that another build has; empty for a name
// that no build knows.
std::string AbsentCommand(const std::string& name);

// Failure()
// Writes "zelta: TEXT" to standard error and returns kFailed.
int Failure(const std::string& text);

// Note()
// Writes "zelta: TEXT" to standard error.
void Note(const std::string& text);

// PrintBytes()
// Writes `bytes` to standard output as they are.
void PrintBytes(const std::string& bytes);

// ReadLogFile()
// The whole file at `path`; false with the reason in `error` for a path that is
// no file (a folder, a device), cannot be read, or is empty.
bool ReadLogFile(const std::string& path, std::string& bytes, std::string& error);

// ReadFileBytes(), WriteFileBytes()
bool ReadFileBytes(const std::string& path, std::string& bytes);
bool WriteFileBytes(const std::string& path, const std::string& bytes);

}  // namespace cli
