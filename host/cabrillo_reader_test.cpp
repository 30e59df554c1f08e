#include "host/cabrillo_reader.h"

#include <gtest/gtest.h>

namespace zelta {
namespace {

TEST(ReadCabrilloLog, ReadsTheQsoLinesOfAnEntryLog) {
  const QsoLog log = ReadCabrilloLog(
      "START-OF-LOG: 3.0\r\n"
      "CONTEST: ZELTA-CUP\r\n"
      "callsign: q1abc\r\n"
      "QSO: 14025 CW 2011-04-14 1935 Q1ABC         599 001    Q2XYZ         599 017\r\n"
      "QSO:  3550 PH 2011-04-14 1940 Q1ABC 59 002 q3zz 57 0018\r\n"
      "qso: 7040 PM 2011-04-14 1945 Q1ABC 599 003 Q4AA 599 019 1\r\n"
      "X-QSO: 7040 PM 2011-04-14 1946 Q1ABC 599 004 Q4BB 599 020\r\n"
      "QSO: 21080 RY 2011-04-14 1950 Q1ABC 599 005 Q4CC 599 021\r\n"
      "QSO: 144 FM 2011-04-14 1955 Q1ABC 59 006 Q4DD 59 022\r\n"
      "QSO: 28081.5 DG 2011-04-14 2000 Q1ABC 599 007 Q4EE 599 023\n"
      "END-OF-LOG:\r\n"
      "QSO: 14025 CW 2011-04-14 2100 Q1ABC 599 099 Q9ZZ 599 099\r\n");
  EXPECT_EQ(log.format, LogFormat::Cabrillo);
  EXPECT_EQ(log.ownCall, "Q1ABC");
  EXPECT_TRUE(log.skipped.empty());
  ASSERT_EQ(log.qsos.size(), 6u);  // X-QSO and lines after END-OF-LOG are not QSOs
  const LogQso& first = log.qsos[0];
  EXPECT_EQ(first.freqHz, 14025000u);
  EXPECT_EQ(first.band, "20");
  EXPECT_EQ(first.mode, "CW");
  EXPECT_EQ(first.time.year, 2011);
  EXPECT_EQ(first.time.hour, 19);
  EXPECT_EQ(first.time.minute, 35);
  EXPECT_EQ(first.ownCall, "Q1ABC");
  EXPECT_EQ(first.rstSent, "599");
  EXPECT_EQ(first.sentNumber, "001");
  EXPECT_EQ(first.call, "Q2XYZ");
  EXPECT_EQ(first.rstRcvd, "599");
  EXPECT_EQ(first.rcvdNumber, "017");
  EXPECT_EQ(first.position.line, 4u);
  EXPECT_EQ(log.qsos[1].mode, "SSB");
  EXPECT_EQ(log.qsos[1].band, "80");
  EXPECT_EQ(log.qsos[1].call, "Q3ZZ");
  EXPECT_EQ(log.qsos[1].rcvdNumber, "0018");
  EXPECT_EQ(log.qsos[2].mode, "BPSK63");  // with a transmitter number
  EXPECT_EQ(log.qsos[2].band, "40");
  EXPECT_EQ(log.qsos[3].mode, "RTTY");
  EXPECT_EQ(log.qsos[4].band, "2");  // a band designator
  EXPECT_EQ(log.qsos[4].freqHz, 144000000u);
  EXPECT_EQ(log.qsos[4].mode, "FM");
  EXPECT_EQ(log.qsos[5].freqHz, 28081500u);
  EXPECT_EQ(log.qsos[5].mode, "DG");
}

TEST(ReadCabrilloLog, SkipsLinesThatDoNotFitAndSaysWhy) {
  const QsoLog log = ReadCabrilloLog(
      "START-OF-LOG: 3.0\n"
      "QSO: 14025 CW 2011-04-14 1935 Q1ABC 599 001 Q2XYZ 017\n"
      "QSO: 14025 CW 2011-04-14 1935 Q1ABC 599 001 Q2XYZ 599 017 1 extra\n"
      "QSO: 14.025 CW 2011-04-14 1935 Q1ABC 599 001 Q2XYZ 599 017\n"
      "QSO: 14o25 CW 2011-04-14 1935 Q1ABC 599 001 Q2XYZ 599 017\n"
      "QSO: 14025 CW 2011-02-30 1935 Q1ABC 599 001 Q2XYZ 599 017\n"
      "QSO: 14025 CW 2011-04-14 19:35 Q1ABC 599 001 Q2XYZ 599 017\n"
      "QSO:\n"
      "QSO: 14025 CW 2011-04-14 1935 Q1ABC 599 001 Q2XYZ 599 017\n");
  ASSERT_EQ(log.qsos.size(), 1u);
  EXPECT_EQ(log.qsos[0].position.line, 9u);
  ASSERT_EQ(log.skipped.size(), 7u);
  EXPECT_EQ(log.skipped[0].position.line, 2u);
  EXPECT_EQ(log.skipped[0].text,
            "QSO line skipped: it has 9 fields, not the 10 of "
            "'freq mo date time call rst exch call rst exch'");
  EXPECT_EQ(log.skipped[1].text.find("it has 12 fields"), 18u);
  EXPECT_EQ(log.skipped[2].text, "QSO line skipped: the frequency 14.025 kHz lies on no amateur band");
  EXPECT_EQ(log.skipped[3].text, "QSO line skipped: the frequency '14o25' is not a number of kHz");
  EXPECT_EQ(log.skipped[4].text, "QSO line skipped: the date '2011-02-30' is not a date (yyyy-mm-dd)");
  EXPECT_EQ(log.skipped[5].text, "QSO line skipped: the time '19:35' is not a time (hhmm)");
  EXPECT_EQ(log.skipped[6].position.line, 8u);
  // CR-only line ends count lines too.
  const QsoLog oldMac = ReadCabrilloLog(
      "START-OF-LOG: 3.0\rCALLSIGN: Q1ABC\rQSO: 14025 CW 2011-04-14 1935 Q1ABC 599 001 Q2XYZ 599 017\r");
  ASSERT_EQ(oldMac.qsos.size(), 1u);
  EXPECT_EQ(oldMac.qsos[0].position.line, 3u);
  EXPECT_EQ(oldMac.ownCall, "Q1ABC");
}

}  // namespace
}  // namespace zelta
