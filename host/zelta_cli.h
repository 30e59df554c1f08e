// The command line of the stand-in host: score, check, exchange, demo.
#pragma once

namespace zelta {

// RunZelta()
// Runs one command and returns the exit status: 0 done, 2 a usage error, 1 a log,
// folder or plug-in that cannot be used (the message names it on standard error).
int RunZelta(int argc, char** argv);

}  // namespace zelta
