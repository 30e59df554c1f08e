#include "stats/summary/summary.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <utility>

#include "platform/message_box.h"
#include "stats/cabrillo_export/cabrillo_log.h"
#include "stats/state/plugin_state.h"
#include "tests/support/test_support.h"

namespace stats {

using testing_support::ReadFileBytes;

namespace {

// "Участник" (participant) in Windows-1251.
const std::string kHeader =
    "\t    ZELTA TROPHY 06.12.2026 \r\n\t\t\xD3\xF7\xE0\xF1\xF2\xED\xE8\xEA: Q1ABC\r\n"
    "\tQSOs\tPoints\tConferenc CW\tSSB\t\r\n";

class SummaryTest : public ::testing::Test {
 protected:
  SummaryTest() {
    testing_support::WriteFileBytes("Plugins/zelta.dom", "Q2AAA\r\nQ2BBB Riga\r\n");
    state.run.ownCall = state.entrantDetails.callsign = state.entrantDetails.fileStem = "Q1ABC";
    state.run.startDateText = "06.12.2026";
  }

  // Stores a QSO the way accounting leaves it.
  void Add(const std::string& call, const std::string& band, const std::string& mode,
           const std::string& listedCall = "") {
    state.run.bandList.AppendIfNew(band);
    state.run.qsoStore.Append(testing_support::Qso<QsoEntry>(
        [&](auto& e) { e.call = call, e.band = band, e.mode = mode, e.listedCall = listedCall; }));
  }
  std::string Result() { return GetResult(state, &score); }
  std::string Bands() {
    std::string order;
    for (std::size_t i = 0; i < state.run.bandList.Count(); ++i) order += state.run.bandList.At(i) + " ";
    return order;
  }

