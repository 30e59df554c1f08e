#include "stats/interface/run_lifecycle.h"

#include "platform/launch.h"
#include "platform/locale_date.h"
#include "stats/dialogs/header_dialog.h"

namespace stats {

std::string StartDateText(const COleDateTime& firstDateTime) {
  if (firstDateTime.status != COleDateTime::kValid) return std::string();
  return platform::UserLocaleDateTimeText(firstDateTime.dt).substr(0, 10);
}

int ResetStats(PluginState& state, int reportRequested, const std::string& ownCall,
               const COleDateTime& firstDateTime) {
  RunState& run = state.run;
  run.startDateText = StartDateText(firstDateTime);
  platform::StartProgram(kCompanionCommandLine);
  run.qsoStore.Clear();
  run.bandList.Clear();
  run.reportRequested = reportRequested;
  run.ownCall = ownCall;
  run.regionList.StartRun();
  run.checkFile.Create(ownCall);
  if (run.reportRequested != 0) EditEntrantDetails(state.entrantDetails, ownCall);
  return 1;
}

int NumberOfSets() { return 1; }

const char* SetName(int index) { return index == 0 ? kScoringSetName : ""; }

}  // namespace stats
