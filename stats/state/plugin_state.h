// Everything the plug-in keeps for the life of the process, in one place.
//
// Members are constructed in declaration order when the library is loaded and
// destroyed in reverse order when it is unloaded; nothing else runs at either time.
#pragma once

#include <cstdint>
#include <deque>
#include <string>

#include "stats/settings/entrant_details.h"
#include "stats/state/run_state.h"

namespace stats {

struct PluginState {
  EntrantDetails entrantDetails;
  RunState run;
  // The summaries GetResult0 handed out that the host may still hold: the last
  // call's, and those of calls the host made from inside that call's boxes. A
  // deque, so that adding one never moves the others.
  std::deque<std::string> summaryTexts;
  std::int32_t emissionChoice = 0;   // 1 CW, 0 SSB: the last confirmed emission dialog
};

// The process-wide instance behind the exports.
PluginState& Plugin();

}  // namespace stats
