#include "stats/cabrillo_export/cabrillo_log.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <utility>

#include "tests/support/test_support.h"

namespace stats {

using testing_support::MakeDate;
using testing_support::ReadFileBytes;

namespace {

const COleDateTime when = MakeDate(2011, 4, 14, 19, 35);

std::string Line(const std::string& call, std::int32_t freqKhz, const COleDateTime& time) {
  return FormatQsoLine("Q1ABC", call, freqKhz, "CW", time, "599", "001", "599", "017");
}

EntrantDetails Details() {
  return {.callsign = "Q1ABC", .contest = "OTHER-NAME", .operators = "Q1ABC", .categoryOperator = "SINGLE-OP",
          .categoryBand = "ALL", .categoryMode = "SSB", .categoryPower = "HIGH", .fileStem = "Q1ABC"};
}

// The log of Details() with an empty claimed score and no QSO: `tail` goes
// after the sixteen header lines.
std::string PlainLog(const std::string& tail = "") {
  const std::string log = CabrilloLogText(Details(), "", "");
  return log.substr(0, log.find("END-OF-LOG:")) + tail + "END-OF-LOG:\r\n";
}

}  // namespace

TEST(FormatQsoLine, FillsTheConventionalColumns) {
  COleDateTime none;
  none.status = COleDateTime::kNull;
  const std::pair<std::string, std::string> cases[] = {
      {Line("Q2XYZ", 14025, when),
       "QSO: 14025 CW 2011-04-14 1935 Q1ABC         599 001    Q2XYZ         599 017\r\n"},
      // A value longer than its column is written whole and moves the rest.
      {Line("Q2XYZ", 144300, when).substr(0, 17), "QSO: 144300 CW 20"},
      {Line("Q2XYZ/MM/ABCDEF", 14025, when).substr(55), "Q2XYZ/MM/ABCDEF 599 017\r\n"},
      // Short texts are padded, a one-letter mode code right-aligned; an empty call keeps its column.
      {FormatQsoLine("Q", "", 1, "X", MakeDate(2011, 4, 14), "5", "1", "9", "2"),
       "QSO:     1  X 2011-04-14 0000 Q             5   1                    9   2\r\n"},
      {Line("Q2XYZ", 14025, none).substr(0, 20), "QSO: 14025 CW  Q1ABC"},  // no date
  };
  for (const auto& [line, expected] : cases) EXPECT_EQ(line, expected);

  EntrantDetails details = Details();
  details.callsign = "Q9NEW";
  AddQsoLine(details, "Q2XYZ", 7010, "PH", when, "59", "002", "57", "0123");
  EXPECT_EQ(details.qsoLines, std::vector<std::string>{
      "QSO:  7010 PH 2011-04-14 1935 Q9NEW         59  002    Q2XYZ         57  0123\r\n"});
}

TEST(CabrilloLogText, WritesHeaderExtraLinesAndQsos) {
  EntrantDetails details = Details();
  details.location = "DX", details.club = "Radio Club", details.email = "a@b.org", details.name = "Anna";
  // A lone LF is dropped, a lone CR starts a tagged line, as does each CR LF.
  details.address = "Main St 1\r\nLV-1001\n Riga\rLatvia";
  details.soapbox = "Fine\r\nday\r\n";
  details.qsoLines = {"QSO: one\r\n", "QSO: two\r\n"};
  EXPECT_EQ(CabrilloLogText(details, "120", "X-EXTRA: 1\r\n"),
            "START-OF-LOG: 3.0\r\nCONTEST: ZELTA-CUP\r\nCALLSIGN: Q1ABC\r\n"
            "CATEGORY-OPERATOR: SINGLE-OP\r\nCATEGORY-BAND: ALL\r\nCATEGORY-MODE: SSB\r\n"
            "CATEGORY-POWER: HIGH\r\nLOCATION: DX\r\nCLAIMED-SCORE: 120\r\nCLUB: Radio Club\r\n"
            "CREATED-BY: Orvo \r\nEMAIL: a@b.org\r\nNAME: Anna\r\n"
            "ADDRESS: Main St 1\r\nADDRESS: LV-1001 Riga\r\nADDRESS: Latvia\r\nOPERATORS: Q1ABC\r\n"
            "SOAPBOX: Fine\r\nSOAPBOX: day\r\nSOAPBOX: \r\n"
            "X-EXTRA: 1\r\nQSO: one\r\nQSO: two\r\nEND-OF-LOG:\r\n");

  // The extra header goes as bytes (LF-only lines, a NUL, high bytes); without a
  // final line end the next line would be glued to its last line.
  const std::string raw("X-A: 1\nX-B: \xD3\xF7\0z\n", 17);
  EXPECT_EQ(CabrilloLogText(Details(), "", raw), PlainLog(raw));
  EXPECT_EQ(CabrilloLogText(Details(), "", "X-A: 1"), PlainLog("X-A: 1\r\n"));
  EXPECT_EQ(CabrilloLogText(Details(), "", "X-A: 1\r"), PlainLog("X-A: 1\r\r\n"));
}

TEST(WriteCabrilloLog, WritesTheLogWholeOrNotAtAll) {
  testing_support::ScopedWorkDir dir;
  EntrantDetails details = Details();
  details.fileStem = "Q1ABC_P";
  AddQsoLine(details, "Q2XYZ", 14025, "CW", when, "599", "001", "599", "017");
  EXPECT_EQ(WriteCabrilloLog(details, ""), "File produced: Q1ABC_P.cbr");
  EXPECT_TRUE(details.qsoLines.empty()) << "the lines belong to one log only";
  EXPECT_EQ(ReadFileBytes("Q1ABC_P.cbr"), PlainLog(Line("Q2XYZ", 14025, when)));
  EXPECT_TRUE(std::filesystem::exists("cabrillo.ini") && std::filesystem::is_empty("cabrillo.ini"));

  // The next log replaces the file and copies the extra header file unchanged.
  testing_support::WriteFileBytes("cabrillo.ini", "X-Q: 1");
  EXPECT_EQ(WriteCabrilloLog(details, ""), "File produced: Q1ABC_P.cbr");
  EXPECT_EQ(ReadFileBytes("Q1ABC_P.cbr"), PlainLog("X-Q: 1\r\n"));
  EXPECT_EQ(ReadFileBytes("cabrillo.ini"), "X-Q: 1");

  // The temporary file cannot be created: its folder is missing.
  details.fileStem = "gone/Q1ABC";
  AddQsoLine(details, "Q2XYZ", 14025, "CW", MakeDate(2011, 4, 14), "599", "001", "599", "017");
  EXPECT_EQ(WriteCabrilloLog(details, "6"), "File not produced: gone/Q1ABC.cbr");
  EXPECT_TRUE(details.qsoLines.empty());

  // The finished file cannot take the place of the log.
  details.fileStem = "Q2DEF";
  std::filesystem::create_directory("Q2DEF.cbr");
  EXPECT_EQ(WriteCabrilloLog(details, "6"), "File not produced: Q2DEF.cbr");
  EXPECT_TRUE(std::filesystem::is_directory("Q2DEF.cbr"));
  for (const auto& entry : std::filesystem::directory_iterator(".")) {
    EXPECT_NE(entry.path().extension(), ".tmp") << "no temporary file is left";
  }
}

}  // namespace stats
