#include "host/zelta_cli.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "host/example_files.h"
#include "host/host_system.h"
#include "host/log_reader.h"
#include "host/plugin_driver.h"
#include "host/qso_fields.h"
#include "host/text_encoding.h"

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
    "  zelta demo [--plugin PATH] [--raw]\n"
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
    "Records that cannot become a complete QSO are skipped with a message that names\n"
    "their line; QSOs that the contest does not count are listed in CALL-ubn.txt.\n"
    "Exit status: 0 done, 1 the log, folder or plug-in cannot be used, 2 usage error.\n"
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
    "zelta demo [--plugin PATH] [--raw]\n"
    "\n"
    "Sets up the host folder ./zelta-demo from the examples built into zelta (a sample\n"
    "ADIF log, Plugins/zelta.dom, Plugins/QOLEB.ini, cabrillo.ini), scores the sample\n"
    "log with the report flag, and prints the summary and the paths of the check file\n"
    "and the Cabrillo log. Running it again refreshes the example files.\n"
    "\n"
    "Example:\n"
    "  zelta demo\n";

struct Options {
  std::string command;
  std::vector<std::string> positional;
  std::map<std::string, std::string> values;  // --call, --dir, --plugin, --band, --mode
  bool report = false;
  bool raw = false;
  bool batch = false;
  bool help = false;

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
  static const char* const kValueOptions[] = {"--call", "--dir", "--plugin", "--band", "--mode"};
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

std::string Where(const std::string& file, const LogPosition& position) {
  return file + ":" + std::to_string(position.line);
}

// Reads and reports the log; false (after the message) when it cannot be used.
bool LoadLog(const std::string& label, const std::string& bytes, QsoLog& log) {
  try {
    log = ReadLog(bytes);
  } catch (const LogRefused& refused) {
    Failure(Where(label, refused.Position()) + ": cannot read the log (byte " +
            std::to_string(refused.Position().offset) + "): " + refused.what());
    return false;
  }
  for (const LogNote& note : log.warnings) Note(Where(label, note.position) + ": " + note.text);
  for (const LogNote& note : log.skipped) Note(Where(label, note.position) + ": " + note.text);
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

// The file names the plug-in gives its check file and its Cabrillo log.
std::string SafeFileName(const std::string& call) {
  std::string name = call;
  for (char& c : name) {
    if (c == '/' || c == '\\' || c == ':') c = '_';
  }
  return name;
}

std::string CheckFileName(const std::string& ownCall) { return SafeFileName(ownCall) + "-ubn.txt"; }

std::string CabrilloFileName(const std::string& ownCall) {
  std::string stem = SafeFileName(ownCall);
  const char* blanks = " \t\r\n\v\f";
  const std::size_t first = stem.find_first_not_of(blanks);
  stem = first == std::string::npos
             ? std::string()
             : stem.substr(first, stem.find_last_not_of(blanks) - first + 1);
  return (stem.empty() ? std::string("QOLEB") : stem) + ".cbr";
}

// Resolves the plug-in path against the starting folder, makes DIR the current
// folder (unless `enterHostFolder` is false) and loads the plug-in there.
int OpenHost(const Options& options, StatsPlugin& plugin, bool enterHostFolder = true) {
  fs::path pluginPath;
  if (const auto given = options.Value("--plugin")) {
    pluginPath = fs::absolute(fs::path(*given));
  } else {
    const std::string self = ExecutablePath();
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

// Starts the run and adds every QSO of the log; reports what the plug-in refused.
void AddLog(StatsPlugin& plugin, const QsoLog& log, const std::string& ownCall, bool report) {
  plugin.ResetStats(ownCall, report, log.qsos.empty() ? NowUtc() : log.qsos.front().time);
  std::size_t counted = 0;
  for (const LogQso& qso : log.qsos) counted += plugin.AddData(ownCall, qso) == 1 ? 1 : 0;
  std::string text = Count(log.qsos.size(), "QSO") + " handed to the plug-in, " +
                     std::to_string(counted) + " counted";
  if (counted < log.qsos.size()) {
    text += ", " + std::to_string(log.qsos.size() - counted) + " refused (see " +
            CheckFileName(ownCall) + ")";
  }
  if (!log.skipped.empty()) {
    text += "; " + Count(log.skipped.size(), "record") + " of the log skipped";
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
int ScoreLog(const Options& options, const std::string& label, const std::string& bytes,
             std::string* ownCallOut) {
  QsoLog log;
  if (!LoadLog(label, bytes, log)) return kFailed;
  std::string problem;
  const std::string ownCall = OwnCall(options, log, label, problem);
  if (ownCall.empty()) return UsageError(problem);
  if (options.batch) StartBatchMode();
  StatsPlugin plugin;
  if (const int status = OpenHost(options, plugin); status != kDone) return status;
  AddLog(plugin, log, ownCall, options.report);
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
  if (!ReadFileBytes(path, bytes)) return Failure("cannot read the log " + path);
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
  std::string label;
  if (options.positional.size() == 2) {
    label = options.positional[1];
    std::string bytes;
    if (!ReadFileBytes(label, bytes)) return Failure("cannot read the log " + label);
    if (!LoadLog(label, bytes, log)) return kFailed;
  }
  std::string problem;
  const std::string ownCall = OwnCall(options, log, label, problem);
  if (ownCall.empty()) return UsageError(problem);
  if (options.batch) StartBatchMode();
  StatsPlugin plugin;
  if (const int status = OpenHost(options, plugin); status != kDone) return status;
  AddLog(plugin, log, ownCall, false);
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

int Demo(const Options& options) {
  std::string error;
  if (!CheckAllowed(options, {"--plugin", "--raw"}, error)) return UsageError(error);
  if (!options.positional.empty()) return UsageError("demo takes no arguments");
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
  PrintBytes("\nCheck file (refused QSOs): " + describe(CheckFileName(ownCall)) +
             "\nCabrillo log:              " + describe(CabrilloFileName(ownCall)) +
             "\n\nScore your own log in the same host folder:\n  zelta score LOG --dir " +
             folder.generic_string() + " --report\n");
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
                                      {"demo", kDemoHelp, Demo}};
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
