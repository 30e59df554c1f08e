#include <gtest/gtest.h>

#include "stats/state/qso_date_text.h"
#include "stats/state/qso_entry.h"
#include "tests/support/test_support.h"

namespace stats {

namespace {

using testing_support::MakeDate;

TEST(QsoDateText, HourAndMinuteWithoutRoundingAndEmptyWithoutAUsableDate) {
  COleDateTime null = MakeDate(2026, 12, 6), invalid = null;
  null.status = COleDateTime::kNull;
  invalid.status = COleDateTime::kInvalid;
  EXPECT_EQ(QsoDateText(MakeDate(2026, 12, 6, 9, 5)), "2026-12-06 0905");
  EXPECT_EQ(QsoDateText(MakeDate(2026, 12, 6, 13, 45, 59)), "2026-12-06 1345");
  for (const COleDateTime& date : {null, invalid, MakeDate(99, 12, 31, 23, 0)}) {
    EXPECT_EQ(QsoDateText(date), "") << date.dt;
  }
}

TEST(SameRecord, EveryFieldCountsButTheSameQsoIgnoresTheMark) {
  const QsoEntry a = testing_support::Qso<QsoEntry>();
  EXPECT_TRUE(SameRecord(a, a));
  void (*const changes[])(QsoEntry&) = {
      [](QsoEntry& e) { e.aux23 = "x"; },
      [](QsoEntry& e) { e.aux30 = "x"; },
      [](QsoEntry& e) { e.time.dt += 1.0 / 86400; },
      [](QsoEntry& e) { e.time.status = COleDateTime::kInvalid; },
      [](QsoEntry& e) { e.freqKhz = 14026; },
      [](QsoEntry& e) { e.rstRcvd = "599"; },
  };
  for (auto change : changes) {
    QsoEntry b = a;
    change(b);
    EXPECT_FALSE(SameRecord(a, b));
    EXPECT_FALSE(SameQso(a, b));
  }
  QsoEntry marked = a;
  marked.listedCall = a.call;
  EXPECT_FALSE(SameRecord(a, marked));
  EXPECT_TRUE(SameQso(a, marked)) << "whichever record carries the multiplier";
}

}  // namespace

}  // namespace stats
