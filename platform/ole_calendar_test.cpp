#include "platform/ole_calendar.h"

#include <limits>
#include <optional>
#include <tuple>

#include <gtest/gtest.h>

namespace platform {
namespace {

auto Fields(const CalendarTime& t) {
  return std::make_tuple(t.year, t.month, t.day, t.hour, t.minute, t.second);
}

TEST(OleDateToCalendar, ReadsTheYears100To9999RoundingTheTimeToTheNearestSecond) {
  const double second = 1.0 / 86400.0;
  const double april14 = CalendarToOleDate({2011, 4, 14});
  const double at0905 = april14 + (9 * 3600 + 5 * 60) * second;
  const struct {
    double days;
    std::optional<CalendarTime> expected;
  } cases[] = {
      {0.0, CalendarTime{1899, 12, 30}},
      {46362.0 + 13.75 / 24.0, CalendarTime{2026, 12, 6, 13, 45}},
      {CalendarToOleDate({2024, 2, 29, 23, 59, 59}), CalendarTime{2024, 2, 29, 23, 59, 59}},
      // Before the epoch the time counts forward: -1.25 is 06:00 of the day before.
      {-1.25, CalendarTime{1899, 12, 29, 6}},
      {-0.5, CalendarTime{1899, 12, 30, 12}}, {-2.0, CalendarTime{1899, 12, 28}},
      {CalendarToOleDate({1850, 7, 14, 19, 35, 12}), CalendarTime{1850, 7, 14, 19, 35, 12}},
      {at0905 + 59.6 * second, CalendarTime{2011, 4, 14, 9, 6, 0}},
      {at0905 + 59.4 * second, CalendarTime{2011, 4, 14, 9, 5, 59}},
      {april14 - 0.3 * second, CalendarTime{2011, 4, 14}},  // rounding up moves the date
      {CalendarToOleDate({100, 1, 1}), CalendarTime{100, 1, 1}},
      {CalendarToOleDate({9999, 12, 31, 23, 59, 59}), CalendarTime{9999, 12, 31, 23, 59, 59}},
      {CalendarToOleDate({99, 12, 31, 23, 59, 59}), std::nullopt},
      {CalendarToOleDate({9999, 12, 31}) + 0.99999999, std::nullopt},  // rounds to 10000
      {std::numeric_limits<double>::quiet_NaN(), std::nullopt},
      {std::numeric_limits<double>::infinity(), std::nullopt},
      {-1e300, std::nullopt}, {1e18, std::nullopt},
  };
  for (const auto& c : cases) {
    CalendarTime t;
    ASSERT_EQ(OleDateToCalendar(c.days, t), c.expected.has_value()) << c.days;
    if (c.expected) EXPECT_EQ(Fields(t), Fields(*c.expected)) << c.days;
  }
}

}  // namespace
}  // namespace platform
