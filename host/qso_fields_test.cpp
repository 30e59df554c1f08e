#include "host/qso_fields.h"

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

TEST(BandNames, FollowTheHostsNamesFromFrequencyAndAdifBand) {
  EXPECT_EQ(BandForFrequency(1800000u), "160");
  EXPECT_EQ(BandForFrequency(3550000u), "80");
  EXPECT_EQ(BandForFrequency(7300000u), "40");  // upper edge included
  EXPECT_EQ(BandForFrequency(14025000u), "20");
  EXPECT_EQ(BandForFrequency(21070000u), "15");
  EXPECT_EQ(BandForFrequency(29700000u), "10");
  EXPECT_EQ(BandForFrequency(432100000u), "70cm");
  EXPECT_FALSE(BandForFrequency(13999999u));  // just below 20 m
  EXPECT_FALSE(BandForFrequency(0u));
  // ADIF BAND values in any case.
  EXPECT_EQ(BandForAdifBand("20m"), "20");
  EXPECT_EQ(BandForAdifBand("160M"), "160");
  EXPECT_EQ(BandForAdifBand("70CM"), "70cm");
  EXPECT_FALSE(BandForAdifBand("20"));
  EXPECT_FALSE(BandForAdifBand("11m"));
  EXPECT_EQ(BandLowerEdgeHz("40"), 7000000u);
  EXPECT_EQ(BandLowerEdgeHz("40m"), 0u);
  // Cabrillo designators from 50 MHz up.
  EXPECT_EQ(BandForCabrilloDesignator("144"), "2");
  EXPECT_EQ(BandForCabrilloDesignator("1.2g"), "23cm");
  EXPECT_FALSE(BandForCabrilloDesignator("14025"));
}

TEST(ModeNames, MapLogModesToTheContestModes) {
  EXPECT_EQ(ModeForAdif("CW", ""), "CW");
  EXPECT_EQ(ModeForAdif("cw", "PCW"), "CW");
  EXPECT_EQ(ModeForAdif("SSB", ""), "SSB");
  EXPECT_EQ(ModeForAdif("SSB", "USB"), "SSB");
  EXPECT_EQ(ModeForAdif("ssb", "lsb"), "SSB");
  EXPECT_EQ(ModeForAdif("USB", ""), "SSB");  // older files name the sideband as mode
  EXPECT_EQ(ModeForAdif("PSK", "PSK63"), "BPSK63");
  EXPECT_EQ(ModeForAdif("psk", "bpsk63"), "BPSK63");
  EXPECT_EQ(ModeForAdif("PSK63", ""), "BPSK63");
  // Anything else keeps the log's own name, so that the plug-in refuses it.
  EXPECT_EQ(ModeForAdif("PSK", "PSK31"), "PSK31");
  EXPECT_EQ(ModeForAdif("PSK", "QPSK63"), "QPSK63");
  EXPECT_EQ(ModeForAdif("PSK", ""), "PSK");
  EXPECT_EQ(ModeForAdif("RTTY", ""), "RTTY");
  EXPECT_EQ(ModeForAdif("MFSK", "FT4"), "FT4");

  EXPECT_EQ(ModeForCabrillo("CW"), "CW");
  EXPECT_EQ(ModeForCabrillo("PH"), "SSB");
  EXPECT_EQ(ModeForCabrillo("pm"), "BPSK63");
  EXPECT_EQ(ModeForCabrillo("RY"), "RTTY");
  EXPECT_EQ(ModeForCabrillo("DG"), "DG");
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
  ASSERT_TRUE(ParseAdifDate("20261206", t));
  ASSERT_TRUE(ParseAdifTime("0905", t));
  EXPECT_EQ(t.year, 2026);
  EXPECT_EQ(t.month, 12);
  EXPECT_EQ(t.day, 6);
  EXPECT_EQ(t.hour, 9);
  EXPECT_EQ(t.minute, 5);
  EXPECT_EQ(t.second, 0);
  ASSERT_TRUE(ParseAdifTime("134559", t));
  EXPECT_EQ(t.second, 59);
  EXPECT_TRUE(ParseAdifDate("20240229", t));   // leap year
  EXPECT_FALSE(ParseAdifDate("20230229", t));  // not a leap year
  EXPECT_FALSE(ParseAdifDate("21000229", t));  // centuries are not, unless by 400
  EXPECT_FALSE(ParseAdifDate("20261301", t));
  EXPECT_FALSE(ParseAdifDate("2026126", t));
  EXPECT_FALSE(ParseAdifDate("2026-12-06", t));
  EXPECT_FALSE(ParseAdifTime("2400", t));
  EXPECT_FALSE(ParseAdifTime("1260", t));
  EXPECT_FALSE(ParseAdifTime("123", t));
  EXPECT_FALSE(ParseAdifTime("12:30", t));

  ASSERT_TRUE(ParseCabrilloDate("2011-04-14", t));
  ASSERT_TRUE(ParseCabrilloTime("1935", t));
  EXPECT_EQ(t.year, 2011);
  EXPECT_EQ(t.hour, 19);
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
