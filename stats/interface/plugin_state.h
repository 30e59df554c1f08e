// Moved to stats/state/plugin_state.h; kept for the code outside the plug-in that still
// includes it here.
#pragma once

#include "stats/state/plugin_state.h"
