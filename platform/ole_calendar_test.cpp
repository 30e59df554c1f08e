#include "platform/ole_calendar.h"

#include <limits>
#include <tuple>

#include <gtest/gtest.h>

namespace platform {
namespace {

CalendarTime At(int y, int mo, int d, int h = 0, int mi = 0, int s = 0) {
  CalendarTime t;
  t.year = y;
  t.month = mo;
  t.day = d;
  t.hour = h;
  t.minute = mi;
  t.second = s;
  return t;
}

std::tuple<int, int, int, int, int, int> Fields(const CalendarTime& t) {
  return {t.year, t.month, t.day, t.hour, t.minute, t.second};
}

TEST(OleDateToCalendar, ReadsDaysAndRoundsTheTimeToTheNearestSecond) {
  const double second = 1.0 / 86400.0;
  const double april14 = CalendarToOleDate(At(2011, 4, 14));
  const struct {
    double days;
    CalendarTime expected;
  } cases[] = {
      {0.0, At(1899, 12, 30)},  // the epoch
      {2.0, At(1900, 1, 1)},
      {46362.0, At(2026, 12, 6)},
      {46362.0 + 13.75 / 24.0, At(2026, 12, 6, 13, 45)},
      {CalendarToOleDate(At(2024, 2, 29, 23, 59, 59)), At(2024, 2, 29, 23, 59, 59)},
      {CalendarToOleDate(At(2000, 2, 29)), At(2000, 2, 29)},
      {CalendarToOleDate(At(2023, 3, 1)), At(2023, 3, 1)},
      // Before the epoch the time counts forward: -1.25 is 06:00 of the day before.
      {-1.25, At(1899, 12, 29, 6)},
      {-0.5, At(1899, 12, 30, 12)},
      {-2.0, At(1899, 12, 28)},
      {CalendarToOleDate(At(1850, 7, 14, 19, 35, 12)), At(1850, 7, 14, 19, 35, 12)},
      {april14 + (9 * 3600 + 5 * 60 + 40) * second, At(2011, 4, 14, 9, 5, 40)},
      {april14 + (9 * 3600 + 5 * 60 + 59.6) * second, At(2011, 4, 14, 9, 6, 0)},
      {april14 + (9 * 3600 + 5 * 60 + 59.4) * second, At(2011, 4, 14, 9, 5, 59)},
      {april14 - 0.3 * second, At(2011, 4, 14)},  // rounding up past midnight moves the date
  };
  for (const auto& c : cases) {
    CalendarTime t;
    ASSERT_TRUE(OleDateToCalendar(c.days, t)) << c.days;
    EXPECT_EQ(Fields(t), Fields(c.expected)) << c.days;
  }
  EXPECT_DOUBLE_EQ(CalendarToOleDate(At(1899, 12, 29, 6)), -1.25);
}

TEST(OleDateToCalendar, RefusesValuesOutsideTheYears100To9999) {
  CalendarTime t;
  EXPECT_TRUE(OleDateToCalendar(CalendarToOleDate(At(100, 1, 1)), t));
  EXPECT_TRUE(OleDateToCalendar(CalendarToOleDate(At(9999, 12, 31, 23, 59, 59)), t));
  for (const double days : {CalendarToOleDate(At(99, 12, 31, 23, 59, 59)),
                            CalendarToOleDate(At(9999, 12, 31)) + 0.99999999,  // rounds to 10000
                            std::numeric_limits<double>::quiet_NaN(),
                            std::numeric_limits<double>::infinity(), -1e300, 1e18}) {
    EXPECT_FALSE(OleDateToCalendar(days, t)) << days;
  }
}

}  // namespace
}  // namespace platform
