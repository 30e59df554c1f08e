#include "stats/call_check/call_check.h"

#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "stats/accounting/accounting.h"
#include "tests/support/test_support.h"

namespace stats {

namespace {

using testing_support::MakeDate;
using testing_support::MessageBoxRecorder;
using testing_support::ScopedWorkDir;
using testing_support::WriteFileBytes;

class CallCheckTest : public ::testing::Test {
 protected:
  CallCheckTest() { WriteFileBytes("Plugins/zelta.dom", "Q9LST\r\nQ9MUL\r\n"); }

  // Adds ('+') or removes ('-') a QSO, or checks a call ('?') and compares the answer.
  void Play(char op, const std::string& call, const std::string& band, const std::string& mode,
            int answer = 1) {
    QsoArguments q;
    q.call = call;
    q.mode = mode;
    q.band = band;
    q.sentNumber = "001";
    q.rcvdNumber = "002";
    q.time = MakeDate(2026, 12, 6, 9, 5);
    std::memset(message_, '#', sizeof message_);
    if (op == '+') EXPECT_EQ(AddData(run_, q), 1) << call;
    if (op == '-') EXPECT_EQ(RemoveData(run_, q), 1) << call;
    if (op != '?') return;
    EXPECT_EQ(CheckCall(run_, call, band, mode, message_), answer) << call << " " << band << " " << mode;
    // The text and its zero: exactly 33 bytes for a new multiplier, else nothing.
    const std::string written(message_, sizeof message_);
    EXPECT_EQ(written, answer == kNewMultiplier ? std::string(kNewMultiplierText, 33) + std::string(7, '#')
                                                : std::string(sizeof message_, '#'));
  }

  ScopedWorkDir dir_;
  MessageBoxRecorder boxes_;
  RunState run_;
  char message_[40];
};

TEST_F(CallCheckTest, DuplicateOrdinaryOrNewMultiplierAsTheStoreAndTheListStand) {
  const struct {
    char op;
    const char* call;
    const char* band;
    const char* mode;
    int answer;
  } steps[] = {
      {'?', "Q2XYZ", "20", "CW", kOrdinary},
      {'?', "Q9LST", "20", "CW", kNewMultiplier},
      // Partial calls and an empty call are no multipliers; lower case is not listed.
      {'?', "Q9L", "20", "CW", kOrdinary},
      {'?', "", "20", "CW", kOrdinary},
      {'?', "q9lst", "40", "SSB", kOrdinary},
      // Duplicates need the same call, band and mode, case and all.
      {'+', "Q2XYZ", "20", "CW"},
      {'?', "Q2XYZ", "20", "CW", kDuplicate},
      {'?', "Q2XYZ", "20", "SSB", kOrdinary},
      {'?', "Q2XYZ", "40", "CW", kOrdinary},
      {'?', "q2xyz", "20", "CW", kOrdinary},
      {'+', "", "20", "CW"},
      {'?', "", "20", "CW", kDuplicate},
      {'?', "", "40", "CW", kOrdinary},
      // A listed station is a new multiplier once.
      {'+', "Q9LST", "20", "CW"},
      {'?', "Q9LST", "20", "CW", kDuplicate},
      {'?', "Q9LST", "40", "SSB", kOrdinary},
      {'?', "Q9MUL", "40", "SSB", kNewMultiplier},
      // It keeps its multiplier on its next QSO when the first is removed...
      {'+', "Q9LST", "40", "SSB"},
      {'-', "Q9LST", "20", "CW"},
      {'?', "Q9LST", "80", "CW", kOrdinary},
      // ...and with no QSO of it left, it is new again.
      {'-', "Q9LST", "40", "SSB"},
      {'?', "Q9LST", "80", "CW", kNewMultiplier},
  };
  for (const auto& s : steps) Play(s.op, s.call, s.band, s.mode, s.answer);
  EXPECT_EQ(CheckCall(run_, "Q9LST", "20", "CW", nullptr), kNewMultiplier) << "a null buffer";
}

TEST_F(CallCheckTest, MissingListCountsAsNotListedAndALaterListingGivesThePromisedMultiplier) {
  std::remove("Plugins/zelta.dom");
  Play('?', "Q9LST", "20", "CW", kOrdinary);
  EXPECT_EQ(boxes_.Boxes().size(), 1u);
  Play('+', "Q9LST", "20", "CW");
  WriteFileBytes("Plugins/zelta.dom", "Q9LST\r\n");
  Play('?', "Q9LST", "40", "CW", kNewMultiplier);
  Play('+', "Q9LST", "40", "CW");
  EXPECT_EQ(run_.qsoStore.At(1).listedCall, "Q9LST") << "the summary counts it, on 40";
  Play('?', "Q9LST", "80", "CW", kOrdinary);  // promised once
}

}  // namespace

}  // namespace stats
