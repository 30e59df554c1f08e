// The start of a scoring run and the scoring-set queries.
#pragma once

#include <string>

#include "stats/state/ole_date_time.h"
#include "stats/state/plugin_state.h"

namespace stats {

inline constexpr char kCompanionCommandLine[] = ".\\Plugins\\Ext_zelta.exe";
inline constexpr char kScoringSetName[] = "ZELTA-CUP";

// ResetStats()
// Ends the current run and starts the next: keeps the start date, starts the
// companion program, empties the store and the band list, keeps the report flag
// and the own call, creates the check file, and with the report flag runs the
// header step. Returns 1.
int ResetStats(PluginState& state, int reportRequested, const std::string& ownCall,
               const COleDateTime& firstDateTime);

// StartDateText(): the first ten characters of the date-time in the user's form.
std::string StartDateText(const COleDateTime& firstDateTime);

// NumberOfSets(): the plug-in offers one scoring set.
int NumberOfSets();

// SetName(): the name of scoring set `index`: "ZELTA-CUP" for 0, else empty.
// Static text, valid while the library is loaded.
const char* SetName(int index);

}  // namespace stats
