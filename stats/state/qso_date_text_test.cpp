#include "stats/state/qso_date_text.h"

#include <limits>

#include <gtest/gtest.h>

#include "tests/support/test_support.h"

namespace stats {

namespace {

using testing_support::MakeDate;

COleDateTime Shifted(COleDateTime date, double days, std::int32_t status = COleDateTime::kValid) {
  date.dt += days;
  date.status = status;
  return date;
}

TEST(QsoDateText, MinuteRoundedOnlyToAFullMinuteAndEmptyWithoutAUsableDate) {
  const COleDateTime nan = Shifted({}, std::numeric_limits<double>::quiet_NaN());
  const struct {
    COleDateTime date;
    const char* text;
  } cases[] = {
      {MakeDate(2026, 12, 6, 9, 5, 0), "2026-12-06 0905"},
      {MakeDate(2026, 12, 6, 13, 45, 59), "2026-12-06 1345"},
      {MakeDate(2026, 12, 6, 0, 0, 0), "2026-12-06 0000"},
      {Shifted(MakeDate(2026, 12, 6, 9, 6, 0), -0.4 / 86400), "2026-12-06 0906"},
      // Before 30 December 1899 the time still counts forward.
      {MakeDate(1899, 12, 29, 6, 0, 0), "1899-12-29 0600"},
      {Shifted(MakeDate(2026, 12, 6, 9, 5), 0, COleDateTime::kNull), ""},
      {Shifted(MakeDate(2026, 12, 6, 9, 5), 0, COleDateTime::kInvalid), ""},
      {MakeDate(99, 12, 31, 23, 0), ""},
      {nan, ""},
      {Shifted({}, std::numeric_limits<double>::infinity()), ""},
  };
  for (const auto& c : cases) EXPECT_EQ(QsoDateText(c.date), c.text) << c.date.dt;
}

}  // namespace

}  // namespace stats
