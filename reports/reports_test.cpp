// The reports of a checked contest: golden files, and logs whose texts try to become
// markup, lines or paths. (The results page in a browser is page_in_browser_test's.)
#include "reports/reports.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <optional>

#include "reports/report_fixture.h"
#include "reports/report_parts.h"
#include "tests/support/test_support.h"

namespace {

namespace fs = std::filesystem;
using reports::Language;

using testing_support::ReadFileBytes;
using testing_support::ScopedWorkDir;

TEST(WriteReports, MatchesTheGoldenFilesByteForByte) {
  // The goldens were read through before they were pinned: a change in them is a change
  // in what every entrant receives.
  const fs::path golden = fs::absolute("golden");
  const ScopedWorkDir dir;
  std::string error;
  ASSERT_TRUE(reports::WriteReports(reports::fixture::SmallContest(), dir.Path().string(),
                                    Language::kRussian, error)) << error;
  int compared = 0;
  for (const auto& entry : fs::recursive_directory_iterator(golden)) {
    if (!entry.is_regular_file()) continue;
    const fs::path relative = fs::relative(entry.path(), golden);
    EXPECT_EQ(ReadFileBytes(dir.Path() / relative), ReadFileBytes(entry.path())) << relative.string();
    ++compared;
  }
  EXPECT_EQ(compared, 5) << "four reports and the CSV";
}

TEST(WriteReports, LogTextStaysTextAndInsideTheFolder) {
  const ScopedWorkDir scratch;
  const fs::path& root = scratch.Path();
  const fs::path dir = root / "out" / "deep";
  std::string error;
  ASSERT_TRUE(reports::WriteReports(reports::fixture::HostileContest(), dir.string(),
                                    Language::kRussian, error)) << error;
  // Every file is inside DIR, one report per log, calls that differ in case kept apart.
  std::vector<std::string> written;
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    if (entry.is_regular_file()) written.push_back(fs::relative(entry.path(), dir).generic_string());
  }
  std::sort(written.begin(), written.end());
  EXPECT_EQ(written, (std::vector<std::string>{"index.html", "reports/.._.._etc_x.txt", "reports/.._a.txt",
                                               "reports/Q1ABC.txt", "reports/_Nul.txt",
                                               "reports/q1abc-2.txt", "results.csv"}));

  const std::string page = ReadFileBytes(dir / "index.html");
  for (const char* markup : {"<script", "<img", "<i>", "\x1b", "\x01"}) {
    EXPECT_EQ(page.find(markup), std::string::npos) << markup;
  }
  EXPECT_NE(page.find("&lt;script&gt;alert(1)&lt;/script&gt;"), std::string::npos);
  EXPECT_NE(page.find("&lt;img src=x onerror=alert(1)&gt;"), std::string::npos);
  EXPECT_NE(page.find("Привет"), std::string::npos) << "Windows-1251 text read as such";

  // Reports and CSV: valid UTF-8 without control bytes, a log's line break never makes a line.
  const std::string csv = ReadFileBytes(dir / "results.csv");
  EXPECT_EQ(csv.find("HYPERLINK"), std::string::npos) << "a header that fits no category is no category: " << csv;
  for (const fs::path& file : {dir / "results.csv", dir / "reports/.._.._etc_x.txt", dir / "reports/.._a.txt"}) {
    const std::string bytes = ReadFileBytes(file);
    for (std::size_t start = 0, end; start <= bytes.size(); start = end + 2) {
      end = std::min(bytes.find("\r\n", start), bytes.size());
      const std::string line = bytes.substr(start, end - start);
      EXPECT_EQ(reports::detail::CleanText(line), line) << file.string();
      EXPECT_NE(line.rfind("QSO: forged", 0), 0u) << file.string();
    }
  }
}

