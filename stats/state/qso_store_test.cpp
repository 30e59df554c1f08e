#include "stats/state/qso_store.h"

#include <gtest/gtest.h>

namespace stats {

namespace {

QsoEntry Entry(const std::string& call, const std::string& band = "20",
               const std::string& mode = "CW") {
  QsoEntry e;
  e.call = call;
  e.band = band;
  e.mode = mode;
  e.rstSent = "599";
  e.rstRcvd = "599";
  e.sentNumber = "001";
  e.rcvdNumber = "017";
  e.freqKhz = 14025;
  e.time.dt = 46362.5;
  return e;
}

TEST(SameRecord, EveryFieldCountsButTheSameQsoIgnoresTheMark) {
  const QsoEntry a = Entry("Q2XYZ");
  EXPECT_TRUE(SameRecord(a, a));
  void (*const changes[])(QsoEntry&) = {
      [](QsoEntry& e) { e.aux23 = "x"; },
      [](QsoEntry& e) { e.aux30 = "x"; },
      [](QsoEntry& e) { e.time.dt += 1.0 / 86400; },
      [](QsoEntry& e) { e.time.status = COleDateTime::kInvalid; },
      [](QsoEntry& e) { e.freqKhz = 14026; },
      [](QsoEntry& e) { e.rstRcvd = "579"; },
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
