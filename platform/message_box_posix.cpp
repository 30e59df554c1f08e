// POSIX side of message_box.h: the box becomes a line on standard error.
#include <cstdio>

#include "platform/message_box.h"

namespace platform {

void ShowMessageBoxNative(const std::string& text, const char* caption, MessageIcon /*icon*/,
                          bool /*ownedByActiveWindow*/) {
  // "Error" is the caption Windows gives a box that has none of its own.
  std::fprintf(stderr, "%s: %s\n", caption ? caption : "Error", text.c_str());
  std::fflush(stderr);
}

}  // namespace platform
