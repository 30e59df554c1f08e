// The reports of a checked contest: golden files, and logs whose texts try to become
// markup, lines or paths. (The results page in a browser is page_in_browser_test's.)
#include "reports/reports.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

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
  EXPECT_NE(csv.find(",\"'=HYPERLINK(\"\"http://x\"\")\","), std::string::npos) << csv;
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
