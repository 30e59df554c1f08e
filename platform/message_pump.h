// Keeping the calling thread's window messages moving while another thread
// runs a modal dialog.
#pragma once

#include <functional>

namespace platform {

// PumpMessagesUntil()
// Until `done()` returns true: takes every message waiting in the calling
// thread's queue (any window, any message number) and delivers each at once to
// its window with a direct send, without translating key strokes; a message for
// no window goes nowhere. When the queue is empty, sleeps 10 ms and asks
// `done()` again. A request to quit (WM_QUIT) taken from the queue meanwhile is
// posted again, with its exit code, once `done()` is true, so it is not lost.
// On POSIX there is no message queue: it only waits, looking every 10 ms.
void PumpMessagesUntil(const std::function<bool()>& done);

}  // namespace platform
