#include "host/zelta_cli.h"

#include <cerrno>
#include <charconv>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "adjudication/adjudicator.h"
#include "adjudication/outputs.h"
#include "adjudication/rules_file.h"
#include "adjudication/simulator.h"
#include "reports/reports.h"
#include "stats/ubn/file_names.h"
#include "host/example_files.h"
#include "host/host_system.h"
#include "host/log_notes.h"
#include "host/log_reader.h"
#include "host/plugin_driver.h"
#include "host/qso_fields.h"
#include "host/qso_handover.h"
#include "host/text_encoding.h"
#include "platform/shared_library.h"
#include "text/ascii_text.h"

#ifndef ZELTA_VERSION
#define ZELTA_VERSION "0"
#endif

namespace fs = std::filesystem;

namespace zelta {
namespace {

constexpr int kDone = 0;
constexpr int kFailed = 1;
constexpr int kUsage = 2;

constexpr const char* kGeneralHelp =
    "zelta: scores a contest log through the Stats plug-in, as the host program does.\n"
    "\n"
    "Usage:\n"
    "  zelta score LOG [--call CALL] [--report] [--dir DIR] [--plugin PATH] [--raw] [--batch]\n"
    "  zelta check CALL --band BAND --mode MODE [LOG] [--call CALL] [--dir DIR] [--plugin PATH]\n"
    "  zelta exchange TEXT [--plugin PATH]\n"
    "  zelta demo [--organiser] [--plugin PATH] [--raw]\n"
    "  zelta adjudicate LOGDIR [--dir DIR] [--rules FILE] [--json FILE] [--out DIR] [--lang ru|en]\n"
    "                   [--plugin PATH]\n"
    "  zelta simulate --stations N --out DIR [--seed S] [--qsos Q] [--faults on|off]\n"
    "  zelta COMMAND --help\n"
    "  zelta --version\n"
    "\n"
    "Example:\n"
    "  zelta demo\n"
    "  zelta score mylog.adi --dir zelta-demo --report\n";

constexpr const char* kScoreHelp =
    "zelta score LOG [--call CALL] [--report] [--dir DIR] [--plugin PATH] [--raw] [--batch]\n"
    "\n"
    "Scores LOG (ADIF .adi or Cabrillo, recognised by content) through the plug-in:\n"
    "ResetStats0, one AddData0 per QSO, then GetResult0, whose summary is printed.\n"
    "\n"
    "  --call CALL    own call sign (default: the log's STATION_CALLSIGN, OPERATOR or\n"
    "                 Cabrillo CALLSIGN)\n"
    "  --report       start the run with the report flag: the plug-in writes the Cabrillo\n"
    "                 log CALL.cbr and confirms it\n"
    "  --dir DIR      the host's folder (default: the current one). The plug-in runs there:\n"
    "                 it reads Plugins/zelta.dom, Plugins/QOLEB.ini and cabrillo.ini, and\n"
    "                 writes CALL-ubn.txt (refused QSOs) and CALL.cbr there\n"
    "  --plugin PATH  the plug-in to load (default: the one beside this program, else\n"
    "                 ../lib/zelta/ from it, where the package installs it)\n"
    "  --raw          print the summary's bytes as the plug-in returns them (Windows-1251)\n"
    "                 instead of UTF-8\n"
    "  --batch        answer the plug-in's windows without a person: message boxes are\n"
    "                 printed to standard error, the header dialog is cancelled\n"
    "\n"
    "QSOs go over in time order. Records that cannot become a complete QSO are skipped,\n"
    "each kind of problem reported once with its lines; QSOs that the contest does not\n"
    "count are listed in CALL-ubn.txt; exact repeats of a QSO are counted once.\n"
    "Exit status: 0 scored, 1 no log to score (a folder, a device, an empty or unreadable\n"
    "file, no QSO that can be read) or the folder or plug-in cannot be used, 2 usage error.\n"
    "\n"
    "Example:\n"
    "  zelta score mylog.adi --call Q1ABC --dir zelta-demo --report\n";

constexpr const char* kCheckHelp =
    "zelta check CALL --band BAND --mode MODE [LOG] [--call CALL] [--dir DIR] [--plugin PATH]\n"
    "\n"
    "Adds the QSOs of LOG (if given), then asks the plug-in's call check what it says of\n"
    "CALL on BAND in MODE: duplicate, ordinary, or new multiplier with its message.\n"
    "BAND is the host's band name (20, or 20m); MODE is CW, SSB, BPSK63 or BPSK62\n"
    "(any case; USB and LSB count as SSB, PSK63 as BPSK63).\n"
    "The own call sign comes from --call or the log.\n"
    "\n"
    "Example:\n"
    "  zelta check Q3ZP --band 20 --mode CW zelta-demo/sample.adi --dir zelta-demo\n";

constexpr const char* kExchangeHelp =
    "zelta exchange TEXT [--plugin PATH]\n"
    "\n"
    "Asks the plug-in whether TEXT is an acceptable received exchange (a number of\n"
    "three or four digits other than 599).\n"
    "\n"
    "Example:\n"
    "  zelta exchange 017\n";

constexpr const char* kDemoHelp =
    "zelta demo [--organiser] [--plugin PATH] [--raw]\n"
    "\n"
    "Sets up the host folder ./zelta-demo from the examples built into zelta (a sample\n"
    "ADIF log, Plugins/zelta.dom, Plugins/QOLEB.ini, cabrillo.ini), scores the sample\n"
    "log with the report flag, and prints the summary and the paths of the check file\n"
    "and the Cabrillo log. Running it again refreshes the example files.\n"
    "\n"
    "With --organiser it shows the organiser's side instead: it simulates a small contest\n"
    "in ./zelta-contest, checks every log, writes the results page, the results CSV and a\n"
    "log-check report for each entrant into ./zelta-contest/results, and prints the page's\n"
    "path.\n"
    "\n"
    "Example:\n"
    "  zelta demo\n";

constexpr const char* kAdjudicateHelp =
    "zelta adjudicate LOGDIR [--dir DIR] [--rules FILE] [--json FILE] [--out DIR] [--lang ru|en]\n"
    "                 [--plugin PATH]\n"
    "\n"
    "Cross-checks the logs of every entrant in LOGDIR (one log per entrant, Cabrillo or\n"
    "ADIF; each log's own call from CALLSIGN or STATION_CALLSIGN) and gives every QSO its\n"
    "verdict: ok, refused, out-of-period, busted-exchange, nil, busted-call, unverified,\n"
    "unique or dupe. Each log is scored through the plug-in twice: the claimed score (the\n"
    "whole log) and the checked score (the QSOs that keep their credit). Prints one line\n"
    "per log: call, QSOs, claimed and checked score, and the count of each verdict.\n"
    "\n"
    "  --dir DIR      the host's folder whose Plugins/zelta.dom is the region list\n"
    "                 (default: the current one); nothing is written there\n"
    "  --rules FILE   the contest's rules, section [Rules]: Start, End, ToleranceMinutes,\n"
    "                 NonEntrantMinLogs, UniquesCount (see the README)\n"
    "  --json FILE    write every verdict to FILE as JSON\n"
    "  --out DIR      write the results into DIR: index.html (the results page),\n"
    "                 results.csv, reports/CALL.txt (a log-check report per entrant)\n"
    "                 and verdicts.json\n"
    "  --lang ru|en   the language of the page, the CSV and the reports (default ru)\n"
    "  --plugin PATH  the plug-in to load (default: the one beside this program)\n"
    "\n"
    "Exit status: 0 done, 1 a log, the rules or the plug-in cannot be used, 2 usage error.\n"
    "\n"
    "Example:\n"
    "  zelta simulate --stations 20 --out contest\n"
    "  zelta adjudicate contest/logs --dir contest --rules contest/rules.ini --json verdicts.json\n";

constexpr const char* kSimulateHelp =
    "zelta simulate --stations N --out DIR [--seed S] [--qsos Q] [--faults on|off]\n"
    "\n"
    "Writes a simulated contest: N stations (about one in ten sends no log) each making\n"
    "about Q QSOs (default 100) over four hours on 80, 40, 20 and 15 m in CW, SSB and\n"
    "BPSK63, with faults injected at set rates: miscopied calls and numbers, QSOs missing\n"
    "from one log, dupes, clocks several minutes wrong, QSOs outside the period or in a\n"
    "mode the contest does not count (--faults off: none). The same seed (default 1)\n"
    "gives the same contest. Written: DIR/logs/CALL.cbr, DIR/Plugins/zelta.dom (the region\n"
    "list), DIR/rules.ini and DIR/truth.csv (file,line,call,verdict,correct: the true\n"
    "verdict of every QSO).\n"
    "\n"
    "Example:\n"
    "  zelta simulate --stations 20 --out contest --seed 7\n";

struct Options {
  std::string command;
  std::vector<std::string> positional;
  std::map<std::string, std::string> values;  // --call, --dir, --plugin, --band, --mode
  bool report = false;
  bool raw = false;
  bool batch = false;
  bool help = false;
  bool organiser = false;

