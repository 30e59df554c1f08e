// A small but complete contest log scored through the built plug-in, loaded by
// path as the host loads it. The summary and the Cabrillo log must equal the
// golden files byte for byte, natively and under Wine alike.
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "platform/shared_library.h"
#include "stats/interface/stats_abi.h"
#include "tests/golden/box_capture.h"
#include "tests/golden/cabrillo_reader.h"
#include "tests/support/plugin_library.h"
#include "tests/support/test_support.h"

namespace {

using testing_support::MakeDate;
using testing_support::ReadFileBytes;
using testing_support::ScopedWorkDir;
using testing_support::WriteFileBytes;

std::filesystem::path BinaryDir() {
  return std::filesystem::path(platform::ExecutablePath()).parent_path();
}

// The settings file as the sibling plug-in and an earlier run left it.
const std::string kSettingsBefore =
    "[Sibling]\r\n"
    "Port=COM3\r\n"
    "[Settings]\r\n"
    "Mode=1\r\n"
    "Operators=Q1ABC Q1XYZ\r\n"
    "Name=Anna Berzina\r\n"
    "Address=Main St 1<CR><LF>LV-1001 Riga\r\n"
    "Claimed=17\r\n"
    "Location=DX\r\n"
    "Email=anna@example.org\r\n"
    "Club=Radio Club\r\n"
    "SoapBox=73 to all<CR><LF>Good conditions\r\n"
    "Rig=home-made\r\n";

class GoldenTest : public testing_support::PluginLibraryTest {
 protected:

  int Reset(const char* ownCall, int report, COleDateTime first) {
    COleDateTime last = MakeDate(2026, 12, 7);
    return Find<ResetStats0Fn>("ResetStats0")("Q1HOST", report, ownCall, &first, &last, "t6",
                                              "t7", "t8", "t9", "t10", "t11", "t12", "t13", "t14",
                                              "t15", 16, 17, 18, 19.5, 20.5, "t21", "t22", "t23");
  }

  // AddData0 or RemoveData0 with all 33 arguments.
  int Qso(const char* name, const char* call, const char* band, const char* mode,
          unsigned int freqHz, int minute, const char* rcvdNumber) {
    COleDateTime time = MakeDate(2026, 12, 6, 14, minute, 20);
    COleDateTime other = MakeDate(2000, 1, 1);
    const bool phone = std::string(mode) == "SSB";
    const std::string sentNumber = "00" + std::to_string(minute % 10);
    return Find<QsoDataFn>(name)("Q1ABC/P", call, &time, &other, &other, &other, 7u, freqHz, mode,
                                 phone ? "59" : "599", phone ? "57" : "579", sentNumber.c_str(),
                                 rcvdNumber, "t14", "t15", "t16", "t17", "t18", "t19", "t20",
                                 "t21", "t22", "a23", 24, 25, 26, 27.5, 28.5, "t29", "a30", "t31",
                                 band, "t33");
  }

