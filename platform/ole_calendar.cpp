// OLE automation dates, computed with whole seconds so that rounding is exact.
#include "platform/ole_calendar.h"

#include <cmath>
#include <cstdint>

namespace platform {
namespace {

constexpr std::int64_t kSecondsPerDay = 86400;
// 30 December 1899 counted in days from 1 January 1970.
constexpr std::int64_t kOleEpochInUnixDays = -25569;

// Days since 1 January 1970 of a proleptic Gregorian date (H. Hinnant's algorithm).
std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

void CivilFromDays(std::int64_t z, std::int64_t& y, unsigned& m, unsigned& d) {
  z += 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  y = static_cast<std::int64_t>(yoe) + era * 400;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  d = doy - (153 * mp + 2) / 5 + 1;
  m = mp < 10 ? mp + 3 : mp - 9;
  y += m <= 2;
}

}  // namespace

bool OleDateToCalendar(double days, CalendarTime& out) {
  if (!std::isfinite(days)) return false;
  // Far outside the years 100..9999: refuse before any integer conversion.
  if (days < -700000.0 || days > 3000000.0) return false;
  const double dayPart = std::trunc(days);
  const double fraction = std::fabs(days - dayPart);
  const std::int64_t total = static_cast<std::int64_t>(dayPart) * kSecondsPerDay +
                             std::llround(fraction * static_cast<double>(kSecondsPerDay));
  std::int64_t day = total / kSecondsPerDay;
  std::int64_t secondOfDay = total % kSecondsPerDay;
  if (secondOfDay < 0) {
    secondOfDay += kSecondsPerDay;
    --day;
  }
  std::int64_t year;
  unsigned month, dayOfMonth;
  CivilFromDays(day + kOleEpochInUnixDays, year, month, dayOfMonth);
  if (year < 100 || year > 9999) return false;
  out.year = static_cast<int>(year);
  out.month = static_cast<int>(month);
  out.day = static_cast<int>(dayOfMonth);
  out.hour = static_cast<int>(secondOfDay / 3600);
  out.minute = static_cast<int>(secondOfDay / 60 % 60);
  out.second = static_cast<int>(secondOfDay % 60);
  return true;
}

double CalendarToOleDate(const CalendarTime& time) {
  const std::int64_t day = DaysFromCivil(time.year, static_cast<unsigned>(time.month),
                                         static_cast<unsigned>(time.day)) -
                           kOleEpochInUnixDays;
  const double fraction =
      static_cast<double>(time.hour * 3600 + time.minute * 60 + time.second) /
      static_cast<double>(kSecondsPerDay);
  // Before the epoch the day is negative and the time of day still counts forward.
  return day >= 0 ? static_cast<double>(day) + fraction : static_cast<double>(day) - fraction;
}

}  // namespace platform