  std::optional<std::string> Value(const std::string& name) const {
    const auto it = values.find(name);
    if (it == values.end()) return std::nullopt;
    return it->second;
  }
};

int UsageError(const std::string& text) {
  std::fprintf(stderr, "zelta: %s\nzelta: see 'zelta --help'\n", text.c_str());
  return kUsage;
}

int Failure(const std::string& text) {
  std::fprintf(stderr, "zelta: %s\n", text.c_str());
  return kFailed;
}

void Note(const std::string& text) { std::fprintf(stderr, "zelta: %s\n", text.c_str()); }

std::string Count(std::size_t n, const char* thing) {
  return std::to_string(n) + " " + thing + (n == 1 ? "" : "s");
}

void PrintBytes(const std::string& bytes) {
  std::fwrite(bytes.data(), 1, bytes.size(), stdout);
  std::fflush(stdout);
}

// Splits the command line; false with a message for an unknown or incomplete option.
bool ParseOptions(int argc, char** argv, Options& options, std::string& error) {
  static const char* const kValueOptions[] = {"--call",  "--dir",   "--plugin", "--band",
                                              "--mode",  "--rules", "--json",   "--out",
                                              "--stations", "--seed", "--qsos", "--faults",
                                              "--lang"};
  for (int i = 2; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg == "--") {
      for (++i; i < argc; ++i) options.positional.push_back(argv[i]);
      break;
    }
    if (arg.size() < 2 || arg[0] != '-') {
      options.positional.push_back(arg);
      continue;
    }
    if (arg == "--help" || arg == "-h") {
      options.help = true;
      continue;
    }
    if (arg == "--organiser" || arg == "--organizer") {
      options.organiser = true;
      continue;
    }
    if (arg == "--report" || arg == "--raw" || arg == "--batch") {
      (arg == "--report" ? options.report : arg == "--raw" ? options.raw : options.batch) = true;
      continue;
    }
    std::string value;
    bool hasValue = false;
    const std::size_t equals = arg.find('=');
    if (equals != std::string::npos) {
      value = arg.substr(equals + 1);
      arg = arg.substr(0, equals);
      hasValue = true;
    }
    bool known = false;
    for (const char* name : kValueOptions) known = known || arg == name;
    if (!known) {
      error = "unknown option '" + arg + "'";
      return false;
    }
    if (!hasValue) {
      if (i + 1 >= argc) {
        error = "option " + arg + " needs a value";
        return false;
      }
      value = argv[++i];
    }
    options.values[arg] = value;
  }
  return true;
}

// Options that the command does not take are usage errors.
bool CheckAllowed(const Options& options, const std::vector<std::string>& allowed,
                  std::string& error) {
  auto allowedOption = [&](const std::string& name) {
    for (const std::string& a : allowed) {
      if (a == name) return true;
    }
    return false;
  };
  for (const auto& [name, value] : options.values) {
    if (!allowedOption(name)) error = options.command + " takes no option " + name;
  }
  if (options.report && !allowedOption("--report")) error = options.command + " takes no --report";
  if (options.raw && !allowedOption("--raw")) error = options.command + " takes no --raw";
  if (options.batch && !allowedOption("--batch")) error = options.command + " takes no --batch";
  if (options.organiser && !allowedOption("--organiser")) {
    error = options.command + " takes no --organiser";
  }
  return error.empty();
}

bool ReadFileBytes(const std::string& path, std::string& bytes) {
  std::ifstream in(fs::path(path), std::ios::binary);
  if (!in) return false;
  std::ostringstream content;
  content << in.rdbuf();
  if (in.bad()) return false;
  bytes = std::move(content).str();
  return true;
}

// Reads the log file at `path` whole; false with the reason in `error` for a path
// that is no file or cannot be read, and for an empty file.
bool ReadLogFile(const std::string& path, std::string& bytes, std::string& error) {
  const std::string shown = ShownText(path, 200);
  std::error_code ec;
  const fs::file_status status = fs::status(fs::path(path), ec);
  if (fs::is_directory(status)) {
    error = shown + " is a folder, not a log file";
    return false;
  }
  if (fs::is_character_file(status) || fs::is_block_file(status) || fs::is_socket(status)) {
    error = shown + " is a device, not a log file";
    return false;
  }
  errno = 0;
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) {
    error = "cannot read the log " + shown + ": " +
            (errno != 0 ? std::strerror(errno) : "the system gives no reason");
    return false;
  }
  bytes.clear();
  // The size is known for a file, so the text is held once, without slack.
  if (fs::is_regular_file(status)) bytes.reserve(static_cast<std::size_t>(fs::file_size(path, ec)));
  char buffer[65536];
  std::size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) bytes.append(buffer, got);
  const bool failed = std::ferror(file) != 0;
  const int readErrno = errno;
  std::fclose(file);
  if (failed) {
    error = "cannot read the log " + shown + ": " + std::strerror(readErrno);
    return false;
  }
  if (bytes.empty()) {
    error = shown + " is empty, not a log";
    return false;
  }
  return true;
}

