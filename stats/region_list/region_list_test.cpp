#include "stats/region_list/region_list.h"

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/test_support.h"

namespace stats {

namespace {

class RegionListTest : public ::testing::Test {
 protected:
  void WriteList(const std::string& bytes) { testing_support::WriteFileBytes("Plugins/zelta.dom", bytes); }
  int Find(const std::string& call) { return FindInRegionList(list_, call); }

  testing_support::ScopedWorkDir dir_;
  testing_support::MessageBoxRecorder boxes_;
  RegionList list_;
};

TEST_F(RegionListTest, MatchesTheWholeCallSignAtTheStartOfALine) {
  const std::string huge(100000, 'Q');
  // Saved as UTF-16 with a byte order mark, in either order: a Cyrillic letter ends
  // the call sign before it.
  std::string little = "\xFF\xFE", big = "\xFE\xFF";
  for (char16_t unit : std::u16string(u"Q1ABC\r\nQ1DEF\u0438\r\nQ1END")) {
    little += {static_cast<char>(unit & 0xFF), static_cast<char>(unit >> 8)};
    big += {static_cast<char>(unit >> 8), static_cast<char>(unit & 0xFF)};
  }
  const std::vector<std::pair<std::string, int>> bomCalls = {{"Q1ABC", 1}, {"Q1DEF", 2}, {"Q1DEF8", 0}, {"Q1END", 3}};
  // Each list with calls and the line that lists them (0: not listed).
  const std::pair<std::string, std::vector<std::pair<std::string, int>>> cases[] = {
      // A repeated call answers with its first line; '/' belongs to the call sign; no
      // prefix matches either way; case and blanks matter; an empty text is never listed.
      {"Q1AAA\r\nQ1ABC\r\nQ3CC/P\r\nQ1ABC\r\n\r\n",
       {{"Q1ABC", 2}, {"Q3CC/P", 3}, {"Q1A", 0}, {"Q1ABCD", 0}, {"Q3CC", 0}, {"q1abc", 0},
        {"Q1ABC ", 0}, {"", 0}}},
      // What follows the call sign is ignored; a blank before it leaves the line without one;
      // the last line needs no line end.
      {" Q1LEAD\nQ1ABC Moscow region\nQ1DEF;x\nQ1GHI\tTAB\nQ1END",
       {{"Q1ABC", 2}, {"Q1DEF", 3}, {"Q1GHI", 4}, {"Q1END", 5}, {"Q1LEAD", 0}, {" Q1LEAD", 0},
        {"Moscow", 0}}},
      {"Q1ABC\n" + huge + "\nQ1END", {{huge, 2}, {huge + "X", 0}, {"Q1END", 3}}},
      {"\xEF\xBB\xBFQ1ABC\r\nQ1DEF\xD0\xB8\r\nQ1END", bomCalls},  // UTF-8 with its mark
      {little, bomCalls},
      {big, bomCalls},
  };
  for (const auto& [list, calls] : cases) {
    WriteList(list);
    for (const auto& [call, line] : calls) {
      EXPECT_EQ(Find(call), line) << "[" << call.substr(0, 30) << "] in [" << list.substr(0, 60) << "]";
    }
  }
  EXPECT_TRUE(boxes_.Boxes().empty());
}

TEST_F(RegionListTest, AMissingFileIsReportedOncePerRunAndEditsTakeEffectAtTheNextLookup) {
  EXPECT_EQ(Find("Q1ABC") + Find("Q1XYZ"), 0);
  ASSERT_EQ(boxes_.Boxes().size(), 1u) << "one box, not one per lookup";
  EXPECT_EQ(boxes_.Boxes()[0].first, "File zelta.dom not found. Dll incorrect worked ! ");
  EXPECT_EQ(boxes_.Boxes()[0].second, "") << "the system's default caption";
  list_.StartRun();
  EXPECT_EQ(Find("Q1ABC"), 0);
  EXPECT_EQ(boxes_.Boxes().size(), 2u) << "a new run reports it again";

  WriteList("Q1ABC\n");
  EXPECT_EQ(Find("Q1ABC"), 1);
  WriteList("Q1XYZ\nQ1ABC\n");
  EXPECT_EQ(Find("Q1ABC"), 2);
  // The same size, and a time of last write that the clock did not move.
  const auto written = std::filesystem::last_write_time("Plugins/zelta.dom");
  WriteList("Q1ABC\nQ1XYZ\n");
  std::filesystem::last_write_time("Plugins/zelta.dom", written);
  EXPECT_EQ(Find("Q1ABC"), 1);
  EXPECT_EQ(boxes_.Boxes().size(), 2u);
}

}  // namespace

}  // namespace stats
