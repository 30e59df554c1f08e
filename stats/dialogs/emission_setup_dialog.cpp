#include "stats/dialogs/emission_setup_dialog.h"

#include "stats/interface/plugin_state.h"

void SetupSet(PluginState& /*state*/) {
  // The dialog is not built yet: nothing to choose, nothing written.
}