std::string Where(const std::string& file, const LogPosition& position) {
  return ShownText(file, 200) + ":" + std::to_string(position.line);
}

// Reads the log from `bytes`, which it releases, keeps its QSOs in `qsos` and
// reports what could not be read; false (after the message) when it cannot be used.
bool LoadLog(const std::string& label, std::string& bytes, QsoLog& log, QsoHandover& qsos) {
  try {
    log = ReadLog(bytes, [&qsos](LogQso&& qso) { qsos.Add(qso); });
  } catch (const LogRefused& refused) {
    Failure(Where(label, refused.Position()) + ": cannot read the log (byte " +
            std::to_string(refused.Position().offset) + "): " + refused.what());
    return false;
  }
  std::string().swap(bytes);
  for (const LogNote& note : log.warnings) Note(Where(label, note.position) + ": " + note.text);
  for (const LogNote& note : log.skipped) {
    Note(Where(label, note.position) + " (byte " + std::to_string(note.position.offset) +
         "): " + note.text);
  }
  if (qsos.Size() == 0) {
    Failure(ShownText(label, 200) +
            (log.skipped.empty() ? ": the log holds no QSO" : ": no QSO of the log can be read"));
    return false;
  }
  if (const auto lines = qsos.SortByTime()) {
    Note(Where(label, LogPosition{0, lines->first}) + ": the log is not in time order (the QSO on line " +
         std::to_string(lines->second) + " is earlier than this one); its QSOs are handed over in "
         "time order");
  }
  return true;
}

