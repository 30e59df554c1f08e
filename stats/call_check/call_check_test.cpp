#include "stats/call_check/call_check.h"

#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "stats/accounting/accounting.h"
#include "tests/support/test_support.h"

namespace {

using testing_support::MakeDate;
using testing_support::MessageBoxRecorder;
using testing_support::ScopedWorkDir;
using testing_support::WriteFileBytes;

class CallCheckTest : public ::testing::Test {
 protected:
  CallCheckTest() { WriteFileBytes("Plugins/zelta.dom", "Q9LST\r\nQ9MUL\r\n"); }

  void Add(const std::string& call, const std::string& mode, const std::string& band) {
    QsoArguments q;
    q.call = call;
    q.mode = mode;
    q.band = band;
    q.sentNumber = "001";
    q.rcvdNumber = "002";
    q.time = MakeDate(2026, 12, 6, 9, 5);
    ASSERT_EQ(AddData(run_, q), 1);
  }

  void Remove(const std::string& call, const std::string& mode, const std::string& band) {
    QsoArguments q;
    q.call = call;
    q.mode = mode;
    q.band = band;
    q.sentNumber = "001";
    q.rcvdNumber = "002";
    ASSERT_EQ(RemoveData(run_, q), 1);
  }

  // The answer, and whether the message buffer was written.
  int Check(const std::string& call, const std::string& band, const std::string& mode) {
    std::memset(message_, '#', sizeof message_);
    return CheckCall(run_, call, band, mode, message_);
  }
  bool MessageUntouched() const {
    for (char c : message_) {
      if (c != '#') return false;
    }
    return true;
  }

  ScopedWorkDir dir_;
  MessageBoxRecorder boxes_;
  RunState run_;
  char message_[40];
};

TEST_F(CallCheckTest, EmptyStore) {
  EXPECT_EQ(Check("Q2XYZ", "20", "CW"), kOrdinary);
  EXPECT_TRUE(MessageUntouched());
  EXPECT_EQ(Check("Q9LST", "20", "CW"), kNewMultiplier);
  EXPECT_STREQ(message_, kNewMultiplierText);
  EXPECT_EQ(std::strlen(message_), 32u);
  EXPECT_EQ(message_[33], '#') << "exactly 33 bytes written";
  // Partial calls and an empty call are no multipliers.
  EXPECT_EQ(Check("Q9L", "20", "CW"), kOrdinary);
  EXPECT_EQ(Check("", "20", "CW"), kOrdinary);
  EXPECT_TRUE(MessageUntouched());
  // A null buffer is not written.
  EXPECT_EQ(CheckCall(run_, "Q9LST", "20", "CW", nullptr), kNewMultiplier);
}

TEST_F(CallCheckTest, DuplicatesNeedTheSameCallBandAndMode) {
  Add("Q2XYZ", "CW", "20");
  EXPECT_EQ(Check("Q2XYZ", "20", "CW"), kDuplicate);
  EXPECT_EQ(Check("Q2XYZ", "20", "SSB"), kOrdinary);
  EXPECT_EQ(Check("Q2XYZ", "40", "CW"), kOrdinary);
  EXPECT_EQ(Check("q2xyz", "20", "CW"), kOrdinary) << "case-sensitive";
  Add("", "CW", "20");
  EXPECT_EQ(Check("", "20", "CW"), kDuplicate);
  EXPECT_EQ(Check("", "40", "CW"), kOrdinary);
  EXPECT_TRUE(MessageUntouched());
}

TEST_F(CallCheckTest, AListedStationIsANewMultiplierOnce) {
  Add("Q9LST", "CW", "20");
  EXPECT_EQ(Check("Q9LST", "20", "CW"), kDuplicate);
  EXPECT_EQ(Check("Q9LST", "40", "SSB"), kOrdinary) << "already a multiplier elsewhere";
  EXPECT_EQ(Check("Q9MUL", "40", "SSB"), kNewMultiplier);
  EXPECT_EQ(Check("q9lst", "40", "SSB"), kOrdinary) << "lower case is not listed";
  // The station keeps its multiplier on its next QSO when the first is removed.
  Add("Q9LST", "SSB", "40");
  Remove("Q9LST", "CW", "20");
  EXPECT_EQ(Check("Q9LST", "80", "CW"), kOrdinary);
  // With no QSO of the station left, it is new again.
  Remove("Q9LST", "SSB", "40");
  EXPECT_EQ(Check("Q9LST", "80", "CW"), kNewMultiplier);
}

TEST_F(CallCheckTest, MissingListCountsAsNotListedAndALaterListingGivesThePromisedMultiplier) {
  std::remove("Plugins/zelta.dom");
  EXPECT_EQ(Check("Q9LST", "20", "CW"), kOrdinary);
  EXPECT_EQ(boxes_.Boxes().size(), 1u);
  EXPECT_TRUE(MessageUntouched());
  Add("Q9LST", "CW", "20");
  WriteFileBytes("Plugins/zelta.dom", "Q9LST\r\n");
  EXPECT_EQ(Check("Q9LST", "40", "CW"), kNewMultiplier);
  Add("Q9LST", "CW", "40");
  EXPECT_EQ(run_.qsoStore.At(1).listedCall, "Q9LST") << "the summary counts it, on 40";
  EXPECT_EQ(Check("Q9LST", "80", "CW"), kOrdinary) << "promised once";
}

}  // namespace
