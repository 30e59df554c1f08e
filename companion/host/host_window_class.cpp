// Recognising the host's main window by the beginning of its class name.
#include "companion/host/host_window_class.h"

#include <cstring>

namespace companion {

bool IsHostWindowClass(const char* className) {
  // strncmp stops at the name's terminator, so a shorter name differs there.
  return std::strncmp(className, kHostWindowClassPrefix, sizeof kHostWindowClassPrefix - 1) == 0;
}

}  // namespace companion
