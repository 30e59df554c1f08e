#include "stats/accounting/accounting.h"

#include <cstdio>
#include <string>

#include <gtest/gtest.h>

#include "platform/message_box.h"
#include "tests/support/test_support.h"

namespace stats {

namespace {

using testing_support::MakeDate;
using testing_support::ReadFileBytes;
using testing_support::ScopedWorkDir;
using testing_support::WriteFileBytes;

const std::string kHeader = "ZELTA TROPHY TEST UBN file Q1ABC\r\n\r\n";

class AccountingTest : public ::testing::Test {
 protected:
  AccountingTest() {
    WriteFileBytes("Plugins/zelta.dom", "Q9LST\r\nQ9MUL\r\n");
    run_.checkFile.Create("Q1ABC");
  }

  static QsoArguments Qso(const std::string& call, const std::string& mode = "CW",
                          const std::string& band = "20") {
    QsoArguments q;
    q.ownCall = "Q1ABC";
    q.call = call;
    q.time = MakeDate(2026, 12, 6, 9, 5);
    q.freqHz = 14025999;
    q.mode = mode;
    q.rstSent = "599";
    q.rstRcvd = "579";
    q.sentNumber = "001";
    q.rcvdNumber = "017";
    q.band = band;
    return q;
  }

  std::string CheckFile() { return ReadFileBytes("Q1ABC-ubn.txt"); }
  std::string Marks() {
    std::string marks;
    for (std::size_t i = 0; i < run_.qsoStore.Count(); ++i) marks += run_.qsoStore.At(i).listedCall + ";";
    return marks;
  }

