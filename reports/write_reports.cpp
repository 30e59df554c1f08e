// The results CSV, the report file names, and writing every file under the output folder.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <system_error>

#include "reports/report_parts.h"
#include "reports/reports.h"
#include "stats/ubn/file_names.h"
#include "text/ascii_text.h"

namespace reports {
namespace {

constexpr std::size_t kMaxNameBytes = 64;

// Whether Windows takes `stem` (before its first '.') for a device: CON, PRN, AUX, NUL,
// COM1 to COM9, LPT1 to LPT9, in any letter case; "NUL.txt" is no file there.
bool IsDeviceName(const std::string& stem) {
  const std::string base = text::AsciiLower(stem.substr(0, stem.find('.')));
  if (base == "con" || base == "prn" || base == "aux" || base == "nul") return true;
  return base.size() == 4 && (base.rfind("com", 0) == 0 || base.rfind("lpt", 0) == 0) &&
         base[3] >= '1' && base[3] <= '9';
}

// Writes `text` byte for byte (binary: the CR LF ends are already in the text).
bool WriteFile(const std::filesystem::path& path, const std::string& text, std::string& error) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(text.data(), static_cast<std::streamsize>(text.size()));
  file.close();
  if (!file) {
    error = "cannot write " + path.string();
    return false;
  }
  return true;
}

}  // namespace

std::vector<std::string> ReportFileNames(const adjudication::Contest& contest) {
  std::vector<std::string> names;
  std::set<std::string> taken;  // lower case
  for (const auto& log : contest.logs) {
    // The check file's name of the call, made safer still: only letters, digits,
    // '-', '_' and '.' are left.
    std::string stem = stats::FileStem(log.call.substr(0, kMaxNameBytes));
    for (char& c : stem) {
      const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                         (c >= '0' && c <= '9') || c == '-' || c == '_' || c == '.';
      if (!plain) c = '_';
    }
    if (stem.empty() || IsDeviceName(stem)) stem.insert(0, "_");
    std::string name = stem + ".txt";
    for (int n = 2; !taken.insert(text::AsciiLower(name)).second; ++n) {
      name = stem + "-" + std::to_string(n) + ".txt";
    }
    names.push_back(name);
  }
  return names;
}

std::string ResultsCsv(const adjudication::Contest& contest, Language language) {
  const detail::Wording& words = detail::WordingFor(language);
  std::string out = "\xEF\xBB\xBF";
  for (std::size_t i = 0; i < words.csvHeads.size(); ++i) {
    out += (i > 0 ? "," : "") + detail::CsvField(words.csvHeads[i]);
  }
  for (const char* verdict : words.verdicts) out += "," + detail::CsvField(verdict);
  out += "\r\n";
  for (const detail::Standing& row : detail::Standings(contest, words)) {
    const adjudication::CheckedLog& log = contest.logs[row.log];
    out += (row.place > 0 ? std::to_string(row.place) : "") + "," + detail::CsvField(log.call) + "," +
           detail::CsvField(row.category);
    for (int value : {log.checked.qsos, log.checked.points, log.checked.multipliers,
                      log.claimed.score, log.checked.score}) {
      out += "," + std::to_string(value);
    }
    out += "," + detail::KeptPercent(log) + "," + std::to_string(log.clockOffsetMinutes);
    for (int count : detail::CountVerdicts(log)) out += "," + std::to_string(count);
    out += "\r\n";
  }
  return out;
}

bool WriteReports(const adjudication::Contest& contest, const std::string& outDir,
                  Language language, std::string& error,
                  const std::function<void(std::size_t done, std::size_t total)>& progress) {
  const std::filesystem::path dir(outDir);
  const std::filesystem::path reportDir = dir / "reports";
  std::error_code failure;
  std::filesystem::create_directories(reportDir, failure);
  if (failure) {
    error = "cannot create " + reportDir.string() + ": " + failure.message();
    return false;
  }
  // The names hold only letters, digits, '-', '_' and '.' and end in ".txt", so each one
  // names a file directly inside reports/.
  const std::vector<std::string> names = ReportFileNames(contest);
  const auto busts = detail::BustsBySender(contest);
  std::vector<detail::Standing> standings(contest.logs.size());
  for (const detail::Standing& row : detail::Standings(contest, detail::WordingFor(language))) {
    standings[row.log] = row;
  }
  for (std::size_t i = 0; i < contest.logs.size(); ++i) {
    const std::string report =
        detail::EntrantReportText(contest, i, language, busts[i], standings[i]);
    if (!WriteFile(reportDir / names[i], report, error)) {
      return false;
    }
    if (progress) progress(i + 1, contest.logs.size());
  }
  return WriteFile(dir / "results.csv", ResultsCsv(contest, language), error) &&
         WriteFile(dir / "index.html", ResultsPage(contest, language, names), error);
}

}  // namespace reports
