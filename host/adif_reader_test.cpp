#include "host/adif_reader.h"

#include <gtest/gtest.h>

#include "host/log_reader.h"

namespace zelta {
namespace {

const char kRecord[] =
    "<CALL:5>Q2XYZ<QSO_DATE:8>20110414<TIME_ON:4>1935<FREQ:6>14.025<BAND:3>20m<MODE:2>CW"
    "<RST_SENT:3>599<RST_RCVD:3>579<STX:1>1<SRX:2>17<STATION_CALLSIGN:5>Q1ABC<EOR>\r\n";

TEST(ReadAdifLog, ReadsRecordsWithAndWithoutHeader) {
  // No header: the file starts with a tag.
  QsoLog log = ReadAdifLog(kRecord);
  ASSERT_EQ(log.qsos.size(), 1u);
  const LogQso& qso = log.qsos[0];
  EXPECT_EQ(qso.call, "Q2XYZ");
  EXPECT_EQ(qso.ownCall, "Q1ABC");
  EXPECT_EQ(log.ownCall, "Q1ABC");
  EXPECT_EQ(qso.time.year, 2011);
  EXPECT_EQ(qso.time.month, 4);
  EXPECT_EQ(qso.time.day, 14);
  EXPECT_EQ(qso.time.hour, 19);
  EXPECT_EQ(qso.time.minute, 35);
  EXPECT_EQ(qso.freqHz, 14025000u);
  EXPECT_EQ(qso.band, "20");
  EXPECT_EQ(qso.mode, "CW");
  EXPECT_EQ(qso.rstSent, "599");
  EXPECT_EQ(qso.rstRcvd, "579");
  EXPECT_EQ(qso.sentNumber, "001");
  EXPECT_EQ(qso.rcvdNumber, "017");
  EXPECT_TRUE(log.skipped.empty());
  EXPECT_TRUE(log.warnings.empty());

  // A header of free text and header fields, ended by <EOH> in any case.
  log = ReadAdifLog(std::string("Exported 2011-04-14\r\n<ADIF_VER:5>3.1.6 <PROGRAMID:4>TEST\r\n"
                                "<eoh>\r\n") + kRecord + kRecord);
  EXPECT_EQ(log.qsos.size(), 2u);
  EXPECT_TRUE(log.skipped.empty());
  // A header that begins with a tag is still a header.
  log = ReadAdifLog(std::string("<ADIF_VER:5>3.1.6<EOH>") + kRecord);
  ASSERT_EQ(log.qsos.size(), 1u);
  EXPECT_EQ(log.qsos[0].call, "Q2XYZ");
  // Free text without <EOH>: ignored up to the first tag.
  log = ReadAdifLog(std::string("Just some words\r\n") + kRecord);
  EXPECT_EQ(log.qsos.size(), 1u);
  // Header only, or nothing at all: an empty log.
  EXPECT_TRUE(ReadAdifLog("Header only <EOH>\r\n").qsos.empty());
  EXPECT_TRUE(ReadLog("").qsos.empty());
}

TEST(ReadAdifLog, AcceptsTheHabitsOfRealFiles) {
  // Lower- and mixed-case tags, a type indicator, text between fields, values
  // with '<' and '>' inside, and no <EOR> after the last record.
  QsoLog log = ReadAdifLog(
      "<call:5>q2xyz  , <Qso_Date:8:D>20261206 ; any text <time_on:6>090559\r\n<freq:4>3.55 "
      "<mode:3>ssb<submode:3>LSB<rst_sent:2>59<rst_rcvd:2>57<stx_string:3>001<srx_string:4>0017"
      "<comment:10>a<b>c <d>< <operator:5>Q1ABC<eor>"
      "<CALL:4>Q3ZZ<QSO_DATE:8>20261206<TIME_ON:4>0910<BAND:3>40M<MODE:3>PSK<SUBMODE:5>PSK63");
  ASSERT_EQ(log.qsos.size(), 2u);
  EXPECT_TRUE(log.skipped.empty());
  const LogQso& first = log.qsos[0];
  EXPECT_EQ(first.call, "Q2XYZ");  // call signs in upper case
  EXPECT_EQ(first.time.second, 59);
  EXPECT_EQ(first.freqHz, 3550000u);
  EXPECT_EQ(first.band, "80");  // from the frequency
  EXPECT_EQ(first.mode, "SSB");
  EXPECT_EQ(first.sentNumber, "001");
  EXPECT_EQ(first.rcvdNumber, "0017");  // the string form as the log has it
  EXPECT_EQ(log.ownCall, "Q1ABC");      // OPERATOR stands in for STATION_CALLSIGN
  const LogQso& second = log.qsos[1];
  EXPECT_EQ(second.band, "40");
  EXPECT_EQ(second.freqHz, 7000000u);  // band edge when only the band is known
  EXPECT_EQ(second.mode, "BPSK63");
  EXPECT_EQ(second.sentNumber, "");  // no number: the plug-in refuses it, nothing invented
  EXPECT_EQ(second.ownCall, "");
  EXPECT_EQ(second.position.line, 2u);
}

TEST(ReadAdifLog, CountsLengthsInBytesAndRetriesInUtf8Characters) {
  // "Jörg" is 4 characters and 5 bytes; writers use either count.
  const std::string byBytes = "<NAME:5>J\xC3\xB6rg<CALL:4>Q3ZZ";
  const std::string byChars = "<NAME:4>J\xC3\xB6rg<CALL:4>Q3ZZ";
  const std::string rest = "<QSO_DATE:8>20261206<TIME_ON:4>0910<BAND:3>20m<MODE:2>CW<EOR>";
  for (const std::string& head : {byBytes, byChars}) {
    const QsoLog log = ReadAdifLog(head + rest);
    ASSERT_EQ(log.qsos.size(), 1u) << head;
    EXPECT_EQ(log.qsos[0].call, "Q3ZZ") << head;
    EXPECT_TRUE(log.warnings.empty()) << head;
  }
  // Text glued to a value means its length is wrong: the value is not cut short.
  const QsoLog glued = ReadAdifLog("<CALL:4>Q3ZZX" + rest);
  EXPECT_TRUE(glued.qsos.empty());
  EXPECT_EQ(glued.skipped.size(), 1u);
  // A multi-byte value of a field the host uses, counted in characters.
  const QsoLog log = ReadAdifLog("<CALL:4>Q3\xC3\x96Z" + rest);
  ASSERT_EQ(log.qsos.size(), 1u);
  EXPECT_EQ(log.qsos[0].call, "Q3\xC3\x96Z");

  // Neither count ends at a field boundary: an unused field is dropped with a
  // warning, a used one makes the record skipped.
  QsoLog dropped = ReadAdifLog("<CALL:4>Q3ZZ<NAME:3>Jörg" + rest);
  ASSERT_EQ(dropped.qsos.size(), 1u);
  ASSERT_EQ(dropped.warnings.size(), 1u);
  EXPECT_NE(dropped.warnings[0].text.find("field NAME"), std::string::npos);
  QsoLog skipped = ReadAdifLog("<CALL:3>Q3ZZ" + rest);
  EXPECT_TRUE(skipped.qsos.empty());
  ASSERT_EQ(skipped.skipped.size(), 1u);
  EXPECT_NE(skipped.skipped[0].text.find("field CALL"), std::string::npos);
}

TEST(ReadAdifLog, SkipsRecordsThatCannotBecomeAQsoAndSaysWhy) {
  const std::string good = kRecord;
  struct Case {
    std::string record;
    std::string reason;
  };
  const Case cases[] = {
      {"<QSO_DATE:8>20110414<TIME_ON:4>1935<BAND:3>20m<MODE:2>CW<EOR>", "record 2 skipped: no CALL"},
      {"<CALL:0><QSO_DATE:8>20110414<TIME_ON:4>1935<BAND:3>20m<MODE:2>CW<EOR>",
       "record 2 skipped: no CALL"},
      {"<CALL:4>Q3ZZ<TIME_ON:4>1935<BAND:3>20m<MODE:2>CW<EOR>", "record 2 (Q3ZZ) skipped: no QSO_DATE"},
      {"<CALL:4>Q3ZZ<QSO_DATE:8>20110431<TIME_ON:4>1935<BAND:3>20m<MODE:2>CW<EOR>",
       "record 2 (Q3ZZ) skipped: QSO_DATE '20110431' is not a date (YYYYMMDD)"},
      {"<CALL:4>Q3ZZ<QSO_DATE:8>20110414<TIME_ON:4>2460<BAND:3>20m<MODE:2>CW<EOR>",
       "record 2 (Q3ZZ) skipped: TIME_ON '2460' is not a time (HHMM or HHMMSS)"},
      {"<CALL:4>Q3ZZ<QSO_DATE:8>20110414<TIME_ON:4>1935<BAND:3>20m<EOR>",
       "record 2 (Q3ZZ) skipped: no MODE"},
      {"<CALL:4>Q3ZZ<QSO_DATE:8>20110414<TIME_ON:4>1935<MODE:2>CW<EOR>",
       "record 2 (Q3ZZ) skipped: neither FREQ nor BAND"},
      {"<CALL:4>Q3ZZ<QSO_DATE:8>20110414<TIME_ON:4>1935<FREQ:6>14,025<MODE:2>CW<EOR>",
       "record 2 (Q3ZZ) skipped: FREQ '14,025' is not a frequency in MHz"},
      {"<CALL:4>Q3ZZ<QSO_DATE:8>20110414<TIME_ON:4>1935<FREQ:4>13.5<MODE:2>CW<EOR>",
       "record 2 (Q3ZZ) skipped: FREQ '13.5' lies on no amateur band and there is no BAND"},
      {"<CALL:4>Q3ZZ<QSO_DATE:8>20110414<TIME_ON:4>1935<BAND:3>11m<MODE:2>CW<EOR>",
       "record 2 (Q3ZZ) skipped: BAND '11m' is not a band"},
      {"<CALL:4>Q3ZZ<QSO_DATE:8>20110414<TIME_ON:4>1935<BAND:3>20m<MODE:2>CW<SRX:3>1x7<EOR>",
       "record 2 (Q3ZZ) skipped: SRX '1x7' is not a number"},
  };
  for (const Case& c : cases) {
    // The good records around the bad one still count.
    const QsoLog log = ReadAdifLog(good + c.record + "\r\n" + good);
    EXPECT_EQ(log.qsos.size(), 2u) << c.record;
    ASSERT_EQ(log.skipped.size(), 1u) << c.record;
    EXPECT_EQ(log.skipped[0].text, c.reason);
    EXPECT_EQ(log.skipped[0].position.line, 2u) << c.record;
    EXPECT_EQ(log.skipped[0].position.offset, good.size()) << c.record;
  }
  // A FREQ off the given BAND: the BAND is used and the record kept with a remark.
  const QsoLog mismatch = ReadAdifLog(
      "<CALL:4>Q3ZZ<QSO_DATE:8>20110414<TIME_ON:4>1935<FREQ:5>7.025<BAND:3>20m<MODE:2>CW<EOR>");
  ASSERT_EQ(mismatch.qsos.size(), 1u);
  EXPECT_EQ(mismatch.qsos[0].band, "20");
  EXPECT_EQ(mismatch.qsos[0].freqHz, 7025000u);
  EXPECT_EQ(mismatch.warnings.size(), 1u);
  // Empty records (<EOR><EOR>) are nothing at all.
  EXPECT_TRUE(ReadAdifLog("<EOR><eor>").skipped.empty());
}

TEST(ReadAdifLog, RefusesABrokenStructureNamingThePlace) {
  struct Case {
    std::string tail;
    std::string error;
  };
  const Case cases[] = {
      {"<CALL:4 Q3ZZ", "a tag is not closed by '>'"},
      {"<CALL:4<QSO_DATE:8>20110414", "a tag is not closed by '>'"},
      {"<CALL:x4>Q3ZZ", "field CALL: the length 'x4' is not a number"},
      {"<CALL:-4>Q3ZZ", "field CALL: the length '-4' is not a number"},
      {"<CALL:12>Q3ZZ", "field CALL: the length 12 runs past the end of the file"},
      {"<:4>Q3ZZ", "a tag has no field name"},
  };
  const std::string good = kRecord;
  for (const Case& c : cases) {
    try {
      ReadAdifLog(good + "\r\n" + c.tail);
      ADD_FAILURE() << "not refused: " << c.tail;
    } catch (const LogRefused& refused) {
      EXPECT_EQ(std::string(refused.what()), c.error);
      EXPECT_EQ(refused.Position().offset, good.size() + 2) << c.tail;
      EXPECT_EQ(refused.Position().line, 3u) << c.tail;
    }
  }
  // A tag without a length carries no data.
  const QsoLog lenient = ReadAdifLog(
      "<COMMENT><CALL:4>Q3ZZ<QSO_DATE:8>20110414<TIME_ON:4>1935<BAND:3>20m<MODE:2>CW<EOR>");
  EXPECT_EQ(lenient.qsos.size(), 1u);
}

TEST(ReadLog, RecognisesTheFormatByContent) {
  EXPECT_EQ(ReadLog(kRecord).format, LogFormat::Adif);
  EXPECT_EQ(ReadLog("\xEF\xBB\xBF" + std::string(kRecord)).qsos.size(), 1u);  // byte order mark
  EXPECT_EQ(ReadLog("\r\n  start-of-log: 3.0\r\nEND-OF-LOG:\r\n").format, LogFormat::Cabrillo);
  EXPECT_EQ(ReadLog("QSO: 14025 CW 2011-04-14 1935 Q1ABC 599 001 Q2XYZ 599 017\n").format,
            LogFormat::Cabrillo);
  EXPECT_THROW(ReadLog("CALL,DATE,TIME\nQ2XYZ,20110414,1935\n"), LogRefused);
  EXPECT_THROW(ReadLog(std::string("\x7F" "ELF\x01\x01", 6)), LogRefused);
}

}  // namespace
}  // namespace zelta
