// The companion's link to the running host: bind to its automation object, send
// it macro commands, find its main window and hand the foreground to it.
//
// The window logic talks to the host only through this interface; the program
// uses the Win32 implementation (host_link_win32.cpp), the unit tests a fake.
#pragma once

#include <optional>
#include <string>

namespace companion {

// Programmatic identifier of the host's automation object.
inline constexpr char kHostProgId[] = "Orvo2.Application";

// An error raised by the host (or by the automation layer) during a call.
struct HostError {
  std::string description;  // the error's own text, ANSI code page; may be empty
  long code = 0;            // HRESULT or the host's error code
};

class HostLink {
 public:
  virtual ~HostLink() = default;

  // BindHost()
  // Takes the running instance of the host's automation object and keeps its
  // dispatch interface, releasing the one held before. Never starts the host.
  // Returns false when there is none (not registered, not running, no dispatch
  // interface); the previously held reference then stays.
  virtual bool BindHost() = 0;

  // RunHostMacro()
  // Calls the host's "ExecuteMacros" with `macro` as its one string argument.
  // Returns the error the host raised, or an error when nothing is bound.
  virtual std::optional<HostError> RunHostMacro(const std::string& macro) = 0;

  // FindHostWindow()
  // The first top-level window, in the system's enumeration order, whose class
  // name begins with kHostWindowClassPrefix; nullptr when there is none.
  virtual void* FindHostWindow() = 0;

  // FocusHost()
  // Brings `window` to the foreground; a failure (nullptr, a closed window) is ignored.
  virtual void FocusHost(void* window) = 0;

  // ReleaseHost()
  // Drops the held reference, if any.
  virtual void ReleaseHost() = 0;
};

}  // namespace companion
