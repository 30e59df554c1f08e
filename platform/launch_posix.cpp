// POSIX side of launch.h: there is no companion program to start.
#include "platform/launch.h"

namespace platform {

void StartProgramNative(const std::string& /*commandLine*/) {}

}  // namespace platform
