// What the companion window does on each of its events: the start-up sequence,
// the two mode buttons, the host watch on every timer tick, and the shutdown.
//
// The logic holds no Win32 types. The window (form_window_win32.cpp) forwards its
// events here and carries out the answer; the host is reached through HostLink
// and the few window and system services through FormServices.
#pragma once

#include <string>

#include "companion/host/host_link.h"

namespace companion {

// Texts the operator sees.
inline constexpr char kHostNotLoadedText[] = "Orvo2 is not loaded";
inline constexpr char kInstanceSemaphoreName[] = "Ruva_Roda";
inline constexpr char kCwMacro[] = "<MODE:CW>";
inline constexpr char kSsbMacro[] = "<MODE:SSB>";

// The single-instance marker as the system handed it out.
struct InstanceMarker {
  bool handleValid = false;  // the call returned a handle
  unsigned long lastError = 0;  // the thread's last-error code directly after the call
};

// Window and system services that the logic asks for.
class FormServices {
 public:
  virtual ~FormServices() = default;
  // Shows `text` in a modal box with one OK button; returns when it is closed.
  virtual void ShowMessage(const std::string& text) = 0;
  // Creates the named semaphore (no security attributes, count 0, maximum 1)
  // and keeps its handle for the life of the process.
  virtual InstanceMarker CreateInstanceSemaphore(const char* name) = 0;
  // Places the window above all non-topmost windows, without moving or sizing it.
  virtual void MakeTopmost() = 0;
};

// What the window does after an event.
enum class FormNext {
  kKeepRunning,  // go on (after Load: show the window and start the timer)
  kEndProgram,   // end at once: no further event, destroy the window, exit
};

// HostErrorText()
// The report shown when the host raises an error during a button's action.
std::string HostErrorText(const HostError& error);

class CompanionForm {
 public:
  CompanionForm(HostLink& host, FormServices& services) : host_(host), services_(services) {}

  // Start-up sequence, run before the window is first shown: bind to the host
  // (a failure is reported, then the program ends), claim the single-instance
  // semaphore (a copy already running ends this one silently), find the host's
  // window, go topmost, switch the host to CW and give it the foreground.
  FormNext Load();

  // Mode buttons: send the macro, then give the host the foreground. An error
  // raised by the host is reported and the program keeps running; the host then
  // keeps the mode it had, and the foreground stays where it is.
  FormNext ClickCw() { return SwitchMode(kCwMacro); }
  FormNext ClickSsb() { return SwitchMode(kSsbMacro); }

  // Host watch: bind again; ends the program silently once the host is gone.
  FormNext Tick();

  // The window is being closed: release the host and end.
  FormNext Unload();

  // The host window found at start-up; nullptr when none was found.
  void* HostWindow() const { return hostWindow_; }

 private:
  FormNext SwitchMode(const char* macro);
  FormNext End();

  HostLink& host_;
  FormServices& services_;
  void* hostWindow_ = nullptr;
};

}  // namespace companion
