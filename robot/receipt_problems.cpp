#include "robot/receipt_problems.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "adjudication/cross_check.h"

namespace robot {
namespace {

long long DayOf(const platform::CalendarTime& time) {
  const long long seconds = adjudication::SecondsOf(time);
  return seconds >= 0 ? seconds / 86400 : (seconds - 86399) / 86400;
}

std::string DateText(const platform::CalendarTime& time) {
  char text[16];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d", time.year, time.month, time.day);
  return text;
}

std::string Days(long long days) {
  return days == 1 ? "the day" : std::to_string(days) + " days";
}

// Why QSOs of a run fall outside the period, when they share one date: how far that
// date lies from the contest's days.
std::string PeriodCause(const std::vector<Finding>& run, const adjudication::Rules& rules) {
  if (!run.front().time) return "";
  const long long day = DayOf(*run.front().time);
  for (const Finding& finding : run) {
    if (!finding.time || DayOf(*finding.time) != day) return "";
  }
  std::string cause = ", all dated " + DateText(*run.front().time);
  if (rules.start && day < DayOf(*rules.start)) {
    cause += ", " + Days(DayOf(*rules.start) - day) + " before the contest: check these QSOs' date";
  } else if (rules.end && day > DayOf(*rules.end)) {
    cause += ", " + Days(day - DayOf(*rules.end)) + " after the contest: check these QSOs' date";
  }
  return cause;
}

}  // namespace

ToldProblems TellProblems(std::vector<Finding> findings, const adjudication::Rules& rules) {
  std::stable_sort(findings.begin(), findings.end(),
                   [](const Finding& a, const Finding& b) { return a.line < b.line; });
  ToldProblems told;
  for (const Finding& finding : findings) ++told.counts[finding.kind];
  for (std::size_t i = 0; i < findings.size() && told.listed.size() < kMaxListedProblems;) {
    std::size_t end = i + 1;
    if (!findings[i].alike.empty()) {
      while (end < findings.size() && findings[end].alike == findings[i].alike) ++end;
    }
    if (end - i < kShortestRun) {
      for (; i < end && told.listed.size() < kMaxListedProblems; ++i) {
        told.listed.push_back({findings[i].line, findings[i].text});
      }
      continue;
    }
    const std::vector<Finding> run(findings.begin() + static_cast<std::ptrdiff_t>(i),
                                   findings.begin() + static_cast<std::ptrdiff_t>(end));
    std::string text = "lines " + std::to_string(run.front().line) + "-" + std::to_string(run.back().line) + ": " +
                       std::to_string(run.size()) + " " + run.front().runText;
    if (run.front().kind == "outside_period") text += PeriodCause(run, rules);
    told.listed.push_back({run.front().line, text});
    i = end;
  }
  return told;
}

std::string ProblemCountsJson(const std::map<std::string, long long>& counts) {
  JsonObject object;
  for (const auto& [kind, count] : counts) object.Number(kind, count);
  return object.Done();
}

std::map<std::string, long long> ReadProblemCounts(std::string_view json) {
  std::map<std::string, long long> counts;
  // {"kind": N, ...}: the kinds are the robot's own words, without escapes.
  std::size_t at = 0;
  while ((at = json.find('"', at)) != std::string_view::npos) {
    const std::size_t close = json.find('"', at + 1);
    const std::size_t colon = close == std::string_view::npos ? close : json.find(':', close);
    if (colon == std::string_view::npos) break;
    counts[std::string(json.substr(at + 1, close - at - 1))] = std::atoll(std::string(json.substr(colon + 1, 24)).c_str());
    at = colon + 1;
  }
  return counts;
}

}  // namespace robot
