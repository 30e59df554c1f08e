#include "stats/state/plugin_state.h"

namespace stats {

namespace {
// Constructed when the library is loaded, destroyed when it is unloaded.
PluginState g_plugin;
}  // namespace

PluginState& Plugin() { return g_plugin; }

}  // namespace stats
