// The log robot on loopback, as entrants and the organiser use it: one upload of a
// 5,000-QSO log answered (its receipt committed to disk), 50 clients uploading 300-QSO
// logs at once, and the organiser's check of 1,000 logs of 1,000 QSOs beside the same
// check done as `zelta adjudicate --out` does it. The robot runs in this process with
// libStats loaded by path from beside the benchmark; its folder is in TMPDIR.
#include <httplib.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <thread>
#include <vector>

#include <benchmark/benchmark.h>

#include "adjudication/adjudicator.h"
#include "adjudication/outputs.h"
#include "adjudication/rules_file.h"
#include "adjudication/simulator.h"
#include "bench/synthetic_log.h"
#include "platform/shared_library.h"
#include "reports/reports.h"
#include "robot/service.h"

namespace fs = std::filesystem;

namespace {

std::string PluginPath() {
  return (fs::path(platform::ExecutablePath()).parent_path() / STATS_LIBRARY_NAME).string();
}

// A call of its own for every upload: Q, a digit, four letters.
std::string CallOf(int n) {
  std::string call = "Q" + std::to_string(n % 10);
  for (int i = 0, rest = n / 10; i < 4; ++i, rest /= 26) call += static_cast<char>('A' + rest % 26);
  return call;
}

// The robot serving a contest folder (the synthetic logs' region list) on loopback.
class Served {
 public:
  explicit Served(const std::string& name, const std::string& regionList) {
    dir_ = fs::temp_directory_path() / ("zelta-bench-robot-" + name);
    fs::remove_all(dir_);
    fs::create_directories(dir_ / "Plugins");
    std::ofstream(dir_ / "Plugins" / "zelta.dom", std::ios::binary) << regionList;
    robot::RobotOptions options;
    options.contestDir = dir_.string();
    options.port = 0;
    options.pluginPath = PluginPath();
    robot_ = std::make_unique<robot::Robot>(options, [](const std::string&) {});
    thread_ = std::thread([this] { robot_->Serve(); });
  }
  ~Served() {
    robot_->Stop();
    thread_.join();
    fs::remove_all(dir_);
  }
  int Port() const { return robot_->Port(); }
  const fs::path& Dir() const { return dir_; }

 private:
  fs::path dir_;
  std::unique_ptr<robot::Robot> robot_;
  std::thread thread_;
};

void BM_RobotUpload(benchmark::State& state) {
  const bench::SyntheticLog log = bench::MakeSyntheticLog(static_cast<std::size_t>(state.range(0)));
  Served served("upload", log.regionListText);
  httplib::Client client("127.0.0.1", served.Port());
  int n = 0;
  for (auto _ : state) {
    state.PauseTiming();
    const std::string adif = bench::AdifText(log, CallOf(n++));
    state.ResumeTiming();
    const auto answer = client.Post("/api/logs", adif, "application/octet-stream");
    if (!answer || answer->status != 200) {
      state.SkipWithError("an upload was not receipted");
      break;
    }
  }
  state.counters["QSOs"] = static_cast<double>(state.range(0));
}
BENCHMARK(BM_RobotUpload)->Arg(5000)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3);

void BM_RobotConcurrentUploads(benchmark::State& state) {
  const int clients = static_cast<int>(state.range(0));
  constexpr int kPerClient = 10;
  const bench::SyntheticLog log = bench::MakeSyntheticLog(300);
  Served served("concurrent", log.regionListText);
  std::atomic<int> next{0};
  std::atomic<int> failed{0};
  for (auto _ : state) {
    std::vector<std::thread> threads;
    for (int c = 0; c < clients; ++c) {
      threads.emplace_back([&] {
        httplib::Client client("127.0.0.1", served.Port());
        for (int i = 0; i < kPerClient; ++i) {
          const auto answer = client.Post("/api/logs", bench::AdifText(log, CallOf(next++)),
                                          "application/octet-stream");
          if (!answer || answer->status != 200) ++failed;
        }
      });
    }
    for (std::thread& thread : threads) thread.join();
  }
  if (failed > 0) state.SkipWithError("an upload was not receipted");
  state.counters["uploads_per_s"] = benchmark::Counter(
      static_cast<double>(clients * kPerClient), benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_RobotConcurrentUploads)->Arg(50)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3);

