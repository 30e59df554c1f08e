// zelta adjudicate: the organiser's check of every entrant's log.
#include "cli/adjudicate.h"

#include <cstdio>
#include <filesystem>
#include <memory>

#include "adjudication/adjudicator.h"
#include "adjudication/outputs.h"
#include "adjudication/rules_file.h"
#include "cli/command.h"
#include "host/host_system.h"
#include "reports/reports.h"

namespace fs = std::filesystem;

namespace cli {

int RunAdjudicate(const AdjudicateOptions& options) {
  const reports::Language language =
      options.lang == "en" ? reports::Language::kEnglish : reports::Language::kRussian;
  adjudication::AdjudicationInput input;
  input.logDir = fs::absolute(fs::path(options.logDir)).string();
  input.hostDir = fs::absolute(fs::path(options.host.dir)).string();
  if (options.rules) {
    std::string text;
    if (!ReadFileBytes(*options.rules, text)) return Failure("cannot read the rules " + *options.rules);
    try {
      input.rules = adjudication::ParseRules(text, *options.rules);
    } catch (const adjudication::RulesError& e) {
      return Failure(e.what());
    }
  }
  std::optional<fs::path> jsonPath, outDir;
  if (options.json) jsonPath = fs::absolute(fs::path(*options.json));
  if (options.out) outDir = fs::absolute(fs::path(*options.out));

  zelta::StartBatchMode();
  zelta::StatsPlugin plugin;
  if (const int status = OpenHost(options.host, plugin, false); status != kDone) return status;
  // A line when a stage ends and, for 100 logs and more, at every tenth of it.
  std::string lastStage;
  std::size_t lastTenth = 0;
  auto progress = [&](std::string_view stage, std::size_t done, std::size_t total) {
    const std::size_t tenth = total == 0 ? 10 : done * 10 / total;
    if (stage != lastStage) lastTenth = 0;
    lastStage = std::string(stage);
    if (tenth == lastTenth || (tenth < 10 && total < 100)) return;
    lastTenth = tenth;
    std::fprintf(stderr, "zelta: %.*s: %zu of %zu logs\n", static_cast<int>(stage.size()),
                 stage.data(), done, total);
  };
  std::vector<std::string> notes;
  adjudication::Contest contest;
  try {
    contest = adjudication::Adjudicate(input, plugin, notes, progress);
  } catch (const adjudication::AdjudicationError& e) {
    for (const std::string& note : notes) Note(note);
    return Failure(e.what());
  }
  plugin.Unload();
  for (const std::string& note : notes) Note(note);
  PrintBytes(adjudication::SummaryTable(contest) + adjudication::CategoryNotes(contest));

  const std::string json = jsonPath || outDir ? adjudication::VerdictsJson(contest) : "";
  if (jsonPath && !WriteFileBytes(jsonPath->string(), json)) {
    return Failure("cannot write " + jsonPath->generic_string());
  }
  if (!outDir) return kDone;
  std::error_code ec;
  fs::create_directories(*outDir, ec);
  if (!WriteFileBytes((*outDir / "verdicts.json").string(), json)) {
    return Failure("cannot write " + (*outDir / "verdicts.json").generic_string());
  }
  const bool terminal = zelta::StandardErrorIsTerminal();
  auto written = [&](std::size_t done, std::size_t total) {
    if (terminal && total >= 100 && (done % 50 == 0 || done == total)) {
      std::fprintf(stderr, "\rzelta: writing the reports: %zu of %zu", done, total);
      if (done == total) std::fputc('\n', stderr);
    }
  };
  std::string error;
  if (!reports::WriteReports(contest, outDir->string(), language, error, written)) {
    return Failure(error);
  }
  PrintBytes("\nResults page: " + (*outDir / "index.html").generic_string() +
             "\nResults CSV:  " + (*outDir / "results.csv").generic_string() +
             "\nReports:      " + (*outDir / "reports").generic_string() + "/\n");
  return kDone;
}

void AddAdjudicate(CLI::App& zelta, Commands& commands) {
  auto options = std::make_shared<AdjudicateOptions>();
  CLI::App* command = zelta.add_subcommand(
      "adjudicate",
      "Cross-checks every entrant's log and gives each QSO its verdict.\n\n"
      "Cross-checks the logs of every entrant in LOGDIR (one log per entrant, Cabrillo or\n"
      "ADIF; each log's own call from CALLSIGN or STATION_CALLSIGN) and gives every QSO its\n"
      "verdict: ok, refused, out-of-period, busted-exchange, nil, busted-call, unverified,\n"
      "unique or dupe. Each log is scored through the plug-in twice: the claimed score (the\n"
      "whole log) and the checked score (the QSOs that keep their credit). Prints one line\n"
      "per log: call, QSOs, claimed and checked score, and the count of each verdict.");
  command->add_option("LOGDIR", options->logDir, "the folder of the entrants' logs")->required();
  AddDirOption(*command, options->host,
               "the host's folder whose Plugins/zelta.dom is the region list\n"
               "(default: the current one); nothing is written there");
  command->add_option("--rules", options->rules,
                      "the contest's rules, section [Rules]: Start, End, ToleranceMinutes,\n"
                      "NonEntrantMinLogs, UniquesCount; section [Categories]: the contest's\n"
                      "categories, Name = OPERATOR BAND MODE POWER (default: every\n"
                      "combination of the header dialog's lists; see the README)")
      ->type_name("FILE");
  command->add_option("--json", options->json, "write every verdict to FILE as JSON")
      ->type_name("FILE");
  command->add_option("--out", options->out,
                      "write the results into DIR: index.html (the results page),\n"
                      "results.csv, reports/CALL.txt (a log-check report per entrant)\n"
                      "and verdicts.json")
      ->type_name("DIR");
  command->add_option("--lang", options->lang,
                      "the language of the page, the CSV and the reports (default ru)")
      ->check(CLI::IsMember({"ru", "en"}))
      ->type_name("ru|en");
  AddPluginOption(*command, options->host);
  command->footer(
      "Exit status: 0 done, 1 a log, the rules or the plug-in cannot be used, 2 usage error.\n"
      "\n"
      "Example:\n"
      "  zelta simulate --stations 20 --out contest\n"
      "  zelta adjudicate contest/logs --dir contest --rules contest/rules.ini --json verdicts.json");
  commands.push_back({command, [options] { return RunAdjudicate(*options); }});
}

}  // namespace cli