// Equal checked scores share a place, and the next place skips (1, 2, 2, 4), in each
// category afresh; one category however its header spells it (Cabrillo 2.0's one CATEGORY
// line, letter case, blanks, MIXED, fields left out); a header that fits no category
// ranked apart and named; a checklog listed last, without a place. The reasons of a
// miscopy onto an entrant's call and of a QSO logged twice; uniques without credit; the
// page's totals.
TEST(WriteReports, SharedPlacesCategoriesChecklogsAndTheReasonsOfMiscopiesAndQsosLoggedTwice) {
  using adjudication::Verdict;
  adjudication::Contest contest;
  auto log = [&](const char* call, const char* category, int score) -> adjudication::CheckedLog& {
    adjudication::CheckedLog& added = contest.logs.emplace_back();
    added.call = call;
    added.file = std::string(call) + ".cbr";
    added.headers = {{category == std::string("HIGH") ? "CATEGORY-POWER" : "CATEGORY", category}};
    if (category == std::string("3.0")) {
      added.headers = {{"CATEGORY-OPERATOR", " single-op "}, {"CATEGORY-BAND", "All"},
                       {"CATEGORY-MODE", "mixed"}, {"category-power", "LOW"}, {"CATEGORY-STATION", "FIXED"}};
    }
    added.claimed.score = 30;
    added.checked.score = score;
    return added;
  };
  auto qso = [](adjudication::CheckedLog& log, int hhmm, const char* call, Verdict verdict,
                std::optional<adjudication::OtherSide> other, const char* correct = nullptr) {
    adjudication::CheckedQso& added = log.qsos.emplace_back();
    added.line = log.qsos.size() + 1;
    added.time = {2026, 12, 6, hhmm / 100, hhmm % 100, 0};
    added.band = "20", added.mode = "CW", added.call = call, added.sent = "001", added.rcvd = "002";
    added.verdict = verdict;
    added.other = other;
    if (correct) added.correct = correct;
  };
  qso(log("Q1ABC", "HIGH", 30), 1010, "Q2XYZ", Verdict::kOk, adjudication::OtherSide{2, 0});
  qso(contest.logs[0], 1020, "Q3KK", Verdict::kDupe, adjudication::OtherSide{0, 2});
  qso(contest.logs[0], 1021, "Q3KK", Verdict::kOk, adjudication::OtherSide{3, 0});
  log("Q1ABD", "HIGH", 20);
  qso(log("Q2XYZ", "HIGH", 20), 1010, "Q1ABD", Verdict::kBustedCall, adjudication::OtherSide{0, 0}, "Q1ABC");
  qso(log("Q3KK", "HIGH", 10), 1021, "Q1ABC", Verdict::kOk, adjudication::OtherSide{0, 2});
  qso(contest.logs[3], 1040, "Q1AXY", Verdict::kBustedCall, adjudication::OtherSide{0, 0}, "Q1ABC");
  qso(log("Q4NN", "SINGLE-OP ALL LOW MIXED", 20), 1050, "Q9ZZ", Verdict::kUnique, std::nullopt);
  contest.logs[4].headers.emplace_back("SOAPBOX", "73 & <b>thanks</b>");
  log("Q5PP", "3.0", 10);
  log("Q6CL", "CHECKLOG", 40);
  log("Q7UN", "SINGLE-OP RTTY", 5);
  contest.rules.uniquesCount = false;

  const ScopedWorkDir dir;
  std::string error;
  ASSERT_TRUE(reports::WriteReports(contest, dir.Path().string(), Language::kEnglish, error)) << error;
  const std::string csv = ReadFileBytes(dir.Path() / "results.csv");
  const std::string page = ReadFileBytes(dir.Path() / "index.html");
  const struct {
    const char* call;
    const char* place;
    const char* says;
  } cases[] = {
      {"Q1ABC", "1", "dupe: logged twice: Q3KK has this QSO once, matched with your line 4"},
      {"Q1ABC", "1", "Q2XYZ      line 2  2026-12-06 10:10  20 CW  busted call: logged Q1ABD, your call is Q1ABC"},
      {"Q1ABD", "2", "because of what you sent: 0"},
      {"Q2XYZ", "2", "busted call: you logged Q1ABD; Q1ABC logged you at 10:10, and Q1ABD has no QSO with you"},
      {"Q3KK", "4", "busted call: you logged Q1AXY; Q1ABC logged you at 10:10\r\n"},
      {"Q4NN", "1", "Category: SINGLE-OP ALL MIX LOW\r\nPlace"},
      {"Q4NN", "1", "unique: Q9ZZ sent no log and is in too few other logs\r\n\r\nUniques: 1\r\n"
                    "  line    2  2026-12-06 10:50  20  CW     Q9ZZ       001 002  not counted\r\n"},
      {"Q5PP", "2", "Category: SINGLE-OP ALL MIX LOW\r\nPlace in the category: 2\r\n"},
      {"Q7UN", "1", "Category: unclassified (the log's header: CATEGORY: SINGLE-OP RTTY)\r\n"
                    "  CATEGORY-BAND not given: taken as ALL\r\n"},
      {"Q6CL", "", "Category: checklog (not ranked)\r\n\r\n"},
  };
  EXPECT_NE(page.find("<p>Logs: 8. QSOs claimed: 7, kept: 3.</p>"), std::string::npos) << page;
  EXPECT_NE(page.find("<h3>SINGLE-OP ALL SSB HIGH</h3>"), std::string::npos);
  EXPECT_NE(page.find("<h2>Checklogs (not ranked)</h2>"), std::string::npos);
  EXPECT_NE(page.find("<b>Q4NN</b>: 73 &amp; &lt;b&gt;thanks&lt;/b&gt;</p>"), std::string::npos) << page;
  std::size_t row = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.call);
    EXPECT_NE(csv.find(std::string("\r\n") + c.place + "," + c.call + ","), std::string::npos) << csv;
    row = page.find(std::string("<tr><td class=\"num\">") + c.place + "</td><td><a href=\"reports/" + c.call + ".txt\">", row);
    ASSERT_NE(row, std::string::npos) << "the page's rows in this order, with these places";
    const std::string report = ReadFileBytes(dir.Path() / "reports" / (std::string(c.call) + ".txt"));
    EXPECT_EQ(report.find(std::string("Place in the category: ") + c.place + "\r\n") != std::string::npos, *c.place != 0)
        << report;
    EXPECT_NE(report.find(c.says), std::string::npos) << report;
  }
  EXPECT_NE(reports::EntrantReport(contest, 2, Language::kRussian)
                .find("вы записали Q1ABD; Q1ABC записал вас в 10:10, а в логе Q1ABD нет связи с вами"),
            std::string::npos);
  EXPECT_NE(reports::EntrantReport(contest, 0, Language::kRussian)
                .find("записана дважды: у Q3KK эта связь одна, она сверена с вашей строкой 4"),
            std::string::npos);
}

