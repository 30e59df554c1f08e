// POSIX side of host_system.h.
#include <fcntl.h>
#include <unistd.h>

#include <climits>

#include "host/host_system.h"

namespace zelta {

std::string ExecutablePath() {
  char path[PATH_MAX];
  const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
  if (length <= 0) return std::string();
  return std::string(path, static_cast<std::size_t>(length));
}

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
