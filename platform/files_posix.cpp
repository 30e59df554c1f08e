// POSIX side of files.h.
#include <sys/stat.h>

#include <cstdio>
#include <ctime>

#include "platform/files.h"

namespace platform {

std::string NativePath(const std::string& path) {
  std::string native = path;
  for (char& c : native) {
    if (c == '\\') c = '/';
  }
  return native;
}

bool ReplaceFile(const std::string& fromPath, const std::string& toPath) {
  return std::rename(fromPath.c_str(), toPath.c_str()) == 0;
}

std::int64_t FileTimeNow() {
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  return static_cast<std::int64_t>(now.tv_sec) * 1000000000 + now.tv_nsec;
}

std::int64_t FileTimeSpan(int seconds) { return static_cast<std::int64_t>(seconds) * 1000000000; }

bool GetFileStamp(const std::string& path, FileStamp& stamp) {
  struct stat info;
  if (stat(path.c_str(), &info) != 0) return false;
  stamp.identity = static_cast<std::uint64_t>(info.st_dev);
  stamp.identity2 = static_cast<std::uint64_t>(info.st_ino);
  stamp.size = static_cast<std::uint64_t>(info.st_size);
  stamp.modified = static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1000000000 +
                   info.st_mtim.tv_nsec;
  return true;
}

}  // namespace platform
