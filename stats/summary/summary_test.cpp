#include "stats/summary/summary.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <limits>
#include <sstream>

#include "platform/message_box.h"
#include "stats/state/plugin_state.h"
#include "tests/support/test_support.h"

namespace stats {

using testing_support::MakeDate;
using testing_support::MessageBoxRecorder;
using testing_support::ReadFileBytes;
using testing_support::ScopedWorkDir;
using testing_support::WriteFileBytes;

namespace {

// "Участник" (participant) in Windows-1251.
const std::string kHeader =
    "\t    ZELTA TROPHY 06.12.2026 \r\n\t\t\xD3\xF7\xE0\xF1\xF2\xED\xE8\xEA: Q1ABC\r\n"
    "\tQSOs\tPoints\tConferenc CW\tSSB\t\r\n";

// A host folder with a region list that lists Q2AAA and Q2BBB.
class SummaryTest : public ::testing::Test {
 protected:
  SummaryTest() {
    WriteFileBytes("Plugins/zelta.dom", "Q2AAA\r\nQ2BBB Riga\r\n");
    state.run.ownCall = "Q1ABC";
    state.run.startDateText = "06.12.2026";
  }

  // Stores a QSO the way accounting leaves it.
  void Add(const std::string& call, const std::string& band, const std::string& mode,
           const std::string& listedCall = "") {
    QsoEntry entry;
    entry.call = call;
    entry.band = band;
    entry.mode = mode;
    entry.listedCall = listedCall;
    entry.freqKhz = 14025;
    entry.time = MakeDate(2026, 12, 6, 9, 5);
    entry.rstSent = "599";
    entry.rstRcvd = "599";
    entry.sentNumber = "001";
    entry.rcvdNumber = "017";
    state.run.bandList.AppendIfNew(band);
    state.run.qsoStore.Append(entry);
  }

  std::string Bands() {
    std::string order;
    for (std::size_t i = 0; i < state.run.bandList.Count(); ++i) {
      order += state.run.bandList.At(i) + " ";
    }
    return order;
  }

