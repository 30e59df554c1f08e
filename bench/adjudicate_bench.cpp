// The log checker on simulated contests of 10, 100 and 1,000 logs of about 1,000
// QSOs each: reading every log, scoring each twice through the plug-in (libStats
// loaded by path), cross-checking. The contest is written once, before the timing.
// The plug-in writes and syncs its settings file at every score: the scratch host
// folder lies in TMPDIR (default /tmp), which may be a RAM disk (TMPDIR=/dev/shm).
#include <sys/resource.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "adjudication/adjudicator.h"
#include "adjudication/rules_file.h"
#include "adjudication/simulator.h"
#include "platform/shared_library.h"

namespace fs = std::filesystem;

namespace {

struct Written {
  fs::path dir;
  adjudication::Rules rules;
  std::size_t qsos = 0;
};

const Written& Contest(int stations) {
  static std::map<int, Written> written;
  Written& entry = written[stations];
  if (entry.dir.empty()) {
    entry.dir = fs::temp_directory_path() / ("zelta-bench-contest-" + std::to_string(stations));
    fs::remove_all(entry.dir);
    // About one station in ten sends no log: stations * 10 / 9 give `stations` logs.
    const adjudication::SimulatedContest contest =
        adjudication::Simulate({stations * 10 / 9, 1000, 1, true});
    std::string error;
    if (!adjudication::WriteSimulation(contest, entry.dir.string(), error)) std::abort();
    entry.rules = adjudication::ParseRules(contest.rules, "rules.ini");
    entry.qsos = contest.qsoCount;
  }
  return entry;
}

void BM_Adjudicate(benchmark::State& state) {
  const Written& contest = Contest(static_cast<int>(state.range(0)));
  zelta::StatsPlugin plugin;
  std::string error;
  const fs::path library = fs::path(platform::ExecutablePath()).parent_path() / STATS_LIBRARY_NAME;
  if (!plugin.Load(library.string(), error)) {
    state.SkipWithError(error.c_str());
    return;
  }
  adjudication::AdjudicationInput input{(contest.dir / "logs").string(), contest.dir.string(),
                                        contest.rules};
  double wallSeconds = 0;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    std::vector<std::string> notes;
    const adjudication::Contest checked = adjudication::Adjudicate(input, plugin, notes);
    benchmark::DoNotOptimize(checked.logs.data());
    wallSeconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  }
  const double millions = static_cast<double>(contest.qsos) / 1e6;
  state.counters["QSOs"] = static_cast<double>(contest.qsos);
  state.counters["wall_s_per_1M_QSOs"] =
      wallSeconds / static_cast<double>(state.iterations()) / millions;
  state.counters["cpu_s_per_1M_QSOs"] = benchmark::Counter(
      millions, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  state.counters["peak_RSS_MB"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
}
// Smallest first: the peak memory of the process is then that of the largest so far.
BENCHMARK(BM_Adjudicate)->Arg(10)->Arg(100)->Arg(1000)->Unit(benchmark::kSecond)->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
