#include "adjudication/rules_file.h"

#include <algorithm>
#include <charconv>
#include <set>
#include <utility>
#include <vector>

#include "adjudication/categories.h"
#include "adjudication/cross_check.h"
#include "text/ascii_text.h"

namespace adjudication {
namespace {

using text::AsciiLower;
using text::TrimBlanks;

bool ParseInt(std::string_view text, int low, int high, int& value) {
  int parsed = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), parsed);
  if (error != std::errc() || end != text.data() + text.size() || parsed < low || parsed > high) {
    return false;
  }
  value = parsed;
  return true;
}

// "Name = OPERATOR BAND MODE POWER" of the [Categories] section: the values as the
// header's CATEGORY-* fields give them ("*" for any), the name as the results show it.
template <typename Fail>
void ParseCategory(std::string_view name, std::string_view values, std::vector<Category>& categories,
                   Fail fail) {
  Category category;
  category.name = std::string(TrimBlanks(name));
  if (category.name.empty()) fail("a category needs a name before '='");
  std::size_t count = 0;
  while (!(values = TrimBlanks(values)).empty()) {
    std::size_t end = 0;
    while (end < values.size() && !text::IsBlank(values[end])) ++end;
    if (count < category.values.size()) category.values[count] = CategoryValue(values.substr(0, end));
    ++count;
    values.remove_prefix(end);
  }
  if (count != category.values.size()) {
    fail("the category " + category.name +
         " needs four values: operator, band, mode and power ('*' for any)");
  }
  for (const Category& other : categories) {
    if (text::EqualsIgnoringCase(other.name, category.name)) fail("the category " + category.name + " is given twice");
  }
  categories.push_back(std::move(category));
}

}  // namespace

bool ParsePeriodTime(std::string_view text, platform::CalendarTime& time) {
  // YYYY-MM-DD HHMM
  if (text.size() != 15 || text[4] != '-' || text[7] != '-' || text[10] != ' ') return false;
  for (const std::size_t i : {0, 1, 2, 3, 5, 6, 8, 9, 11, 12, 13, 14}) {
    if (text[i] < '0' || text[i] > '9') return false;
  }
  platform::CalendarTime t;
  ParseInt(text.substr(0, 4), 0, 9999, t.year);
  ParseInt(text.substr(5, 2), 0, 99, t.month);
  ParseInt(text.substr(8, 2), 0, 99, t.day);
  ParseInt(text.substr(11, 2), 0, 99, t.hour);
  ParseInt(text.substr(13, 2), 0, 99, t.minute);
  static constexpr int kDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (t.year % 4 == 0 && t.year % 100 != 0) || t.year % 400 == 0;
  if (t.year < 1900 || t.month < 1 || t.month > 12 || t.day < 1 ||
      t.day > kDays[t.month - 1] - (t.month == 2 && !leap ? 1 : 0) || t.hour > 23 ||
      t.minute > 59) {
    return false;
  }
  time = t;
  return true;
}

Rules ParseRules(std::string_view text, const std::string& name) {
  return ParseRulesFile(text, name).rules;
}

RulesFile ParseRulesFile(std::string_view text, const std::string& name) {
  RulesFile file;
  Rules& rules = file.rules;
  std::string section;
  bool inSection = false;
  std::set<std::string> seen;
  std::size_t lineNumber = 0;
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t end = text.find_first_of("\r\n", pos);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view line = TrimBlanks(text.substr(pos, end - pos));
    ++lineNumber;
    pos = end;
    if (pos < text.size()) pos += text.compare(pos, 2, "\r\n") == 0 ? 2 : 1;
    auto fail = [&](const std::string& what) -> void {
      throw RulesError(name + ":" + std::to_string(lineNumber) + ": " + what);
    };
    if (line.empty() || line[0] == ';' || line[0] == '#') continue;
    if (line[0] == '[') {
      if (line.back() != ']') fail("a section header must end with ']'");
      section = AsciiLower(TrimBlanks(line.substr(1, line.size() - 2)));
      inSection = true;
      continue;
    }
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) fail("'" + std::string(line) + "' is not 'Key=value'");
    if (!inSection) fail("a key before any section (the rules belong under [Rules])");
    if (section == "categories") {
      ParseCategory(line.substr(0, equals), line.substr(equals + 1), rules.categories, fail);
      continue;
    }
    if (section != "rules") continue;
    const std::string_view keyAsGiven = TrimBlanks(line.substr(0, equals));
    const std::string key = AsciiLower(keyAsGiven);
    const std::string_view value = TrimBlanks(line.substr(equals + 1));
    if (!seen.insert(key).second) fail("the key " + std::string(keyAsGiven) + " is given twice");
    const std::string quoted = "'" + std::string(value) + "'";
    if (key == "start" || key == "end" || key == "deadline") {
      platform::CalendarTime time;
      if (!ParsePeriodTime(value, time)) {
        fail(quoted + " is not a UTC time as 'YYYY-MM-DD HHMM'");
      }
      (key == "start" ? rules.start : key == "end" ? rules.end : file.deadline) = time;
    } else if (key == "toleranceminutes") {
      if (!ParseInt(value, 0, 1440, rules.toleranceMinutes)) {
        fail(quoted + " is not a number of minutes from 0 to 1440");
      }
    } else if (key == "nonentrantminlogs") {
      if (!ParseInt(value, 0, 1000000, rules.nonEntrantMinLogs)) {
        fail(quoted + " is not a number of logs from 0 to 1000000");
      }
    } else if (key == "uniquescount") {
      if (value != "0" && value != "1") fail(quoted + " is not 1 (uniques count) or 0");
      rules.uniquesCount = value == "1";
    } else {
      fail("unknown key '" + std::string(keyAsGiven) +
           "' (known: Start, End, ToleranceMinutes, NonEntrantMinLogs, UniquesCount,"
           " Deadline)");
    }
    if (rules.start && rules.end && SecondsOf(*rules.end) <= SecondsOf(*rules.start)) {
      fail("End must come after Start");
    }
  }
  return file;
}

}  // namespace adjudication
