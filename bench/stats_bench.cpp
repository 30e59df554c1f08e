// The plug-in scoring synthetic logs through its exports (libStats loaded by
// path, as a host loads it), with the reference model beside it in the same run.
//
// Each benchmark runs in a scratch folder that holds Plugins/zelta.dom, the
// 2,000-line region list of the synthetic log.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>

#include <benchmark/benchmark.h>

#include "bench/synthetic_log.h"
#include "platform/shared_library.h"
#include "stats/accounting/accounting.h"
#include "stats/interface/stats_abi.h"
#include "tests/reference/reference_model.h"

namespace fs = std::filesystem;

namespace {

constexpr char kOwnCall[] = "Q1ABC";

// The exports of the loaded plug-in.
struct Exports {
  ResetStats0Fn resetStats = nullptr;
  QsoDataFn addData = nullptr;
  GetResult0Fn getResult = nullptr;
  CheckCall0Fn checkCall = nullptr;
};
Exports g_exports;

const bench::SyntheticLog& Log(std::size_t count) {
  static std::map<std::size_t, std::unique_ptr<bench::SyntheticLog>> logs;
  std::unique_ptr<bench::SyntheticLog>& log = logs[count];
  if (!log) log = std::make_unique<bench::SyntheticLog>(bench::MakeSyntheticLog(count));
  return *log;
}

// Makes `folder` of the scratch folder current, with the log's region list: the
// plug-in and the reference model each write their check file in a folder of
// their own.
void EnterFolder(const fs::path& scratch, const char* folder, const bench::SyntheticLog& log) {
  fs::create_directories(scratch / folder / "Plugins");
  fs::current_path(scratch / folder);
  {
    std::ofstream out("Plugins/zelta.dom", std::ios::binary | std::ios::trunc);
    out << log.regionListText;
  }
  // Written long before the contest, as an operator's list is: a list written
  // within the last two seconds is read again at every lookup until it settles.
  fs::last_write_time("Plugins/zelta.dom", fs::file_time_type::clock::now() - std::chrono::hours(1));
}
fs::path g_scratch;

COleDateTime StartDate() {
  COleDateTime first;
  first.dt = 46362.0;  // 6 December 2026
  return first;
}

void PerQsoCounter(benchmark::State& state) {
  state.SetItemsProcessed(state.iterations() * state.range(0));
  state.counters["per_qso"] = benchmark::Counter(
      static_cast<double>(state.range(0)),
      benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

// Calls as an operator types them against a full store: stations already worked
// (often a duplicate on the band and mode), listed stations, and new ones.
std::vector<bench::SyntheticQso> TypedCalls(const bench::SyntheticLog& log) {
  const bench::SyntheticLog fresh = bench::MakeSyntheticLog(3000);
  std::vector<bench::SyntheticQso> typed;
  for (std::size_t i = 0; i < 1024; ++i) {
    bench::SyntheticQso qso = i % 3 == 0 ? log.qsos[(i * 7919) % log.qsos.size()] : fresh.qsos[i];
    if (i % 3 == 2) qso.call = "P0" + std::to_string(i);  // never worked, never listed
    typed.push_back(qso);
  }
  return typed;
}

/*===-- The plug-in through its exports ---------------------------------------===*/

void PluginReset() {
  COleDateTime first = StartDate();
  g_exports.resetStats("bench", 0, kOwnCall, &first, &first, "", "", "", "", "", "", "", "", "",
                       "", 0, 0, 0, 0.0, 0.0, "", "", "");
}

int PluginAdd(const bench::SyntheticQso& q) {
  COleDateTime time = q.time;
  return g_exports.addData(kOwnCall, q.call.c_str(), &time, &time, &time, &time, 0, q.freqHz,
                           q.mode.c_str(), q.rstSent.c_str(), q.rstRcvd.c_str(),
                           q.sentNumber.c_str(), q.rcvdNumber.c_str(), "", "", "", "", "", "", "",
                           "", "", "", 0, 0, 0, 0.0, 0.0, "", "", "", q.band.c_str(), "");
}

int PluginCheck(const bench::SyntheticQso& q, char* message) {
  char unused[64];
  return g_exports.checkCall(q.call.c_str(), 0, 0, q.mode.c_str(), "", "", "", "", "", "", "", "",
                             "", "", 0, 0, 0, 0.0, 0.0, "", "", "", "", "", q.band.c_str(), "",
                             unused, message);
}

// The whole log scored as a host rescoring it after an edit: a new run, every
// QSO added, the summary asked for.
void BM_ScoreLog_Plugin(benchmark::State& state) {
  const bench::SyntheticLog& log = Log(static_cast<std::size_t>(state.range(0)));
  EnterFolder(g_scratch, "plugin", log);
  int score = 0;
  for (auto _ : state) {
    PluginReset();
    for (const bench::SyntheticQso& qso : log.qsos) PluginAdd(qso);
    benchmark::DoNotOptimize(g_exports.getResult(&score));
  }
  PerQsoCounter(state);
}

void BM_CheckCall_Plugin(benchmark::State& state) {
  const bench::SyntheticLog& log = Log(static_cast<std::size_t>(state.range(0)));
  EnterFolder(g_scratch, "plugin", log);
  PluginReset();
  for (const bench::SyntheticQso& qso : log.qsos) PluginAdd(qso);
  const std::vector<bench::SyntheticQso> typed = TypedCalls(log);
  char message[64];
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(PluginCheck(typed[i++ % typed.size()], message));
  }
}

/*===-- The reference model ---------------------------------------------------===*/

stats::QsoArguments Arguments(const bench::SyntheticQso& q) {
  stats::QsoArguments qso;
  qso.ownCall = kOwnCall;
  qso.call = q.call;
  qso.time = q.time;
  qso.freqHz = q.freqHz;
  qso.mode = q.mode;
  qso.rstSent = q.rstSent;
  qso.rstRcvd = q.rstRcvd;
  qso.sentNumber = q.sentNumber;
  qso.rcvdNumber = q.rcvdNumber;
  qso.band = q.band;
  return qso;
}

// The same work as BM_ScoreLog_Plugin; the reference model takes its arguments
// already copied, as the exports layer hands them on.
void BM_ScoreLog_Reference(benchmark::State& state) {
  const bench::SyntheticLog& log = Log(static_cast<std::size_t>(state.range(0)));
  EnterFolder(g_scratch, "reference", log);
  stats::reference::Model model;
  int score = 0;
  for (auto _ : state) {
    model.ResetStats(0, kOwnCall, StartDate());
    for (const bench::SyntheticQso& qso : log.qsos) model.AddData(Arguments(qso));
    benchmark::DoNotOptimize(model.GetResult(&score));
  }
  PerQsoCounter(state);
}

void BM_CheckCall_Reference(benchmark::State& state) {
  const bench::SyntheticLog& log = Log(static_cast<std::size_t>(state.range(0)));
  EnterFolder(g_scratch, "reference", log);
  stats::reference::Model model;
  model.ResetStats(0, kOwnCall, StartDate());
  for (const bench::SyntheticQso& qso : log.qsos) model.AddData(Arguments(qso));
  const std::vector<bench::SyntheticQso> typed = TypedCalls(log);
  char message[64];
  std::size_t i = 0;
  for (auto _ : state) {
    const bench::SyntheticQso& qso = typed[i++ % typed.size()];
    benchmark::DoNotOptimize(model.CheckCall(qso.call, qso.band, qso.mode, message));
  }
}

/*===-- The stand-in host -----------------------------------------------------===*/

// `zelta score` of an ADIF file end to end: a new process that reads and
// converts the log, loads the plug-in, adds every QSO and prints the summary.
void BM_ZeltaScore(benchmark::State& state) {
  const bench::SyntheticLog& log = Log(static_cast<std::size_t>(state.range(0)));
  EnterFolder(g_scratch, "zelta", log);
  const fs::path folder = fs::current_path();
  {
    std::ofstream out("log.adi", std::ios::binary | std::ios::trunc);
    out << bench::AdifText(log, kOwnCall);
  }
  const fs::path zelta = fs::path(platform::ExecutablePath()).parent_path() / "zelta";
  const std::string command = "'" + zelta.string() + "' score '" + (folder / "log.adi").string() +
                              "' --dir '" + folder.string() + "' --batch >/dev/null 2>&1";
  for (auto _ : state) {
    if (std::system(command.c_str()) != 0) {
      state.SkipWithError("zelta score failed");
      break;
    }
  }
  PerQsoCounter(state);
}

// The reference model is quadratic: 100,000 QSOs would take it minutes.
BENCHMARK(BM_ScoreLog_Plugin)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CheckCall_Plugin)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ZeltaScore)->Arg(100000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ScoreLog_Reference)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CheckCall_Reference)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;

  const fs::path library =
      fs::path(platform::ExecutablePath()).parent_path() / STATS_LIBRARY_NAME;
  std::string error;
  void* handle = platform::OpenSharedLibrary(library.string(), error);
  if (handle == nullptr) {
    std::fprintf(stderr, "%s: %s\n", library.string().c_str(), error.c_str());
    return 1;
  }
  g_exports.resetStats =
      reinterpret_cast<ResetStats0Fn>(platform::FindSharedLibrarySymbol(handle, "ResetStats0"));
  g_exports.addData =
      reinterpret_cast<QsoDataFn>(platform::FindSharedLibrarySymbol(handle, "AddData0"));
  g_exports.getResult =
      reinterpret_cast<GetResult0Fn>(platform::FindSharedLibrarySymbol(handle, "GetResult0"));
  g_exports.checkCall =
      reinterpret_cast<CheckCall0Fn>(platform::FindSharedLibrarySymbol(handle, "CheckCall0"));
  if (!g_exports.resetStats || !g_exports.addData || !g_exports.getResult ||
      !g_exports.checkCall) {
    std::fprintf(stderr, "%s: an export is missing\n", library.string().c_str());
    return 1;
  }

  // The plug-in writes its check file into the current folder.
  std::string scratch = (fs::temp_directory_path() / "zelta-bench-XXXXXX").string();
  if (mkdtemp(scratch.data()) == nullptr) return 1;
  g_scratch = scratch;
  const fs::path previous = fs::current_path();

  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();

  fs::current_path(previous);
  platform::CloseSharedLibrary(handle);
  std::error_code ignored;
  fs::remove_all(scratch, ignored);
  return 0;
}
