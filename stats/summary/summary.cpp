#include "stats/summary/summary.h"

#include "stats/interface/plugin_state.h"

const char* GetResult(PluginState& state, int* score) {
  // The summary and the Cabrillo log are not built yet.
  state.summaryText.clear();
  if (score != nullptr) *score = 0;
  return state.summaryText.c_str();
}
