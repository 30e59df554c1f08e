#include "stats/state/qso_store.h"

#include <algorithm>
#include <random>
#include <vector>

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

// The indexes must answer as a walk through a plain list does, through any mix
// of appends, removals by position and by query, and marks moved.
TEST(QsoStore, IndexesAgreeWithAPlainListThroughRandomEdits) {
  std::mt19937 random(20261206);
  const std::vector<std::string> calls = {"A", "B", "C", "Q9LST", ""};
  const std::vector<std::string> modes = {"CW", "SSB"};
  const std::vector<std::string> bands = {"20", "40", "20 "};
  QsoStore store;
  std::vector<QsoEntry> plain;
  auto pick = [&](const std::vector<std::string>& from) {
    return from[random() % from.size()];
  };
  for (int step = 0; step < 4000; ++step) {
    const int action = static_cast<int>(random() % 10);
    QsoEntry e = Entry(pick(calls), pick(bands), pick(modes));
    e.freqKhz = static_cast<std::int32_t>(random() % 3);
    if (action < 5 || plain.empty()) {
      if (random() % 4 == 0) e.listedCall = e.call;
      store.Append(e);
      plain.push_back(e);
    } else if (action < 7) {
      const std::size_t index = random() % plain.size();
      store.RemoveAt(index);
      plain.erase(plain.begin() + static_cast<std::ptrdiff_t>(index));
    } else if (action < 9) {
      const auto slot = store.FindFirstCallModeBand(e.call, e.mode, e.band);
      auto it = std::find_if(plain.begin(), plain.end(), [&](const QsoEntry& p) {
        return p.call == e.call && p.mode == e.mode && p.band == e.band;
      });
      ASSERT_EQ(slot.has_value(), it != plain.end());
      if (slot) {
        ASSERT_TRUE(SameRecord(store.AtSlot(*slot), *it));
        store.Remove(*slot);
        plain.erase(it);
      }
    } else {
      const auto slot = store.FindFirstCall(e.call);
      auto it = std::find_if(plain.begin(), plain.end(),
                             [&](const QsoEntry& p) { return p.call == e.call; });
      ASSERT_EQ(slot.has_value(), it != plain.end());
      if (slot) {
        store.SetListedCall(*slot, it->listedCall.empty() ? e.call : "");
        it->listedCall = it->listedCall.empty() ? e.call : "";
      }
    }
    ASSERT_EQ(store.Count(), plain.size());
    for (const std::string& call : calls) {
      const bool hasCall = std::any_of(plain.begin(), plain.end(),
                                       [&](const QsoEntry& p) { return p.call == call; });
      const bool hasListed = std::any_of(plain.begin(), plain.end(),
                                         [&](const QsoEntry& p) { return p.listedCall == call; });
      ASSERT_EQ(store.HasCall(call), hasCall) << call;
      ASSERT_EQ(store.HasListedCall(call), hasListed) << call << " at step " << step;
    }
    const auto same = store.FindFirstSameQso(e);
    auto it = std::find_if(plain.begin(), plain.end(),
                           [&](const QsoEntry& p) { return SameQso(p, e); });
    ASSERT_EQ(same.has_value(), it != plain.end());
    if (same) ASSERT_TRUE(SameRecord(store.AtSlot(*same), *it));
  }
  for (std::size_t i = 0; i < plain.size(); ++i) {
    ASSERT_TRUE(SameRecord(store.At(i), plain[i])) << i;
  }
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
