// Ext_zelta.exe: the always-on-top CW/SSB switcher beside the running host.
#include <windows.h>

#include "companion/host/host_link_win32.h"
#include "companion/window/form_window_win32.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  // The automation calls run on this one thread, in a single-threaded apartment.
  CoInitialize(nullptr);
  companion::Win32HostLink host;
  return companion::RunFormWindow(instance, host);
}
