// A receipt's problems: runs told once with their likely cause, the list bounded, every
// problem counted.
#include "robot/receipt_problems.h"

#include <gtest/gtest.h>

namespace {

using robot::Finding;
using robot::TellProblems;

platform::CalendarTime At(int day, int hour) { return {2017, 8, day, hour, 0, 0}; }

Finding OutsidePeriod(long long line, int day) {
  return {line, "outside_period", "outside_period", "QSO outside the contest period (" + std::to_string(line) + ")",
          "QSOs outside the contest period", At(day, 10)};
}

Finding Refused(long long line, const std::string& reason) {
  return {line, "refused", "refused:" + reason, "QSO refused: " + reason + " (Q1A, CW)", "QSOs refused: " + reason,
          std::nullopt};
}

adjudication::Rules Contest() {
  adjudication::Rules rules;
  rules.start = At(19, 6);
  rules.end = At(20, 6);
  return rules;
}

TEST(ReceiptProblems, ARunIsToldOnceAsARangeWithItsLikelyCause) {
  std::vector<Finding> findings;
  for (long long line = 177; line >= 99; --line) findings.push_back(OutsidePeriod(line, 18));  // any order
  findings.push_back(Refused(50, "no such band"));
  const auto told = TellProblems(findings, Contest());
  ASSERT_EQ(told.listed.size(), 2u);
  EXPECT_EQ(told.listed[0].line, 50);
  EXPECT_EQ(told.listed[1].line, 99);
  EXPECT_EQ(told.listed[1].text,
            "lines 99-177: 79 QSOs outside the contest period, all dated 2017-08-18, the day before the contest: "
            "check these QSOs' date");
  EXPECT_EQ(told.counts.at("outside_period"), 79);
  EXPECT_EQ(told.counts.at("refused"), 1);

  // After the contest, several days; dates that differ name no cause.
  EXPECT_NE(TellProblems({OutsidePeriod(1, 23), OutsidePeriod(2, 23), OutsidePeriod(3, 23)}, Contest())
                .listed[0].text.find("all dated 2017-08-23, 3 days after the contest"),
            std::string::npos);
  EXPECT_EQ(TellProblems({OutsidePeriod(1, 18), OutsidePeriod(2, 17), OutsidePeriod(3, 18)}, Contest()).listed[0].text,
            "lines 1-3: 3 QSOs outside the contest period");
}

TEST(ReceiptProblems, OnlyThreeOrMoreAlikeInARowMakeARun) {
  // Two alike stay two lines; a different problem between breaks a run; another reason is not alike.
  const auto told = TellProblems({Refused(1, "a"), Refused(2, "a"), OutsidePeriod(3, 18), Refused(4, "a"),
                                  Refused(5, "a"), Refused(6, "b"), Refused(7, "a"), Refused(8, "a"), Refused(9, "a")},
                                 Contest());
  ASSERT_EQ(told.listed.size(), 7u);
  EXPECT_EQ(told.listed[6].text, "lines 7-9: 3 QSOs refused: a");
  EXPECT_EQ(told.listed[5].text, "QSO refused: b (Q1A, CW)");
  EXPECT_EQ(told.counts.at("refused"), 8);
}

TEST(ReceiptProblems, AtMostTwoHundredListedEveryOneCounted) {
  std::vector<Finding> findings;
  for (int i = 0; i < 50000; ++i) findings.push_back(Refused(i + 1, "reason " + std::to_string(i % 2)));
  const auto told = TellProblems(findings, Contest());
  EXPECT_EQ(told.listed.size(), robot::kMaxListedProblems);
  EXPECT_EQ(told.counts.at("refused"), 50000);
  EXPECT_EQ(robot::ReadProblemCounts(robot::ProblemCountsJson(told.counts)), told.counts);
  EXPECT_LT(robot::ProblemsJson(told.listed).size(), 20000u);
}

}  // namespace
