#include "stats/accounting/accounting.h"

#include <cstdio>
#include <string>

#include <gtest/gtest.h>

#include "platform/message_box.h"
#include "tests/support/test_support.h"

namespace {

using testing_support::MakeDate;
using testing_support::MessageBoxRecorder;
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

  ScopedWorkDir dir_;
  MessageBoxRecorder boxes_;
  RunState run_;
};

TEST_F(AccountingTest, ContestModesCountOthersAreRefused) {
  for (const char* mode : {"CW", "BPSK63", "BPSK62", "SSB"}) {
    EXPECT_EQ(AddData(run_, Qso("Q2XYZ", mode)), 1) << mode;
  }
  EXPECT_EQ(run_.qsoStore.Count(), 4u);
  for (const char* mode : {"BPSK31", "", "cw", "CW "}) {
    EXPECT_EQ(AddData(run_, Qso("Q2XYZ", mode)), 0) << mode;
  }
  EXPECT_EQ(run_.qsoStore.Count(), 4u) << "refused QSOs must not enter the store";
  EXPECT_EQ(run_.bandList.Count(), 1u) << "refused QSOs add no band";
  EXPECT_EQ(CheckFile(), kHeader +
                             "QSO: 14025  BPSK31  2026-12-06 0905  Q1ABC  599  001  Q2XYZ  579  017 No contest mode \r\n"
                             "QSO: 14025    2026-12-06 0905  Q1ABC  599  001  Q2XYZ  579  017 No contest mode \r\n"
                             "QSO: 14025  cw  2026-12-06 0905  Q1ABC  599  001  Q2XYZ  579  017 No contest mode \r\n"
                             "QSO: 14025  CW   2026-12-06 0905  Q1ABC  599  001  Q2XYZ  579  017 No contest mode \r\n");
}

TEST_F(AccountingTest, MissingNumbersAreRefused) {
  QsoArguments noReceived = Qso("Q2XYZ");
  noReceived.rcvdNumber.clear();
  QsoArguments noSent = Qso("Q2XYZ");
  noSent.sentNumber.clear();
  QsoArguments blanks = Qso("Q2XYZ");
  blanks.sentNumber = " ";
  blanks.rcvdNumber = " ";
  QsoArguments both = Qso("Q2XYZ", "RTTY");
  both.sentNumber.clear();
  both.rcvdNumber.clear();
  EXPECT_EQ(AddData(run_, noReceived), 0);
  EXPECT_EQ(AddData(run_, noSent), 0);
  EXPECT_EQ(AddData(run_, blanks), 1) << "a text of blanks is not empty";
  EXPECT_EQ(AddData(run_, both), 0);
  EXPECT_EQ(CheckFile(), kHeader +
                             "QSO: 14025  CW  2026-12-06 0905  Q1ABC  599  001  Q2XYZ  579  No RX number\r\n"
                             "QSO: 14025  CW  2026-12-06 0905  Q1ABC  599    Q2XYZ  579  017No RX number\r\n"
                             "QSO: 14025  RTTY  2026-12-06 0905  Q1ABC  599    Q2XYZ  579   No contest mode \r\n")
      << "a QSO refused for its mode gets one line, for its mode";
}

TEST_F(AccountingTest, AcceptedQsoIsStoredWithItsFields) {
  QsoArguments q = Qso("Q2XYZ");
  q.aux23 = "a23";
  q.aux30 = "a30";
  ASSERT_EQ(AddData(run_, q), 1);
  ASSERT_EQ(run_.qsoStore.Count(), 1u);
  const QsoEntry& e = run_.qsoStore.At(0);
  EXPECT_EQ(e.freqKhz, 14025) << "hertz divided by 1000, remainder dropped";
  EXPECT_EQ(e.aux23, "a23");
  EXPECT_EQ(e.aux30, "a30");
  EXPECT_EQ(e.rstSent, "599");
  EXPECT_EQ(e.rstRcvd, "579");
  EXPECT_EQ(e.sentNumber, "001");
  EXPECT_EQ(e.rcvdNumber, "017");
  EXPECT_TRUE(e.listedCall.empty());
  EXPECT_EQ(CheckFile(), kHeader) << "accepted QSOs write nothing";
}

TEST_F(AccountingTest, TheSameQsoIsStoredOnce) {
  EXPECT_EQ(AddData(run_, Qso("Q2XYZ")), 1);
  EXPECT_EQ(AddData(run_, Qso("Q2XYZ")), 1);
  EXPECT_EQ(run_.qsoStore.Count(), 1u);
  // Also for a listed station, whose first record carries the multiplier.
  EXPECT_EQ(AddData(run_, Qso("Q9LST")), 1);
  EXPECT_EQ(AddData(run_, Qso("Q9LST")), 1);
  EXPECT_EQ(run_.qsoStore.Count(), 2u) << "a listed QSO added twice would score twice";
  QsoArguments later = Qso("Q9LST");
  later.time = MakeDate(2026, 12, 6, 9, 6);
  EXPECT_EQ(AddData(run_, later), 1);
  EXPECT_EQ(run_.qsoStore.Count(), 3u) << "another time is another QSO";
}

