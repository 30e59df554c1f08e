// zelta check: the plug-in's call check, after the QSOs of a log.
#include <memory>

#include "cli/command.h"
#include "cli/host_run.h"
#include "host/host_system.h"
#include "logs/qso_fields.h"
#include "logs/text_encoding.h"
#include "text/ascii_text.h"

namespace cli {
namespace {

int RunCheck(const HostOptions& host, const std::string& call, const std::string& bandOption,
             const std::string& modeOption, const std::string& label) {
  const std::string band = logs::BandForAdifBand(bandOption).value_or(bandOption);
  // Typed modes in any case; USB and LSB are SSB, PSK63 is BPSK63.
  const std::string mode = logs::ModeForAdif(text::AsciiUpper(modeOption), "");
  zelta::LoadedLog loaded;
  if (!label.empty()) {
    std::string bytes, error;
    if (!ReadLogFile(label, bytes, error)) return Failure(error);
    if (!LoadReported(label, bytes, loaded)) return kFailed;
  }
  const std::string ownCall = OwnCall(host, loaded, label);
  if (host.batch) zelta::StartBatchMode();
  zelta::StatsPlugin plugin;
  if (const int status = OpenHost(host, plugin); status != kDone) return status;
  AddReported(plugin, loaded, ownCall, false);
  std::string message;
  const int answer = plugin.CheckCall(call, band, mode, message);
  std::string text = call + " on " + band + " in " + mode + ": ";
  switch (answer) {
    case 0: text += "duplicate (0)\n"; break;
    case 1: text += "ordinary (1): not a duplicate, no new multiplier\n"; break;
    case 2: text += "new multiplier (2): " + logs::Cp1251ToUtf8(message) + "\n"; break;
    default: text += "unexpected answer " + std::to_string(answer) + "\n"; break;
  }
  PrintBytes(text);
  return kDone;
}

}  // namespace

void AddCheck(CLI::App& zelta, Commands& commands) {
  struct Options {
    HostOptions host;
    std::string call, band, mode, log;
  };
  auto options = std::make_shared<Options>();
  CLI::App* command = zelta.add_subcommand(
      "check",
      "Asks the plug-in's call check about a call, after the QSOs of a log.\n\n"
      "Adds the QSOs of LOG (if given), then asks the plug-in's call check what it says of\n"
      "CALL on BAND in MODE: duplicate, ordinary, or new multiplier with its message.");
  command->add_option("CALL", options->call, "the call sign to check")->required();
  command->add_option("LOG", options->log, "a log whose QSOs come first");
  command->add_option("--band", options->band, "the host's band name (20, or 20m)")
      ->required()
      ->type_name("BAND");
  command->add_option("--mode", options->mode,
                      "CW, SSB, BPSK63 or BPSK62 (any case; USB and LSB count as SSB,\n"
                      "PSK63 as BPSK63)")
      ->required()
      ->type_name("MODE");
  AddCallOption(*command, options->host);
  AddDirOption(*command, options->host, "the host's folder (default: the current one)");
  AddPluginOption(*command, options->host);
  command->add_flag("--batch", options->host.batch, "answer the plug-in's windows without a person");
  command->footer(
      "Example:\n"
      "  zelta check Q3ZP --band 20 --mode CW zelta-demo/sample.adi --dir zelta-demo");
  commands.push_back({command, [options] {
                        return RunCheck(options->host, options->call, options->band,
                                        options->mode, options->log);
                      }});
}

}  // namespace cli
