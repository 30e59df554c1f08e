#include "logs/cabrillo_reader.h"

#include <gtest/gtest.h>

namespace logs {
namespace {

TEST(ReadCabrilloLog, ReadsTheHeaderAndTheQsoLinesOfAnEntryLog) {
  const QsoLog log = ReadCabrilloLog(
      "START-OF-LOG: 3.0\r\n"
      "callsign: q1abc\r\n"
      "CATEGORY-OPERATOR:   SINGLE-OP  \r\n"
      "QSO: 14025 CW 2011-04-14 1935 Q1ABC         599 001    Q2XYZ         599 017\r\n"
      "QSO:  3550 PH 2011-04-14 1940 Q1ABC 59 002 q3zz 57 0018\r\n"
      "qso: 7040 PM 2011-04-14 1945 Q1ABC 599 003 Q4AA 599 019 1\r\n"
      "X-QSO: 7040 PM 2011-04-14 1946 Q1ABC 599 004 Q4BB 599 020\r\n"
      "SOAPBOX: fine: conditions\r"
      "QSO: 144 FM 2011-04-14 1955 Q1ABC 59 006 Q4DD 59 022\n"
      "QSO: 28081.5 RY 2011-04-14 2000 Q1ABC 599 007 Q4EE 599 023\n"
      "END-OF-LOG:\r\n");
  EXPECT_EQ(log.ownCall, "Q1ABC");
  EXPECT_TRUE(log.skipped.empty() && log.warnings.empty());
  EXPECT_EQ(log.headers, (std::vector<std::pair<std::string, std::string>>{
      {"START-OF-LOG", "3.0"}, {"CALLSIGN", "q1abc"}, {"CATEGORY-OPERATOR", "SINGLE-OP"},
      {"SOAPBOX", "fine: conditions"}}));
  std::string read;  // not the X-QSO line
  for (const LogQso& qso : log.qsos) {
    read += qso.band + " " + qso.mode + " " + qso.call + " " + std::to_string(qso.freqHz) + "|";
  }
  EXPECT_EQ(read, "20 CW Q2XYZ 14025000|80 SSB Q3ZZ 3550000|40 BPSK63 Q4AA 7040000|"
                  "2 FM Q4DD 144000000|10 RTTY Q4EE 28081500|");
  const LogQso& first = log.qsos[0];
  EXPECT_EQ(first.ownCall + " " + std::to_string(first.time.hour * 100 + first.time.minute), "Q1ABC 1935");
  EXPECT_EQ(first.position.line * 100 + log.qsos[3].position.line, 409u);  // a lone CR ends a line
}

TEST(ReadCabrilloLog, ReadsEveryLayoutWithExchangesOfEqualLength) {
  const struct {
    const char* fields;  // after the date and time
    const char* read;    // rst|number call rst|number
  } cases[] = {
      {"Q1ABC 599 001 Q2XYZ 599 017", "599|001 Q2XYZ 599|017"},
      {"Q1ABC FN31 Q2XYZ FN42", "| Q2XYZ |"},                          // VHF grid
      {"Q1ABC 599 CT Q2XYZ 599 OH 1", "599|CT Q2XYZ 599|OH"},          // conventional columns
      {"Q1ABC 599 001 RAEM 599 017 12345", "599|001 RAEM 599|017"},    // whatever they hold
      {"Q1ABC 599 001 CT Q2XYZ 599 017 OH", "599|001 Q2XYZ 599|017"},  // RTTY with a state
      {"Q1ABC 599 CT 001 Q2XYZ 579 OH 017 0", "599|001 Q2XYZ 579|017"},
      {"Q1ABC 1 A 72 CT Q2XYZ 2 B 68 OH", "|1 Q2XYZ |2"},              // Sweepstakes
  };
  for (const auto& c : cases) {
    const QsoLog log =
        ReadCabrilloLog(std::string("QSO: 14025 CW 2011-04-14 1935 ") + c.fields + "\n");
    ASSERT_EQ(log.qsos.size(), 1u) << c.fields;
    const LogQso& q = log.qsos[0];
    EXPECT_EQ(q.rstSent + "|" + q.sentNumber + " " + q.call + " " + q.rstRcvd + "|" + q.rcvdNumber,
              c.read);
  }
}

TEST(ReadCabrilloLog, TabsAndNoBreakSpacesAreBlanksBetweenFields) {
  // No-break spaces in a Windows code page and in UTF-8 (pasted through a web form), tabs.
  for (const std::string blank : {"\xA0", "\xC2\xA0", "\t"}) {
    std::string text = "START-OF-LOG: 3.0\r\nCALLSIGN:_Q1ABC\r\nQSO:_ 7000_CW_2011-04-14_1935_Q1ABC__599_001 Q2XYZ 599_017_\r\n";
    for (std::size_t at; (at = text.find('_')) != std::string::npos;) text.replace(at, 1, blank);
    const QsoLog log = ReadCabrilloLog(text);
    ASSERT_EQ(log.qsos.size(), 1u) << text;
    const LogQso& q = log.qsos[0];
    EXPECT_EQ(log.ownCall + " " + std::to_string(q.freqHz) + " " + q.call + " " + q.sentNumber + " " + q.rcvdNumber,
              "Q1ABC 7000000 Q2XYZ 001 017") << text;
  }
  // A UTF-8 character whose last byte is A0 stays whole: the call is not cut.
  const QsoLog cyrillic = ReadCabrilloLog("QSO: 7000 CW 2011-04-14 1935 Q1ABC 599 001 Q2\xD0\xA0Z 599 017");
  ASSERT_EQ(cyrillic.qsos.size(), 1u);
  EXPECT_EQ(cyrillic.qsos[0].call, "Q2\xD0\xA0Z");
}

TEST(ReadCabrilloLog, SaysOnceWhatItCouldNotRead) {
  std::string text = "Dear robot, my log:\nSTART-OF-LOG: 3.0\n";
  for (int i = 0; i < 3; ++i) text += "QSO: 14025 CW 2011-04-14 1935 Q1ABC 599 001 Q2XYZ 017\n";
  text +=
      "QSO: 14o25 CW 2011-04-14 1935 Q1ABC 599 001 Q2XYZ 599 017\n"
      "QSO: 14.025 CW 2011-04-14 1935 Q1ABC 599 001 Q2XYZ 599 017\n"
      "QSO: 14025 CW 2011-02-30 1935 Q1ABC 599 001 Q2XYZ 599 017\n"
      "QSO: 14025 CW 2011-04-14 19:35 Q1ABC 599 001 Q2XYZ 599 017\n"
      "END-OF-LOG:\n"
      "START-OF-LOG: 3.0\n"
      "QSO: 21025 CW 2011-04-14 2035 Q1ABC 599 002 Q2XYZ 599 018\n";
  const QsoLog log = ReadCabrilloLog(text);
  ASSERT_EQ(log.qsos.size(), 1u);  // the joined second log is read
  EXPECT_EQ(log.qsos[0].position.line, 12u);
  std::vector<std::string> skipped;
  for (const LogNote& note : log.skipped) skipped.push_back(std::to_string(note.position.line) + " " + note.text);
  const std::vector<std::string> expected = {
      "3 QSO line skipped: its 9 fields are not 'freq mo date time call exch call exch' with exchanges "
      "of as many fields; the same in 2 more QSO lines (lines 4, 5)",
      "6 QSO line skipped: the frequency '14o25' is not a number of kHz",
      "7 QSO line skipped: the frequency 14.025 kHz lies on no amateur band",
      "8 QSO line skipped: the date '2011-02-30' is not a date (yyyy-mm-dd)",
      "9 QSO line skipped: the time '19:35' is not a time (hhmm)"};
  EXPECT_EQ(skipped, expected);
  EXPECT_EQ(SkippedCount(log), 7u);
  ASSERT_EQ(log.warnings.size(), 2u);
  EXPECT_EQ(log.warnings[0].text, "1 line before START-OF-LOG: (from line 1) is not part of the log and ignored");
  EXPECT_EQ(log.warnings[1].text,
            "1 QSO line after END-OF-LOG: (from line 12) is read too: the file holds more than one log");
}

}  // namespace
}  // namespace logs
