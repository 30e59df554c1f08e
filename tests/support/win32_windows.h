// Finding, reading and capturing windows in the Win32 tests: those that drive
// this process's own dialogs from a second thread and those that drive another
// program. Every wait is a guard against hangs, not a measure of speed.
#pragma once

#include <windows.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace testing_support {

// Polls `condition` until it holds or `limitMs` has passed; its last answer.
bool WaitUntil(const std::function<bool()>& condition, DWORD limitMs = 20000);

// The first visible top-level window of process `pid` with class `className`
// and, when given, `caption` (for a dialog: filled and in its modal loop), or
// null after the wait or once `gone` says its process ended.
HWND WaitForWindow(DWORD pid, const char* className, const wchar_t* caption = nullptr,
                   const std::function<bool()>& gone = nullptr);

// A window's text, by message, so that it works across threads and processes.
std::string WindowText(HWND window);
inline std::string ControlText(HWND dialog, int id) { return WindowText(GetDlgItem(dialog, id)); }

// Under Xvfb no window manager draws frames: Wine is told to draw those of the
// program `exeName` itself. Takes effect for windows created afterwards.
void LetWineDrawFrames(const char* exeName);

struct Capture {
  int clientWidth = 0;
  int clientHeight = 0;
  std::vector<unsigned> clientPixels;  // 0x00RRGGBB, row by row from the top
};

// Writes what `window` shows, frame included, to a BMP file and returns its
// client area. A window of this process is painted first and read through its
// own device context; another process's window is read off the screen, so it
// must not be covered.
Capture CaptureWindow(HWND window, const std::filesystem::path& bmpFile);

}  // namespace testing_support
