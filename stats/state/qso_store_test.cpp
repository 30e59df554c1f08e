#include "stats/state/qso_store.h"

#include <gtest/gtest.h>

#include "stats/state/band_list.h"

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

TEST(SameRecord, EveryFieldCounts) {
  const QsoEntry a = Entry("Q2XYZ");
  QsoEntry b = a;
  EXPECT_TRUE(SameRecord(a, b));
  b.aux23 = "x";
  EXPECT_FALSE(SameRecord(a, b)) << "aux23 differs";
  b = a;
  b.aux30 = "x";
  EXPECT_FALSE(SameRecord(a, b)) << "aux30 differs";
  b = a;
  b.time.dt += 1.0 / 86400;
  EXPECT_FALSE(SameRecord(a, b)) << "time differs";
  b = a;
  b.time.status = COleDateTime::invalid;
  EXPECT_FALSE(SameRecord(a, b)) << "time status differs";
  b = a;
  b.freqKhz = 14026;
  EXPECT_FALSE(SameRecord(a, b));
  b = a;
  b.listedCall = a.call;
  EXPECT_FALSE(SameRecord(a, b)) << "listedCall differs";
  // The same QSO is the same whichever record carries the multiplier.
  EXPECT_TRUE(SameQso(a, b));
}

TEST(QsoStore, RemovalKeepsOrder) {
  QsoStore store;
  store.Append(Entry("A"));
  store.Append(Entry("B"));
  store.Append(Entry("C"));
  store.RemoveAt(0);
  ASSERT_EQ(store.Count(), 2u);
  EXPECT_EQ(store.At(0).call, "B");
  EXPECT_EQ(store.At(1).call, "C");
  store.Clear();
  EXPECT_EQ(store.Count(), 0u);
}

TEST(QsoStore, QueriesFindTheFirstMatchExactly) {
  QsoStore store;
  store.Append(Entry("Q2XYZ", "20", "CW"));
  store.Append(Entry("Q2XYZ", "40", "CW"));
  store.Append(Entry("Q2XYZ", "20", "SSB"));
  store.SetListedCall(1, "Q2XYZ");
  EXPECT_EQ(store.FindFirstCall("Q2XYZ"), 0u);
  EXPECT_EQ(store.FindFirstCallModeBand("Q2XYZ", "SSB", "20"), 2u);
  EXPECT_FALSE(store.FindFirstCallModeBand("q2xyz", "SSB", "20")) << "case-sensitive";
  EXPECT_FALSE(store.FindFirstCallModeBand("Q2XYZ", "SSB", "20 ")) << "no trimming";
  EXPECT_TRUE(store.HasListedCall("Q2XYZ"));
  EXPECT_FALSE(store.HasListedCall("Q2XY"));
  EXPECT_TRUE(store.HasCallBandMode("Q2XYZ", "40", "CW"));
  EXPECT_FALSE(store.HasCallBandMode("Q2XYZ", "40", "SSB"));
  QsoEntry listed = store.At(1);
  listed.listedCall.clear();
  EXPECT_EQ(store.FindFirstSameQso(listed), 1u) << "listedCall is not part of the QSO";
}

TEST(BandList, HoldsEachTextOnceInOrderOfFirstAppearance) {
  BandList bands;
  bands.AppendIfNew("20");
  bands.AppendIfNew("40");
  bands.AppendIfNew("20");
  bands.AppendIfNew("20 ");  // a trailing blank makes another band
  ASSERT_EQ(bands.Count(), 3u);
  EXPECT_EQ(bands.At(0), "20");
  EXPECT_EQ(bands.At(1), "40");
  EXPECT_EQ(bands.At(2), "20 ");
  bands.Swap(0, 2);
  EXPECT_EQ(bands.At(0), "20 ");
  EXPECT_TRUE(bands.Contains("20"));
}

}  // namespace
