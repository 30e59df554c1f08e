// The companion's window, Form1: creates it, runs its start-up, and delivers
// its events to CompanionForm until the program ends. Win32 only.
#pragma once

namespace companion {

class HostLink;

// RunFormWindow()
// Runs the whole program on the calling thread (COM already initialised) and
// returns its exit code. `instance` is the program's HINSTANCE.
int RunFormWindow(void* instance, HostLink& host);

}  // namespace companion