  // Compares with a golden file; a differing result is left beside the test
  // program as <name>.actual for inspection.
  static void ExpectGolden(const std::string& actual, const std::string& name) {
    const std::string expected = ReadFileBytes(BinaryDir() / "golden" / name);
    if (actual != expected) WriteFileBytes(BinaryDir() / (name + ".actual"), actual);
    EXPECT_FALSE(expected.empty()) << "golden file " << name << " is missing";
    EXPECT_EQ(actual, expected) << name;
  }

};

TEST_F(GoldenTest, ScoresACompleteLogAndWritesItsCabrilloLog) {
  ScopedWorkDir dir;
  WriteFileBytes("Plugins/zelta.dom", "Q2AAA\r\nQ2BBB Riga\r\nQ2CCC\r\n");
  WriteFileBytes("Plugins/QOLEB.ini", kSettingsBefore);
  // Extra header lines whose last line has no line end.
  WriteFileBytes("cabrillo.ini", "X-INFO: golden log\r\nX-RIG: home-made");

  BoxCapture boxes;
  ASSERT_EQ(Reset("Q1ABC/P", 1, MakeDate(2026, 12, 6, 13, 45)), 1);
  // Two bands with all four modes, listed and unlisted stations, a listed
  // station again on another band, a refused QSO, a removed multiplier.
  EXPECT_EQ(Qso("AddData0", "Q2AAA", "20", "CW", 14025400, 1, "017"), 1);
  EXPECT_EQ(Qso("AddData0", "Q3DDD", "20", "SSB", 14205000, 2, "0123"), 1);
  EXPECT_EQ(Qso("AddData0", "Q2BBB", "40", "BPSK63", 7040100, 3, "021"), 1);
  EXPECT_EQ(Qso("AddData0", "Q3EEE", "40", "BPSK62", 7041000, 4, "022"), 1);
  EXPECT_EQ(Qso("AddData0", "Q2AAA", "80", "SSB", 3700000, 5, "018"), 1);
  EXPECT_EQ(Qso("AddData0", "Q3FFF", "80", "CW", 3550000, 6, "101"), 1);
  EXPECT_EQ(Qso("AddData0", "Q2CCC", "10", "CW", 28025000, 7, "033"), 1);
  EXPECT_EQ(Qso("AddData0", "Q3GGG", "160", "CW", 1830000, 8, "1234"), 1);
  EXPECT_EQ(Qso("AddData0", "Q3HHH", "20", "RTTY", 14085000, 9, "044"), 0);
  EXPECT_EQ(Qso("RemoveData0", "Q2CCC", "10", "CW", 28025000, 7, "033"), 1);

  int score = 0;
  const std::string summary = Find<GetResult0Fn>("GetResult0")(&score);
  EXPECT_EQ(score, -1) << "the log was written";
  ExpectGolden(summary, "summary.txt");
  const std::string log = ReadFileBytes("Q1ABC_P.cbr");
  ExpectGolden(log, "Q1ABC_P.cbr");

  // Asked again, the same log is written again.
  Find<GetResult0Fn>("GetResult0")(&score);
  EXPECT_EQ(ReadFileBytes("Q1ABC_P.cbr"), log);
  EXPECT_EQ(boxes.Finish(),
            "Output: File produced: Q1ABC_P.cbr\nOutput: File produced: Q1ABC_P.cbr\n");

  // Only "Claimed" changed in the shared settings file; the extra header file
  // stayed as it was.
  std::string settings = kSettingsBefore;
  settings.replace(settings.find("Claimed=17"), 10, "Claimed=28");
  EXPECT_EQ(ReadFileBytes("Plugins/QOLEB.ini"), settings);
  EXPECT_EQ(ReadFileBytes("cabrillo.ini"), "X-INFO: golden log\r\nX-RIG: home-made");

  // A log checker reads every line, and every QSO line in its ten columns.
  const CabrilloLog read = ReadCabrilloLog(log);
  for (const std::string& error : read.errors) ADD_FAILURE() << error;
  ASSERT_EQ(read.qsos.size(), 7u);
  EXPECT_EQ(read.qsos[1].mode, "PH");
  EXPECT_EQ(read.qsos[1].sentRst, "59");
  EXPECT_EQ(read.qsos[6].rcvdExch, "1234");
  EXPECT_EQ(read.tags.back(), std::make_pair(std::string("X-RIG"), std::string("home-made")));
}

TEST(CabrilloReader, RefusesLinesOutOfTheirColumns) {
  CabrilloQso qso;
  std::string error;
  EXPECT_TRUE(ReadCabrilloQsoLine(
      "QSO: 14025 CW 2011-04-14 1935 Q1ABC         599 001    Q2XYZ         599 017", qso, error))
      << error;
  EXPECT_EQ(qso.rcvdCall, "Q2XYZ");
  // A missing value, a shifted column, a left-aligned frequency.
  EXPECT_FALSE(ReadCabrilloQsoLine(
      "QSO: 14025 CW 2011-04-14 1935 Q1ABC         599        Q2XYZ         599 017", qso, error));
  EXPECT_FALSE(ReadCabrilloQsoLine(
      "QSO: 14025 CW 2011-04-14 1935 Q1ABC        599 001    Q2XYZ         599 017", qso, error));
  EXPECT_FALSE(ReadCabrilloQsoLine(
      "QSO: 3550  CW 2011-04-14 1935 Q1ABC         599 001    Q2XYZ         599 017", qso, error));
  // A last header line glued to the next line is no longer a tag line.
  const CabrilloLog glued =
      ReadCabrilloLog("START-OF-LOG: 3.0\r\nX-A: 1QSO: 1\r\nEND-OF-LOG:\r\n");
  EXPECT_TRUE(glued.qsos.empty());
  EXPECT_EQ(ReadCabrilloLog("START-OF-LOG: 3.0\r\nEND-OF-LOG:").errors.size(), 1u);
}

}  // namespace
