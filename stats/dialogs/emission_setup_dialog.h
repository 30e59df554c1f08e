// The emission setup: the operator picks CW or SSB.
#pragma once

struct PluginState;

// SetupSet()
// Shows the emission dialog; on OK keeps the choice in `state.emissionChoice`
// (1 CW, 0 SSB) and writes it under "Mode" in the settings file.
void SetupSet(PluginState& state);
