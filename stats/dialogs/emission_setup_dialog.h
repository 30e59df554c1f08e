// The emission setup: the operator picks CW or SSB in a small dialog that runs
// on a worker thread while the host's thread keeps delivering its messages.
#pragma once

#include <atomic>
#include <cstdint>

namespace stats {

struct PluginState;

// The dialog of template 104 for one call of SetupSet().
struct EmissionSetupDialog {
  std::int32_t emission = 0;            // the choice being edited: 1 CW, 0 SSB
  std::atomic<bool> modalDone{false};   // set by the worker once the dialog has closed
  std::int32_t modalResult = 0;         // 1 for OK; anything else: Cancel, closed, failed

  // RunModal()
  // Runs the dialog without an owner on a worker thread. Meanwhile the calling
  // thread keeps delivering its own window messages (platform::PumpMessagesUntil).
  // A click on "CW" sets `emission` to 1, on "SSB" to 0. Returns `modalResult`
  // once the worker has finished; `emission` may then be read.
  int RunModal();
};

// SetupSet()
// Shows the emission dialog, starting from `state.emissionChoice`. On OK keeps
// the choice in `state.emissionChoice` (1 CW, 0 SSB) and writes it as "%i"
// under "Mode" in the settings file; the outcome of that write is ignored. On
// Cancel, closing, or a dialog that cannot be shown nothing changes.
void SetupSet(PluginState& state);

}  // namespace stats
