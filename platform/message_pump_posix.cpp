// POSIX side of message_pump.h: no message queue, so only the wait remains.
#include <chrono>
#include <thread>

#include "platform/message_pump.h"

namespace platform {

void PumpMessagesUntil(const std::function<bool()>& done) {
  while (!done()) std::this_thread::sleep_for(std::chrono::milliseconds(10));
}

}  // namespace platform
