#include "platform/ole_calendar.h"

#include <cmath>
#include <limits>

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

void ExpectTime(double days, const CalendarTime& expected) {
  CalendarTime t;
  ASSERT_TRUE(OleDateToCalendar(days, t)) << days;
  EXPECT_EQ(t.year, expected.year) << days;
  EXPECT_EQ(t.month, expected.month) << days;
  EXPECT_EQ(t.day, expected.day) << days;
  EXPECT_EQ(t.hour, expected.hour) << days;
  EXPECT_EQ(t.minute, expected.minute) << days;
  EXPECT_EQ(t.second, expected.second) << days;
}

TEST(OleDateToCalendar, KnownDates) {
  // The epoch, and a day with a known serial number.
  ExpectTime(0.0, At(1899, 12, 30));
  ExpectTime(2.0, At(1900, 1, 1));
  ExpectTime(46362.0, At(2026, 12, 6));
  ExpectTime(46362.0 + 13.75 / 24.0, At(2026, 12, 6, 13, 45));
  // Leap days.
  ExpectTime(CalendarToOleDate(At(2024, 2, 29, 23, 59, 59)), At(2024, 2, 29, 23, 59, 59));
  ExpectTime(CalendarToOleDate(At(2000, 2, 29)), At(2000, 2, 29));
}

TEST(OleDateToCalendar, BeforeTheEpochTheTimeCountsForward) {
  // -1.25 is the day before the epoch at 06:00, not 18:00.
  ExpectTime(-1.25, At(1899, 12, 29, 6));
  ExpectTime(-0.5, At(1899, 12, 30, 12));
  ExpectTime(-2.0, At(1899, 12, 28));
  EXPECT_DOUBLE_EQ(CalendarToOleDate(At(1899, 12, 29, 6)), -1.25);
  ExpectTime(CalendarToOleDate(At(1850, 7, 14, 19, 35, 12)), At(1850, 7, 14, 19, 35, 12));
}

TEST(OleDateToCalendar, RoundsToTheNearestSecond) {
  const double day = CalendarToOleDate(At(2011, 4, 14));
  const double second = 1.0 / 86400.0;
  ExpectTime(day + (9 * 3600 + 5 * 60 + 40) * second, At(2011, 4, 14, 9, 5, 40));
  // Less than half a second before 09:06:00.
  ExpectTime(day + (9 * 3600 + 5 * 60 + 59.6) * second, At(2011, 4, 14, 9, 6, 0));
  ExpectTime(day + (9 * 3600 + 5 * 60 + 59.4) * second, At(2011, 4, 14, 9, 5, 59));
  // Rounding up past midnight moves the date.
  ExpectTime(day - 0.3 * second, At(2011, 4, 14));
}

TEST(OleDateToCalendar, RefusesValuesOutsideTheYears100To9999) {
  CalendarTime t;
  EXPECT_TRUE(OleDateToCalendar(CalendarToOleDate(At(100, 1, 1)), t));
  EXPECT_TRUE(OleDateToCalendar(CalendarToOleDate(At(9999, 12, 31, 23, 59, 59)), t));
  EXPECT_FALSE(OleDateToCalendar(CalendarToOleDate(At(99, 12, 31, 23, 59, 59)), t));
  EXPECT_FALSE(OleDateToCalendar(CalendarToOleDate(At(9999, 12, 31)) + 0.99999999, t))
      << "rounds into the year 10000";
  EXPECT_FALSE(OleDateToCalendar(std::numeric_limits<double>::quiet_NaN(), t));
  EXPECT_FALSE(OleDateToCalendar(std::numeric_limits<double>::infinity(), t));
  EXPECT_FALSE(OleDateToCalendar(-1e300, t));
  EXPECT_FALSE(OleDateToCalendar(1e18, t));
}

}  // namespace
}  // namespace platform
