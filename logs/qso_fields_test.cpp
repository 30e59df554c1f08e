#include "logs/qso_fields.h"

#include <array>
#include <vector>

#include <gtest/gtest.h>

#include "logs/text_encoding.h"

namespace logs {
namespace {

TEST(DecimalToScaledInteger, ConvertsMegahertzToHertzExactly) {
  const std::pair<const char*, std::uint64_t> mhz[] = {
      {"3.55", 3550000u},  // binary floating point would give 3549999
      {"14.025", 14025000u}, {"7", 7000000u}, {".5", 500000u}, {"21.", 21000000u},
      // Rounded to the nearest hertz: halves up, less than a half down.
      {"14.0250005", 14025001u}, {"14.02500049999", 14025000u}, {"14.0250009", 14025001u},
      {"4294.967295", 4294967295u}, {"10368.1", 10368100000u},  // microwaves past 32 bits
      {"7500000", 7500000000000u}};  // the top of the highest band
  for (const auto& [text, hz] : mhz) EXPECT_EQ(DecimalToScaledInteger(text, 6), hz) << text;
  EXPECT_EQ(DecimalToScaledInteger("3550.5", 3), 3550500u);  // kHz
  // A hertz past the limit, rounding included, and what is no plain decimal number.
  for (const char* bad : {"7500000.000001", "7500000.0000005", "99999999999999999999", "", ".",
                          "14,025", "-3.5", "+3.5", "1.2.3", " 3.5", "3.5e1", "abc"}) {
    EXPECT_FALSE(DecimalToScaledInteger(bad, 6)) << bad;
  }
}

TEST(BandAndModeNames, FollowTheHostsNames) {
  const std::pair<std::uint64_t, const char*> byFrequency[] = {
      {1800000u, "160"}, {7300000u, "40"},  {14025000u, "20"},  // upper edge included
      {29700000u, "10"}, {432100000u, "70cm"}, {13999999u, ""}, {0u, ""},
      {3400000000u, "9cm"}, {4294967296u, ""}, {10368100000u, "3cm"}, {7500000000000u, "submm"}};
  for (const auto& [hz, band] : byFrequency) EXPECT_EQ(BandForFrequency(hz).value_or(""), band) << hz;
  // ADIF BAND values in any case; Cabrillo designators from 50 MHz up.
  const std::pair<const char*, const char*> byName[] = {
      {"20m", "20"}, {"160M", "160"}, {"70CM", "70cm"}, {"20", ""}, {"11m", ""},
      {"9CM", "9cm"}, {"2.5mm", "2.5mm"}, {"SUBMM", "submm"}};
  for (const auto& [adif, band] : byName) EXPECT_EQ(BandForAdifBand(adif).value_or(""), band) << adif;
  EXPECT_EQ(BandForCabrilloDesignator("1.2g").value_or("") + BandForCabrilloDesignator("14025").value_or(""), "23cm");
  EXPECT_EQ(BandForCabrilloDesignator("10G").value_or(""), "3cm");
  EXPECT_EQ(BandLowerEdgeHz("40") + BandLowerEdgeHz("40m"), 7000000u);
  // The plug-in takes hertz in 32 bits: from 6 cm up the band alone tells the QSO's band.
  EXPECT_EQ(PluginHz(BandLowerEdgeHz("9cm")), 3300000000u);
  EXPECT_EQ(PluginHz(BandLowerEdgeHz("6cm")), 0u);

  // Anything not a contest mode keeps the log's own name, so that the plug-in refuses it.
  const std::array<const char*, 3> modes[] = {
      {"cw", "PCW", "CW"},       {"ssb", "lsb", "SSB"},      {"USB", "", "SSB"},
      {"psk", "bpsk63", "BPSK63"}, {"PSK63", "", "BPSK63"},  {"PSK", "PSK31", "PSK31"},
      {"PSK", "QPSK63", "QPSK63"}, {"PSK", "", "PSK"},       {"MFSK", "FT4", "FT4"},
      {"PSK", "PSK63", "BPSK63"}};
  for (const auto& [mode, submode, host] : modes) EXPECT_EQ(ModeForAdif(mode, submode), host) << mode;
  const std::pair<const char*, const char*> cabrillo[] = {
      {"CW", "CW"}, {"PH", "SSB"}, {"pm", "BPSK63"}, {"RY", "RTTY"}, {"DG", "DG"}};
  for (const auto& [code, host] : cabrillo) EXPECT_EQ(ModeForCabrillo(code), host) << code;
}

TEST(SerialText, GivesAtLeastThreeDigits) {
  const std::pair<const char*, const char*> serials[] = {
      {"1", "001"}, {"0017", "017"}, {"0", "000"}, {"1234", "1234"},
      {"00000000000000000000123", "123"},  // no integer overflow
      {"", "-"}, {"12a", "-"}, {"-5", "-"}};
  for (const auto& [digits, text] : serials) EXPECT_EQ(SerialText(digits).value_or("-"), text) << digits;
}

TEST(LogDates, AcceptOnlyRealDatesAndTimes) {
  platform::CalendarTime t;
  auto fields = [&t] { return std::vector<int>({t.year, t.month, t.day, t.hour, t.minute, t.second}); };
  ASSERT_TRUE(ParseAdifDate("20240229", t) && ParseAdifTime("134559", t));
  EXPECT_EQ(fields(), std::vector<int>({2024, 2, 29, 13, 45, 59}));
  ASSERT_TRUE(ParseCabrilloDate("2000-02-29", t) && ParseCabrilloTime("1935", t));
  EXPECT_EQ(fields(), std::vector<int>({2000, 2, 29, 19, 35, 0}));
  // 2100 is no leap year: centuries are not, unless by 400.
  for (const char* date : {"20230229", "21000229", "20261301", "2026126", "2026-12-06"}) {
    EXPECT_FALSE(ParseAdifDate(date, t)) << date;
  }
  for (const char* time : {"2400", "1260", "123", "12:30"}) EXPECT_FALSE(ParseAdifTime(time, t)) << time;
  EXPECT_FALSE(ParseCabrilloDate("20110414", t) || ParseCabrilloDate("2011-04-31", t) ||
               ParseCabrilloTime("193500", t));
}

TEST(Cp1251ToUtf8, ConvertsThePluginsText) {
  // Ё ё € №, the one byte without a character marked rather than dropped, and a NUL.
  using namespace std::string_literals;
  EXPECT_EQ(Cp1251ToUtf8("\xD3\xF7 \xA8\xB8\x88\xB9 a\x98z \0"s),
            "\xD0\xA3\xD1\x87 \xD0\x81\xD1\x91\xE2\x82\xAC\xE2\x84\x96 a\xEF\xBF\xBDz \0"s);
}

}  // namespace
}  // namespace logs
