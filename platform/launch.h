// Starting another program without waiting for it.
#pragma once

#include <functional>
#include <string>

namespace platform {

// StartProgram()
// Runs `commandLine` with a normal, shown window and returns at once. Whether the
// program could be started is not reported. On POSIX nothing is started (the
// companion program exists for Windows only).
void StartProgram(const std::string& commandLine);

// Test seam: while set, StartProgram() hands the command line to the hook instead.
void SetStartProgramHook(std::function<void(const std::string& commandLine)> hook);

// The platform's own start; called by StartProgram() when no hook is set.
void StartProgramNative(const std::string& commandLine);

}  // namespace platform
