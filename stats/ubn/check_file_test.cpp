#include "stats/ubn/check_file.h"

#include <filesystem>

#include <gtest/gtest.h>

#include "stats/ubn/file_names.h"
#include "tests/support/test_support.h"

namespace stats {

namespace {

using testing_support::Qso;
using testing_support::ReadFileBytes;

TEST(FileNames, PathCharactersBecomeUnderscores) {
  // call, check file, Cabrillo log (white space trimmed; the default stem when empty)
  const char* const cases[][3] = {
      {"Q1ABC/P", "Q1ABC_P-ubn.txt", "Q1ABC_P.cbr"},
      {"..\\..\\C:x", ".._.._C_x-ubn.txt", ".._.._C_x.cbr"},
      {" \tQ1 ABC\r\n\v\f", " \tQ1 ABC\r\n\v\f-ubn.txt", "Q1 ABC.cbr"},
      {"", "-ubn.txt", "QOLEB.cbr"},
      {" \t ", " \t -ubn.txt", "QOLEB.cbr"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(CheckFileName(c[0]), c[1]) << c[0];
    EXPECT_EQ(CabrilloFileName(c[0]), c[2]) << c[0];
  }
}

TEST(CheckFile, HeaderAndLinesWithCrLfOneFilePerRun) {
  testing_support::ScopedWorkDir dir;
  CheckFile file;
  file.Create("Q1ABC/P");
  const std::string header = "ZELTA TROPHY TEST UBN file Q1ABC/P\r\n\r\n";
  EXPECT_EQ(ReadFileBytes("Q1ABC_P-ubn.txt"), header) << "on disk before any refusal";
  file.WriteRefusal(Qso<RefusedQso>([](auto& q) { q.mode = "BPSK31", q.freqHz = 3550000; }),
                    kNoContestModeReason);
  file.WriteRefusal(Qso<RefusedQso>([](auto& q) { q.rstSent = "", q.rcvdNumber = ""; }),
                    kNoRxNumberReason);
  file.WriteRefusal(Qso<RefusedQso>([](auto& q) { q.call = "Q2\nX"; }), kNoContestModeReason);
  EXPECT_EQ(ReadFileBytes("Q1ABC_P-ubn.txt"),
            header +
                "QSO: 3550  BPSK31  2026-12-06 0905  Q1ABC  599  001  Q2XYZ  579  017 No contest mode \r\n"
                "QSO: 14025  CW  2026-12-06 0905  Q1ABC    001  Q2XYZ  579  No RX number\r\n"
                "QSO: 14025  CW  2026-12-06 0905  Q1ABC  599  001  Q2\r\nX  579  017 No contest mode \r\n");

  file.Create("Q1ABC/P");
  EXPECT_EQ(ReadFileBytes("Q1ABC_P-ubn.txt"), header);
  file.Create("Q4NEW");
  file.WriteRefusal(Qso<RefusedQso>(), kNoRxNumberReason);
  EXPECT_EQ(ReadFileBytes("Q1ABC_P-ubn.txt"), header) << "another call's run leaves it alone";

  // A file that cannot be created loses only its lines.
  std::filesystem::create_directory("Q1DIR-ubn.txt");  // a folder in the file's place
  file.Create("Q1DIR");
  EXPECT_FALSE(file.IsOpen());
  file.WriteRefusal(Qso<RefusedQso>(), kNoContestModeReason);  // must not crash
  file.Create(std::string(100000, 'Q'));  // a name too long for the file system
  file.WriteRefusal(Qso<RefusedQso>(), kNoContestModeReason);
}

}  // namespace

}  // namespace stats
