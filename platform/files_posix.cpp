// POSIX side of files.h.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
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

bool WriteFileAtomically(const std::string& path, const std::string& bytes) {
  static std::atomic<unsigned> counter{0};
  struct stat old;
  const bool hadFile = ::stat(path.c_str(), &old) == 0;
  std::string temporary;
  int fd = -1;
  for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
    temporary = path + ".~" + std::to_string(::getpid()) + "-" + std::to_string(counter++) + ".tmp";
    fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EEXIST) return false;
  }
  if (fd < 0) return false;
  bool ok = true;
  for (std::size_t done = 0; ok && done < bytes.size();) {
    const ssize_t put = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (put < 0 && errno == EINTR) continue;
    ok = put > 0;
    if (ok) done += static_cast<std::size_t>(put);
  }
  if (ok && hadFile) ok = ::fchmod(fd, old.st_mode & 07777) == 0;
  if (ok) ok = ::fsync(fd) == 0;
  if (::close(fd) != 0) ok = false;
  if (ok) ok = ReplaceFile(temporary, path);
  if (!ok) ::unlink(temporary.c_str());
  return ok;
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
