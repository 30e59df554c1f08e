// The results page: one HTML file with its style inline and the charts drawn as inline SVG,
// so that it shows the same offline, from a mail attachment or from any web server.
#include <algorithm>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "reports/report_parts.h"
#include "reports/reports.h"

namespace reports {
namespace {

using adjudication::CheckedLog;
using adjudication::Contest;
using adjudication::Verdict;
using detail::HtmlText;
using detail::Wording;

constexpr const char* kBandColours[] = {"#1f77b4", "#ff7f0e", "#2ca02c", "#d62728", "#9467bd",
                                        "#8c564b", "#e377c2", "#7f7f7f", "#bcbd22", "#17becf"};
// In the order of the verdicts: confirmed green, lost credit warm, kept without a check cool.
constexpr const char* kVerdictColours[adjudication::kVerdictCount] = {
    "#2ca02c", "#7f7f7f", "#bcbd22", "#ff7f0e", "#d62728", "#9467bd", "#17becf", "#1f77b4",
    "#8c564b"};

constexpr char kStyle[] =
    "body{font-family:sans-serif;margin:1.5em;color:#222;max-width:1100px}"
    "h1{font-size:1.6em}h2{margin-top:1.6em;border-bottom:1px solid #ccc}"
    "table.results{border-collapse:collapse;margin-bottom:1em}"
    "table.results th,table.results td{border:1px solid #ccc;padding:.25em .6em}"
    "table.results th{background:#eef2f7}td.num{text-align:right}"
    "figure{margin:1em 0}figcaption{font-weight:bold;margin-bottom:.4em}"
    "svg text{font-family:sans-serif;font-size:11px;fill:#222}"
    ".note{color:#555;font-size:.9em}.soapbox{white-space:pre-wrap}";

std::string Num(long long value) { return std::to_string(value); }

// A coordinate in whole pixels or tenths, as SVG takes it.
std::string Px(double value) {
  const long long tenths = static_cast<long long>(value * 10 + (value < 0 ? -0.5 : 0.5));
  std::string text = std::to_string(tenths / 10);
  if (tenths % 10 != 0) text += "." + std::to_string(std::llabs(tenths % 10));
  return text;
}

std::string Rect(double x, double y, double w, double h, const char* fill,
                 const std::string& title) {
  return "<rect class=\"bar\" x=\"" + Px(x) + "\" y=\"" + Px(y) + "\" width=\"" + Px(w) +
         "\" height=\"" + Px(h) + "\" fill=\"" + fill + "\"><title>" + title +
         "</title></rect>";
}

std::string Text(double x, double y, const std::string& text, const char* anchor = "start") {
  return "<text x=\"" + Px(x) + "\" y=\"" + Px(y) + "\" text-anchor=\"" + anchor + "\">" +
         text + "</text>";
}

std::string SvgOpen(const char* id, double width, double height, const char* label) {
  return "<svg id=\"" + std::string(id) + "\" xmlns=\"http://www.w3.org/2000/svg\" width=\"" +
         Px(width) + "\" height=\"" + Px(height) + "\" viewBox=\"0 0 " + Px(width) + " " +
         Px(height) + "\" role=\"img\" aria-label=\"" + HtmlText(label) + "\">";
}

// Bands in the host's order: the longest wave first, names that are not metres last.
bool BandBefore(const std::string& a, const std::string& b) {
  char* endA = nullptr;
  char* endB = nullptr;
  const long metresA = std::strtol(a.c_str(), &endA, 10);
  const long metresB = std::strtol(b.c_str(), &endB, 10);
  const bool numberA = !a.empty() && *endA == '\0';
  const bool numberB = !b.empty() && *endB == '\0';
  if (numberA != numberB) return numberA;
  if (numberA && metresA != metresB) return metresA > metresB;
  return a < b;
}

// QSOs per UTC hour (after each log's clock correction), stacked by band.
std::string HoursChart(const Contest& contest, const Wording& words) {
  std::map<long long, std::map<std::string, int>> perHour;
  std::vector<std::string> bands;
  for (const CheckedLog& log : contest.logs) {
    for (const auto& qso : log.qsos) {
      if (qso.verdict == Verdict::kRefused || qso.verdict == Verdict::kOutOfPeriod) continue;
      const long long minutes =
          detail::EpochMinutes(qso.time) - log.clockOffsetMinutes + qso.daysMoved * 24 * 60;
      const long long hour = minutes >= 0 ? minutes / 60 : -((-minutes + 59) / 60);
      ++perHour[hour][qso.band];
      if (std::find(bands.begin(), bands.end(), qso.band) == bands.end()) bands.push_back(qso.band);
    }
  }
  if (perHour.empty()) return "<p class=\"note\">" + HtmlText(words.noQsos) + "</p>";
  std::sort(bands.begin(), bands.end(), BandBefore);

  // Every hour of the span, so that quiet hours show; only the busy ones when a stray
  // date would stretch the span beyond a week.
  std::vector<long long> hours;
  const long long first = perHour.begin()->first;
  const long long last = perHour.rbegin()->first;
  if (last - first <= 24 * 7) {
    for (long long h = first; h <= last; ++h) hours.push_back(h);
  } else {
    for (const auto& entry : perHour) hours.push_back(entry.first);
  }
  int highest = 1;
  for (const auto& entry : perHour) {
    int total = 0;
    for (const auto& band : entry.second) total += band.second;
    highest = std::max(highest, total);
  }

  const double left = 44, top = 14, plotHeight = 220, slot = 26, bar = 20;
  const double width = std::max(420.0, left + slot * static_cast<double>(hours.size()) + 16);
  const double legendY = top + plotHeight + 48;
  const double height = legendY + 22;
  std::string svg = SvgOpen("chart-hours", width, height, words.hoursChart);
  for (int tick : {0, (highest + 1) / 2, highest}) {
    const double y = top + plotHeight - plotHeight * tick / highest;
    svg += "<line x1=\"" + Px(left) + "\" x2=\"" + Px(width - 8) + "\" y1=\"" + Px(y) +
           "\" y2=\"" + Px(y) + "\" stroke=\"#ddd\"/>" + Text(left - 6, y + 4, Num(tick), "end");
  }
  int previousDay = -1;
  for (std::size_t i = 0; i < hours.size(); ++i) {
    const double x = left + slot * static_cast<double>(i) + (slot - bar) / 2;
    const platform::CalendarTime start = detail::FromEpochMinutes(hours[i] * 60);
    const std::string clock = detail::ClockText(start);
    double y = top + plotHeight;
    const auto found = perHour.find(hours[i]);
    for (std::size_t b = 0; found != perHour.end() && b < bands.size(); ++b) {
      const auto count = found->second.find(bands[b]);
      if (count == found->second.end()) continue;
      const double h = plotHeight * count->second / highest;
      y -= h;
      svg += Rect(x, y, bar, h, kBandColours[b % std::size(kBandColours)],
                  HtmlText(clock + " " + bands[b] + ": " + Num(count->second)));
    }
    svg += Text(x + bar / 2, top + plotHeight + 14, clock.substr(0, 2), "middle");
    if (start.day != previousDay) {
      svg += Text(x, top + plotHeight + 28,
                  (start.day < 10 ? "0" : "") + Num(start.day) + "." +
                      (start.month < 10 ? "0" : "") + Num(start.month));
      previousDay = start.day;
    }
  }
  double x = left;
  for (std::size_t b = 0; b < bands.size(); ++b) {
    svg += "<rect x=\"" + Px(x) + "\" y=\"" + Px(legendY - 10) + "\" width=\"12\" height=\"12\" fill=\"" +
           kBandColours[b % std::size(kBandColours)] + "\"/>" + Text(x + 16, legendY, HtmlText(bands[b]));
    x += 24 + 7.0 * static_cast<double>(detail::TextWidth(detail::CleanText(bands[b])));
  }
  return svg + "</svg>";
}

// Two bars for each entrant, in the order of the table: claimed above, checked below.
std::string ScoresChart(const Contest& contest, const std::vector<detail::Standing>& rows,
                        const Wording& words) {
  int highest = 1;
  for (const CheckedLog& log : contest.logs) {
    highest = std::max({highest, log.claimed.score, log.checked.score});
  }
  const double left = 110, top = 26, row = 30, plotWidth = 460;
  const double height = top + row * static_cast<double>(rows.size()) + 8;
  std::string svg = SvgOpen("chart-scores", left + plotWidth + 70, height, words.scoresChart);
  const char* colours[2] = {"#a9b7c9", "#2b6cb0"};
  const char* labels[2] = {words.claimed, words.checked};
  for (int i = 0; i < 2; ++i) {
    svg += "<rect x=\"" + Px(left + 150.0 * i) + "\" y=\"4\" width=\"12\" height=\"12\" fill=\"" +
           colours[i] + "\"/>" + Text(left + 150.0 * i + 16, 14, HtmlText(labels[i]));
  }
  for (std::size_t r = 0; r < rows.size(); ++r) {
    const CheckedLog& log = contest.logs[rows[r].log];
    const double y = top + row * static_cast<double>(r);
    svg += Text(left - 8, y + 16, HtmlText(log.call), "end");
    const int values[2] = {log.claimed.score, log.checked.score};
    for (int i = 0; i < 2; ++i) {
      const double w = plotWidth * std::max(values[i], 0) / highest;
      svg += Rect(left, y + 2 + 12.0 * i, w, 11, colours[i],
                  HtmlText(log.call) + ": " + HtmlText(labels[i]) + " " + Num(values[i]));
      svg += Text(left + w + 4, y + 12 + 12.0 * i, Num(values[i]));
    }
  }
  return svg + "</svg>";
}

// One bar per verdict, its length the verdict's share of every QSO of the contest.
std::string VerdictsChart(const Contest& contest, const Wording& words) {
  detail::VerdictCounts total{};
  long long all = 0;
  for (const CheckedLog& log : contest.logs) {
    const detail::VerdictCounts counts = detail::CountVerdicts(log);
    for (std::size_t i = 0; i < counts.size(); ++i) total[i] += counts[i], all += counts[i];
  }
  if (all == 0) return "<p class=\"note\">" + HtmlText(words.noQsos) + "</p>";
  const double left = 150, row = 24, plotWidth = 400;
  std::string svg = SvgOpen("chart-verdicts", left + plotWidth + 110,
                            row * adjudication::kVerdictCount + 8, words.verdictsChart);
  for (std::size_t i = 0; i < total.size(); ++i) {
    const double y = 4 + row * static_cast<double>(i);
    const long long tenths = (total[i] * 1000LL + all / 2) / all;
    const std::string share = Num(total[i]) + " (" + Num(tenths / 10) + "." + Num(tenths % 10) + "%)";
    const double w = plotWidth * total[i] / static_cast<double>(all);
    svg += Text(left - 8, y + 13, HtmlText(words.verdicts[i]), "end");
    svg += Rect(left, y, w, 16, kVerdictColours[i], HtmlText(words.verdicts[i]) + ": " + share);
    svg += Text(left + w + 4, y + 13, share);
  }
  return svg + "</svg>";
}

}  // namespace

std::string ResultsPage(const Contest& contest, Language language,
                        const std::vector<std::string>& reportFiles) {
  const Wording& words = detail::WordingFor(language);
  const std::vector<detail::Standing> rows = detail::Standings(contest, words);
  long long claimedQsos = 0;
  long long keptQsos = 0;
  for (const CheckedLog& log : contest.logs) {
    claimedQsos += static_cast<long long>(log.qsos.size());
    for (const auto& qso : log.qsos) keptQsos += detail::KeepsCreditUnder(qso.verdict, contest.rules);
  }

  std::string page = "<!DOCTYPE html>\n<html lang=\"" + std::string(words.htmlLang) +
                     "\">\n<head>\n<meta charset=\"utf-8\">\n"
                     "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
                     "<title>" + HtmlText(words.pageTitle) + "</title>\n<style>" + kStyle +
                     "</style>\n</head>\n<body>\n<h1>" + HtmlText(words.pageTitle) + "</h1>\n";
  page += "<p>" + HtmlText(detail::Fill(words.pageSummary,
                                        {Num(static_cast<long long>(contest.logs.size())),
                                         Num(claimedQsos), Num(keptQsos)})) + "</p>\n";

  page += "<h2>" + HtmlText(words.results) + "</h2>\n";
  for (std::size_t r = 0; r < rows.size(); ++r) {
    const CheckedLog& log = contest.logs[rows[r].log];
    if (r == 0 || rows[r - 1].disqualified != rows[r].disqualified ||
        (!rows[r].disqualified && rows[r - 1].category != rows[r].category)) {
      const bool apart = rows[r].place == 0;  // listed apart, after every category
      page += (rows[r].disqualified ? "<h2>" + HtmlText(words.disqualifieds) + "</h2>"
               : apart              ? "<h2>" + HtmlText(words.checklogs) + "</h2>"
                                    : "<h3>" + HtmlText(rows[r].category) + "</h3>") +
              "\n<table class=\"results\">\n<thead><tr>";
      for (const char* head : words.tableHeads) page += "<th>" + HtmlText(head) + "</th>";
      page += "</tr></thead>\n<tbody>\n";
    }
    // The file names are plain (letters, digits, '-', '_', '.'): no escaping needed.
    const std::string href = rows[r].log < reportFiles.size()
                                 ? "reports/" + reportFiles[rows[r].log] : std::string();
    const detail::VerdictCounts counts = detail::CountVerdicts(log);
    int lost = 0;
    for (std::size_t v = 0; v < counts.size(); ++v) {
      if (!detail::KeepsCreditUnder(static_cast<Verdict>(v), contest.rules)) lost += counts[v];
    }
    page += "<tr><td class=\"num\">" + (rows[r].place > 0 ? Num(rows[r].place) : "") + "</td><td>" +
            (href.empty() ? HtmlText(log.call)
                          : "<a href=\"" + href + "\">" + HtmlText(log.call) + "</a>") +
            (rows[r].header.empty() ? "" : " <span class=\"note\">" + HtmlText(rows[r].header) + "</span>") +
            "</td>";
    for (long long value : {log.checked.qsos, log.checked.points, log.checked.multipliers,
                            log.claimed.score, log.checked.score}) {
      page += "<td class=\"num\">" + Num(value) + "</td>";
    }
    page += "<td class=\"num\">" + detail::KeptPercent(log) + "</td><td class=\"num\">" +
            detail::SignedMinutes(log.clockOffsetMinutes) + "</td><td class=\"num\">" + Num(lost) +
            "</td></tr>\n";
    if (r + 1 == rows.size() || rows[r + 1].category != rows[r].category) {
      page += "</tbody>\n</table>\n";
    }
  }

  page += "<h2>" + HtmlText(words.charts) + "</h2>\n";
  page += "<figure><figcaption>" + HtmlText(words.hoursChart) + "</figcaption>\n" +
          HoursChart(contest, words) + "\n<p class=\"note\">" + HtmlText(words.hoursNote) +
          "</p></figure>\n";
  page += "<figure><figcaption>" + HtmlText(words.scoresChart) + "</figcaption>\n" +
          ScoresChart(contest, rows, words) + "</figure>\n";
  page += "<figure><figcaption>" + HtmlText(words.verdictsChart) + "</figcaption>\n" +
          VerdictsChart(contest, words) + "</figure>\n";

  std::string soapbox;
  for (const detail::Standing& row : rows) {
    const CheckedLog& log = contest.logs[row.log];
    std::string said;
    for (const auto& [key, value] : log.headers) {
      if (key.size() == 7 && detail::StartsWithNoCase(key, "SOAPBOX")) {
        said += (said.empty() ? "" : " ") + value;
      }
    }
    if (!said.empty()) {
      soapbox += "<p class=\"soapbox\"><b>" + HtmlText(log.call) + "</b>: " + HtmlText(said) + "</p>\n";
    }
  }
  if (!soapbox.empty()) page += "<h2>" + HtmlText(words.soapbox) + "</h2>\n" + soapbox;
  return page + "</body>\n</html>\n";
}

}  // namespace reports
