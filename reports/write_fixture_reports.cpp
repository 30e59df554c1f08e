// Test-only program: writes the reports of a fixture contest, for the browser check.
//   write_fixture_reports OUTDIR [en] [hostile]
#include <cstdio>
#include <cstring>
#include <string>

#include "reports/report_fixture.h"
#include "reports/reports.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: write_fixture_reports OUTDIR [en] [hostile]\n");
    return 2;
  }
  reports::Language language = reports::Language::kRussian;
  bool hostile = false;
  for (int i = 2; i < argc; ++i) {
    if (std::strcmp(argv[i], "en") == 0) language = reports::Language::kEnglish;
    if (std::strcmp(argv[i], "hostile") == 0) hostile = true;
  }
  const auto contest =
      hostile ? reports::fixture::HostileContest() : reports::fixture::SmallContest();
  std::string error;
  if (!reports::WriteReports(contest, argv[1], language, error)) {
    std::fprintf(stderr, "write_fixture_reports: %s\n", error.c_str());
    return 1;
  }
  std::printf("%s/index.html\n", argv[1]);
  return 0;
}