platform::CalendarTime NowUtc() {
  using namespace std::chrono;
  const auto now = floor<seconds>(system_clock::now());
  const auto today = floor<days>(now);
  const year_month_day date(today);
  const hh_mm_ss<seconds> time(now - today);
  platform::CalendarTime t;
  t.year = static_cast<int>(date.year());
  t.month = static_cast<int>(static_cast<unsigned>(date.month()));
  t.day = static_cast<int>(static_cast<unsigned>(date.day()));
  t.hour = static_cast<int>(time.hours().count());
  t.minute = static_cast<int>(time.minutes().count());
  t.second = static_cast<int>(time.seconds().count());
  return t;
}

// Resolves the plug-in path against the starting folder, makes DIR the current
// folder (unless `enterHostFolder` is false) and loads the plug-in there.
int OpenHost(const Options& options, StatsPlugin& plugin, bool enterHostFolder = true) {
  fs::path pluginPath;
  if (const auto given = options.Value("--plugin")) {
    pluginPath = fs::absolute(fs::path(*given));
  } else {
    const std::string self = platform::ExecutablePath();
    if (self.empty()) return Failure("cannot find where zelta lies: pass --plugin PATH");
    pluginPath = fs::path(self).parent_path() / PluginFileName();
    // Installed as a package: <prefix>/bin/zelta and <prefix>/lib/zelta/libStats.so.
    const fs::path installed =
        fs::path(self).parent_path() / ".." / "lib" / "zelta" / PluginFileName();
    std::error_code ignored;
    if (!fs::exists(pluginPath, ignored) && fs::is_regular_file(installed, ignored)) {
      pluginPath = installed.lexically_normal();
    }
  }
  std::error_code ec;
  if (!fs::is_regular_file(pluginPath, ec)) {
    return Failure("plug-in " + pluginPath.string() + " does not exist");
  }
  const std::string dir = options.Value("--dir").value_or(".");
  if (enterHostFolder && !fs::is_directory(fs::path(dir), ec)) {
    return Failure("host folder " + dir + " does not exist");
  }
  if (enterHostFolder) fs::current_path(fs::path(dir), ec);
  if (ec) return Failure("cannot enter the host folder " + dir + ": " + ec.message());
  if (enterHostFolder && !fs::is_directory("Plugins", ec)) {
    Note("warning: " + dir +
         " has no Plugins folder: the plug-in finds neither its region list nor its settings");
  }
  std::string error;
  if (!plugin.Load(pluginPath.string(), error)) {
    return Failure("cannot load the plug-in " + pluginPath.string() + ": " + error);
  }
  return kDone;
}