// A simulated contest of about 1,000 logs of about 1,000 QSOs, written once: its logs
// uploaded to a robot, and in a folder for the check as zelta adjudicate makes it.
struct Contest {
  fs::path dir;
  adjudication::Rules rules;
  std::unique_ptr<Served> served;
  std::size_t qsos = 0;
};

Contest& BigContest(int logs) {
  static Contest contest;
  if (!contest.served) {
    const adjudication::SimulatedContest simulated = adjudication::Simulate({logs * 10 / 9, 1000, 1, true});
    contest.dir = fs::temp_directory_path() / "zelta-bench-robot-contest";
    fs::remove_all(contest.dir);
    std::string error;
    if (!adjudication::WriteSimulation(simulated, contest.dir.string(), error)) std::abort();
    contest.rules = adjudication::ParseRules(simulated.rules, "rules.ini");
    contest.qsos = simulated.qsoCount;
    contest.served = std::make_unique<Served>("check", simulated.regionList);
    fs::copy_file(contest.dir / "rules.ini", contest.served->Dir() / "rules.ini");
    httplib::Client client("127.0.0.1", contest.served->Port());
    for (const auto& [file, bytes] : simulated.logs) {
      const auto answer = client.Post("/api/logs", bytes, "text/plain");
      if (!answer || answer->status != 200) std::abort();
    }
  }
  return contest;
}

std::string Token(const fs::path& dir) {
  std::ifstream in(dir / "robot" / "organiser.token");
  std::string token;
  in >> token;
  return token;
}

void BM_RobotCheck(benchmark::State& state) {
  Contest& contest = BigContest(static_cast<int>(state.range(0)));
  httplib::Client client("127.0.0.1", contest.served->Port());
  client.set_read_timeout(std::chrono::minutes(30));
  const httplib::Headers bearer = {{"Authorization", "Bearer " + Token(contest.served->Dir())}};
  for (auto _ : state) {
    const auto answer = client.Post("/api/check", bearer, "", "text/plain");
    if (!answer || answer->status != 200) state.SkipWithError("the check failed");
  }
  state.counters["QSOs"] = static_cast<double>(contest.qsos);
}

// What `zelta adjudicate LOGDIR --dir DIR --rules FILE --out DIR` does.
void BM_ZeltaAdjudicateOut(benchmark::State& state) {
  Contest& contest = BigContest(static_cast<int>(state.range(0)));
  zelta::StatsPlugin plugin;
  std::string error;
  if (!plugin.Load(PluginPath(), error)) {
    state.SkipWithError(error.c_str());
    return;
  }
  const fs::path out = contest.dir / "results";
  for (auto _ : state) {
    std::vector<std::string> notes;
    const adjudication::Contest checked = adjudication::Adjudicate(
        {(contest.dir / "logs").string(), contest.dir.string(), contest.rules}, plugin, notes);
    fs::create_directories(out);
    std::ofstream(out / "verdicts.json", std::ios::binary) << adjudication::VerdictsJson(checked);
    if (!reports::WriteReports(checked, out.string(), reports::Language::kRussian, error)) {
      state.SkipWithError(error.c_str());
    }
  }
  state.counters["QSOs"] = static_cast<double>(contest.qsos);
}
BENCHMARK(BM_ZeltaAdjudicateOut)->Arg(1000)->Unit(benchmark::kSecond)->UseRealTime()->Iterations(1);
BENCHMARK(BM_RobotCheck)->Arg(1000)->Unit(benchmark::kSecond)->UseRealTime()->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
