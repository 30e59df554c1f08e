// Win32 side of message_pump.h.
#include <windows.h>

#include "platform/message_pump.h"

namespace platform {

void PumpMessagesUntil(const std::function<bool()>& done) {
  bool quitTaken = false;
  int quitCode = 0;
  while (!done()) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) {
        // The quit request belongs to the thread's own loop, which runs again
        // only after we return.
        quitTaken = true;
        quitCode = static_cast<int>(msg.wParam);
        continue;
      }
      if (msg.hwnd != nullptr) SendMessageA(msg.hwnd, msg.message, msg.wParam, msg.lParam);
    }
    Sleep(10);
  }
  if (quitTaken) PostQuitMessage(quitCode);
}

}  // namespace platform
