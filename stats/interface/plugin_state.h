// Everything the plug-in keeps for the life of the process, in one place.
//
// Members are constructed in declaration order when the library is loaded and
// destroyed in reverse order when it is unloaded; nothing else runs at either time.
#pragma once

#include <cstdint>
#include <string>

#include "stats/settings/entrant_details.h"
#include "stats/state/run_state.h"

struct PluginState {
  EntrantDetails entrantDetails;
  RunState run;
  std::string summaryText;           // the text the last GetResult0 returned
  std::int32_t emissionChoice = 0;   // 1 CW, 0 SSB: the last confirmed emission dialog
};

// The process-wide instance behind the exports.
PluginState& Plugin();
