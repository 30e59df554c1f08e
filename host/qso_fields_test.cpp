#include "host/qso_fields.h"

#include <array>
#include <vector>

#include <gtest/gtest.h>

#include "host/text_encoding.h"

namespace zelta {
namespace {

TEST(DecimalToScaledInteger, ConvertsMegahertzToHertzExactly) {
  // Binary floating point would give 3549999 here.
  EXPECT_EQ(DecimalToScaledInteger("3.55", 6), 3550000u);
  EXPECT_EQ(DecimalToScaledInteger("14.025", 6), 14025000u);
  EXPECT_EQ(DecimalToScaledInteger("7", 6), 7000000u);
  EXPECT_EQ(DecimalToScaledInteger(".5", 6), 500000u);
  EXPECT_EQ(DecimalToScaledInteger("21.", 6), 21000000u);
  // Rounded to the nearest hertz: halves up, less than a half down.
  EXPECT_EQ(DecimalToScaledInteger("14.0250005", 6), 14025001u);
  EXPECT_EQ(DecimalToScaledInteger("14.02500049999", 6), 14025000u);
  EXPECT_EQ(DecimalToScaledInteger("14.0250009", 6), 14025001u);
  // kHz with three decimals.
  EXPECT_EQ(DecimalToScaledInteger("14025", 3), 14025000u);
  EXPECT_EQ(DecimalToScaledInteger("3550.5", 3), 3550500u);
  // The 32-bit limit: 4294.967295 MHz fits, a hertz more does not, rounding included.
  EXPECT_EQ(DecimalToScaledInteger("4294.967295", 6), 4294967295u);
  EXPECT_FALSE(DecimalToScaledInteger("4294.967296", 6));
  EXPECT_FALSE(DecimalToScaledInteger("4294.9672955", 6));
  EXPECT_FALSE(DecimalToScaledInteger("99999999999999999999", 6));
  // Not a plain decimal number.
  for (const char* bad : {"", ".", "14,025", "-3.5", "+3.5", "1.2.3", " 3.5", "3.5e1", "abc"}) {
    EXPECT_FALSE(DecimalToScaledInteger(bad, 6)) << bad;
  }
}

TEST(BandAndModeNames, FollowTheHostsNames) {
  const std::pair<std::uint32_t, const char*> byFrequency[] = {
      {1800000u, "160"}, {7300000u, "40"},  {14025000u, "20"},  // upper edge included
      {29700000u, "10"}, {432100000u, "70cm"}, {13999999u, ""}, {0u, ""}};
  for (const auto& [hz, band] : byFrequency) EXPECT_EQ(BandForFrequency(hz).value_or(""), band) << hz;
  // ADIF BAND values in any case; Cabrillo designators from 50 MHz up.
  const std::pair<const char*, const char*> byName[] = {
      {"20m", "20"}, {"160M", "160"}, {"70CM", "70cm"}, {"20", ""}, {"11m", ""}};
  for (const auto& [adif, band] : byName) EXPECT_EQ(BandForAdifBand(adif).value_or(""), band) << adif;
  EXPECT_EQ(BandForCabrilloDesignator("1.2g").value_or(""), "23cm");
  EXPECT_FALSE(BandForCabrilloDesignator("14025"));
  EXPECT_EQ(BandLowerEdgeHz("40"), 7000000u);
  EXPECT_EQ(BandLowerEdgeHz("40m"), 0u);

  // Anything not a contest mode keeps the log's own name, so that the plug-in refuses it.
  const std::array<const char*, 3> modes[] = {
      {"cw", "PCW", "CW"},       {"ssb", "lsb", "SSB"},      {"USB", "", "SSB"},
      {"psk", "bpsk63", "BPSK63"}, {"PSK63", "", "BPSK63"},  {"PSK", "PSK31", "PSK31"},
      {"PSK", "QPSK63", "QPSK63"}, {"PSK", "", "PSK"},       {"MFSK", "FT4", "FT4"},  {"PSK", "PSK63", "BPSK63"}};
  for (const auto& [mode, submode, host] : modes) EXPECT_EQ(ModeForAdif(mode, submode), host) << mode;
  const std::pair<const char*, const char*> cabrillo[] = {
      {"CW", "CW"}, {"PH", "SSB"}, {"pm", "BPSK63"}, {"RY", "RTTY"}, {"DG", "DG"}};
  for (const auto& [code, host] : cabrillo) EXPECT_EQ(ModeForCabrillo(code), host) << code;
}

TEST(SerialText, GivesAtLeastThreeDigits) {
  EXPECT_EQ(SerialText("1"), "001");
  EXPECT_EQ(SerialText("17"), "017");
  EXPECT_EQ(SerialText("0017"), "017");
  EXPECT_EQ(SerialText("0"), "000");
  EXPECT_EQ(SerialText("1234"), "1234");
  EXPECT_EQ(SerialText("00000000000000000000123"), "123");  // no integer overflow
  EXPECT_FALSE(SerialText(""));
  EXPECT_FALSE(SerialText("12a"));
  EXPECT_FALSE(SerialText("-5"));
}

TEST(LogDates, AcceptOnlyRealDatesAndTimes) {
  platform::CalendarTime t;
  ASSERT_TRUE(ParseAdifDate("20261206", t) && ParseAdifTime("134559", t));
  EXPECT_EQ(std::vector<int>({t.year, t.month, t.day, t.hour, t.minute, t.second}),
            std::vector<int>({2026, 12, 6, 13, 45, 59}));
  ASSERT_TRUE(ParseCabrilloDate("2011-04-14", t) && ParseCabrilloTime("1935", t));
  EXPECT_EQ(std::vector<int>({t.year, t.month, t.day, t.hour, t.minute, t.second}),
            std::vector<int>({2011, 4, 14, 19, 35, 0}));
  // 2100 is no leap year: centuries are not, unless by 400.
  for (const char* date : {"20240229", "20000229"}) EXPECT_TRUE(ParseAdifDate(date, t)) << date;
  for (const char* date : {"20230229", "21000229", "20261301", "2026126", "2026-12-06"}) {
    EXPECT_FALSE(ParseAdifDate(date, t)) << date;
  }
  for (const char* time : {"2400", "1260", "123", "12:30"}) EXPECT_FALSE(ParseAdifTime(time, t)) << time;
  EXPECT_FALSE(ParseCabrilloDate("20110414", t));
  EXPECT_FALSE(ParseCabrilloDate("2011-04-31", t));
  EXPECT_FALSE(ParseCabrilloTime("193500", t));
}

TEST(Cp1251ToUtf8, ConvertsThePluginsCyrillicText) {
  // "Участник: " as the summary header holds it.
  EXPECT_EQ(Cp1251ToUtf8("\xD3\xF7\xE0\xF1\xF2\xED\xE8\xEA: Q1ABC\r\n"),
            "\xD0\xA3\xD1\x87\xD0\xB0\xD1\x81\xD1\x82\xD0\xBD\xD0\xB8\xD0\xBA: Q1ABC\r\n");
  EXPECT_EQ(Cp1251ToUtf8("\xA8\xB8"), "\xD0\x81\xD1\x91");  // Ё ё
  EXPECT_EQ(Cp1251ToUtf8("\x88\xB9"), "\xE2\x82\xAC\xE2\x84\x96");  // € №
  // The one byte without a character is marked, not dropped.
  EXPECT_EQ(Cp1251ToUtf8("a\x98z"), "a\xEF\xBF\xBDz");
  EXPECT_EQ(Cp1251ToUtf8(std::string("\0x", 2)), std::string("\0x", 2));
  EXPECT_EQ(Cp1251ToUtf8(""), "");
}

}  // namespace
}  // namespace zelta
