// What the plug-in's message boxes said, seen from outside the plug-in (which has
// its own copy of the platform layer, so the in-process test hook cannot reach it).
#pragma once

#include <string>

// Collects every message box shown while the object lives, one line per box,
// "caption: text", and answers each with OK (the plug-in's header dialog is
// cancelled, as where it cannot be shown). Win32: a watcher thread finds the
// boxes of this process, reads them and presses OK. POSIX: the boxes are lines
// on standard error, which is redirected to a file meanwhile.
class BoxCapture {
 public:
  BoxCapture();
  ~BoxCapture();
  BoxCapture(const BoxCapture&) = delete;
  BoxCapture& operator=(const BoxCapture&) = delete;

  // Stops collecting and returns the lines, each ending in "\n".
  std::string Finish();

 private:
  struct State;
  State* state_;
};
