#include "reports/report_parts.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <tuple>

#include "adjudication/categories.h"
#include "text/ascii_text.h"

namespace reports::detail {
namespace {

using adjudication::CheckedLog;
using adjudication::Verdict;

constexpr char32_t kReplacement = 0xFFFD;

// Windows-1251 bytes 0x80 to 0xBF as Unicode; 0x98 is unassigned. From 0xC0 on the
// code page is the Cyrillic alphabet А..я in order.
constexpr char16_t kCp1251High[64] = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021,
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F,
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0xFFFD, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F,
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7,
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7,
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,
};

char32_t FromCp1251(unsigned char byte) {
  if (byte >= 0xC0) return 0x0410 + (byte - 0xC0);
  return kCp1251High[byte - 0x80];
}

// The length of the valid UTF-8 sequence at `text[at]` and its code point, or 0.
std::size_t DecodeUtf8(std::string_view text, std::size_t at, char32_t& point) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[at + i]); };
  const unsigned char lead = byte(0);
  std::size_t length = 0;
  char32_t min = 0;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2, point = lead & 0x1F, min = 0x80;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3, point = lead & 0x0F, min = 0x800;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4, point = lead & 0x07, min = 0x10000;
  } else {
    return 0;
  }
  if (at + length > text.size()) return 0;
  for (std::size_t i = 1; i < length; ++i) {
    if ((byte(i) & 0xC0) != 0x80) return 0;
    point = (point << 6) | (byte(i) & 0x3F);
  }
  if (point < min || point > 0x10FFFF || (point >= 0xD800 && point <= 0xDFFF)) return 0;
  return length;
}

// Control characters and the marks that embed or override the direction of text (which
// can make a report show other calls than it holds) are not shown.
char32_t Shown(char32_t point) {
  if (point == '\t') return ' ';
  if (point < 0x20 || (point >= 0x7F && point <= 0x9F)) return kReplacement;
  if ((point >= 0x202A && point <= 0x202E) || (point >= 0x2066 && point <= 0x2069)) {
    return kReplacement;
  }
  if (point == 0x2028 || point == 0x2029) return ' ';
  return point;
}

// Days since 1970-01-01 of a civil date (proleptic Gregorian), and back.
long long DaysFromCivil(long long y, unsigned m, unsigned d) {
  y -= m <= 2;
  const long long era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<long long>(doe) - 719468;
}

void CivilFromDays(long long z, int& year, int& month, int& day) {
  z += 719468;
  const long long era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  year = static_cast<int>(static_cast<long long>(yoe) + era * 400 + (month <= 2));
}

std::string TwoDigits(int value) {
  char text[16];
  std::snprintf(text, sizeof text, "%02d", value);
  return text;
}

}  // namespace

std::string Fill(std::string_view pattern, std::initializer_list<std::string_view> values) {
  std::string out;
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    if (pattern[i] == '{' && i + 2 < pattern.size() && pattern[i + 2] == '}' &&
        pattern[i + 1] >= '1' && pattern[i + 1] <= '9') {
      const std::size_t index = static_cast<std::size_t>(pattern[i + 1] - '1');
      if (index < values.size()) {
        out += *(values.begin() + index);
        i += 2;
        continue;
      }
    }
    out += pattern[i];
  }
  return out;
}

std::string CleanText(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  for (std::size_t i = 0; i < bytes.size();) {
    char32_t point = 0;
    const std::size_t length = DecodeUtf8(bytes, i, point);
    if (length > 0) {
      i += length;
    } else {
      const auto byte = static_cast<unsigned char>(bytes[i++]);
      point = byte < 0x80 ? byte : FromCp1251(byte);
    }
    text::AppendUtf8(out, Shown(point));
  }
  return out;
}

std::string HtmlText(std::string_view bytes) {
  std::string out;
  for (char c : CleanText(bytes)) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&#39;"; break;
      default: out += c;
    }
  }
  return out;
}

std::string CsvField(std::string_view bytes) {
  std::string text = CleanText(bytes);
  if (!text.empty() && std::string_view("=+-@").find(text[0]) != std::string_view::npos) {
    text.insert(0, "'");
  }
  if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
  std::string quoted = "\"";
  for (char c : text) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  return quoted + "\"";
}

std::size_t TextWidth(std::string_view utf8) {
  return static_cast<std::size_t>(std::count_if(utf8.begin(), utf8.end(), [](char c) {
    return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  }));
}

std::string PadRight(std::string text, std::size_t width) {
  const std::size_t have = TextWidth(text);
  if (have < width) text.append(width - have, ' ');
  return text;
}

std::string PadLeft(std::string text, std::size_t width) {
  const std::size_t have = TextWidth(text);
  if (have < width) text.insert(0, width - have, ' ');
  return text;
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && text::EqualsIgnoringCase(text.substr(0, prefix.size()), prefix);
}

