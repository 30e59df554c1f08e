// The reports people read, made from a checked contest: a log-check report for each
// entrant, the results as CSV, and the results as one self-contained web page.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "adjudication/verdicts.h"

namespace reports {

// The language of every text the reports write; Russian is the contest's own.
enum class Language { kRussian, kEnglish };

// WriteReports()
// Writes, under `outDir` (created when missing): reports/<name>.txt for every log (names
// from ReportFileNames()), results.csv and index.html, all UTF-8. Returns false, with
// `error` naming the file, when a folder or file cannot be written; files written before
// the failure stay. Nothing is written outside `outDir`, whatever the logs hold.
// `progress`, when given, is called after each report with the count written and the total
// (a thousand logs take a few seconds, mostly the disk's).
bool WriteReports(const adjudication::Contest& contest, const std::string& outDir,
                  Language language, std::string& error,
                  const std::function<void(std::size_t done, std::size_t total)>& progress = {});

// ReportFileNames()
// The report file name of each log, in the order of contest.logs: the call with '/', '\'
// and ':' turned into '_' as the plug-in names its check file, every other byte that is
// not a letter, digit, '-', '_' or '.' also '_', at most 64 bytes, a '_' in front of an
// empty call or a Windows device name (NUL, COM1...), then ".txt". A name that another log
// already has (letter case ignored, as Windows does) gets "-2", "-3"...
std::vector<std::string> ReportFileNames(const adjudication::Contest& contest);

// EntrantReport()
// The log-check report of contest.logs[log]: the scores, the clock offset when not zero,
// the count of each verdict, every QSO that lost credit with its reason, the uniques, and
// the QSOs of other logs that lost credit because of what this entrant sent. CR LF lines.
std::string EntrantReport(const adjudication::Contest& contest, std::size_t log,
                          Language language);

// ResultsCsv()
// One header row, then one row per log in the order of the results table (category, then
// checked score, highest first). CR LF lines; starts with a UTF-8 byte order mark so that
// spreadsheets read the Cyrillic texts.
std::string ResultsCsv(const adjudication::Contest& contest, Language language);

// ResultsPage()
// The results page: the table of each category, linked to the reports named by
// `reportFiles` (as ReportFileNames() gives them), and three inline SVG charts. No script,
// no external style, image or font; every text from a log is escaped.
std::string ResultsPage(const adjudication::Contest& contest, Language language,
                        const std::vector<std::string>& reportFiles);

}  // namespace reports
