#include "stats/call_check/call_check.h"

#include <cstring>
#include <string>
#include <tuple>

#include <gtest/gtest.h>

#include "stats/accounting/accounting.h"
#include "stats/call_check/exchange_rule.h"
#include "tests/support/test_support.h"

namespace stats {

namespace {

using testing_support::WriteFileBytes;

class CallCheckTest : public ::testing::Test {
 protected:
  CallCheckTest() { WriteFileBytes("Plugins/zelta.dom", "Q9LST\r\nQ9MUL\r\n"); }

  // Adds ('+') or removes ('-') a QSO, or checks a call ('?'), and compares the answer.
  void Play(char op, const std::string& call, const std::string& band, const std::string& mode,
            int answer = kOrdinary) {
    const QsoArguments q = testing_support::Qso([&](auto& q) { q.call = call, q.band = band, q.mode = mode; });
    if (op == '+') EXPECT_EQ(AddData(run_, q), answer) << call;
    if (op == '-') EXPECT_EQ(RemoveData(run_, q), answer) << call;
    if (op != '?') return;
    char message[40];
    std::memset(message, '#', sizeof message);
    EXPECT_EQ(CheckCall(run_, call, band, mode, message), answer) << call << " " << band << " " << mode;
    // The text and its zero: exactly 33 bytes for a new multiplier, else nothing.
    EXPECT_EQ(std::string(message, sizeof message),
              answer == kNewMultiplier ? std::string(kNewMultiplierText, 33) + std::string(7, '#')
                                       : std::string(sizeof message, '#'));
  }

  testing_support::ScopedWorkDir dir_;
  testing_support::MessageBoxRecorder boxes_;
  RunState run_;
};

TEST_F(CallCheckTest, DuplicateOrdinaryOrNewMultiplierAsTheStoreAndTheListStand) {
  const std::tuple<char, const char*, const char*, const char*, int> steps[] = {
      {'?', "Q2XYZ", "20", "CW", kOrdinary}, {'?', "Q9LST", "20", "CW", kNewMultiplier},
      // Partial calls and an empty call are no multipliers; lower case is not listed.
      {'?', "Q9L", "20", "CW", kOrdinary}, {'?', "", "20", "CW", kOrdinary},
      {'?', "q9lst", "40", "SSB", kOrdinary},
      // Duplicates need the same call, band and mode, case and all.
      {'+', "Q2XYZ", "20", "CW", 1}, {'?', "Q2XYZ", "20", "CW", kDuplicate},
      {'?', "Q2XYZ", "20", "SSB", kOrdinary}, {'?', "Q2XYZ", "40", "CW", kOrdinary},
      {'?', "q2xyz", "20", "CW", kOrdinary}, {'+', "", "20", "CW", 1}, {'?', "", "20", "CW", kDuplicate},
      // A listed station is a new multiplier once.
      {'+', "Q9LST", "20", "CW", 1}, {'?', "Q9LST", "20", "CW", kDuplicate},
      {'?', "Q9LST", "40", "SSB", kOrdinary}, {'?', "Q9MUL", "40", "SSB", kNewMultiplier},
      // It keeps its multiplier on its next QSO when the first is removed, and
      // with no QSO of it left, it is new again.
      {'+', "Q9LST", "40", "SSB", 1}, {'-', "Q9LST", "20", "CW", 1}, {'?', "Q9LST", "80", "CW", kOrdinary},
      {'-', "Q9LST", "40", "SSB", 1}, {'?', "Q9LST", "80", "CW", kNewMultiplier},
  };
  for (const auto& [op, call, band, mode, answer] : steps) Play(op, call, band, mode, answer);
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

TEST(IsValidExchg, ThreeOrFourDigitsOtherThan599AndAZeroSeventhArgument) {
  const std::tuple<std::string, int, int> cases[] = {
      {"001", 0, 1}, {"9999", 0, 1},  {"5990", 0, 1}, {"0599", 0, 1},  {"599", 0, 0},  {"12", 0, 0},
      {"12345", 0, 0}, {"", 0, 0}, {"12a", 0, 0}, {"+12", 0, 0}, {" 123", 0, 0}, {"\xB3\xB3\xB3", 0, 0},
      {std::string("12\0", 3), 0, 0}, {"123", 1, 0}, {"123", -1, 0},
  };
  for (const auto& [text, flag, valid] : cases) EXPECT_EQ(IsValidExchg(text, flag), valid) << text << " " << flag;
}

}  // namespace

}  // namespace stats