  ScopedWorkDir dir_;
  testing_support::MessageBoxRecorder boxes_;
  RunState run_;
};

TEST_F(AccountingTest, CountsOrRefusesWithTheReasonInTheCheckFile) {
  const struct {
    const char* mode;
    const char* sent;
    const char* rcvd;
    int counted;
    const char* line;  // the check-file line after "QSO: 14025  ", or nothing
  } cases[] = {
      {"CW", "001", "017", 1, ""},
      {"BPSK63", "001", "017", 1, ""},
      {"BPSK62", "001", "017", 1, ""},
      {"SSB", "001", "017", 1, ""},
      {"SSB", " ", " ", 1, ""},  // a text of blanks is not empty
      {"BPSK31", "001", "017", 0, "BPSK31  2026-12-06 0905  Q1ABC  599  001  Q2XYZ  579  017 No contest mode \r\n"},
      {"", "001", "017", 0, "  2026-12-06 0905  Q1ABC  599  001  Q2XYZ  579  017 No contest mode \r\n"},
      {"cw", "001", "017", 0, "cw  2026-12-06 0905  Q1ABC  599  001  Q2XYZ  579  017 No contest mode \r\n"},
      {"CW ", "001", "017", 0, "CW   2026-12-06 0905  Q1ABC  599  001  Q2XYZ  579  017 No contest mode \r\n"},
      {"CW", "001", "", 0, "CW  2026-12-06 0905  Q1ABC  599  001  Q2XYZ  579  No RX number\r\n"},
      {"CW", "", "017", 0, "CW  2026-12-06 0905  Q1ABC  599    Q2XYZ  579  017No RX number\r\n"},
      // Refused for its mode and its numbers: one line, for its mode.
      {"RTTY", "", "", 0, "RTTY  2026-12-06 0905  Q1ABC  599    Q2XYZ  579   No contest mode \r\n"},
  };
  std::string expected = kHeader;
  std::size_t stored = 0;
  for (const auto& c : cases) {
    QsoArguments q = Qso("Q2XYZ", c.mode);
    q.sentNumber = c.sent;
    q.rcvdNumber = c.rcvd;
    q.time = MakeDate(2026, 12, 6, 9, 5, static_cast<int>(stored));  // no two alike
    EXPECT_EQ(AddData(run_, q), c.counted) << c.mode << " [" << c.sent << "] [" << c.rcvd << "]";
    stored += c.counted;
    if (*c.line != '\0') expected += std::string("QSO: 14025  ") + c.line;
  }
  EXPECT_EQ(run_.qsoStore.Count(), stored) << "refused QSOs must not enter the store";
  EXPECT_EQ(run_.bandList.Count(), 1u);
  EXPECT_EQ(CheckFile(), expected);
  EXPECT_EQ(run_.qsoStore.At(0).freqKhz, 14025) << "hertz divided by 1000, remainder dropped";

  RunState fresh;  // refusals before the first run write nothing
  EXPECT_EQ(AddData(fresh, Qso("Q2XYZ", "RTTY")), 0);
  EXPECT_FALSE(fresh.checkFile.IsOpen());
}

TEST_F(AccountingTest, StoresEachQsoOnceAndTheFirstWithAStationCarriesItsMark) {
  for (int twice = 0; twice < 2; ++twice) {
    EXPECT_EQ(AddData(run_, Qso("Q2XYZ")), 1);
    EXPECT_EQ(AddData(run_, Qso("Q9LST", "SSB", "40")), 1);
  }
  QsoArguments later = Qso("Q9LST");
  later.time = MakeDate(2026, 12, 6, 9, 6);
  EXPECT_EQ(AddData(run_, later), 1);
  EXPECT_EQ(AddData(run_, Qso("Q9MUL")), 1);
  EXPECT_EQ(Marks(), ";Q9LST;;Q9MUL;") << "one multiplier per station in the log";
  EXPECT_EQ(run_.bandList.Count(), 2u);
  EXPECT_EQ(CheckFile(), kHeader) << "accepted QSOs write nothing";
}

TEST_F(AccountingTest, RemovalTakesTheMatchingQsoAndPassesTheMarkOn) {
  QsoArguments second = Qso("Q9LST");
  second.time = MakeDate(2026, 12, 6, 10, 0);
  second.rcvdNumber = "018";
  AddData(run_, Qso("Q9LST"));
  AddData(run_, Qso("Q2XYZ"));
  AddData(run_, second);
  AddData(run_, Qso("Q9LST", "CW", "80"));
  // Without an exact match, the first with the same call, mode and band: the
  // QSO with the mark, which passes to the station's next QSO.
  QsoArguments edited = Qso("Q9LST");
  edited.rstRcvd = "559";
  EXPECT_EQ(RemoveData(run_, edited), 1);
  EXPECT_EQ(Marks(), ";Q9LST;;");
  // The exact QSO goes; removing a QSO without the mark changes no mark.
  EXPECT_EQ(RemoveData(run_, Qso("Q9LST", "CW", "80")), 1);
  EXPECT_EQ(Marks(), ";Q9LST;");
  EXPECT_EQ(RemoveData(run_, Qso("Q7NONE")), 1) << "nothing to remove";
  QsoArguments noNumber = second;
  noNumber.sentNumber.clear();
  EXPECT_EQ(RemoveData(run_, noNumber), 0) << "empty numbers: nothing is done";
  EXPECT_EQ(run_.qsoStore.Count(), 2u);
  EXPECT_EQ(run_.bandList.Count(), 2u) << "removal never shrinks the band list";
  EXPECT_EQ(CheckFile(), kHeader) << "removal writes nothing";
}

TEST_F(AccountingTest, HostMayCallAgainFromInsideTheMissingListBox) {
  std::remove("Plugins/zelta.dom");
  run_.regionList.StartRun();
  // The host adds another QSO while the box is open.
  platform::SetMessageBoxHook([this](const std::string&, const std::string&) {
    platform::SetMessageBoxHook([](const std::string&, const std::string&) {});
    EXPECT_EQ(AddData(run_, Qso("Q3INN")), 1);
  });
  EXPECT_EQ(AddData(run_, Qso("Q2OUT")), 1);
  ASSERT_EQ(run_.qsoStore.Count(), 2u);
  EXPECT_EQ(run_.qsoStore.At(0).call, "Q3INN");
  EXPECT_EQ(run_.qsoStore.At(1).call, "Q2OUT");
}

}  // namespace

}  // namespace stats
