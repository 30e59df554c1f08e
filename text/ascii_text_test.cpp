#include "text/ascii_text.h"

#include <gtest/gtest.h>

namespace text {
namespace {

TEST(AsciiText, BlanksLetterCaseAndDigitsAreAsciiOnly) {
  EXPECT_EQ(TrimBlanks(" \t\r\nQ1 ABC\v\f"), "Q1 ABC");
  EXPECT_EQ(TrimBlanks(" \t\r\n"), "");
  // Bytes above 0x7F (Cyrillic in Windows-1251 or UTF-8) keep their case.
  EXPECT_EQ(AsciiUpper("q1abc/p \xE0\xD0\xB0"), "Q1ABC/P \xE0\xD0\xB0");
  EXPECT_EQ(AsciiLower("Q1ABC/P \xC0"), "q1abc/p \xC0");
  EXPECT_TRUE(EqualsIgnoringCase("StartTime", "STARTTIME"));
  EXPECT_FALSE(EqualsIgnoringCase("\xE0", "\xC0"));
  EXPECT_FALSE(EqualsIgnoringCase("EOR", "EOR "));
  EXPECT_TRUE(AllDigits("0123456789"));
  for (const char* text : {"", " 1", "1.0", "-1", "1a", "\xD9"}) EXPECT_FALSE(AllDigits(text)) << text;
}

}  // namespace
}  // namespace text
