#include "stats/region_list/region_list.h"

#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "tests/support/test_support.h"

namespace stats {

namespace {

using testing_support::MessageBoxRecorder;
using testing_support::ScopedWorkDir;
using testing_support::WriteFileBytes;

class RegionListTest : public ::testing::Test {
 protected:
  void WriteList(const std::string& bytes) { WriteFileBytes("Plugins/zelta.dom", bytes); }
  int Find(const std::string& call) { return FindInRegionList(list_, call); }

  ScopedWorkDir dir_;
  MessageBoxRecorder boxes_;
  RegionList list_;
};

TEST_F(RegionListTest, MatchesTheWholeCallSignAtTheStartOfALine) {
  const std::string huge(100000, 'Q');
  const struct {
    std::string list;
    std::string call;
    int line;
  } cases[] = {
      // A repeated call answers with its first line; '/' belongs to the call sign.
      {"Q1AAA\r\nQ1ABC\r\nQ3CC/P\r\nQ1ABC\r\n", "Q1ABC", 2},
      {"Q1AAA\r\nQ1ABC\r\nQ3CC/P\r\nQ1ABC\r\n", "Q3CC/P", 3},
      // No prefix matches either way; case and blanks matter; an empty text is never listed.
      {"Q1ABC\r\nQ3CC/P\r\n", "Q1A", 0},
      {"Q1ABC\r\nQ3CC/P\r\n", "Q1ABCD", 0},
      {"Q1ABC\r\nQ3CC/P\r\n", "Q3CC", 0},
      {"Q1ABC\r\n", "q1abc", 0},
      {"Q1ABC\r\n", "Q1ABC ", 0},
      {"Q1ABC\r\n\r\n", "", 0},
      {"", "", 0},
      {"", "Q1ABC", 0},
      // What follows the call sign is ignored; a blank before it leaves the line without one.
      {" Q1LEAD\nQ1ABC Moscow region\nQ1DEF;x\nQ1GHI\tTAB\nQ1END", "Q1ABC", 2},
      {" Q1LEAD\nQ1ABC Moscow region\nQ1DEF;x\nQ1GHI\tTAB\nQ1END", "Q1DEF", 3},
      {" Q1LEAD\nQ1ABC Moscow region\nQ1DEF;x\nQ1GHI\tTAB\nQ1END", "Q1GHI", 4},
      {" Q1LEAD\nQ1ABC Moscow region\nQ1DEF;x\nQ1GHI\tTAB\nQ1END", "Q1END", 5},
      {" Q1LEAD\nQ1ABC Moscow region\n", "Q1LEAD", 0},
      {" Q1LEAD\nQ1ABC Moscow region\n", " Q1LEAD", 0},
      {" Q1LEAD\nQ1ABC Moscow region\n", "Moscow", 0},
      // Long lines are one line each.
      {std::string(20, 'A') + "\r\nQ1ABC\r\n" + std::string(14, 'B') + "\r\nQ1DEF", "Q1DEF", 4},
      {std::string(20, 'A') + "\r\n", std::string(20, 'A'), 1},
      {std::string(20, 'A') + "\r\n", std::string(14, 'A'), 0},
      {"Q1ABC\n" + huge + "\n", huge, 2},
      {"Q1ABC\n" + huge + "\n", huge + "X", 0},
  };
  for (const auto& c : cases) {
    WriteList(c.list);
    EXPECT_EQ(Find(c.call), c.line) << "[" << c.call.substr(0, 30) << "] in [" << c.list.substr(0, 60) << "]";
  }
  EXPECT_TRUE(boxes_.Boxes().empty());
}

TEST_F(RegionListTest, EditsTakeEffectAtTheNextLookup) {
  WriteList("Q1ABC\n");
  EXPECT_EQ(Find("Q1ABC"), 1);
  WriteList("Q1XYZ\nQ1ABC\n");
  EXPECT_EQ(Find("Q1ABC"), 2);
  WriteList("Q1XYZ\n");
  EXPECT_EQ(Find("Q1ABC"), 0);
  // The same size, and a time of last write that the clock did not move.
  const auto written = std::filesystem::last_write_time("Plugins/zelta.dom");
  WriteList("Q1ABC\n");
  std::filesystem::last_write_time("Plugins/zelta.dom", written);
  EXPECT_EQ(Find("Q1ABC"), 1);
}

TEST_F(RegionListTest, ReadsListsSavedWithAByteOrderMark) {
  // A Cyrillic letter ends the call sign before it; no line end after the last line.
  const std::string utf8 = "\xEF\xBB\xBFQ1ABC\r\nQ1DEF\xD0\xB8\r\nQ1END";
  std::string little = "\xFF\xFE", big = "\xFE\xFF";
  for (char16_t unit : std::u16string(u"Q1ABC\r\nQ1DEF\u0438\r\nQ1END")) {
    little += {static_cast<char>(unit & 0xFF), static_cast<char>(unit >> 8)};
    big += {static_cast<char>(unit >> 8), static_cast<char>(unit & 0xFF)};
  }
  for (const std::string& file : {utf8, little, big}) {
    SCOPED_TRACE(::testing::PrintToString(file.substr(0, 3)));
    WriteList(file);
    RegionList list;  // each file read afresh
    EXPECT_EQ(FindInRegionList(list, "Q1ABC"), 1) << "the first station";
    EXPECT_EQ(FindInRegionList(list, "Q1DEF"), 2);
    EXPECT_EQ(FindInRegionList(list, "Q1DEF8"), 0) << "U+0438 is not '8'";
    EXPECT_EQ(FindInRegionList(list, "Q1END"), 3);
  }
}

TEST_F(RegionListTest, MissingFileIsReportedOncePerRun) {
  EXPECT_EQ(Find("Q1ABC"), 0);
  EXPECT_EQ(Find("Q1XYZ"), 0);
  ASSERT_EQ(boxes_.Boxes().size(), 1u) << "one box, not one per lookup";
  EXPECT_EQ(boxes_.Boxes()[0].first, "File zelta.dom not found. Dll incorrect worked ! ");
  EXPECT_EQ(boxes_.Boxes()[0].second, "") << "the system's default caption";
  list_.StartRun();
  EXPECT_EQ(Find("Q1ABC"), 0);
  EXPECT_EQ(boxes_.Boxes().size(), 2u) << "a new run reports it again";
  // Once the file is back, lookups answer again without a box.
  WriteList("Q1ABC\n");
  EXPECT_EQ(Find("Q1ABC"), 1);
  EXPECT_EQ(boxes_.Boxes().size(), 2u);
}

}  // namespace

}  // namespace stats
