#include "stats/state/qso_store.h"

#include <algorithm>
#include <random>
#include <vector>

#include <gtest/gtest.h>


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
      [](QsoEntry& e) { e.time.status = COleDateTime::invalid; },
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

}  // namespace
