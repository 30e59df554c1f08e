// zelta submit: a log handed in to the log robot from the terminal.
#include <memory>

#include "cli/command.h"
#include "robot/json_text.h"
#include "robot/submit_client.h"

namespace cli {
namespace {

// The receipt as lines for a person.
std::string ReceiptText(const std::string& json) {
  auto field = [&](const char* name) { return robot::JsonField(json, name).value_or(""); };
  std::string text = "Receipt:  " + field("receipt") + "\nCall:     " + field("call") +
                     "\nReceived: " + field("received") + "\nQSOs:     " + field("qsos") +
                     " read, " + field("counted") + " counted, " + field("repeats") +
                     " exact repeats, " + field("refused") + " refused; " +
                     field("skipped_lines") + " lines skipped\nScore:    " + field("claimed_score");
  if (const std::string claim = field("log_claimed_score"); claim != "null" && !claim.empty()) {
    text += " (the log claims " + claim + ")";
  }
  if (const std::string replaces = field("replaces"); replaces != "null" && !replaces.empty()) {
    text += "\nReplaces: " + replaces;
  }
  const std::vector<robot::Problem> problems = robot::ReadProblems(json);
  text += problems.empty() ? "\nProblems: none" : "\nProblems:";
  for (const robot::Problem& problem : problems) {
    text += "\n  line " + std::to_string(problem.line) + ": " + problem.text;
  }
  return text + "\nKeep the receipt: only with it can this log be replaced.\n";
}

}  // namespace

void AddSubmit(CLI::App& zelta, Commands& commands) {
  struct Options {
    std::string log;
    std::string url;
    std::string replaces;
    bool json = false;
  };
  auto options = std::make_shared<Options>();
  CLI::App* command = zelta.add_subcommand(
      "submit",
      "Hands a log in to the contest's log robot and prints the receipt.\n\n"
      "Uploads LOG as it is to the log robot at URL (URL/api/logs) and prints the receipt\n"
      "the robot gives: the receipt number, the call, what was read and counted, the\n"
      "plug-in's score and every problem, line by line. Nothing is scored here.");
  command->add_option("LOG", options->log, "the log file")->required();
  command->add_option("--robot", options->url, "the robot's address, such as https://robot.example.org")
      ->required()
      ->type_name("URL");
  command->add_option("--replaces", options->replaces,
                      "the receipt of your earlier upload, to replace that log")
      ->type_name("RECEIPT");
  command->add_flag("--json", options->json, "print the receipt as the robot's JSON");
  command->footer(
      "Exit status: 0 received, 1 the log cannot be read or the robot refused it or cannot\n"
      "be reached, 2 usage error.\n"
      "\n"
      "Example:\n"
      "  zelta submit mylog.cbr --robot http://127.0.0.1:8080");
  commands.push_back({command, [options] {
                        std::string bytes, error;
                        if (!ReadLogFile(options->log, bytes, error)) return Failure(error);
                        const robot::SubmitAnswer answer =
                            robot::SubmitLog(options->url, bytes, options->replaces);
                        if (answer.status == 0) {
                          return Failure("cannot reach the robot at " + options->url + ": " + answer.error);
                        }
                        if (answer.status != 200) {
                          return Failure("the robot refused the log (" + std::to_string(answer.status) +
                                         "): " + robot::JsonField(answer.body, "error").value_or(answer.body));
                        }
                        PrintBytes(options->json ? answer.body : ReceiptText(answer.body));
                        return kDone;
                      }});
}

}  // namespace cli
