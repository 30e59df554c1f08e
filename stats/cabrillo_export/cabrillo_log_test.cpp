#include "stats/cabrillo_export/cabrillo_log.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/test_support.h"

namespace stats {

using testing_support::MakeDate;
using testing_support::ReadFileBytes;
using testing_support::ScopedWorkDir;
using testing_support::WriteFileBytes;

namespace {

std::string Line(const std::string& call, std::int32_t freqKhz, const COleDateTime& time,
                 const std::string& sentCall = "Q1ABC") {
  return FormatQsoLine(sentCall, call, freqKhz, "CW", time, "599", "001", "599", "017");
}

EntrantDetails Details() {
  EntrantDetails details;
  details.callsign = "Q1ABC";
  details.fileStem = "Q1ABC";
  details.operators = "Q1ABC";
  details.contest = "OTHER-NAME";
  details.categoryOperator = "SINGLE-OP";
  details.categoryBand = "ALL";
  details.categoryMode = "SSB";
  details.categoryPower = "HIGH";
  return details;
}

// The sixteen header lines of Details() with an empty claimed score.
constexpr char kPlainHeader[] =
    "START-OF-LOG: 3.0\r\n"
    "CONTEST: ZELTA-CUP\r\n"
    "CALLSIGN: Q1ABC\r\n"
    "CATEGORY-OPERATOR: SINGLE-OP\r\n"
    "CATEGORY-BAND: ALL\r\n"
    "CATEGORY-MODE: SSB\r\n"
    "CATEGORY-POWER: HIGH\r\n"
    "LOCATION: \r\n"
    "CLAIMED-SCORE: \r\n"
    "CLUB: \r\n"
    "CREATED-BY: Orvo \r\n"
    "EMAIL: \r\n"
    "NAME: \r\n"
    "ADDRESS: \r\n"
    "OPERATORS: Q1ABC\r\n"
    "SOAPBOX: \r\n";

}  // namespace

TEST(FormatQsoLine, FillsTheConventionalColumns) {
  const COleDateTime when = MakeDate(2011, 4, 14, 19, 35);
  COleDateTime none;
  none.status = COleDateTime::kNull;
  const struct {
    std::string line;
    std::string expected;
  } cases[] = {
      {Line("Q2XYZ", 14025, when),
       "QSO: 14025 CW 2011-04-14 1935 Q1ABC         599 001    Q2XYZ         599 017\r\n"},
      // Four digits are right-aligned; six digits take six places.
      {Line("Q2XYZ", 3550, when).substr(0, 16), "QSO:  3550 CW 20"},
      {Line("Q2XYZ", 144300, when).substr(0, 17), "QSO: 144300 CW 20"},
      // A call longer than its column is written whole and moves the rest.
      {Line("Q2XYZ/MM/ABCDEF", 14025, when).substr(55), "Q2XYZ/MM/ABCDEF 599 017\r\n"},
      // Short texts are padded, a one-letter mode code right-aligned; an empty call keeps its column.
      {FormatQsoLine("Q", "", 1, "X", MakeDate(2011, 4, 14), "5", "1", "9", "2"),
       "QSO:     1  X 2011-04-14 0000 Q             5   1                    9   2\r\n"},
      {FormatQsoLine("Q9NEW", "Q2XYZ", 7010, "PH", when, "59", "002", "57", "0123"),
       "QSO:  7010 PH 2011-04-14 1935 Q9NEW         59  002    Q2XYZ         57  0123\r\n"},
      // A null time leaves the date column empty.
      {Line("Q2XYZ", 14025, none).substr(0, 20), "QSO: 14025 CW  Q1ABC"},
  };
  for (const auto& c : cases) EXPECT_EQ(c.line, c.expected);

  // AddQsoLine writes the call sign of the details.
  EntrantDetails details = Details();
  details.callsign = "Q9NEW";
  AddQsoLine(details, "Q2XYZ", 7010, "PH", when, "59", "002", "57", "0123");
  EXPECT_EQ(details.qsoLines, std::vector<std::string>{cases[5].expected});
}

TEST(CabrilloLogText, WritesHeaderExtraLinesAndQsos) {
  EntrantDetails details = Details();
  EXPECT_EQ(CabrilloLogText(details, "", ""), std::string(kPlainHeader) + "END-OF-LOG:\r\n");

  details.location = "DX";
  details.club = "Radio Club";
  details.email = "a@b.org";
  details.name = "Anna";
  details.address = "Main St 1\r\nLV-1001 Riga";
  details.soapbox = "Fine\r\nday\r\n";
  details.qsoLines = {"QSO: one\r\n", "QSO: two\r\n"};
  EXPECT_EQ(CabrilloLogText(details, "120", "X-EXTRA: 1\r\n"),
            "START-OF-LOG: 3.0\r\n"
            "CONTEST: ZELTA-CUP\r\n"
            "CALLSIGN: Q1ABC\r\n"
            "CATEGORY-OPERATOR: SINGLE-OP\r\n"
            "CATEGORY-BAND: ALL\r\n"
            "CATEGORY-MODE: SSB\r\n"
            "CATEGORY-POWER: HIGH\r\n"
            "LOCATION: DX\r\n"
            "CLAIMED-SCORE: 120\r\n"
            "CLUB: Radio Club\r\n"
            "CREATED-BY: Orvo \r\n"
            "EMAIL: a@b.org\r\n"
            "NAME: Anna\r\n"
            "ADDRESS: Main St 1\r\n"
            "ADDRESS: LV-1001 Riga\r\n"
            "OPERATORS: Q1ABC\r\n"
            "SOAPBOX: Fine\r\n"
            "SOAPBOX: day\r\n"
            "SOAPBOX: \r\n"
            "X-EXTRA: 1\r\n"
            "QSO: one\r\n"
            "QSO: two\r\n"
            "END-OF-LOG:\r\n");
}

TEST(CabrilloLogText, KeepsExtraHeaderBytesAndEndsItsLastLine) {
  const EntrantDetails details = Details();
  const std::string end = "END-OF-LOG:\r\n";
  // Copied as bytes: LF-only lines, a NUL and high bytes stay as they are.
  const std::string raw("X-A: 1\nX-B: \xD3\xF7\0z\n", 17);
  EXPECT_EQ(CabrilloLogText(details, "", raw), kPlainHeader + raw + end);
  // Without a final line end the next line would be glued to the last header line.
  EXPECT_EQ(CabrilloLogText(details, "", "X-A: 1"), kPlainHeader + std::string("X-A: 1\r\n") + end);
  EXPECT_EQ(CabrilloLogText(details, "", "X-A: 1\r"),
            kPlainHeader + std::string("X-A: 1\r\r\n") + end);
}

TEST(CabrilloLogText, WritesLineBreaksOfAddressAsTaggedLines) {
  EntrantDetails details = Details();
  // A lone LF is dropped, a lone CR starts a tagged line; typed tokens were
  // decoded at load, so they arrive here as breaks.
  details.address = "a\nb\rc";
  details.soapbox = "<CR>kept";
  const std::string log = CabrilloLogText(details, "", "");
  EXPECT_NE(log.find("ADDRESS: ab\r\nADDRESS: c\r\nOPERATORS"), std::string::npos) << log;
  EXPECT_NE(log.find("SOAPBOX: \r\nSOAPBOX: kept\r\n"), std::string::npos) << log;
}

TEST(WriteCabrilloLog, WritesTheLogAndCreatesTheExtraHeaderFile) {
  ScopedWorkDir dir;
  EntrantDetails details = Details();
  details.fileStem = "Q1ABC_P";
  AddQsoLine(details, "Q2XYZ", 14025, "CW", MakeDate(2011, 4, 14, 19, 35), "599", "001", "599",
             "017");
  EXPECT_EQ(WriteCabrilloLog(details, "6"), "File produced: Q1ABC_P.cbr");
  EXPECT_TRUE(details.qsoLines.empty()) << "the lines belong to one log only";
  ASSERT_TRUE(std::filesystem::exists("cabrillo.ini"));
  EXPECT_EQ(std::filesystem::file_size("cabrillo.ini"), 0u);
  std::string expected = kPlainHeader;
  expected.replace(expected.find("CLAIMED-SCORE: "), 15, "CLAIMED-SCORE: 6");
  expected += Line("Q2XYZ", 14025, MakeDate(2011, 4, 14, 19, 35)) + "END-OF-LOG:\r\n";
  EXPECT_EQ(ReadFileBytes("Q1ABC_P.cbr"), expected);

  // The next log replaces the file and copies the extra header file unchanged.
  WriteFileBytes("cabrillo.ini", "X-Q: 1");
  EXPECT_EQ(WriteCabrilloLog(details, "6"), "File produced: Q1ABC_P.cbr");
  expected = kPlainHeader;
  expected.replace(expected.find("CLAIMED-SCORE: "), 15, "CLAIMED-SCORE: 6");
  EXPECT_EQ(ReadFileBytes("Q1ABC_P.cbr"), expected + "X-Q: 1\r\nEND-OF-LOG:\r\n");
  EXPECT_EQ(ReadFileBytes("cabrillo.ini"), "X-Q: 1") << "the extra header file is not changed";
}

TEST(WriteCabrilloLog, ReportsALogThatCannotBeWritten) {
  ScopedWorkDir dir;
  EntrantDetails details = Details();
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
  for (const auto& entry : std::filesystem::directory_iterator("."))
    EXPECT_EQ(entry.path().extension(), entry.path().filename() == "Q2DEF.cbr" ? ".cbr" : ".ini")
        << "no temporary file is left: " << entry.path();
}

}  // namespace stats