// Starts the run and adds every QSO in time order; reports what the plug-in
// counted, refused, and ignored as an exact repeat, which together make up the
// QSOs handed over, and how much of the log was not read.
void AddLog(StatsPlugin& plugin, const QsoLog& log, const QsoHandover& qsos,
            const std::string& ownCall, bool report) {
  plugin.ResetStats(ownCall, report, qsos.Size() == 0 ? NowUtc() : qsos.At(0).time);
  std::size_t accepted = 0, repeats = 0;
  std::string firstRepeat;
  std::vector<std::size_t> acceptedAtThisTime;  // QSOs of one time that the plug-in keeps
  // A large log takes some seconds: a terminal is shown how far it has got.
  const bool terminal = StandardErrorIsTerminal();
  const auto start = std::chrono::steady_clock::now();
  auto lastShown = start;
  bool shown = false;
  for (std::size_t i = 0; i < qsos.Size(); ++i) {
    if (terminal && i % 1024 == 0) {
      const auto now = std::chrono::steady_clock::now();
      if (now - start > std::chrono::seconds(2) && now - lastShown > std::chrono::milliseconds(500)) {
        std::fputs(("\rzelta: " + std::to_string(i) + " of " + Count(qsos.Size(), "QSO") +
                    " handed to the plug-in").c_str(), stderr);
        std::fflush(stderr);
        lastShown = now;
        shown = true;
      }
    }
    if (i > 0 && !qsos.SameTime(i - 1, i)) acceptedAtThisTime.clear();
    const LogQso qso = qsos.At(i);
    if (plugin.AddData(ownCall, qso) != 1) continue;
    ++accepted;
    bool repeat = false;
    for (const std::size_t earlier : acceptedAtThisTime) {
      if (!qsos.SameForPlugin(earlier, i)) continue;
      repeat = true;
      if (repeats++ == 0) {
        firstRepeat = "the first on line " + std::to_string(qso.position.line) + ", as on line " +
                      std::to_string(qsos.At(earlier).position.line);
      }
      break;
    }
    if (!repeat) acceptedAtThisTime.push_back(i);
  }
  if (shown) std::fputs("\r\x1B[K", stderr);
  const std::size_t refused = qsos.Size() - accepted;
  std::string text = Count(qsos.Size(), "QSO") + " handed to the plug-in, " +
                     std::to_string(accepted - repeats) + " counted";
  if (repeats > 0) {
    text += ", " + std::to_string(repeats) + (repeats == 1 ? " exact repeat" : " exact repeats") +
            " of a QSO ignored (" + firstRepeat + ")";
  }
  if (refused > 0) {
    text += ", " + std::to_string(refused) + " refused (see " + stats::CheckFileName(ownCall) + ")";
  }
  if (const std::size_t skipped = SkippedCount(log)) {
    text += "; " + Count(skipped, log.format == LogFormat::kAdif ? "record" : "QSO line") +
            " of the log skipped";
  }
  Note(text);
}

// The own call sign: --call, else the log's. Empty, with `problem` set, when
// neither gives one.
std::string OwnCall(const Options& options, const QsoLog& log, const std::string& label,
                    std::string& problem) {
  if (const auto call = options.Value("--call")) {
    if (call->empty()) problem = "--call needs a call sign";
    return *call;
  }
  if (log.ownCall.empty()) {
    problem = label.empty() ? std::string("no log gives the own call sign: pass --call CALL")
                            : label + " names no own call sign (STATION_CALLSIGN, OPERATOR or "
                                      "CALLSIGN): pass --call CALL";
  }
  return log.ownCall;
}

