// Win32 side of box_capture.h: a thread that reads and closes this process's boxes.
#include <windows.h>

#include <atomic>
#include <mutex>
#include <thread>

#include "tests/golden/box_capture.h"

namespace {

// The id of the static control that shows a message box's text.
constexpr int kMessageBoxTextId = 0xFFFF;

std::string WindowText(HWND window) {
  char text[4096] = "";
  GetWindowTextA(window, text, sizeof text);
  return text;
}

BOOL CALLBACK FindBox(HWND window, LPARAM found) {
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  char className[16] = "";
  GetClassNameA(window, className, sizeof className);
  // "#32770" is the class of dialog boxes, message boxes among them.
  if (process == GetCurrentProcessId() && IsWindowVisible(window) &&
      lstrcmpA(className, "#32770") == 0) {
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
  }
  return TRUE;
}

}  // namespace

struct BoxCapture::State {
  std::atomic<bool> stop{false};
  std::mutex mutex;
  std::string lines;
  std::thread watcher;
};

BoxCapture::BoxCapture() : state_(new State) {
  State* state = state_;
  state->watcher = std::thread([state] {
    while (!state->stop) {
      HWND box = nullptr;
      EnumWindows(FindBox, reinterpret_cast<LPARAM>(&box));
      if (box != nullptr && WindowText(box) == "ZELTA TROPHY") {
        // The plug-in's Cabrillo header dialog: cancelled, as on POSIX, where a
        // test has no terminal to show it on.
        SendMessageA(box, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        while (IsWindow(box) && !state->stop) Sleep(10);
      } else if (box != nullptr) {
        const std::string line = WindowText(box) + ": " +
                                 WindowText(GetDlgItem(box, kMessageBoxTextId)) + "\n";
        {
          std::lock_guard<std::mutex> lock(state->mutex);
          state->lines += line;
        }
        SendMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        // Wait until the box has gone before looking for the next one.
        while (IsWindow(box) && !state->stop) Sleep(10);
      }
      Sleep(20);
    }
  });
}

std::string BoxCapture::Finish() {
  state_->stop = true;
  if (state_->watcher.joinable()) state_->watcher.join();
  std::lock_guard<std::mutex> lock(state_->mutex);
  return state_->lines;
}

BoxCapture::~BoxCapture() {
  Finish();
  delete state_;
}