  testing_support::ScopedWorkDir dir;
  testing_support::MessageBoxRecorder boxes;
  PluginState state;
  int score = 12345;
};

}  // namespace

TEST_F(SummaryTest, CountsPointsAndMultipliersPerBand) {
  EXPECT_EQ(Result(), kHeader + "Total\t 0\t 0\t    0\t   0\t  0\r\n\r\n\tScore: 0*0 = 0\r\n");
  EXPECT_EQ(score, 0);
  Add("Q2AAA", "20", "CW", "Q2AAA");
  Add("Q3CCC", "20", "CW");
  Add("Q3DDD", "20", "SSB");
  // BPSK: an unlisted station scores nothing and counts in neither mode column, a listed
  // one 3. A listed station's QSO without its mark scores but adds no multiplier; the
  // same mark twice on a band counts once, on another band again.
  Add("Q3EEE", "40", "BPSK63");
  Add("Q2BBB", "40", "BPSK62", "Q2BBB");
  Add("Q2AAA", "40", "SSB");
  Add("Q2BBB", "40", "CW", "Q2BBB");
  Add("Q2BBB", "80", "CW", "Q2BBB");
  Add("", "80", "CW");  // on no band line, but in the record count
  EXPECT_EQ(Result(), kHeader + "80\t 1\t 3\t\t   1\t  0\r\n"
                                "40\t 4\t 9\t\t   1\t  1\r\n"
                                "20\t 3\t 6\t\t   2\t  1\r\n"
                                "Total\t 9\t 18\t    3\t   4\t  2\r\n"
                                "\r\n\tScore: 18*3 = 54\r\n");
  EXPECT_EQ(score, 54);
  EXPECT_TRUE(boxes.Boxes().empty()) << "no box without the report";
}

TEST_F(SummaryTest, SortsBandsByPaddedKeyAndKeepsEmptiedBands) {
  // Equal keys keep their order; 20 characters and more are their own key.
  for (const auto& [bands, sorted] : {std::pair{"7 14 3.5 ", "3.5 14 7 "},
                                      {"20 020 aaaaaaaaaaaaaaaaaaaaaaaaaaaaab 2m ",
                                       "aaaaaaaaaaaaaaaaaaaaaaaaaaaaab 2m 20 020 "}}) {
    state.run.bandList.Clear();
    std::istringstream words(bands);
    for (std::string band; words >> band;) state.run.bandList.AppendIfNew(band);
    SortBandList(state.run.bandList);
    EXPECT_EQ(Bands(), sorted);
  }

  state.run.bandList.Clear();
  for (const char* band : {"10", "40"}) Add("Q3CCC", band, "CW");
  state.run.qsoStore.RemoveAt(0);
  EXPECT_EQ(Result(), kHeader + "40\t 1\t 2\t\t   1\t  0\r\n10\t 0\t 0\t\t   0\t  0\r\n"
                                "Total\t 1\t 2\t    0\t   1\t  0\r\n\r\n\tScore: 2*0 = 0\r\n");
  EXPECT_EQ(Bands(), "40 10 ") << "the new order stays in the run";
}

TEST_F(SummaryTest, MissingRegionListScoresEveryQsoAsUnlistedAndTheScoreIsClamped) {
  std::filesystem::remove("Plugins/zelta.dom");
  // A listed station scores as unlisted, but its stored mark counts. 33000 more
  // QSOs, each with a multiplier of its own, take the score beyond 32 bits.
  Add("Q2AAA", "20", "SSB", "Q2AAA");
  for (int i = 0; i < 33000; ++i) Add("Q" + std::to_string(i), "20", "CW", "Q" + std::to_string(i));
  EXPECT_TRUE(Result().ends_with("\r\n\tScore: 66001*33001 = 2147483647\r\n"));
  EXPECT_EQ(score, 2147483647);
  EXPECT_EQ(ReadFileBytes("Plugins/QOLEB.ini"), "[Settings]\r\nClaimed=2147483647\r\n");
  EXPECT_EQ(boxes.Boxes().size(), 1u) << "the missing file is reported once per run";
}

TEST_F(SummaryTest, WritesTheLogWhenTheReportIsRequested) {
  state.run.reportRequested = 1;
  state.entrantDetails.claimed = "5";  // the previous request's score
  Add("Q2AAA", "20", "CW", "Q2AAA");
  Add("Q3CCC", "20", "BPSK62");
  Add("", "20", "RTTY");  // no call, no contest mode: written all the same
  // Inside the "Output" box the host asks again and keeps the pointer, as a host
  // repainting its window does: both texts stay complete and readable.
  std::string shown, inner;
  const char* innerText = nullptr;
  int innerScore = 0;
  bool asked = false;
  platform::SetMessageBoxHook([&](const std::string& text, const std::string& caption) {
    shown += caption + ": " + text + "\n";
    if (!std::exchange(asked, true)) inner = innerText = GetResult(state, &innerScore);
  });
  const std::string summary = Result();
  EXPECT_TRUE(summary.ends_with("Score: 3*1 = 3\r\n"));
  EXPECT_EQ(summary, inner);
  EXPECT_EQ(std::string(innerText ? innerText : "-"), inner) << "the text handed out inside the box was released";
  EXPECT_EQ(score + innerScore, -2);
  EXPECT_EQ(shown, "Output: File produced: Q1ABC.cbr\nOutput: File produced: Q1ABC.cbr\n");
  const std::string log = ReadFileBytes("Q1ABC.cbr");
  EXPECT_NE(log.find("CLAIMED-SCORE: 3\r\n"), std::string::npos) << "this request's score";
  std::string lines;
  const QsoEntry e = testing_support::Qso<QsoEntry>();
  for (const auto& [call, code] : {std::pair{"Q2AAA", "CW"}, {"Q3CCC", "PM"}, {"", "??"}}) {
    lines += FormatQsoLine("Q1ABC", call, e.freqKhz, code, e.time, "599", "001", "579", "017");
  }
  EXPECT_TRUE(log.ends_with("SOAPBOX: \r\n" + lines + "END-OF-LOG:\r\n")) << "every QSO once: " << log;
}

TEST_F(SummaryTest, DescribesTheRunAsTheHostLeftItInsideABox) {
  std::filesystem::remove("Plugins/zelta.dom");
  Add("Q3CCC", "40", "CW");
  Add("Q3EEE", "20", "SSB");
  // Inside the missing-file box of the first lookup the host starts a new run.
  platform::SetMessageBoxHook([this](const std::string&, const std::string&) {
    state.run.qsoStore.Clear();
    state.run.bandList.Clear();
  });
  EXPECT_EQ(Result(), kHeader + "Total\t 0\t 0\t    0\t   0\t  0\r\n\r\n\tScore: 0*0 = 0\r\n");
}

}  // namespace stats
