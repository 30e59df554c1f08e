// The test hook in front of the platform's program start.
#include "platform/launch.h"

#include <utility>

namespace platform {
namespace {
std::function<void(const std::string&)>& Hook() {
  static std::function<void(const std::string&)> hook;
  return hook;
}
}  // namespace

void SetStartProgramHook(std::function<void(const std::string& commandLine)> hook) {
  Hook() = std::move(hook);
}

void StartProgram(const std::string& commandLine) {
  if (Hook()) {
    Hook()(commandLine);
    return;
  }
  StartProgramNative(commandLine);
}

}  // namespace platform