  ScopedWorkDir dir;
  MessageBoxRecorder boxes;
  PluginState state;
  int score = 12345;
};

}  // namespace

TEST_F(SummaryTest, EmptyLogScoresZero) {
  state.run.ownCall.clear();
  state.run.startDateText.clear();
  EXPECT_EQ(std::string(GetResult(state, &score)),
            "\t    ZELTA TROPHY  \r\n\t\t\xD3\xF7\xE0\xF1\xF2\xED\xE8\xEA: \r\n"
            "\tQSOs\tPoints\tConferenc CW\tSSB\t\r\n"
            "Total\t 0\t 0\t    0\t   0\t  0\r\n"
            "\r\n\tScore: 0*0 = 0\r\n");
  EXPECT_EQ(score, 0);
  EXPECT_EQ(ReadFileBytes("Plugins/QOLEB.ini"), "[Settings]\r\nClaimed=0\r\n");
  EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(SummaryTest, CountsPointsAndMultipliersPerBand) {
  Add("Q2AAA", "20", "CW", "Q2AAA");
  Add("Q3CCC", "20", "CW");
  Add("Q3DDD", "20", "SSB");
  const std::string summary = GetResult(state, &score);
  EXPECT_EQ(summary, kHeader + "20\t 3\t 6\t\t   2\t  1\r\n"
                               "Total\t 3\t 6\t    1\t   2\t  1\r\n"
                               "\r\n\tScore: 6*1 = 6\r\n");
  EXPECT_EQ(score, 6);
  EXPECT_EQ(ReadFileBytes("Plugins/QOLEB.ini"), "[Settings]\r\nClaimed=6\r\n");

  // BPSK: an unlisted station scores nothing and counts in neither mode column;
  // a listed one scores 3. A second QSO with a listed station without its
  // multiplier scores but adds no multiplier; the same multiplier text twice on
  // a band counts once, on another band again.
  Add("Q3EEE", "40", "BPSK63");
  Add("Q2BBB", "40", "BPSK62", "Q2BBB");
  Add("Q2AAA", "40", "SSB");
  Add("Q2BBB", "40", "CW", "Q2BBB");
  Add("Q2BBB", "80", "CW", "Q2BBB");
  // An empty call is on no band line but in the record count.
  Add("", "80", "CW");
  EXPECT_EQ(std::string(GetResult(state, &score)),
            kHeader + "80\t 1\t 3\t\t   1\t  0\r\n"
                      "40\t 4\t 9\t\t   1\t  1\r\n"
                      "20\t 3\t 6\t\t   2\t  1\r\n"
                      "Total\t 9\t 18\t    3\t   4\t  2\r\n"
                      "\r\n\tScore: 18*3 = 54\r\n");
  EXPECT_EQ(score, 54);
  EXPECT_TRUE(boxes.Boxes().empty()) << "no box without the report";
}

TEST_F(SummaryTest, SortsBandsByPaddedKeyAndKeepsEmptiedBands) {
  // Equal keys keep their order; 20 characters and more are their own key.
  const char* const cases[][2] = {
      {"7 14 3.5 ", "3.5 14 7 "},
      {"20 020 aaaaaaaaaaaaaaaaaaaaaaaaaaaaab 2m ", "aaaaaaaaaaaaaaaaaaaaaaaaaaaaab 2m 20 020 "},
  };
  for (const auto& c : cases) {
    state.run.bandList.Clear();
    std::istringstream bands(c[0]);
    for (std::string band; bands >> band;) state.run.bandList.AppendIfNew(band);
    SortBandList(state.run.bandList);
    EXPECT_EQ(Bands(), c[1]);
  }

  state.run.bandList.Clear();
  for (const char* band : {"10", "40"}) Add("Q3CCC", band, "CW");
  state.run.qsoStore.RemoveAt(0);
  EXPECT_EQ(std::string(GetResult(state, &score)),
            kHeader + "40\t 1\t 2\t\t   1\t  0\r\n10\t 0\t 0\t\t   0\t  0\r\n"
                      "Total\t 1\t 2\t    0\t   1\t  0\r\n\r\n\tScore: 2*0 = 0\r\n");
  EXPECT_EQ(Bands(), "40 10 ") << "the new order stays in the run";
}

TEST_F(SummaryTest, MissingRegionListScoresEveryQsoAsUnlisted) {
  std::filesystem::remove("Plugins/zelta.dom");
  Add("Q2AAA", "20", "CW", "Q2AAA");
  Add("Q2BBB", "20", "SSB", "Q2BBB");
  GetResult(state, &score);
  EXPECT_EQ(score, 3 * 2) << "2 + 1 points, two multipliers from the stored QSOs";
  EXPECT_EQ(boxes.Boxes().size(), 1u) << "the missing file is reported once per run";
}

TEST_F(SummaryTest, ClampsAScoreBeyondThirtyTwoBits) {
  std::filesystem::remove("Plugins/zelta.dom");
  // 200 bands of 170 QSOs, each with a multiplier of its own: 68000 points
  // times 34000 multipliers.
  for (int band = 0; band < 200; ++band) {
    for (int i = 0; i < 170; ++i) {
      const std::string call = "Q" + std::to_string(band) + "X" + std::to_string(i);
      Add(call, std::to_string(band), "CW", call);
    }
  }
  const std::string summary = GetResult(state, &score);
  EXPECT_EQ(score, std::numeric_limits<std::int32_t>::max());
  EXPECT_NE(summary.find("Total\t 34000\t 68000\t    34000\t   34000\t  0\r\n"
                         "\r\n\tScore: 68000*34000 = 2147483647\r\n"),
            std::string::npos);
  EXPECT_EQ(summary.substr(kHeader.size(), 6), "199\t 1") << "bands in numeric order";
  EXPECT_EQ(ReadFileBytes("Plugins/QOLEB.ini"), "[Settings]\r\nClaimed=2147483647\r\n");
  EXPECT_EQ(ClampScore(-5000000000LL), std::numeric_limits<std::int32_t>::min());
}

TEST_F(SummaryTest, WritesTheLogWhenTheReportIsRequested) {
  state.run.reportRequested = 1;
  state.entrantDetails.callsign = "Q1ABC";
  state.entrantDetails.fileStem = "Q1ABC";
  state.entrantDetails.claimed = "5";  // the previous request's score
  Add("Q2AAA", "20", "CW", "Q2AAA");
  Add("Q3CCC", "20", "BPSK62");
  Add("", "20", "RTTY");  // no call, no contest mode: written all the same
  const std::string summary = GetResult(state, &score);
  EXPECT_EQ(score, -1);
  EXPECT_NE(summary.find("Score: 3*1 = 3\r\n"), std::string::npos) << summary;
  ASSERT_EQ(boxes.Boxes().size(), 1u);
  EXPECT_EQ(boxes.Boxes()[0].first, "File produced: Q1ABC.cbr");
  EXPECT_EQ(boxes.Boxes()[0].second, "Output");
  const std::string log = ReadFileBytes("Q1ABC.cbr");
  EXPECT_NE(log.find("CLAIMED-SCORE: 3\r\n"), std::string::npos) << "this request's score";
  EXPECT_NE(log.find("SOAPBOX: \r\n"
                     "QSO: 14025 CW 2026-12-06 0905 Q1ABC         599 001    Q2AAA         599 017\r\n"
                     "QSO: 14025 PM 2026-12-06 0905 Q1ABC         599 001    Q3CCC         599 017\r\n"
                     "QSO: 14025 ?? 2026-12-06 0905 Q1ABC         599 001                  599 017\r\n"
                     "END-OF-LOG:\r\n"),
            std::string::npos)
      << log;

  // Asked again: the same log, every QSO once.
  GetResult(state, &score);
  EXPECT_EQ(ReadFileBytes("Q1ABC.cbr"), log);

  // A log that cannot be written is reported as such; -1 all the same.
  std::filesystem::remove("Q1ABC.cbr");
  std::filesystem::create_directory("Q1ABC.cbr");
  GetResult(state, &score);
  EXPECT_EQ(boxes.Boxes().back().first, "File not produced: Q1ABC.cbr");
  EXPECT_EQ(score, -1);
}

TEST_F(SummaryTest, SurvivesTheHostCallingAgainFromInsideABox) {
  std::filesystem::remove("Plugins/zelta.dom");
  Add("Q3CCC", "40", "CW");
  Add("Q3DDD", "40", "CW");
  Add("Q3EEE", "20", "SSB");
  // The missing-file box comes at the first lookup; inside it the host starts
  // a new run, emptying the store and the band list.
  platform::SetMessageBoxHook([this](const std::string&, const std::string&) {
    state.run.qsoStore.Clear();
    state.run.bandList.Clear();
  });
  std::string summary = GetResult(state, &score);
  // The summary describes the run as the box left it: no band, no QSO.
  EXPECT_EQ(summary, kHeader + "Total\t 0\t 0\t    0\t   0\t  0\r\n\r\n\tScore: 0*0 = 0\r\n");

  // Inside the "Output" box the host asks for the result again and keeps the
  // pointer, as a host repainting its window does: the outer call returns its own
  // complete summary and leaves the inner one readable.
  state.run.reportRequested = 1;
  state.entrantDetails.fileStem = "Q1ABC";
  state.run.regionList.StartRun();
  WriteFileBytes("Plugins/zelta.dom", "Q2AAA\r\n");
  Add("Q2AAA", "20", "CW", "Q2AAA");
  int innerScore = 0;
  const char* innerText = nullptr;
  std::string inner;
  bool asked = false;
  platform::SetMessageBoxHook([&](const std::string&, const std::string&) {
    if (asked) return;
    asked = true;
    innerText = GetResult(state, &innerScore);
    inner = innerText;
  });
  summary = GetResult(state, &score);
  EXPECT_EQ(summary, inner);
  ASSERT_NE(innerText, nullptr);
  EXPECT_EQ(std::string(innerText), inner) << "the text handed out inside the box was released";
  EXPECT_EQ(score, -1);
  EXPECT_EQ(innerScore, -1);
  EXPECT_NE(ReadFileBytes("Q1ABC.cbr").find("Q2AAA         599 017\r\nEND-OF-LOG:\r\n"),
            std::string::npos)
      << "the inner request writes the same QSO once";
}

}  // namespace stats
