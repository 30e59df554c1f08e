// POSIX side of host_system.h.
#include <fcntl.h>
#include <unistd.h>

#include "host/host_system.h"

namespace zelta {

const char* PluginFileName() { return "libStats.so"; }

void PrepareStandardOutput() {}

bool StandardErrorIsTerminal() { return isatty(STDERR_FILENO) == 1; }

void StartBatchMode() {
  const int null = open("/dev/null", O_RDONLY);
  if (null < 0) return;
  dup2(null, STDIN_FILENO);
  close(null);
}

}  // namespace zelta