TEST_F(AccountingTest, FirstQsoWithAListedStationCarriesTheMultiplier) {
  AddData(run_, Qso("Q2XYZ"));
  AddData(run_, Qso("Q9LST", "SSB", "40"));
  AddData(run_, Qso("Q9LST", "CW", "20"));
  AddData(run_, Qso("Q9MUL", "CW", "20"));
  ASSERT_EQ(run_.qsoStore.Count(), 4u);
  EXPECT_EQ(run_.qsoStore.At(0).listedCall, "");
  EXPECT_EQ(run_.qsoStore.At(1).listedCall, "Q9LST");
  EXPECT_EQ(run_.qsoStore.At(2).listedCall, "") << "one multiplier per station in the log";
  EXPECT_EQ(run_.qsoStore.At(3).listedCall, "Q9MUL");
  EXPECT_EQ(run_.bandList.Count(), 2u);
}

TEST_F(AccountingTest, RemovalTakesTheMatchingQso) {
  QsoArguments first = Qso("Q2XYZ");
  QsoArguments second = Qso("Q2XYZ");
  second.time = MakeDate(2026, 12, 6, 10, 0);
  second.rcvdNumber = "018";
  AddData(run_, first);
  AddData(run_, second);
  // The exact QSO goes, even when an earlier one has the same call, mode and band.
  EXPECT_EQ(RemoveData(run_, second), 1);
  ASSERT_EQ(run_.qsoStore.Count(), 1u);
  EXPECT_EQ(run_.qsoStore.At(0).rcvdNumber, "017");
  // Without an exact match, the first with the same call, mode and band.
  QsoArguments edited = Qso("Q2XYZ");
  edited.rstRcvd = "559";
  EXPECT_EQ(RemoveData(run_, edited), 1);
  EXPECT_EQ(run_.qsoStore.Count(), 0u);
  // Nothing to remove.
  EXPECT_EQ(RemoveData(run_, Qso("Q7NONE")), 1);
  // Empty numbers: nothing is done.
  AddData(run_, first);
  QsoArguments noNumber = first;
  noNumber.sentNumber.clear();
  EXPECT_EQ(RemoveData(run_, noNumber), 0);
  EXPECT_EQ(run_.qsoStore.Count(), 1u);
  EXPECT_EQ(run_.bandList.Count(), 1u) << "removal never shrinks the band list";
  EXPECT_EQ(CheckFile(), kHeader) << "removal writes nothing";
}

TEST_F(AccountingTest, RemovingTheMultiplierQsoPassesTheMarkOn) {
  AddData(run_, Qso("Q9LST", "CW", "20"));
  AddData(run_, Qso("Q2XYZ", "CW", "20"));
  AddData(run_, Qso("Q9LST", "SSB", "40"));
  AddData(run_, Qso("Q9LST", "CW", "80"));
  EXPECT_EQ(RemoveData(run_, Qso("Q9LST", "CW", "20")), 1);
  ASSERT_EQ(run_.qsoStore.Count(), 3u);
  EXPECT_EQ(run_.qsoStore.At(1).listedCall, "Q9LST") << "the station's next QSO";
  EXPECT_EQ(run_.qsoStore.At(2).listedCall, "");
  // Removing a QSO without the mark changes no mark.
  EXPECT_EQ(RemoveData(run_, Qso("Q9LST", "CW", "80")), 1);
  EXPECT_EQ(run_.qsoStore.At(1).listedCall, "Q9LST");
}

TEST_F(AccountingTest, RefusalsBeforeTheFirstRunWriteNothing) {
  RunState fresh;
  EXPECT_EQ(AddData(fresh, Qso("Q2XYZ", "RTTY")), 0);
  EXPECT_FALSE(fresh.checkFile.IsOpen());
}

TEST_F(AccountingTest, HugeAndOddTextsAreHandledByTheRules) {
  const std::string huge(100000, 'Z');
  QsoArguments q = Qso(huge);
  q.band = huge;
  q.rstSent = "\x80\xFF";
  EXPECT_EQ(AddData(run_, q), 1);
  EXPECT_EQ(run_.qsoStore.At(0).call, huge);
  EXPECT_EQ(AddData(run_, Qso("..\\..\\x/y", "RTTY")), 0);
  EXPECT_NE(CheckFile().find("..\\..\\x/y  579  017 No contest mode \r\n"), std::string::npos);
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
