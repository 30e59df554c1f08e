#include "stats/cabrillo_export/cabrillo_log.h"

#include <cstdio>
#include <vector>

#include "platform/files.h"
#include "stats/state/qso_date_text.h"
#include "stats/settings/line_breaks.h"
#include "stats/settings/replace_all.h"
#include "stats/settings/settings_store.h"
#include "stats/ubn/file_names.h"

namespace stats {

namespace {

constexpr char kCrLf[] = "\r\n";

// "%-<width>s": the text, then blanks up to `width` characters.
std::string PadRight(const std::string& text, std::size_t width) {
  std::string padded = text;
  if (padded.size() < width) padded.append(width - padded.size(), ' ');
  return padded;
}

// "%<width>s" and "%<width>i": blanks up to `width` characters, then the text.
std::string PadLeft(const std::string& text, std::size_t width) {
  if (text.size() >= width) return text;
  return std::string(width - text.size(), ' ') + text;
}

void AppendValueLine(std::string& log, const char* tag, const std::string& value) {
  log += tag;
  log += value;
  log += kCrLf;
}

// A text of several lines as tagged lines: the first line carries the tag that
// the caller writes, every further line the tag again ("\r\nADDRESS: ").
std::string LogForm(const std::string& text, const std::string& nextLineTag) {
  const std::string stored = EncodeLineBreaks(text);
  return ReplaceAll(ReplaceAll(stored, kStoredCr, kCrLf + nextLineTag), kStoredLf, "");
}

// The whole content of `path`, creating the file empty when it does not exist.
// Empty when it can neither be read nor created.
std::string ReadOrCreateExtraHeader(const std::string& path) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) {
    // "ab" creates a missing file and never empties an existing one.
    if (std::FILE* created = std::fopen(path.c_str(), "ab")) std::fclose(created);
    return std::string();
  }
  std::string bytes;
  char buffer[4096];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;) {
    bytes.append(buffer, n);
  }
  std::fclose(file);
  return bytes;
}

}  // namespace

const char* CabrilloModeCode(const std::string& mode) {
  if (mode == "CW") return "CW";
  if (mode == "BPSK63") return "PM";
  if (mode == "BPSK62") return "PM";
  if (mode == "SSB") return "PH";
  return "??";
}

std::string FormatQsoLine(const std::string& sentCall, const std::string& call,
                          std::int32_t freqKhz, const std::string& modeCode,
                          const COleDateTime& time, const std::string& rstSent,
                          const std::string& sentNumber, const std::string& rstRcvd,
                          const std::string& rcvdNumber) {
  std::string line = "QSO: ";
  line += PadLeft(std::to_string(freqKhz), 5) + ' ';
  line += PadLeft(modeCode, 2) + ' ';
  line += QsoDateText(time) + ' ';
  line += PadRight(sentCall, 13) + ' ';
  line += PadRight(rstSent, 3) + ' ';
  line += PadRight(sentNumber, 6) + ' ';
  line += PadRight(call, 13) + ' ';
  line += PadRight(rstRcvd, 3) + ' ';
  line += rcvdNumber;
  line += kCrLf;
  return line;
}

void AddQsoLine(EntrantDetails& details, const std::string& call, std::int32_t freqKhz,
                const std::string& modeCode, const COleDateTime& time,
                const std::string& rstSent, const std::string& sentNumber,
                const std::string& rstRcvd, const std::string& rcvdNumber) {
  details.qsoLines.push_back(FormatQsoLine(details.callsign, call, freqKhz, modeCode, time,
                                           rstSent, sentNumber, rstRcvd, rcvdNumber));
}

std::string CabrilloLogText(const EntrantDetails& details, const std::string& claimedScore,
                            const std::string& extraHeader) {
  std::string log = "START-OF-LOG: 3.0\r\n";
  log += "CONTEST: ZELTA-CUP\r\n";
  AppendValueLine(log, "CALLSIGN: ", details.callsign);
  AppendValueLine(log, "CATEGORY-OPERATOR: ", details.categoryOperator);
  AppendValueLine(log, "CATEGORY-BAND: ", details.categoryBand);
  AppendValueLine(log, "CATEGORY-MODE: ", details.categoryMode);
  AppendValueLine(log, "CATEGORY-POWER: ", details.categoryPower);
  AppendValueLine(log, "LOCATION: ", details.location);
  AppendValueLine(log, "CLAIMED-SCORE: ", claimedScore);
  AppendValueLine(log, "CLUB: ", details.club);
  log += "CREATED-BY: Orvo \r\n";
  AppendValueLine(log, "EMAIL: ", details.email);
  AppendValueLine(log, "NAME: ", details.name);
  AppendValueLine(log, "ADDRESS: ", LogForm(details.address, "ADDRESS: "));
  AppendValueLine(log, "OPERATORS: ", details.operators);
  AppendValueLine(log, "SOAPBOX: ", LogForm(details.soapbox, "SOAPBOX: "));
  log += extraHeader;
  // A last header line without its line end would swallow the next line.
  if (!extraHeader.empty() && extraHeader.back() != '\n') log += kCrLf;
  for (const std::string& line : details.qsoLines) log += line;
  log += "END-OF-LOG:\r\n";
  return log;
}

std::string WriteCabrilloLog(EntrantDetails& details, const std::string& claimedScore) {
  const std::string fileName =
      (details.fileStem.empty() ? std::string(stats::kDefaultFileStem) : details.fileStem) +
      kCabrilloExtension;
  const std::string extraHeader = ReadOrCreateExtraHeader(platform::NativePath(kExtraHeaderFile));

  const std::string log = CabrilloLogText(details, claimedScore, extraHeader);
  // Every log lists exactly the QSOs handed over for it, written or not.
  std::vector<std::string>().swap(details.qsoLines);

  const bool written = platform::WriteFileAtomically(platform::NativePath(fileName), log);
  return (written ? kFileProducedText : kFileNotProducedText) + fileName;
}

}  // namespace stats
