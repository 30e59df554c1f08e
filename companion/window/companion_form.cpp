// What the companion window does on each of its events.
#include "companion/window/companion_form.h"

#include <cstdio>

namespace companion {

std::string HostErrorText(const HostError& error) {
  char code[32];
  std::snprintf(code, sizeof code, "0x%08lX", static_cast<unsigned long>(error.code) & 0xFFFFFFFFUL);
  std::string text = "Orvo2 could not switch the mode:\n\n";
  text += error.description.empty() ? std::string("(no description)") : error.description;
  text += "\n\nError code: ";
  text += code;
  return text;
}

FormNext CompanionForm::Load() {
  if (!host_.BindHost()) {
    services_.ShowMessage(kHostNotLoadedText);
    return End();
  }
  // The name marks a running copy; any last-error code (already exists, or the
  // call failed) means this copy must not run.
  InstanceMarker marker = services_.CreateInstanceSemaphore(kInstanceSemaphoreName);
  if (marker.lastError != 0 || !marker.handleValid) return End();

  hostWindow_ = host_.FindHostWindow();
  services_.MakeTopmost();
  // Every start puts the host into CW; a host error here does not stop the start.
  (void)host_.RunHostMacro(kCwMacro);
  host_.FocusHost(hostWindow_);
  return FormNext::kKeepRunning;
}

FormNext CompanionForm::SwitchMode(const char* macro) {
  if (std::optional<HostError> error = host_.RunHostMacro(macro)) {
    // The action stops at the error; the operator is told and the switcher stays.
    services_.ShowMessage(HostErrorText(*error));
    return FormNext::kKeepRunning;
  }
  host_.FocusHost(hostWindow_);
  return FormNext::kKeepRunning;
}

FormNext CompanionForm::Tick() {
  if (!host_.BindHost()) return End();
  return FormNext::kKeepRunning;
}

FormNext CompanionForm::Unload() { return End(); }

FormNext CompanionForm::End() {
  host_.ReleaseHost();
  return FormNext::kEndProgram;
}

}  // namespace companion
