// The organiser's rules file: INI text whose [Rules] section sets the contest's
// rules and whose [Categories] section lists its categories. Other sections are left
// to other readers.
#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "adjudication/verdicts.h"

namespace adjudication {

// The rules file cannot be used; what() names the line ("rules.ini:4: ...").
class RulesError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// ParseRules()
// The rules of a file named `name` holding `text`. Keys, in any case, each at most
// once: Start and End ("YYYY-MM-DD HHMM", UTC), ToleranceMinutes (0 to 1440),
// NonEntrantMinLogs (0 to 1000000), UniquesCount (0 or 1); a missing key keeps its
// default. Blank lines and lines starting with ';' or '#' are skipped. Throws
// RulesError for an unknown key, a bad value, a line that is neither header nor
// key, a key outside any section and a period whose End is not after its Start.
// [Categories]: "Name = OPERATOR BAND MODE POWER" a line, the values as CATEGORY-* fields
// give them ("*" for any; read as CategoryValue() reads a header's); a category without
// four values or named twice is an error too.
Rules ParseRules(std::string_view text, const std::string& name);

// The whole rules file: the checker's rules and, for the log robot, the time after
// which logs are no longer received (key Deadline, "YYYY-MM-DD HHMM", UTC; optional).
struct RulesFile {
  Rules rules;
  std::optional<platform::CalendarTime> deadline;
};

// ParseRulesFile()
// As ParseRules(), with the Deadline key too.
RulesFile ParseRulesFile(std::string_view text, const std::string& name);

// ParsePeriodTime()
// "YYYY-MM-DD HHMM" as a calendar time; false for anything else.
bool ParsePeriodTime(std::string_view text, platform::CalendarTime& time);

}  // namespace adjudication