std::vector<Standing> Standings(const adjudication::Contest& contest, const Wording& words) {
  using Kind = adjudication::Classification::Kind;
  const std::size_t categoryCount = adjudication::ContestCategories(contest.rules).size();
  std::vector<std::size_t> group;  // the category's index, then unclassified, then checklogs
  std::vector<std::string> headers;
  std::vector<std::size_t> order;
  for (std::size_t i = 0; i < contest.logs.size(); ++i) {
    const adjudication::Classification found = adjudication::Classify(contest.logs[i].headers, contest.rules);
    const bool disqualified = !contest.logs[i].disqualified.empty();
    headers.push_back(disqualified ? contest.logs[i].disqualified
                      : found.kind == Kind::kUnclassified ? found.header : std::string());
    group.push_back(disqualified ? categoryCount + 2
                    : found.kind == Kind::kCategory ? found.category
                    : found.kind == Kind::kUnclassified ? categoryCount : categoryCount + 1);
    order.push_back(i);
  }
  std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
    const CheckedLog& x = contest.logs[a];
    const CheckedLog& y = contest.logs[b];
    return std::make_tuple(group[a], -x.checked.score, -x.claimed.score, std::cref(x.call)) <
           std::make_tuple(group[b], -y.checked.score, -y.claimed.score, std::cref(y.call));
  });
  const auto& categories = adjudication::ContestCategories(contest.rules);
  std::vector<Standing> standings;
  std::size_t firstOfCategory = 0;
  for (std::size_t i : order) {
    Standing row;
    row.log = i;
    row.header = headers[i];
    row.category = group[i] < categoryCount ? categories[group[i]].name
                   : group[i] == categoryCount ? words.unclassified
                   : group[i] == categoryCount + 1 ? words.checklog
                   : Fill(words.disqualified, {contest.logs[i].disqualified});
    row.disqualified = group[i] == categoryCount + 2;
    if (group[i] > categoryCount) {
      row.place = 0;  // a checklog confirms the others' QSOs and is not ranked; nor is a
                      // disqualified log, whose QSOs confirm the others' too
    } else if (standings.empty() || group[standings.back().log] != group[i]) {
      firstOfCategory = standings.size();
      row.place = 1;
    } else if (contest.logs[standings.back().log].checked.score == contest.logs[i].checked.score) {
      row.place = standings.back().place;
    } else {
      row.place = static_cast<int>(standings.size() - firstOfCategory) + 1;
    }
    standings.push_back(row);
  }
  return standings;
}

VerdictCounts CountVerdicts(const CheckedLog& log) {
  VerdictCounts counts{};
  for (const auto& qso : log.qsos) {
    const auto index = static_cast<std::size_t>(qso.verdict);
    if (index < counts.size()) ++counts[index];
  }
  return counts;
}

bool KeepsCreditUnder(Verdict verdict, const adjudication::Rules& rules) {
  return verdict == Verdict::kOk || verdict == Verdict::kUnverified ||
         (verdict == Verdict::kUnique && rules.uniquesCount);
}

std::string KeptPercent(const CheckedLog& log) {
  if (log.claimed.score <= 0) return "";
  const long long tenths = std::llround(1000.0 * log.checked.score / log.claimed.score);
  const long long whole = (tenths < 0 ? -tenths : tenths);
  return (tenths < 0 ? "-" : "") + std::to_string(whole / 10) + "." + std::to_string(whole % 10);
}

std::string SignedMinutes(int minutes) {
  return (minutes > 0 ? "+" : "") + std::to_string(minutes);
}

std::string DateTimeText(const platform::CalendarTime& time) {
  return std::to_string(time.year) + "-" + TwoDigits(time.month) + "-" + TwoDigits(time.day) +
         " " + ClockText(time);
}

std::string ClockText(const platform::CalendarTime& time) {
  return TwoDigits(time.hour) + ":" + TwoDigits(time.minute);
}

long long EpochMinutes(const platform::CalendarTime& time) {
  const long long days = DaysFromCivil(time.year, static_cast<unsigned>(time.month),
                                       static_cast<unsigned>(time.day));
  return (days * 24 + time.hour) * 60 + time.minute;
}

platform::CalendarTime FromEpochMinutes(long long minutes) {
  const long long day = minutes >= 0 ? minutes / 1440 : -((-minutes + 1439) / 1440);
  const long long inDay = minutes - day * 1440;
  platform::CalendarTime time;
  CivilFromDays(day, time.year, time.month, time.day);
  time.hour = static_cast<int>(inDay / 60);
  time.minute = static_cast<int>(inDay % 60);
  time.second = 0;
  return time;
}

platform::CalendarTime MovedBy(const platform::CalendarTime& time, int minutes) {
  platform::CalendarTime moved = FromEpochMinutes(EpochMinutes(time) + minutes);
  moved.second = time.second;
  return moved;
}

const adjudication::CheckedQso* OtherQso(const adjudication::Contest& contest,
                                         const adjudication::CheckedQso& qso,
                                         const CheckedLog** otherLog) {
  if (!qso.other || qso.other->log >= contest.logs.size()) return nullptr;
  const CheckedLog& log = contest.logs[qso.other->log];
  if (qso.other->qso >= log.qsos.size()) return nullptr;
  if (otherLog != nullptr) *otherLog = &log;
  return &log.qsos[qso.other->qso];
}

}  // namespace reports::detail
