#include "stats/call_check/exchange_rule.h"

#include <gtest/gtest.h>

namespace {

TEST(IsValidExchg, ThreeOrFourDigitsOtherThan599) {
  for (const char* good : {"001", "123", "9999", "5990", "0599", "1599", "000"}) {
    EXPECT_EQ(IsValidExchg(good, 0), 1) << good;
  }
  for (const char* bad : {"599", "12", "12345", "", "12a", "-123", "+12", "1 23", " 123",
                          "\xB3\xB3\xB3"}) {
    EXPECT_EQ(IsValidExchg(bad, 0), 0) << bad;
  }
  EXPECT_EQ(IsValidExchg(std::string(100000, '1'), 0), 0);
  EXPECT_EQ(IsValidExchg(std::string("12\0", 3), 0), 0) << "an embedded zero is no digit";
}

TEST(IsValidExchg, TheSeventhArgumentMustBeZero) {
  EXPECT_EQ(IsValidExchg("123", 1), 0);
  EXPECT_EQ(IsValidExchg("123", -1), 0);
  EXPECT_EQ(GetExchgCount(), 1);
}

}  // namespace
