// The score summary that GetResult0 returns.
#pragma once

#include <string>

struct PluginState;

// GetResult()
// Rebuilds the summary into `state.summaryText`, stores the score through `score`
// (when not null) and returns the summary's characters.
const char* GetResult(PluginState& state, int* score);
