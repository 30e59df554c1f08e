#include "logs/adif_reader.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "logs/log_reader.h"

namespace logs {
namespace {

const std::string kRecord =
    "<CALL:5>Q2XYZ<QSO_DATE:8>20110414<TIME_ON:4>1935<FREQ:6>14.025<BAND:3>20m<MODE:2>CW"
    "<RST_SENT:3>599<RST_RCVD:3>579<STX:1>1<SRX:2>17<STATION_CALLSIGN:5>Q1ABC<EOR>\r\n";
const std::string kRest = "<QSO_DATE:8>20261206<TIME_ON:4>0910<BAND:3>20m<MODE:2>CW<EOR>";
const std::string kRestNoEor = kRest.substr(0, kRest.size() - 5);

TEST(ReadAdifLog, ReadsRecordsAsRealFilesWriteThem) {
  // A header of free text or of fields, ended by <EOH> in any case; free text
  // without <EOH>; an end-of-file marker after the last record.
  QsoLog log;
  for (const std::string& head : {"Exported\r\n<ADIF_VER:5>3.1.6 <PROGRAMID:4>TEST\r\n<eoh>\r\n",
                                  "<ADIF_VER:5>3.1.6<EOH>", "Just some words\r\n"}) {
    log = ReadAdifLog(head + kRecord + kRecord + "<APP_LoTW_EOF>\r\n<EOF>");
    EXPECT_EQ(log.qsos.size(), 2u) << head;
    EXPECT_TRUE(log.skipped.empty() && log.warnings.empty() && log.headers.empty()) << head;
  }
  EXPECT_TRUE(ReadAdifLog("Header only <EOH>\r\n").qsos.empty());
  EXPECT_TRUE(ReadAdifLog("<EOR><eor>").skipped.empty());

  // A type indicator, text between fields, values with '<' and '>' inside, the
  // string form of a number as it stands, and no <EOR> after the last record.
  log = ReadAdifLog(
      "<call:5>q2xyz  , <Qso_Date:8:D>20261206 ; any text <time_on:6>090559\r\n<freq:4>3.55 "
      "<mode:3>ssb<submode:3>LSB<rst_sent:2>59<rst_rcvd:2>57<stx_string:3>001<srx_string:4>0017"
      "<comment:10>a<b>c <d>< <operator:5>Q1ABC<eor>"
      "<CALL:4>Q3ZZ<QSO_DATE:8>20261206<TIME_ON:4>0910<BAND:3>40M<MODE:3>PSK<SUBMODE:5>PSK63");
  ASSERT_EQ(log.qsos.size(), 2u);
  EXPECT_TRUE(log.skipped.empty());
  const LogQso& first = log.qsos[0];
  EXPECT_EQ(first.call + "|" + first.mode + "|" + first.band + "|" + first.rcvdNumber, "Q2XYZ|SSB|80|0017");
  EXPECT_EQ(log.ownCall, "Q1ABC");  // OPERATOR stands in for STATION_CALLSIGN
  const LogQso& second = log.qsos[1];
  EXPECT_EQ(second.mode + "|" + second.sentNumber + "|" + second.ownCall, "BPSK63||");
  EXPECT_EQ(second.position.line, 2u);

  // Lengths in bytes or in UTF-8 characters ("Jörg" is 4 characters, 5 bytes).
  for (const std::string& head : {"<NAME:5>J\xC3\xB6rg<CALL:4>Q3ZZ", "<NAME:4>J\xC3\xB6rg<CALL:4>Q3ZZ",
                                  "<CALL:4>Q3\xC3\x96Z"}) {
    log = ReadAdifLog(head + kRest);
    ASSERT_EQ(log.qsos.size(), 1u) << head;
    EXPECT_TRUE(log.warnings.empty()) << head;
  }
}

TEST(ReadAdifLog, WarnsOnceForLengthsPastTheValueAndFrequenciesOffTheBand) {
  // Lengths 7 and 9 for values of 4 and 3, each followed by a blank and the next tag.
  QsoLog log = ReadAdifLog("<CALL:7>Q3ZZ <QSO_DATE:8>20261206 <TIME_ON:4>0910 <STX:9>001 "
                           "<BAND:3>20m <MODE:2>CW <EOR>\r\n<CALL:9>Q4AA <MODE:2>CW <BAND:3>20m "
                           "<QSO_DATE:8>20261206 <TIME_ON:4>0911 <EOR>");
  ASSERT_EQ(log.qsos.size(), 2u);
  EXPECT_EQ(log.qsos[0].call + log.qsos[0].sentNumber + log.qsos[1].call, "Q3ZZ001Q4AA");
  ASSERT_EQ(log.warnings.size(), 1u);
  EXPECT_EQ(log.warnings[0].count, 3u);
  EXPECT_THAT(log.warnings[0].text, testing::HasSubstr("the same in 2 more fields (lines 1, 2)"));

  // A valid BAND wins over a FREQ that is no frequency or lies off that band.
  log = ReadAdifLog("<CALL:4>Q3ZZ<FREQ:6>14,250<BAND:3>20m" + kRest + "\n<CALL:4>Q3ZY<FREQ:5>7.025<BAND:3>20M" +
                    kRest + "\n<CALL:4>Q3ZX<FREQ:12>10368.100.00<BAND:3>20m" + kRest);
  ASSERT_EQ(log.qsos.size(), 3u);
  for (const LogQso& qso : log.qsos) EXPECT_EQ(qso.freqHz, 14000000u) << qso.call;
  ASSERT_EQ(log.warnings.size(), 1u);
  EXPECT_EQ(log.warnings[0].text,
            "record 1 (Q3ZZ): FREQ '14,250' is not a frequency in MHz; the BAND is used, at its "
            "lower edge; the same in 2 more records (lines 2, 3)");

  // Microwaves: the band is named from the frequency or the BAND; hertz that do not
  // fit the plug-in's 32 bits go over as 0.
  const std::string rest = "<QSO_DATE:8>20261206<TIME_ON:4>0910<MODE:2>CW<EOR>\n";
  log = ReadAdifLog("<CALL:4>Q3ZZ<FREQ:7>10368.1" + rest + "<CALL:4>Q3ZY<BAND:3>9CM" + rest +
                    "<CALL:4>Q3ZX<FREQ:6>241000<BAND:3>1mm" + rest);
  ASSERT_EQ(log.qsos.size(), 3u);
  EXPECT_EQ(log.qsos[0].band + log.qsos[1].band + log.qsos[2].band, "3cm9cm1mm");
  EXPECT_EQ(log.qsos[0].freqHz + log.qsos[1].freqHz + log.qsos[2].freqHz, 3300000000u);
  EXPECT_TRUE(log.warnings.empty());
}

TEST(ReadAdifLog, SkipsWhatCannotBeReadAndSaysWhatItCost) {
  const std::string head = "<CALL:4>Q3ZZ<QSO_DATE:8>20110414<TIME_ON:4>";
  const struct {
    std::string bad;   // stands between two good records
    std::size_t lost;  // records the notes account for
    std::string note;  // part of the first skipped note
  } cases[] = {
      {"<QSO_DATE:8>20110414<TIME_ON:4>1935<BAND:3>20m<MODE:2>CW<EOR>", 1, "record 2 skipped: no CALL"},
      {"<CALL:4>Q3ZZ<TIME_ON:4>1935<BAND:3>20m<MODE:2>CW<EOR>", 1, "(Q3ZZ) skipped: no QSO_DATE"},
      {"<CALL:4>Q3ZZ<QSO_DATE:8>20110431" + kRest.substr(20), 1, "QSO_DATE '20110431' is not a date"},
      {head + "2460<BAND:3>20m<MODE:2>CW<EOR>", 1, "TIME_ON '2460' is not a time"},
      {head + "1935<BAND:3>20m<EOR>", 1, "no MODE"},
      {head + "1935<MODE:2>CW<EOR>", 1, "neither FREQ nor BAND"},
      {head + "1935<FREQ:6>14,025<MODE:2>CW<EOR>", 1, "FREQ '14,025' is not a frequency in MHz and there is no BAND"},
      {head + "1935<BAND:3>11m<MODE:2>CW<EOR>", 1, "BAND '11m' is not a band"},
      {head + "1935<BAND:3>20m<MODE:2>CW<SRX:3>1x7<EOR>", 1, "SRX '1x7' is not a number"},
      {"<CALL:3>Q3ZZ" + kRest, 1, "field CALL at line 2: its length 3 does not end"},
      // Two records run into one: neither can be told apart.
      {"<CALL:4>Q3ZZ" + kRestNoEor + "<CALL:4>Q4AA" + kRest, 2,
       "it holds two different CALL values, an <EOR> is missing; 2 records lost"},
      // Damaged tags cost their record; reading goes on after the next <EOR>.
      {"<CALL:4 Q3ZZ" + kRest, 1, "damaged: a tag is not closed by '>'; 1 record lost, reading goes on after the <EOR> on line 2"},
      {"<:4>Q3ZZ" + kRest, 1, "damaged: a tag has no field name"},
  };
  for (const auto& c : cases) {
    const QsoLog log = ReadAdifLog(kRecord + c.bad + "\r\n" + kRecord);
    EXPECT_EQ(log.qsos.size(), 2u) << c.bad;
    EXPECT_EQ(SkippedCount(log), c.lost) << c.bad;
    ASSERT_FALSE(log.skipped.empty()) << c.bad;
    EXPECT_THAT(log.skipped[0].text, testing::HasSubstr(c.note));
    EXPECT_EQ(log.skipped[0].position.line, 2u) << c.bad;
    EXPECT_GE(log.skipped[0].position.offset, kRecord.size()) << c.bad;
  }
  // A length past the end of the file: that record is lost, those before it kept.
  const QsoLog cut = ReadAdifLog(kRecord + "<CALL:4>Q3ZZ<NOTES:999>cut off");
  EXPECT_EQ(cut.qsos.size(), 1u);
  ASSERT_EQ(cut.skipped.size(), 1u);
  EXPECT_EQ(cut.skipped[0].text, "damaged: field NOTES: the length 999 runs past the end of the file; "
                                 "1 record lost, the rest of the file is not read");
  // A file without record ends says so, once.
  const QsoLog noEnds = ReadAdifLog("<CALL:4>Q3ZZ" + kRestNoEor + "\n<CALL:4>Q4AA" + kRestNoEor + "\n<CALL:4>Q5BB");
  ASSERT_EQ(noEnds.skipped.size(), 1u);
  EXPECT_EQ(noEnds.skipped[0].count, 3u);
  EXPECT_THAT(noEnds.skipped[0].text, testing::HasSubstr("the file has no record ends (<EOR>)"));
  // The same problem in many records is one note that names the first lines.
  std::string many;
  for (int i = 0; i < 12; ++i) many += "<CALL:4>Q3ZZ<QSO_DATE:8>20261206<TIME_ON:4>0910<MODE:2>CW<EOR>\n";
  EXPECT_THAT(ReadAdifLog(many).skipped.at(0).text,
              testing::EndsWith("the same in 11 more records (lines 2, 3, 4, 5, 6, 7, 8, 9, ...)"));
}

TEST(ReadLog, RecognisesTheFormatAndTheEncodingByContent) {
  const std::string cabrillo =
      "START-OF-LOG: 3.0\r\nCALLSIGN: Q1ABC\r\nQSO: 14025 CW 2011-04-14 1935 Q1ABC 599 001 Q2XYZ 599 017\r\n";
  auto utf16 = [](const std::string& text, bool little, bool mark) {
    std::string out = mark ? (little ? "\xFF\xFE" : "\xFE\xFF") : "";
    for (char c : text) out += little ? std::string{c, '\0'} : std::string{'\0', c};
    return out;
  };
  const struct {
    std::string bytes;
    LogFormat format;
    std::size_t qsoOffset;  // of the first QSO in the file
  } cases[] = {
      {kRecord, LogFormat::kAdif, 0},
      {"\xEF\xBB\xBF" + kRecord, LogFormat::kAdif, 3},
      {"Subject: my log\r\n<p>form</p>\r\n" + cabrillo, LogFormat::kCabrillo, 30 + 36},
      {"QSO: 14025 CW 2011-04-14 1935 Q1ABC 599 001 Q2XYZ 599 017\n", LogFormat::kCabrillo, 0},
      {utf16(kRecord, true, true), LogFormat::kAdif, 2},
      {utf16(kRecord, false, false), LogFormat::kAdif, 0},
      {utf16(cabrillo, true, false), LogFormat::kCabrillo, 2 * 36},
  };
  for (const auto& c : cases) {
    const QsoLog log = ReadLog(c.bytes);
    EXPECT_EQ(log.format, c.format) << c.bytes;
    ASSERT_EQ(log.qsos.size(), 1u) << c.bytes;
    EXPECT_EQ(log.qsos[0].call, "Q2XYZ");
    EXPECT_EQ(log.qsos[0].position.offset, c.qsoOffset) << c.bytes;
  }
  for (const char* nothing : {"", "\xFF\xFE", "\xEF\xBB\xBF"}) EXPECT_TRUE(ReadLog(nothing).qsos.empty());
  EXPECT_THROW(ReadLog("CALL,DATE,TIME\nQ2XYZ,20110414,1935\n"), LogRefused);
  EXPECT_THROW(ReadLog(std::string("\x7F" "ELF\x01\x01", 6)), LogRefused);
}

}  // namespace
}  // namespace logs