// Scores a log read from `bytes`; `label` names it in messages.
int ScoreLog(const Options& options, const std::string& label, std::string& bytes,
             std::string* ownCallOut) {
  QsoLog log;
  QsoHandover qsos;
  if (!LoadLog(label, bytes, log, qsos)) return kFailed;
  std::string problem;
  const std::string ownCall = OwnCall(options, log, label, problem);
  if (ownCall.empty()) return UsageError(problem);
  if (options.batch) StartBatchMode();
  StatsPlugin plugin;
  if (const int status = OpenHost(options, plugin); status != kDone) return status;
  AddLog(plugin, log, qsos, ownCall, options.report);
  int score = 0;
  const std::string summary = plugin.GetResult(score);
  PrintBytes(options.raw ? summary : Cp1251ToUtf8(summary));
  plugin.Unload();
  if (ownCallOut) *ownCallOut = ownCall;
  return kDone;
}

int Score(const Options& options) {
  std::string error;
  if (!CheckAllowed(options, {"--call", "--dir", "--plugin", "--report", "--raw", "--batch"},
                    error)) {
    return UsageError(error);
  }
  if (options.positional.size() != 1) return UsageError("score takes one LOG");
  const std::string& path = options.positional[0];
  std::string bytes;
  if (!ReadLogFile(path, bytes, error)) return Failure(error);
  return ScoreLog(options, path, bytes, nullptr);
}

int Check(const Options& options) {
  std::string error;
  if (!CheckAllowed(options, {"--call", "--dir", "--plugin", "--band", "--mode", "--batch"},
                    error)) {
    return UsageError(error);
  }
  if (options.positional.empty() || options.positional.size() > 2) {
    return UsageError("check takes CALL and at most one LOG");
  }
  const auto bandOption = options.Value("--band");
  const auto modeOption = options.Value("--mode");
  if (!bandOption || !modeOption) return UsageError("check needs --band BAND and --mode MODE");
  const std::string band = BandForAdifBand(*bandOption).value_or(*bandOption);
  // Typed modes in any case; USB and LSB are SSB, PSK63 is BPSK63.
  const std::string mode = ModeForAdif(AsciiUpper(*modeOption), "");
  const std::string& call = options.positional[0];

  QsoLog log;
  QsoHandover qsos;
  std::string label;
  if (options.positional.size() == 2) {
    label = options.positional[1];
    std::string bytes;
    if (!ReadLogFile(label, bytes, error)) return Failure(error);
    if (!LoadLog(label, bytes, log, qsos)) return kFailed;
  }
  std::string problem;
  const std::string ownCall = OwnCall(options, log, label, problem);
  if (ownCall.empty()) return UsageError(problem);
  if (options.batch) StartBatchMode();
  StatsPlugin plugin;
  if (const int status = OpenHost(options, plugin); status != kDone) return status;
  AddLog(plugin, log, qsos, ownCall, false);
  std::string message;
  const int answer = plugin.CheckCall(call, band, mode, message);
  std::string text = call + " on " + band + " in " + mode + ": ";
  switch (answer) {
    case 0: text += "duplicate (0)\n"; break;
    case 1: text += "ordinary (1): not a duplicate, no new multiplier\n"; break;
    case 2: text += "new multiplier (2): " + Cp1251ToUtf8(message) + "\n"; break;
    default: text += "unexpected answer " + std::to_string(answer) + "\n"; break;
  }
  PrintBytes(text);
  return kDone;
}

int Exchange(const Options& options) {
  std::string error;
  if (!CheckAllowed(options, {"--plugin"}, error)) return UsageError(error);
  if (options.positional.size() != 1) return UsageError("exchange takes one TEXT");
  StatsPlugin plugin;
  if (const int status = OpenHost(options, plugin, false); status != kDone) return status;
  const std::string& text = options.positional[0];
  const int answer = plugin.IsValidExchg(text);
  PrintBytes("\"" + text + "\": " +
             (answer == 1 ? "acceptable exchange (1)\n" : "not an acceptable exchange (0)\n"));
  return kDone;
}

int OrganiserDemo(const Options& options);

