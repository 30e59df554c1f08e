// The stand-in host's side of the plug-in boundary: loads the plug-in by path,
// finds its exports by name and calls them with complete argument lists, in the
// host program's order (ResetStats0, AddData0 per QSO, GetResult0).
#pragma once

#include <string>

#include "logs/qso_log.h"
#include "platform/ole_calendar.h"
#include "stats/interface/stats_abi.h"

namespace zelta {

class StatsPlugin {
 public:
  StatsPlugin() = default;
  ~StatsPlugin();
  StatsPlugin(const StatsPlugin&) = delete;
  StatsPlugin& operator=(const StatsPlugin&) = delete;

  // Load()
  // Loads the library at `path` and looks up the exports the host calls. False,
  // with the reason in `error`, when the library cannot be loaded or lacks one.
  bool Load(const std::string& path, std::string& error);

  // Unload()
  // Unloads the library; the plug-in's process-wide state ends with it.
  void Unload();

  // Reload()
  // Unloads the library and loads it again from the same path: a fresh plug-in, whose
  // files of the last run are closed. False, with the reason, as Load().
  bool Reload(std::string& error);

  // ResetStats()
  // Starts a scoring run for `ownCall`; `first` is the run's first date-time (UTC).
  int ResetStats(const std::string& ownCall, bool reportRequested,
                 const platform::CalendarTime& first);

  // AddData()
  // Hands one QSO over: 1 when the plug-in counts it, 0 when it refuses it.
  // `runOwnCall` stands in for the QSO's own call when the log gives none.
  int AddData(const std::string& runOwnCall, const logs::LogQso& qso);

  // GetResult()
  // The summary text (Windows-1251 bytes, copied) and the score through `score`.
  std::string GetResult(int& score);

  // CheckCall()
  // 0 duplicate, 1 ordinary, 2 new multiplier with its message in `message`.
  int CheckCall(const std::string& call, const std::string& band, const std::string& mode,
                std::string& message);

  // IsValidExchg(), GetExchgCount()
  int IsValidExchg(const std::string& exchange);
  int GetExchgCount();

 private:
  void* library_ = nullptr;
  std::string path_;
  ResetStats0Fn resetStats_ = nullptr;
  QsoDataFn addData_ = nullptr;
  GetResult0Fn getResult_ = nullptr;
  CheckCall0Fn checkCall_ = nullptr;
  IsValidExchg0Fn isValidExchg_ = nullptr;
  GetExchgCount0Fn getExchgCount_ = nullptr;
};

}  // namespace zelta
