#include <gtest/gtest.h>

#include "stats/state/qso_date_text.h"
#include "stats/state/qso_entry.h"
#include "tests/support/test_support.h"

namespace stats {

namespace {

using testing_support::MakeDate;

TEST(QsoDateText, HourAndMinuteWithoutRoundingAndEmptyWithoutAUsableDate) {
  const COleDateTime null{46362.0, COleDateTime::kNull}, invalid{46362.0, COleDateTime::kInvalid};
  EXPECT_EQ(QsoDateText(MakeDate(2026, 12, 6, 9, 5)), "2026-12-06 0905");
  EXPECT_EQ(QsoDateText(MakeDate(2026, 12, 6, 13, 45, 59)), "2026-12-06 1345");
  for (const COleDateTime& date : {null, invalid, MakeDate(99, 12, 31, 23, 0)}) {
    EXPECT_EQ(QsoDateText(date), "") << date.dt;
  }
}

TEST(SameQso, EveryFieldCountsButTheMark) {
  using testing_support::Qso;
  void (*const changes[])(QsoEntry&) = {
      [](QsoEntry& e) { e.aux23 = "x"; },           [](QsoEntry& e) { e.aux30 = "x"; },
      [](QsoEntry& e) { e.time.dt += 1.0 / 86400; }, [](QsoEntry& e) { e.time.status = COleDateTime::kInvalid; },
      [](QsoEntry& e) { e.freqKhz = 14026; },        [](QsoEntry& e) { e.rstRcvd = "599"; },
  };
  for (auto change : changes) EXPECT_FALSE(SameQso(Qso<QsoEntry>(), Qso<QsoEntry>(change)));
  // Whichever record carries the multiplier, it is the same QSO.
  const QsoEntry marked = Qso<QsoEntry>([](QsoEntry& e) { e.listedCall = e.call; });
  EXPECT_TRUE(SameQso(Qso<QsoEntry>(), marked));
  EXPECT_FALSE(SameRecord(Qso<QsoEntry>(), marked));
}

}  // namespace

}  // namespace stats