TEST(CsvField, QuotesWhatWouldSplitAndDisarmsFormulas) {
  for (const auto& [text, field] : {std::pair{"Q1ABC", "Q1ABC"}, {"=1+2", "'=1+2"}, {"+7", "'+7"}, {"-3", "'-3"},
                                    {"@SUM(A1)", "'@SUM(A1)"}, {"a,b", "\"a,b\""}, {"say \"hi\"", "\"say \"\"hi\"\"\""}}) {
    EXPECT_EQ(reports::detail::CsvField(text), field) << text;
  }
}

TEST(CleanText, KeepsUtf8ReadsOtherBytesAsWindows1251AndDropsControls) {
  const struct {
    const char* bytes;
    const char* shown;
  } cases[] = {
      {"Привет", "Привет"},                     // valid UTF-8 stays
      {"\xcf\xf0\xe8\xe2\xe5\xf2", "Привет"},   // Windows-1251
      {"\xc3", "Г"},                            // a cut UTF-8 sequence is not UTF-8
      {"\xed\xa0\x80", "н\u00a0Ђ"},             // nor is an encoded surrogate
      {"\x98", "\ufffd"},                       // unassigned in Windows-1251
      {"a\tb\r\nc\x7f", "a b\ufffd\ufffdc\ufffd"},
      {"\xe2\x80\xae" "CBA1Q", "\ufffdCBA1Q"},  // right-to-left override
  };
  for (const auto& c : cases) EXPECT_EQ(reports::detail::CleanText(c.bytes), c.shown) << c.bytes;
}

}  // namespace