int Demo(const Options& options) {
  std::string error;
  if (!CheckAllowed(options, {"--plugin", "--raw", "--organiser"}, error)) return UsageError(error);
  if (!options.positional.empty()) return UsageError("demo takes no arguments");
  if (options.organiser) return OrganiserDemo(options);
  const fs::path folder = "zelta-demo";
  std::string sample;
  for (const ExampleFile& file : ExampleFiles()) {
    const fs::path path = folder / fs::path(std::string(file.path));
    std::error_code ec;
    fs::create_directories(path.parent_path(), ec);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(file.bytes.data(), static_cast<std::streamsize>(file.bytes.size()));
    out.close();
    if (!out) return Failure("cannot write " + path.generic_string());
    if (path.extension() == ".adi") sample = path.generic_string();
  }
  std::string bytes;
  if (sample.empty() || !ReadFileBytes(sample, bytes)) return Failure("the demo has no sample log");

  Options run = options;
  run.values["--dir"] = folder.string();
  run.report = true;
  run.batch = true;
  std::string ownCall;
  const fs::path start = fs::current_path();
  if (const int status = ScoreLog(run, sample, bytes, &ownCall); status != kDone) return status;
  fs::current_path(start);

  auto describe = [&](const std::string& name) {
    const fs::path path = folder / name;
    return path.generic_string() + (fs::exists(path) ? "" : " (not written)");
  };
  PrintBytes("\nCheck file (refused QSOs): " + describe(stats::CheckFileName(ownCall)) +
             "\nCabrillo log:              " + describe(stats::CabrilloFileName(ownCall)) +
             "\n\nScore your own log in the same host folder:\n  zelta score LOG --dir " +
             folder.generic_string() + " --report\n");
  return kDone;
}

// A whole number from `low` to `high`; false for anything else.
template <typename Number>
bool ParseNumber(const std::string& text, Number low, Number high, Number& value) {
  Number parsed{};
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), parsed);
  if (error != std::errc() || end != text.data() + text.size() || parsed < low || parsed > high) {
    return false;
  }
  value = parsed;
  return true;
}

bool WriteFileBytes(const fs::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  return static_cast<bool>(out);
}

int Adjudicate(const Options& options) {
  std::string error;
  if (!CheckAllowed(options, {"--dir", "--plugin", "--rules", "--json", "--out", "--lang"},
                    error)) {
    return UsageError(error);
  }
  reports::Language language = reports::Language::kRussian;
  if (const auto lang = options.Value("--lang")) {
    if (*lang != "ru" && *lang != "en") return UsageError("--lang takes ru or en");
    if (*lang == "en") language = reports::Language::kEnglish;
  }
  if (options.positional.size() != 1) return UsageError("adjudicate takes one LOGDIR");
  adjudication::AdjudicationInput input;
  input.logDir = fs::absolute(fs::path(options.positional[0])).string();
  input.hostDir = fs::absolute(fs::path(options.Value("--dir").value_or("."))).string();
  if (const auto rulesFile = options.Value("--rules")) {
    std::string text;
    if (!ReadFileBytes(*rulesFile, text)) return Failure("cannot read the rules " + *rulesFile);
    try {
      input.rules = adjudication::ParseRules(text, *rulesFile);
    } catch (const adjudication::RulesError& e) {
      return Failure(e.what());
    }
  }
  std::optional<fs::path> jsonPath;
  if (const auto json = options.Value("--json")) jsonPath = fs::absolute(fs::path(*json));
  std::optional<fs::path> outDir;
  if (const auto out = options.Value("--out")) outDir = fs::absolute(fs::path(*out));

  StartBatchMode();
  StatsPlugin plugin;
  if (const int status = OpenHost(options, plugin, false); status != kDone) return status;
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
  PrintBytes(adjudication::SummaryTable(contest));

  const std::string json = jsonPath || outDir ? adjudication::VerdictsJson(contest) : "";
  if (jsonPath && !WriteFileBytes(*jsonPath, json)) {
    return Failure("cannot write " + jsonPath->generic_string());
  }
  if (outDir) {
    std::error_code ec;
    fs::create_directories(*outDir, ec);
    if (!WriteFileBytes(*outDir / "verdicts.json", json)) {
      return Failure("cannot write " + (*outDir / "verdicts.json").generic_string());
    }
    const bool terminal = StandardErrorIsTerminal();
    auto progress = [&](std::size_t done, std::size_t total) {
      if (terminal && total >= 100 && (done % 50 == 0 || done == total)) {
        std::fprintf(stderr, "\rzelta: writing the reports: %zu of %zu", done, total);
        if (done == total) std::fputc('\n', stderr);
      }
    };
    if (!reports::WriteReports(contest, outDir->string(), language, error, progress)) {
      return Failure(error);
    }
    PrintBytes("\nResults page: " + (*outDir / "index.html").generic_string() +
               "\nResults CSV:  " + (*outDir / "results.csv").generic_string() +
               "\nReports:      " + (*outDir / "reports").generic_string() + "/\n");
  }
  return kDone;
}

