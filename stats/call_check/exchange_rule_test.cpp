#include "stats/call_check/exchange_rule.h"

#include <gtest/gtest.h>

namespace stats {

namespace {

TEST(IsValidExchg, ThreeOrFourDigitsOtherThan599AndAZeroSeventhArgument) {
  const struct {
    std::string text;
    int flag;
    int valid;
  } cases[] = {
      {"001", 0, 1}, {"123", 0, 1}, {"9999", 0, 1}, {"5990", 0, 1}, {"0599", 0, 1},
      {"1599", 0, 1}, {"000", 0, 1}, {"599", 0, 0}, {"12", 0, 0}, {"12345", 0, 0},
      {"", 0, 0}, {"12a", 0, 0}, {"-123", 0, 0}, {"+12", 0, 0}, {"1 23", 0, 0},
      {" 123", 0, 0}, {"\xB3\xB3\xB3", 0, 0}, {std::string(100000, '1'), 0, 0},
      {std::string("12\0", 3), 0, 0},  // an embedded zero is no digit
      {"123", 1, 0}, {"123", -1, 0},
  };
  for (const auto& c : cases) EXPECT_EQ(IsValidExchg(c.text, c.flag), c.valid) << c.text << " " << c.flag;
}

}  // namespace

}  // namespace stats
