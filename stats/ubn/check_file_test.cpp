#include "stats/ubn/check_file.h"

#include <filesystem>

#include <gtest/gtest.h>

#include "stats/ubn/file_names.h"
#include "tests/support/test_support.h"

namespace stats {

namespace {

using testing_support::MakeDate;
using testing_support::ReadFileBytes;
using testing_support::ScopedWorkDir;

RefusedQso Example() {
  RefusedQso q;
  q.ownCall = "Q1ABC";
  q.call = "Q2XYZ";
  q.time = MakeDate(2026, 12, 6, 9, 5);
  q.freqHz = 3550000;
  q.mode = "BPSK31";
  q.rstSent = "599";
  q.rstRcvd = "579";
  q.sentNumber = "001";
  q.rcvdNumber = "017";
  return q;
}

TEST(FileNames, PathCharactersBecomeUnderscores) {
  // call, check file, Cabrillo log (white space trimmed; the default stem when empty)
  const char* const cases[][3] = {
      {"Q1ABC", "Q1ABC-ubn.txt", "Q1ABC.cbr"},
      {"Q1ABC/P", "Q1ABC_P-ubn.txt", "Q1ABC_P.cbr"},
      {"..\\..\\C:x", ".._.._C_x-ubn.txt", ".._.._C_x.cbr"},
      {" \tQ1 ABC\r\n\v\f", " \tQ1 ABC\r\n\v\f-ubn.txt", "Q1 ABC.cbr"},
      {"", "-ubn.txt", "QOLEB.cbr"},
      {" \t ", " \t -ubn.txt", "QOLEB.cbr"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(stats::CheckFileName(c[0]), c[1]) << c[0];
    EXPECT_EQ(stats::CabrilloFileName(c[0]), c[2]) << c[0];
  }
}

TEST(CheckFile, HeaderAndLinesWithCrLf) {
  ScopedWorkDir dir;
  CheckFile file;
  file.Create("Q1ABC");
  EXPECT_EQ(ReadFileBytes("Q1ABC-ubn.txt"), "ZELTA TROPHY TEST UBN file Q1ABC\r\n\r\n")
      << "the header is on disk before any refusal";
  file.WriteRefusal(Example(), kNoContestModeReason);
  RefusedQso blanks = Example();
  blanks.rstSent.clear();
  blanks.rcvdNumber.clear();
  blanks.freqHz = 14025999;
  file.WriteRefusal(blanks, kNoRxNumberReason);
  RefusedQso newline = Example();
  newline.call = "Q2\nX";
  file.WriteRefusal(newline, kNoContestModeReason);
  EXPECT_EQ(ReadFileBytes("Q1ABC-ubn.txt"),
            "ZELTA TROPHY TEST UBN file Q1ABC\r\n\r\n"
            "QSO: 3550  BPSK31  2026-12-06 0905  Q1ABC  599  001  Q2XYZ  579  017 No contest mode \r\n"
            "QSO: 14025  BPSK31  2026-12-06 0905  Q1ABC    001  Q2XYZ  579  No RX number\r\n"
            "QSO: 3550  BPSK31  2026-12-06 0905  Q1ABC  599  001  Q2\r\nX  579  017 No contest mode \r\n");
}

TEST(CheckFile, ANewRunReplacesTheFile) {
  ScopedWorkDir dir;
  CheckFile file;
  file.Create("Q1ABC/P");
  file.WriteRefusal(Example(), kNoContestModeReason);
  file.Create("Q1ABC/P");
  EXPECT_EQ(ReadFileBytes("Q1ABC_P-ubn.txt"), "ZELTA TROPHY TEST UBN file Q1ABC/P\r\n\r\n")
      << "the header keeps the call sign as given";
  file.Create("Q4NEW");
  file.WriteRefusal(Example(), kNoRxNumberReason);
  EXPECT_EQ(ReadFileBytes("Q1ABC_P-ubn.txt"), "ZELTA TROPHY TEST UBN file Q1ABC/P\r\n\r\n")
      << "another call's run leaves the earlier file alone";
}

TEST(CheckFile, AFileThatCannotBeCreatedLosesOnlyItsLines) {
  ScopedWorkDir dir;
  std::filesystem::create_directory("Q1DIR-ubn.txt");  // a folder in the file's place
  CheckFile file;
  file.Create("Q1DIR");
  EXPECT_FALSE(file.IsOpen());
  file.WriteRefusal(Example(), kNoContestModeReason);  // must not crash
  const std::string huge(100000, 'Q');
  file.Create(huge);  // a name too long for the file system
  file.WriteRefusal(Example(), kNoContestModeReason);
  SUCCEED();
}

}  // namespace

}  // namespace stats