// A small simulated contest, checked, with its results page: the organiser's side in
// one command.
int OrganiserDemo(const Options& options) {
  if (options.raw) return UsageError("demo --organiser takes no --raw");
  const fs::path folder = "zelta-contest";
  adjudication::SimulationOptions simulation;
  simulation.stations = 30;
  simulation.qsosPerStation = 100;
  std::string error;
  const adjudication::SimulatedContest simulated = adjudication::Simulate(simulation);
  if (!adjudication::WriteSimulation(simulated, folder.string(), error)) return Failure(error);
  PrintBytes("Simulated " + Count(simulated.logs.size(), "log") + " (" +
             Count(simulated.qsoCount, "QSO") + ") in " + folder.generic_string() + "/logs\n\n");
  Options run = options;
  run.command = "adjudicate";
  run.organiser = false;
  run.positional = {(folder / "logs").string()};
  run.values["--dir"] = folder.string();
  run.values["--rules"] = (folder / "rules.ini").string();
  run.values["--out"] = (folder / "results").string();
  return Adjudicate(run);
}

int Simulate(const Options& options) {
  std::string error;
  if (!CheckAllowed(options, {"--stations", "--out", "--seed", "--qsos", "--faults"}, error)) {
    return UsageError(error);
  }
  if (!options.positional.empty()) return UsageError("simulate takes no arguments");
  const auto stations = options.Value("--stations");
  const auto out = options.Value("--out");
  if (!stations || !out) return UsageError("simulate needs --stations N and --out DIR");
  adjudication::SimulationOptions simulation;
  if (!ParseNumber(*stations, 2, 100000, simulation.stations)) {
    return UsageError("--stations takes a number from 2 to 100000");
  }
  if (const auto qsos = options.Value("--qsos");
      qsos && !ParseNumber(*qsos, 1, 100000, simulation.qsosPerStation)) {
    return UsageError("--qsos takes a number from 1 to 100000");
  }
  if (const auto seed = options.Value("--seed");
      seed && !ParseNumber<std::uint64_t>(*seed, 0, UINT64_MAX, simulation.seed)) {
    return UsageError("--seed takes a whole number");
  }
  if (const auto faults = options.Value("--faults")) {
    if (*faults != "on" && *faults != "off") return UsageError("--faults takes on or off");
    simulation.faults = *faults == "on";
  }
  const adjudication::SimulatedContest contest = adjudication::Simulate(simulation);
  if (!adjudication::WriteSimulation(contest, *out, error)) return Failure(error);
  const std::string dir = fs::path(*out).generic_string();
  PrintBytes("Wrote " + Count(contest.logs.size(), "log") + " (" +
             Count(contest.qsoCount, "QSO") + ") to " + dir + "/logs, the region list " + dir +
             "/Plugins/zelta.dom, the rules " + dir + "/rules.ini and the true verdicts " + dir +
             "/truth.csv\n\nCheck the logs:\n  zelta adjudicate " + dir + "/logs --dir " + dir +
             " --rules " + dir + "/rules.ini\n");
  return kDone;
}

}  // namespace

int RunZelta(int argc, char** argv) {
  PrepareStandardOutput();
  if (argc < 2) {
    std::fputs(kGeneralHelp, stderr);
    return kUsage;
  }
  Options options;
  options.command = argv[1];
  if (options.command == "help" && argc > 2) {
    // "zelta help score" is "zelta score --help".
    options.command = argv[2];
    options.help = true;
  } else if (options.command == "--help" || options.command == "-h" ||
             options.command == "help") {
    std::fputs(kGeneralHelp, stdout);
    return kDone;
  }
  if (options.command == "--version") {
    std::printf("zelta %s\n", ZELTA_VERSION);
    return kDone;
  }
  std::string error;
  if (!options.help && !ParseOptions(argc, argv, options, error)) return UsageError(error);

  struct Command {
    const char* name;
    const char* help;
    int (*run)(const Options&);
  };
  static const Command kCommands[] = {{"score", kScoreHelp, Score},
                                      {"check", kCheckHelp, Check},
                                      {"exchange", kExchangeHelp, Exchange},
                                      {"demo", kDemoHelp, Demo},
                                      {"adjudicate", kAdjudicateHelp, Adjudicate},
                                      {"simulate", kSimulateHelp, Simulate}};
  for (const Command& command : kCommands) {
    if (options.command != command.name) continue;
    if (options.help) {
      std::fputs(command.help, stdout);
      return kDone;
    }
    try {
      return command.run(options);
    } catch (const std::exception& e) {
      return Failure(e.what());
    }
  }
  return UsageError("unknown command '" + options.command + "'");
}

}  // namespace zelta
