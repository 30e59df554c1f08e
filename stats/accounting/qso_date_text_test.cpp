#include "stats/accounting/qso_date_text.h"

#include <limits>

#include <gtest/gtest.h>

#include "tests/support/test_support.h"

namespace {

using testing_support::MakeDate;

TEST(QsoDateText, YearMonthDayHourMinute) {
  EXPECT_EQ(QsoDateText(MakeDate(2026, 12, 6, 9, 5, 0)), "2026-12-06 0905");
  // Seconds are rounded into the minute only when they round up to a full minute.
  EXPECT_EQ(QsoDateText(MakeDate(2026, 12, 6, 13, 45, 59)), "2026-12-06 1345");
  EXPECT_EQ(QsoDateText(MakeDate(2026, 12, 6, 0, 0, 0)), "2026-12-06 0000") << "midnight";
  COleDateTime almost = MakeDate(2026, 12, 6, 9, 6, 0);
  almost.dt -= 0.4 / 86400;
  EXPECT_EQ(QsoDateText(almost), "2026-12-06 0906");
  EXPECT_EQ(QsoDateText(MakeDate(1899, 12, 29, 6, 0, 0)), "1899-12-29 0600")
      << "before 30 December 1899 the time still counts forward";
}

TEST(QsoDateText, EmptyWhenThereIsNoUsableDate) {
  COleDateTime date = MakeDate(2026, 12, 6, 9, 5);
  date.status = COleDateTime::null;
  EXPECT_EQ(QsoDateText(date), "");
  date.status = COleDateTime::invalid;
  EXPECT_EQ(QsoDateText(date), "");
  EXPECT_EQ(QsoDateText(MakeDate(99, 12, 31, 23, 0)), "");
  date = COleDateTime();
  date.dt = std::numeric_limits<double>::quiet_NaN();
  EXPECT_EQ(QsoDateText(date), "");
  date.dt = std::numeric_limits<double>::infinity();
  EXPECT_EQ(QsoDateText(date), "");
}

}  // namespace
