#include "stats/dialogs/emission_setup_dialog.h"

#include <string>
#include <system_error>
#include <thread>

#include "platform/message_pump.h"
#include "platform/modal_dialog.h"
#include "stats/dialogs/dialog_ids.h"
#include "stats/state/plugin_state.h"
#include "stats/settings/settings_store.h"

namespace stats {

namespace {

// The template's caption in Windows-1251: "Вид излучения" (type of emission).
constexpr char kEmissionCaption[] = "\xC2\xE8\xE4 \xE8\xE7\xEB\xF3\xF7\xE5\xED\xE8\xFF";

platform::DialogForm EmissionForm(std::int32_t emission) {
  platform::DialogField choice;
  choice.kind = platform::FieldKind::kChoice;
  choice.options = {{IDC_CW, "CW", 1}, {IDC_SSB, "SSB", 0}};
  choice.value = emission;

  platform::DialogForm form;
  form.templateId = IDD_EMISSION_SETUP;
  form.caption = kEmissionCaption;
  form.fields.push_back(choice);
  return form;
}

}  // namespace

int EmissionSetupDialog::RunModal() {
  modalDone.store(false, std::memory_order_relaxed);
  try {
    std::thread worker([this] {
      try {
        platform::DialogForm form = EmissionForm(emission);
        modalResult = platform::RunModalDialog(form);
        emission = form.fields.front().value;
      } catch (...) {
        modalResult = platform::kDialogNotShown;
      }
      // Publishes modalResult and emission to the waiting thread.
      modalDone.store(true, std::memory_order_release);
    });
    platform::PumpMessagesUntil([this] { return modalDone.load(std::memory_order_acquire); });
    worker.join();
  } catch (const std::system_error&) {
    // No worker thread: the dialog was never shown.
    return platform::kDialogNotShown;
  }
  return modalResult;
}

void SetupSet(PluginState& state) {
  EmissionSetupDialog dialog;
  dialog.emission = state.emissionChoice;
  if (dialog.RunModal() != platform::kDialogOk) return;
  state.emissionChoice = dialog.emission;
  WriteSetting(kModeKey, std::to_string(state.emissionChoice));
}

}  // namespace stats
