#include "stats/accounting/accounting.h"

#include <cstdio>
#include <sstream>
#include <string>
#include <tuple>

#include <gtest/gtest.h>

#include "platform/message_box.h"
#include "tests/support/test_support.h"

namespace stats {

namespace {

using testing_support::Qso;

const std::string kHeader = "ZELTA TROPHY TEST UBN file Q1ABC\r\n\r\n";

class AccountingTest : public ::testing::Test {
 protected:
  AccountingTest() {
    testing_support::WriteFileBytes("Plugins/zelta.dom", "Q9LST\r\nQ9MUL\r\n");
    run_.checkFile.Create("Q1ABC");
  }

  static QsoArguments Call(const char* call, const char* band = "20") {
    return Qso([&](auto& q) { q.call = call, q.band = band; });
  }
  std::string CheckFile() { return testing_support::ReadFileBytes("Q1ABC-ubn.txt"); }
  std::string Marks() {
    std::string marks;
    for (std::size_t i = 0; i < run_.qsoStore.Count(); ++i) marks += run_.qsoStore.At(i).listedCall + ";";
    return marks;
  }

  testing_support::ScopedWorkDir dir_;
  testing_support::MessageBoxRecorder boxes_;
  RunState run_;
};

TEST_F(AccountingTest, CountsOrRefusesWithTheReasonInTheCheckFile) {
  // Mode, numbers sent and received, and the reason: M the mode, N a number, blank: counted.
  const std::tuple<const char*, const char*, const char*, char> cases[] = {
      {"CW", "001", "017", ' '},    {"BPSK63", "001", "017", ' '}, {"BPSK62", "001", "017", ' '},
      {"SSB", " ", " ", ' '},  // a text of blanks is not empty
      {"BPSK31", "001", "017", 'M'}, {"", "001", "017", 'M'},       {"cw", "001", "017", 'M'},
      {"CW ", "001", "017", 'M'},    {"CW", "001", "", 'N'},        {"CW", "", "017", 'N'},
      {"RTTY", "", "", 'M'},  // one line, for its mode
  };
  std::size_t stored = 0;
  std::string expected;
  for (const auto& [mode, sent, rcvd, reason] : cases) {
    const QsoArguments q = Qso([&, m = mode, s = sent, r = rcvd](auto& q) {
      q.mode = m, q.sentNumber = s, q.rcvdNumber = r;
      q.time.dt += stored / 86400.0;  // no two alike
    });
    EXPECT_EQ(AddData(run_, q), reason == ' ') << mode << " [" << sent << "] [" << rcvd << "]";
    stored += reason == ' ';
    if (reason != ' ') expected += reason;
  }
  std::string reasons;
  std::istringstream lines(CheckFile().substr(kHeader.size()));
  for (std::string line; std::getline(lines, line);) {
    reasons += line.ends_with(" No contest mode \r") ? 'M' : line.ends_with("No RX number\r") ? 'N' : '?';
  }
  EXPECT_EQ(reasons, expected);
  EXPECT_EQ(run_.qsoStore.Count(), stored) << "refused QSOs must not enter the store";
  EXPECT_EQ(run_.bandList.Count(), 1u);
  EXPECT_EQ(run_.qsoStore.At(0).freqKhz, 14025) << "hertz divided by 1000, remainder dropped";
}

TEST_F(AccountingTest, StoresEachQsoOnceAndTheStationsFirstStoredQsoCarriesItsMark) {
  const QsoArguments later = Qso([](auto& q) { q.call = "Q9LST", q.rcvdNumber = "018", q.time.dt += 0.1; });
  for (int twice = 0; twice < 2; ++twice) {
    EXPECT_EQ(AddData(run_, Call("Q2XYZ")), 1);
    EXPECT_EQ(AddData(run_, Call("Q9LST")), 1);
  }
  for (const QsoArguments& q : {later, Call("Q9LST", "80"), Call("Q9MUL")}) EXPECT_EQ(AddData(run_, q), 1);
  EXPECT_EQ(Marks(), ";Q9LST;;;Q9MUL;") << "one multiplier per station in the log";
  // Without an exact match, the first with the same call, mode and band goes:
  // the QSO with the mark, which passes to the station's next QSO.
  EXPECT_EQ(RemoveData(run_, Qso([](auto& q) { q.call = "Q9LST", q.rstRcvd = "559"; })), 1);
  EXPECT_EQ(Marks(), ";Q9LST;;Q9MUL;");
  // The exact QSO goes; removing a QSO without the mark changes no mark.
  EXPECT_EQ(RemoveData(run_, Call("Q9LST", "80")), 1);
  EXPECT_EQ(Marks(), ";Q9LST;Q9MUL;");
  EXPECT_EQ(RemoveData(run_, Call("Q7NONE")), 1) << "nothing to remove";
  EXPECT_EQ(RemoveData(run_, Qso([](auto& q) { q.call = "Q9LST", q.sentNumber = ""; })), 0);
  EXPECT_EQ(run_.qsoStore.Count(), 3u) << "empty numbers: nothing is removed";
  EXPECT_EQ(run_.bandList.Count(), 2u) << "removal never shrinks the band list";
  EXPECT_EQ(CheckFile(), kHeader) << "counting and removal write nothing";
}

TEST_F(AccountingTest, HostMayCallAgainFromInsideTheMissingListBox) {
  std::remove("Plugins/zelta.dom");
  run_.regionList.StartRun();
  platform::SetMessageBoxHook([this](const std::string&, const std::string&) {
    platform::SetMessageBoxHook([](const std::string&, const std::string&) {});
    EXPECT_EQ(AddData(run_, Call("Q3INN")), 1);
  });
  EXPECT_EQ(AddData(run_, Call("Q2OUT")), 1);
  ASSERT_EQ(run_.qsoStore.Count(), 2u);
  EXPECT_EQ(run_.qsoStore.At(0).call, "Q3INN");
  EXPECT_EQ(run_.qsoStore.At(1).call, "Q2OUT");
}

}  // namespace

}  // namespace stats
